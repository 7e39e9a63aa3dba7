#pragma once
// Hand-off to the main thread. The core posts here; the Qt app installs an
// executor backed by its event loop, tests and headless tools a ManualRunLoop.
#include <cassert>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/clock.h"

namespace platform {

class Executor {
public:
    virtual ~Executor() = default;
    // FIFO, never runs the function inline.
    virtual void post(std::function<void()> fn) = 0;
    virtual bool isMainThread() const = 0;
};

namespace MainExecutor {
void install(std::shared_ptr<Executor> executor);
std::shared_ptr<Executor> current();
void post(std::function<void()> fn);
// Posts `fn` once `delay` has passed on the default clock; returns an id for cancel().
Clock::TimerId postAfter(Duration delay, std::function<void()> fn);
void cancel(Clock::TimerId id);
bool isMainThread();
}  // namespace MainExecutor

// Debug builds: stops the program when called off the main thread. For code
// that touches what the main thread owns.
inline void assertMainThread() {
    assert(MainExecutor::isMainThread() && "main thread only");
}

// Hands the last use of `object` to the main thread, so that a queue thread
// that held it for a moment never runs its destructor.
template <typename T>
void releaseOnMain(std::shared_ptr<T> object) {
    if (!object || MainExecutor::isMainThread()) return;
    MainExecutor::post([object = std::move(object)]() mutable { object.reset(); });
}

// A run loop driven by hand. The thread that constructs it is the main thread
// (rebind with adoptCurrentThread()).
class ManualRunLoop : public Executor, public std::enable_shared_from_this<ManualRunLoop> {
public:
    ManualRunLoop();
    // A loop whose main thread is `owner`.
    explicit ManualRunLoop(std::thread::id owner);
    void post(std::function<void()> fn) override;
    bool isMainThread() const override;
    void adoptCurrentThread();

    // Runs queued work until the queue is empty; returns the number of tasks run.
    std::size_t runUntilIdle();
    // Runs work for `d` of the default clock's time. With a FakeClock, time is
    // advanced from one due timer to the next; with the real clock it waits.
    void runFor(Duration d);
    // Runs until `done()` holds or `timeout` (default clock) passes; returns done().
    bool runUntil(const std::function<bool()>& done, Duration timeout);

private:
    bool runOne(std::unique_lock<std::mutex>& lock);
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> tasks_;
    std::thread::id owner_;
};

}  // namespace platform
