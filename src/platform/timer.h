#pragma once
// One-shot or repeating timer that fires on the main executor or on a serial queue.
// Reads time from the default clock. Re-armable and cancellable from any thread;
// after cancel() returns the callback is not started again.
#include <functional>
#include <memory>
#include <mutex>

#include "platform/clock.h"
#include "platform/serial_queue.h"

namespace platform {

class Timer {
public:
    // queue == nullptr: fires on the main executor.
    explicit Timer(std::function<void()> fn, std::shared_ptr<SerialQueue> queue = nullptr);
    // Cancels; waits for a callback that is running on another thread at that moment.
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    // (Re)arms: the first fire after `interval`, then every `interval` when repeating.
    void start(Duration interval, bool repeats);
    void cancel();
    bool isActive() const;

private:
    struct State;
    std::shared_ptr<State> state_;
};

}  // namespace platform
