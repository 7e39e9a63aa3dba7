#include "platform/runtime.h"

#include <cassert>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "platform/queue_activity.h"
#include "platform/serial_queue.h"

namespace platform {

namespace {

constexpr unsigned kPoolThreads = 4;
// How long shutdown() lets the queues finish before it stops the pool anyway.
constexpr std::chrono::seconds kDrainLimit{10};

thread_local bool tlsPoolThread = false;

// The pool, its work count and its threads, in one object that is never
// destroyed: nothing depends on the order in which statics go at exit.
class Runtime {
public:
    asio::io_context context;

    void ensureRunning() {
        std::lock_guard<std::mutex> lock(mutex_);
        if (threads_.empty() && !stopping_) startLocked();
    }

    void workAdded() {
        std::lock_guard<std::mutex> lock(mutex_);
        ++inFlight_;
        if (threads_.empty() && !stopping_) startLocked();
    }

    void workDone() {
        bool idle;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            idle = --inFlight_ == 0;
        }
        if (idle) idle_.notify_all();
    }

    bool waitIdle(std::chrono::milliseconds limit) {
        std::unique_lock<std::mutex> lock(mutex_);
        return idle_.wait_for(lock, limit, [this] { return inFlight_ <= 0; });
    }

    void shutdown() {
        assert(!tlsPoolThread && "shutdown() on a pool thread");
        if (tlsPoolThread) return;
        std::unique_lock<std::mutex> lock(mutex_);
        const bool drained = idle_.wait_for(lock, kDrainLimit, [this] { return inFlight_ <= 0; });
        if (threads_.empty()) return;
        stopping_ = true;
        std::vector<std::thread> threads = std::move(threads_);
        threads_.clear();
        guard_.reset();
        lock.unlock();
        if (!drained) Log::warning("Queues still busy at shutdown: the pool stops anyway");
        context.stop();
        for (auto& t : threads) t.join();
        lock.lock();
        context.restart();
        stopping_ = false;
        // Work handed over while the pool stopped gets a new pool.
        if (inFlight_ > 0) startLocked();
    }

private:
    void startLocked() {
        guard_.emplace(asio::make_work_guard(context));
        for (unsigned i = 0; i < kPoolThreads; ++i) {
            threads_.emplace_back([this] {
                tlsPoolThread = true;
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

    std::mutex mutex_;
    std::condition_variable idle_;
    long inFlight_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
    std::optional<asio::executor_work_guard<asio::io_context::executor_type>> guard_;
};

Runtime& runtime() {
    static Runtime* r = [] {
        auto* created = new Runtime;
        // A process that never called shutdown() still ends its pool before exit.
        std::atexit([] { platform::shutdown(); });
        return created;
    }();
    return *r;
}

}  // namespace

namespace detail {

asio::io_context& poolContext() { return runtime().context; }
void queueWorkAdded() { runtime().workAdded(); }
void queueWorkDone() { runtime().workDone(); }
bool waitForQueuesIdle(std::chrono::milliseconds limit) { return runtime().waitIdle(limit); }
bool onPoolThread() { return tlsPoolThread; }

}  // namespace detail

asio::io_context& ioContext() {
    runtime().ensureRunning();
    return runtime().context;
}

std::shared_ptr<SerialQueue> ioQueue() {
    static auto* queue = new std::shared_ptr<SerialQueue>(SerialQueue::create("io"));
    return *queue;
}

void shutdown() { runtime().shutdown(); }

}  // namespace platform
