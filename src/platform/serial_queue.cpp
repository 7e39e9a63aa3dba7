#include "platform/serial_queue.h"

#include <cassert>
#include <exception>
#include <future>

#include "platform/queue_activity.h"

namespace platform {

namespace {

// Keeps the in-flight count right even when the task throws.
struct WorkScope {
    ~WorkScope() { detail::queueWorkDone(); }
};

}  // namespace

struct SerialQueue::Delayed {
    std::atomic<bool> cancelled{false};
    Clock::TimerId id = 0;
};

SerialQueue::SerialQueue(std::string name) : name_(std::move(name)), strand_(asio::make_strand(ioContext())) {}

std::shared_ptr<SerialQueue> SerialQueue::create(std::string name) {
    return std::shared_ptr<SerialQueue>(new SerialQueue(std::move(name)));
}

void SerialQueue::async(std::function<void()> fn) {
    if (!fn) return;
    detail::queueWorkAdded();
    asio::post(strand_, [self = shared_from_this(), fn = std::move(fn)] {
        WorkScope scope;
        fn();
    });
}

void SerialQueue::sync(const std::function<void()>& fn) {
    if (!fn) return;
    if (isCurrent()) {
        fn();
        return;
    }
    // A pool thread that waits on another queue holds a thread the other queue may need.
    assert(!detail::onPoolThread() && "sync() from a pool thread into another queue");
    std::promise<void> done;
    auto finished = done.get_future();
    detail::queueWorkAdded();
    asio::post(strand_, [self = shared_from_this(), &fn, &done] {
        WorkScope scope;
        try {
            fn();
            done.set_value();
        } catch (...) {
            done.set_exception(std::current_exception());
        }
    });
    finished.get();
}

Clock::TimerId SerialQueue::after(Duration delay, std::function<void()> fn) {
    if (!fn) return 0;
    auto entry = std::make_shared<Delayed>();
    auto clock = sharedDefaultClock();
    std::weak_ptr<SerialQueue> weak = weak_from_this();
    // The queue's handler takes this lock, so it sees the id set below.
    std::lock_guard<std::mutex> lock(delayedMutex_);
    Clock::TimerId id = clock->schedule(clock->now() + delay, [weak, entry, fn = std::move(fn)]() mutable {
        auto self = weak.lock();
        if (!self || entry->cancelled.load()) return;
        detail::queueWorkAdded();
        asio::post(self->strand_, [self, entry, fn = std::move(fn)] {
            WorkScope scope;
            {
                std::lock_guard<std::mutex> l(self->delayedMutex_);
                self->delayed_.erase(entry->id);
            }
            if (entry->cancelled.exchange(true)) return;
            fn();
        });
    });
    entry->id = id;
    delayed_.emplace(id, entry);
    return id;
}

void SerialQueue::cancel(Clock::TimerId id) {
    std::shared_ptr<Delayed> entry;
    {
        std::lock_guard<std::mutex> lock(delayedMutex_);
        auto it = delayed_.find(id);
        if (it == delayed_.end()) return;
        entry = it->second;
        delayed_.erase(it);
    }
    entry->cancelled.store(true);
    sharedDefaultClock()->cancel(id);
}

bool SerialQueue::isCurrent() const { return strand_.running_in_this_thread(); }

}  // namespace platform
