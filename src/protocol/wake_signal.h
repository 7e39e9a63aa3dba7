#pragma once
// A file descriptor that a thread waiting in zmq_poll can be woken through,
// from any thread (an eventfd).
namespace protocol {

class WakeSignal {
public:
    WakeSignal();
    ~WakeSignal();
    WakeSignal(const WakeSignal&) = delete;
    WakeSignal& operator=(const WakeSignal&) = delete;

    // Safe from any thread, also from a clock callback.
    void wake();
    // Clears pending wakes (the waiting thread, after zmq_poll returned).
    void clear();
    int fd() const { return fd_; }

private:
    int fd_;
};

}  // namespace protocol
