#include "platform/main_executor.h"

#include <atomic>
#include <map>
#include <utility>

#include "platform/log.h"
#include "platform/queue_activity.h"

namespace platform {

namespace {

// Never destroyed: queue threads may post while statics go at exit.
std::mutex& executorMutex() {
    static auto* m = new std::mutex;
    return *m;
}

// The thread that runs static initialisation: the process's main thread.
const std::thread::id processMainThread = std::this_thread::get_id();

std::shared_ptr<Executor>& installedExecutor() {
    static auto* e = new std::shared_ptr<Executor>;
    return *e;
}

// Delayed posts that have not run yet; cancel() marks them so that a post already
// handed to the executor is still dropped.
struct DelayedPosts {
    std::mutex mutex;
    std::map<Clock::TimerId, std::shared_ptr<std::atomic<bool>>> cancelled;
};

DelayedPosts& delayedPosts() {
    static auto* d = new DelayedPosts;
    return *d;
}

}  // namespace

namespace MainExecutor {

void install(std::shared_ptr<Executor> executor) {
    std::shared_ptr<Executor> old;
    std::lock_guard<std::mutex> lock(executorMutex());
    old = std::exchange(installedExecutor(), std::move(executor));
}

std::shared_ptr<Executor> current() {
    std::lock_guard<std::mutex> lock(executorMutex());
    if (!installedExecutor()) {
        // Nothing installed: a manual loop owned by the process's main thread.
        installedExecutor() = std::make_shared<ManualRunLoop>(processMainThread);
    }
    return installedExecutor();
}

void post(std::function<void()> fn) {
    if (!fn) return;
    current()->post(std::move(fn));
}

Clock::TimerId postAfter(Duration delay, std::function<void()> fn) {
    if (!fn) return 0;
    auto flag = std::make_shared<std::atomic<bool>>(false);
    auto clock = sharedDefaultClock();
    auto& d = delayedPosts();
    std::lock_guard<std::mutex> lock(d.mutex);
    // The clock never fires inline, so registering under the lock is safe.
    Clock::TimerId id = 0;
    id = clock->schedule(clock->now() + delay, [flag, fn = std::move(fn)]() mutable {
        if (flag->load()) return;
        MainExecutor::post([flag, fn = std::move(fn)] {
            if (flag->exchange(true)) return;
            fn();
        });
    });
    d.cancelled.emplace(id, flag);
    // Entries of fired posts are swept here, keeping the table small.
    if (d.cancelled.size() > 64) {
        for (auto it = d.cancelled.begin(); it != d.cancelled.end();) {
            if (it->second->load() && it->first != id)
                it = d.cancelled.erase(it);
            else
                ++it;
        }
    }
    return id;
}

void cancel(Clock::TimerId id) {
    std::shared_ptr<std::atomic<bool>> flag;
    {
        auto& d = delayedPosts();
        std::lock_guard<std::mutex> lock(d.mutex);
        auto it = d.cancelled.find(id);
        if (it == d.cancelled.end()) return;
        flag = it->second;
        d.cancelled.erase(it);
    }
    flag->store(true);
    sharedDefaultClock()->cancel(id);
}

bool isMainThread() { return current()->isMainThread(); }

}  // namespace MainExecutor

// ---------------------------------------------------------------------------------------------
// ManualRunLoop

ManualRunLoop::ManualRunLoop() : owner_(std::this_thread::get_id()) {}

ManualRunLoop::ManualRunLoop(std::thread::id owner) : owner_(owner) {}

void ManualRunLoop::post(std::function<void()> fn) {
    if (!fn) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        tasks_.push_back(std::move(fn));
    }
    cv_.notify_all();
}

bool ManualRunLoop::isMainThread() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return owner_ == std::this_thread::get_id();
}

void ManualRunLoop::adoptCurrentThread() {
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = std::this_thread::get_id();
}

bool ManualRunLoop::runOne(std::unique_lock<std::mutex>& lock) {
    if (tasks_.empty()) return false;
    std::function<void()> fn = std::move(tasks_.front());
    tasks_.pop_front();
    lock.unlock();
    try {
        fn();
    } catch (const std::exception& e) {
        Log::error(std::string("Main-thread task failed: ") + e.what());
    }
    fn = nullptr;
    lock.lock();
    return true;
}

std::size_t ManualRunLoop::runUntilIdle() {
    std::size_t count = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    while (runOne(lock)) ++count;
    return count;
}

namespace {

// Lets work in flight on the serial queues land here before fake time moves on. A queue
// that stays busy (waiting on a socket, say) delays this by at most a second per round.
void settle(ManualRunLoop& loop) {
    for (;;) {
        detail::waitForQueuesIdle(std::chrono::milliseconds(1000));
        if (loop.runUntilIdle() == 0) return;
    }
}

}  // namespace

void ManualRunLoop::runFor(Duration d) {
    runUntil([] { return false; }, d);
}

bool ManualRunLoop::runUntil(const std::function<bool()>& done, Duration timeout) {
    auto clock = sharedDefaultClock();
    const TimePoint end = clock->now() + timeout;
    if (auto* fake = dynamic_cast<FakeClock*>(clock.get())) {
        for (;;) {
            settle(*this);
            if (done()) return true;
            TimePoint next;
            if (fake->nextDue(&next) && next <= end) {
                fake->advanceTo(next);
                continue;
            }
            // No timer left before the end: give other threads (sockets, netlink) a short
            // real-time chance to post before time jumps to the end.
            {
                std::unique_lock<std::mutex> lock(mutex_);
                cv_.wait_for(lock, std::chrono::milliseconds(5), [this] { return !tasks_.empty(); });
                if (!tasks_.empty()) continue;
            }
            fake->advanceTo(end);
            settle(*this);
            return done();
        }
    }
    for (;;) {
        runUntilIdle();
        if (done()) return true;
        std::unique_lock<std::mutex> lock(mutex_);
        if (!tasks_.empty()) continue;
        // Timers fire on the clock's thread and post here, which wakes the wait.
        if (clock->now() >= end) return done();
        cv_.wait_for(lock, std::min<Duration>(end - clock->now(), std::chrono::milliseconds(50)),
                     [this] { return !tasks_.empty(); });
    }
}

}  // namespace platform
