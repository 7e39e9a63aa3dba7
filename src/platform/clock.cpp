#include "platform/clock.h"

#include <atomic>
#include <condition_variable>
#include <thread>
#include <utility>

namespace platform {

namespace {

// Never destroyed, like the rest of what queue threads reach: no order at exit to get right.
std::mutex& clockMutex() {
    static auto* m = new std::mutex;
    return *m;
}

std::shared_ptr<Clock>& installedClock() {
    static auto* c = new std::shared_ptr<Clock>;
    return *c;
}

std::shared_ptr<Clock> realClock() {
    static auto* c = new std::shared_ptr<Clock>(std::make_shared<SystemClock>());
    return *c;
}

}  // namespace

Clock::TimerId nextTimerId() {
    static std::atomic<Clock::TimerId> next{1};
    return next.fetch_add(1, std::memory_order_relaxed);
}

std::shared_ptr<Clock> sharedDefaultClock() {
    {
        std::lock_guard<std::mutex> lock(clockMutex());
        if (installedClock()) return installedClock();
    }
    return realClock();
}

Clock& defaultClock() {
    {
        std::lock_guard<std::mutex> lock(clockMutex());
        if (installedClock()) return *installedClock();
    }
    return *realClock();
}

void installClock(std::shared_ptr<Clock> clock) {
    std::shared_ptr<Clock> old;
    {
        std::lock_guard<std::mutex> lock(clockMutex());
        old = std::exchange(installedClock(), std::move(clock));
    }
    // `old` is released outside the lock: its pending callbacks may own objects that use the clock.
}

// ---------------------------------------------------------------------------------------------
// SystemClock

struct SystemClock::Impl {
    std::mutex mutex;
    std::condition_variable cv;
    std::map<std::pair<TimePoint, TimerId>, std::function<void()>> pending;
    std::map<TimerId, TimePoint> due;
    bool stopping = false;
    std::thread thread;

    void run() {
        std::unique_lock<std::mutex> lock(mutex);
        while (!stopping) {
            if (pending.empty()) {
                cv.wait(lock);
                continue;
            }
            auto first = pending.begin();
            TimePoint when = first->first.first;
            if (std::chrono::steady_clock::now() < when) {
                cv.wait_until(lock, when);
                continue;
            }
            std::function<void()> fire = std::move(first->second);
            due.erase(first->first.second);
            pending.erase(first);
            lock.unlock();
            fire();
            fire = nullptr;  // release captures outside the lock
            lock.lock();
        }
    }
};

SystemClock::SystemClock() : impl_(std::make_unique<Impl>()) {
    impl_->thread = std::thread([impl = impl_.get()] { impl->run(); });
}

SystemClock::~SystemClock() {
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->stopping = true;
    }
    impl_->cv.notify_all();
    if (impl_->thread.joinable()) {
        if (impl_->thread.get_id() == std::this_thread::get_id())
            impl_->thread.detach();
        else
            impl_->thread.join();
    }
    std::map<std::pair<TimePoint, TimerId>, std::function<void()>> dropped;
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        dropped.swap(impl_->pending);
    }
}

TimePoint SystemClock::now() const { return std::chrono::steady_clock::now(); }

WallTime SystemClock::wallNow() const { return std::chrono::system_clock::now(); }

Clock::TimerId SystemClock::schedule(TimePoint when, std::function<void()> fire) {
    TimerId id = nextTimerId();
    {
        std::lock_guard<std::mutex> lock(impl_->mutex);
        impl_->pending.emplace(std::make_pair(when, id), std::move(fire));
        impl_->due.emplace(id, when);
    }
    impl_->cv.notify_all();
    return id;
}

void SystemClock::cancel(TimerId id) {
    std::function<void()> dropped;
    std::lock_guard<std::mutex> lock(impl_->mutex);
    auto it = impl_->due.find(id);
    if (it == impl_->due.end()) return;
    auto p = impl_->pending.find(std::make_pair(it->second, id));
    if (p != impl_->pending.end()) {
        dropped = std::move(p->second);
        impl_->pending.erase(p);
    }
    impl_->due.erase(it);
}

// ---------------------------------------------------------------------------------------------
// FakeClock

FakeClock::FakeClock(WallTime wallStart)
    : now_(TimePoint{} + std::chrono::hours(1000)), wallStart_(wallStart), start_(now_) {}

TimePoint FakeClock::now() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return now_;
}

WallTime FakeClock::wallNow() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return wallStart_ + std::chrono::duration_cast<WallTime::duration>(now_ - start_);
}

Clock::TimerId FakeClock::schedule(TimePoint when, std::function<void()> fire) {
    TimerId id = nextTimerId();
    std::lock_guard<std::mutex> lock(mutex_);
    pending_.emplace(std::make_pair(when, id), std::move(fire));
    return id;
}

void FakeClock::cancel(TimerId id) {
    std::function<void()> dropped;
    std::lock_guard<std::mutex> lock(mutex_);
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        if (it->first.second == id) {
            dropped = std::move(it->second);
            pending_.erase(it);
            return;
        }
    }
}

void FakeClock::advance(Duration d) {
    TimePoint target;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        target = now_ + (d < Duration::zero() ? Duration::zero() : d);
    }
    advanceTo(target);
}

void FakeClock::advanceTo(TimePoint t) {
    for (;;) {
        std::function<void()> fire;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            auto first = pending_.begin();
            if (first == pending_.end() || first->first.first > t) {
                if (t > now_) now_ = t;
                return;
            }
            if (first->first.first > now_) now_ = first->first.first;
            fire = std::move(first->second);
            pending_.erase(first);
        }
        fire();
    }
}

bool FakeClock::nextDue(TimePoint* when) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pending_.empty()) return false;
    if (when) *when = pending_.begin()->first.first;
    return true;
}

bool FakeClock::isPending(TimePoint when) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = pending_.lower_bound(std::make_pair(when, TimerId{0}));
    return it != pending_.end() && it->first.first == when;
}

}  // namespace platform
