#include "platform/timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>

#include "platform/test_env.h"

using namespace platform;
using namespace std::chrono_literals;
using platform::testing::FakeTimeTest;

class TimerTest : public FakeTimeTest {};

TEST_F(TimerTest, ThirtySecondTimeoutRunsInFakeTime) {
    int fired = 0;
    Timer timeout([&] { ++fired; });
    timeout.start(30s, false);
    EXPECT_TRUE(timeout.isActive());
    loop->runFor(29s);
    EXPECT_EQ(fired, 0);
    loop->runFor(1s);
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timeout.isActive());
    loop->runFor(60s);
    EXPECT_EQ(fired, 1);
}

TEST_F(TimerTest, RearmPushesTheDeadlineBack) {
    int fired = 0;
    Timer timer([&] { ++fired; });
    TimePoint t0 = clock->now();
    timer.start(10s, false);
    loop->runFor(8s);
    timer.start(10s, false);  // re-arm: due at t0 + 18 s now
    loop->runFor(9s);
    EXPECT_EQ(fired, 0);
    loop->runFor(1s);
    EXPECT_EQ(fired, 1);
    EXPECT_EQ(clock->now(), t0 + 18s);
}

TEST_F(TimerTest, RepeatingTimerFiresEachIntervalUntilCancelledFromItsCallback) {
    int fired = 0;
    std::unique_ptr<Timer> timer;
    timer = std::make_unique<Timer>([&] {
        if (++fired == 3) timer->cancel();
    });
    timer->start(1s, true);
    loop->runFor(2500ms);
    EXPECT_EQ(fired, 2);
    loop->runFor(10s);
    EXPECT_EQ(fired, 3);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(TimerTest, CancelledOrDestroyedTimerNeverRunsWorkAlreadyHandedOver) {
    int fired = 0;
    Timer cancelled([&] { ++fired; });
    cancelled.start(1s, false);
    auto destroyed = std::make_unique<Timer>([&] { ++fired; });
    destroyed->start(1s, false);
    clock->advance(1s);  // both callbacks are now queued on the main loop
    cancelled.cancel();
    destroyed.reset();
    loop->runUntilIdle();
    EXPECT_EQ(fired, 0);
}

TEST_F(TimerTest, FiresOnItsSerialQueue) {
    auto queue = SerialQueue::create("timers");
    std::atomic<int> fired{0};
    std::atomic<bool> onQueue{false};
    Timer timer(
        [&] {
            onQueue = queue->isCurrent();
            ++fired;
        },
        queue);
    timer.start(5s, true);
    loop->runFor(16s);
    EXPECT_EQ(fired.load(), 3);
    EXPECT_TRUE(onQueue.load());
    timer.cancel();
    loop->runFor(16s);
    EXPECT_EQ(fired.load(), 3);
}

TEST_F(TimerTest, DestructionWaitsForACallbackRunningOnAQueue) {
    auto queue = SerialQueue::create("timers");
    std::atomic<bool> entered{false};
    std::atomic<bool> finished{false};
    auto timer = std::make_unique<Timer>(
        [&] {
            entered = true;
            // Long enough that the destructor below runs while this is inside.
            auto until = std::chrono::steady_clock::now() + 50ms;
            while (std::chrono::steady_clock::now() < until) std::this_thread::yield();
            finished = true;
        },
        queue);
    timer->start(1s, false);
    clock->advance(1s);
    while (!entered.load()) std::this_thread::yield();
    timer.reset();
    EXPECT_TRUE(finished.load());
}
