#include "platform/main_executor.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "platform/serial_queue.h"
#include "platform/test_env.h"

using namespace platform;
using namespace std::chrono_literals;
using platform::testing::FakeTimeTest;

class MainExecutorTest : public FakeTimeTest {};

TEST_F(MainExecutorTest, PostIsFifoAndNeverInline) {
    std::vector<int> order;
    MainExecutor::post([&] {
        order.push_back(1);
        MainExecutor::post([&] { order.push_back(3); });
        order.push_back(2);
    });
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(loop->runUntilIdle(), 2u);
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3}));
}

TEST_F(MainExecutorTest, IsMainThreadOnlyOnTheLoopThread) {
    EXPECT_TRUE(MainExecutor::isMainThread());
    bool other = true;
    std::thread([&] { other = MainExecutor::isMainThread(); }).join();
    EXPECT_FALSE(other);
}

#ifndef NDEBUG
TEST(MainExecutorDeathTest, MainThreadAssertionStopsOtherThreads) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    assertMainThread();
    EXPECT_DEATH(std::thread([] { assertMainThread(); }).join(), "main thread only");
}
#endif

TEST_F(MainExecutorTest, RunForWalksFakeTimeThroughDueTimers) {
    std::vector<std::pair<int, TimePoint>> fired;
    TimePoint t0 = clock->now();
    MainExecutor::postAfter(30s, [&] { fired.push_back({30, clock->now()}); });
    MainExecutor::postAfter(1s, [&] {
        fired.push_back({1, clock->now()});
        MainExecutor::postAfter(2s, [&] { fired.push_back({3, clock->now()}); });
    });
    loop->runFor(10s);
    ASSERT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired[0], std::make_pair(1, t0 + 1s));
    EXPECT_EQ(fired[1], std::make_pair(3, t0 + 3s));
    EXPECT_EQ(clock->now(), t0 + 10s);
    loop->runFor(20s);
    ASSERT_EQ(fired.size(), 3u);
    EXPECT_EQ(fired[2], std::make_pair(30, t0 + 30s));
}

TEST_F(MainExecutorTest, CancelDropsEvenAfterTheClockFired) {
    bool ran = false;
    auto early = MainExecutor::postAfter(1s, [&] { ran = true; });
    clock->advance(2s);  // handed to the loop, not yet run
    MainExecutor::cancel(early);
    loop->runUntilIdle();
    EXPECT_FALSE(ran);
    auto later = MainExecutor::postAfter(1s, [&] { ran = true; });
    MainExecutor::cancel(later);
    loop->runFor(5s);
    EXPECT_FALSE(ran);
}

TEST_F(MainExecutorTest, RunUntilReturnsWhenDoneOrAtTimeout) {
    int count = 0;
    MainExecutor::postAfter(5s, [&] { ++count; });
    TimePoint t0 = clock->now();
    EXPECT_TRUE(loop->runUntil([&] { return count == 1; }, 30s));
    EXPECT_EQ(clock->now(), t0 + 5s);
    EXPECT_FALSE(loop->runUntil([&] { return count == 2; }, 30s));
    EXPECT_EQ(clock->now(), t0 + 35s);
}

TEST_F(MainExecutorTest, RunForLetsQueueWorkLandBeforeTimeMovesOn) {
    auto queue = SerialQueue::create("test");
    TimePoint arrived{};
    queue->after(1s, [&] { MainExecutor::post([&] { arrived = clock->now(); }); });
    loop->runFor(10s);
    EXPECT_EQ(arrived, clock->now() - 9s);
}

TEST(ManualRunLoop, RealClockRunForWaitsForPostsFromOtherThreads) {
    auto loop = std::make_shared<ManualRunLoop>();
    MainExecutor::install(loop);
    bool got = false;
    std::thread t([] { MainExecutor::post([] {}); });
    MainExecutor::postAfter(1ms, [&] { got = true; });
    EXPECT_TRUE(loop->runUntil([&] { return got; }, 5s));
    t.join();
    loop->runUntilIdle();
    MainExecutor::install(nullptr);
}
