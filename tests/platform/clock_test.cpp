#include "platform/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>
#include <vector>

using namespace platform;
using namespace std::chrono_literals;

TEST(FakeClock, FiresInTimeOrderWithTiesInSchedulingOrder) {
    FakeClock clock;
    std::vector<int> fired;
    TimePoint t0 = clock.now();
    clock.schedule(t0 + 3s, [&] { fired.push_back(3); });
    clock.schedule(t0 + 1s, [&] { fired.push_back(1); });
    clock.schedule(t0 + 2s, [&] { fired.push_back(20); });
    clock.schedule(t0 + 2s, [&] { fired.push_back(21); });
    clock.advance(2s);
    EXPECT_EQ(fired, (std::vector<int>{1, 20, 21}));
    EXPECT_EQ(clock.now(), t0 + 2s);
    clock.advance(1s);
    EXPECT_EQ(fired, (std::vector<int>{1, 20, 21, 3}));
}

TEST(FakeClock, CallbackSeesItsOwnTimeAndMayScheduleMore) {
    FakeClock clock;
    TimePoint t0 = clock.now();
    std::vector<TimePoint> seen;
    std::function<void()> tick = [&] {
        seen.push_back(clock.now());
        if (seen.size() < 3) clock.schedule(clock.now() + 1s, tick);
    };
    clock.schedule(t0 + 1s, tick);
    clock.advance(10s);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], t0 + 1s);
    EXPECT_EQ(seen[2], t0 + 3s);
    EXPECT_EQ(clock.now(), t0 + 10s);
}

TEST(FakeClock, CancelAndNextDueAndWallTime) {
    FakeClock clock(WallTime{} + std::chrono::hours(10));
    TimePoint t0 = clock.now();
    bool fired = false;
    auto id = clock.schedule(t0 + 5s, [&] { fired = true; });
    TimePoint due;
    ASSERT_TRUE(clock.nextDue(&due));
    EXPECT_EQ(due, t0 + 5s);
    EXPECT_TRUE(clock.isPending(t0 + 5s));
    EXPECT_FALSE(clock.isPending(t0 + 4s));
    EXPECT_FALSE(clock.isPending(t0 + 6s));
    clock.cancel(id);
    EXPECT_FALSE(clock.isPending(t0 + 5s));
    clock.cancel(id);  // twice is harmless
    EXPECT_FALSE(clock.nextDue(&due));
    clock.advance(1min);
    EXPECT_FALSE(fired);
    EXPECT_EQ(clock.wallNow(), WallTime{} + std::chrono::hours(10) + std::chrono::minutes(1));
}

TEST(SystemClock, FiresOnItsThreadAndCancelStopsIt) {
    SystemClock clock;
    std::promise<std::thread::id> fired;
    std::atomic<bool> cancelledFired{false};
    auto id = clock.schedule(clock.now() + 50ms, [&] { cancelledFired = true; });
    clock.schedule(clock.now() + 1ms, [&] { fired.set_value(std::this_thread::get_id()); });
    clock.cancel(id);
    auto f = fired.get_future();
    ASSERT_EQ(f.wait_for(5s), std::future_status::ready);
    EXPECT_TRUE(f.get() != std::this_thread::get_id());
    EXPECT_FALSE(cancelledFired.load());
}

TEST(DefaultClock, InstallAndRestore) {
    auto fake = std::make_shared<FakeClock>();
    installClock(fake);
    EXPECT_EQ(&defaultClock(), fake.get());
    installClock(nullptr);
    EXPECT_NE(dynamic_cast<SystemClock*>(&defaultClock()), nullptr);
}
