#pragma once
// Serial queue on Asio: tasks run one at a time, in order, on a shared pool of
// I/O threads. Stands in for a GCD serial queue.
#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <memory>
#include <string>

#include <asio.hpp>
#if !defined(ASIO_DISABLE_STD_ALIGNED_ALLOC)
#error "Asio needs ASIO_DISABLE_STD_ALIGNED_ALLOC in every file (a definition of the platform target)"
#endif

#include "platform/clock.h"

namespace platform {

// The shared io_context; its threads start on first use (see runtime.h).
asio::io_context& ioContext();

class SerialQueue : public std::enable_shared_from_this<SerialQueue> {
public:
    using Strand = asio::strand<asio::io_context::executor_type>;
    static std::shared_ptr<SerialQueue> create(std::string name);

    void async(std::function<void()> fn);
    // Runs `fn` on the queue and waits; runs inline when already on this queue.
    // Never from a pool thread into another queue (asserted in debug builds).
    void sync(const std::function<void()>& fn);
    // Runs `fn` on the queue once `delay` has passed on the default clock.
    Clock::TimerId after(Duration delay, std::function<void()> fn);
    void cancel(Clock::TimerId id);
    bool isCurrent() const;
    const std::string& name() const { return name_; }
    // For Asio objects (sockets, descriptors) whose handlers must run on this queue.
    Strand& strand() { return strand_; }

private:
    struct Delayed;
    explicit SerialQueue(std::string name);
    std::string name_;
    Strand strand_;
    std::mutex delayedMutex_;
    std::map<Clock::TimerId, std::shared_ptr<Delayed>> delayed_;
};

}  // namespace platform
