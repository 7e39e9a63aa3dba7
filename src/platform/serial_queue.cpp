#include "platform/serial_queue.h"

#include <condition_variable>
#include <exception>
#include <future>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "platform/queue_activity.h"

namespace platform {

namespace {

struct Pool {
    asio::io_context context;
    asio::executor_work_guard<asio::io_context::executor_type> guard{asio::make_work_guard(context)};
    std::vector<std::thread> threads;

    Pool() {
        // Four threads: enough that a queue waiting in sync() on another never starves the pool.
        const unsigned n = 4;
        for (unsigned i = 0; i < n; ++i) {
            threads.emplace_back([this] {
                for (;;) {
                    try {
                        context.run();
                        return;
                    } catch (const std::exception& e) {
                        Log::error(std::string("Queue task failed: ") + e.what());
                    } catch (...) {
                        Log::error("Queue task failed");
                    }
                }
            });
        }
    }
    ~Pool() {
        guard.reset();
        context.stop();
        for (auto& t : threads)
            if (t.joinable()) t.join();
    }
};

struct Activity {
    std::mutex mutex;
    std::condition_variable cv;
    long inFlight = 0;
};

Activity& activity() {
    static Activity a;
    return a;
}

// Runs `fn` and keeps the in-flight count right even when it throws.
struct WorkScope {
    ~WorkScope() { detail::queueWorkDone(); }
};

}  // namespace

namespace detail {

void queueWorkAdded() {
    std::lock_guard<std::mutex> lock(activity().mutex);
    ++activity().inFlight;
}

void queueWorkDone() {
    auto& a = activity();
    bool idle;
    {
        std::lock_guard<std::mutex> lock(a.mutex);
        idle = --a.inFlight == 0;
    }
    if (idle) a.cv.notify_all();
}

bool waitForQueuesIdle(std::chrono::milliseconds limit) {
    auto& a = activity();
    std::unique_lock<std::mutex> lock(a.mutex);
    return a.cv.wait_for(lock, limit, [&a] { return a.inFlight <= 0; });
}

}  // namespace detail

asio::io_context& ioContext() {
    static Pool pool;
    return pool.context;
}

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
