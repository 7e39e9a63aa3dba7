#pragma once
// Time source for every timer and timeout. Tests install a FakeClock so that
// a 30 s timeout runs in milliseconds.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>

namespace platform {

using Duration = std::chrono::steady_clock::duration;
using TimePoint = std::chrono::steady_clock::time_point;
using WallTime = std::chrono::system_clock::time_point;

class Clock {
public:
    using TimerId = std::uint64_t;
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
    virtual WallTime wallNow() const = 0;
    // Calls `fire` (on a thread of the clock's choosing) once `when` is reached.
    // The callback must be short: it normally hands work to a queue or executor.
    virtual TimerId schedule(TimePoint when, std::function<void()> fire) = 0;
    // Cancelling an id that already fired or was cancelled is harmless.
    virtual void cancel(TimerId id) = 0;
};

// The process clock: the installed one, or the real one. Install before any timer exists.
Clock& defaultClock();
void installClock(std::shared_ptr<Clock> clock);  // nullptr restores the real clock
// The same clock as a shared pointer, for holders that must cancel on the clock they scheduled on.
std::shared_ptr<Clock> sharedDefaultClock();
// Timer ids are unique across all clocks of the process, so cancelling on the wrong clock is harmless.
Clock::TimerId nextTimerId();

// Real time; fires callbacks from one private timer thread.
class SystemClock : public Clock {
public:
    SystemClock();
    ~SystemClock() override;
    TimePoint now() const override;
    WallTime wallNow() const override;
    TimerId schedule(TimePoint when, std::function<void()> fire) override;
    void cancel(TimerId id) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Manual time: nothing moves until advance() or advanceTo(); due callbacks fire
// on the advancing thread in time order (ties in scheduling order).
class FakeClock : public Clock {
public:
    explicit FakeClock(WallTime wallStart = WallTime{} + std::chrono::hours(24 * 365 * 50));
    TimePoint now() const override;
    WallTime wallNow() const override;
    TimerId schedule(TimePoint when, std::function<void()> fire) override;
    void cancel(TimerId id) override;
    void advance(Duration d);
    void advanceTo(TimePoint t);
    // Time of the earliest pending callback, if any.
    bool nextDue(TimePoint* when) const;
    // Whether a callback is pending for exactly `when` (a time-out armed at a known time, say).
    bool isPending(TimePoint when) const;

private:
    mutable std::mutex mutex_;
    TimePoint now_;
    WallTime wallStart_;
    TimePoint start_;
    TimerId nextId_ = 1;
    std::multimap<std::pair<TimePoint, TimerId>, std::function<void()>> pending_;
};

}  // namespace platform
