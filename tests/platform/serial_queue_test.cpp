#include "platform/serial_queue.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/runtime.h"
#include "platform/test_env.h"

using namespace platform;
using namespace std::chrono_literals;
using platform::testing::FakeTimeTest;

TEST(SerialQueue, RunsInOrderOneAtATime) {
    auto queue = SerialQueue::create("NewQueue");
    EXPECT_EQ(queue->name(), "NewQueue");
    std::vector<int> order;
    std::atomic<int> inside{0};
    bool overlapped = false;
    for (int i = 0; i < 1000; ++i) {
        queue->async([&, i] {
            if (inside.fetch_add(1) != 0) overlapped = true;
            order.push_back(i);
            inside.fetch_sub(1);
        });
    }
    queue->sync([] {});
    ASSERT_EQ(order.size(), 1000u);
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(order[i], i);
    EXPECT_FALSE(overlapped);
}

TEST(SerialQueue, SyncInsideTheSameQueueRunsInline) {
    auto queue = SerialQueue::create("q");
    bool innerRan = false;
    bool wasCurrent = false;
    queue->sync([&] {
        wasCurrent = queue->isCurrent();
        queue->sync([&] { innerRan = true; });
    });
    EXPECT_TRUE(wasCurrent);
    EXPECT_TRUE(innerRan);
    EXPECT_FALSE(queue->isCurrent());
}

TEST(SerialQueue, SyncFromAnotherThreadAndExceptionsReachTheCaller) {
    auto a = SerialQueue::create("a");
    auto b = SerialQueue::create("b");
    bool onB = false;
    std::thread([&] { b->sync([&] { onB = b->isCurrent() && !a->isCurrent(); }); }).join();
    EXPECT_TRUE(onB);
    EXPECT_THROW(a->sync([] { throw std::runtime_error("x"); }), std::runtime_error);
    bool stillWorks = false;
    a->sync([&] { stillWorks = true; });
    EXPECT_TRUE(stillWorks);
}

#ifndef NDEBUG
TEST(SerialQueueDeathTest, APoolThreadNeverWaitsOnAnotherQueue) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    auto a = SerialQueue::create("a");
    auto b = SerialQueue::create("b");
    EXPECT_DEATH(a->sync([&] { b->sync([] {}); }), "another queue");
}
#endif

TEST(SerialQueue, ShutdownRunsWhatWasHandedOverAndQueuesWorkAfterIt) {
    auto queue = SerialQueue::create("q");
    std::atomic<int> ran{0};
    for (int i = 0; i < 100; ++i) queue->async([&] { ++ran; });
    platform::shutdown();
    EXPECT_EQ(ran.load(), 100);
    queue->sync([&] { ++ran; });
    EXPECT_EQ(ran.load(), 101);
    platform::shutdown();
}

class SerialQueueFakeTime : public FakeTimeTest {};

TEST_F(SerialQueueFakeTime, AfterFiresInTimeOrderAndCancelHolds) {
    auto queue = SerialQueue::create("q");
    std::vector<int> order;
    queue->after(3s, [&] { order.push_back(3); });
    queue->after(1s, [&] { order.push_back(1); });
    auto dropped = queue->after(2s, [&] { order.push_back(2); });
    queue->after(2s, [&] { order.push_back(22); });
    queue->cancel(dropped);
    clock->advance(1500ms);
    queue->sync([] {});
    EXPECT_EQ(order, (std::vector<int>{1}));
    clock->advance(10s);
    queue->sync([] {});
    EXPECT_EQ(order, (std::vector<int>{1, 22, 3}));
}

TEST_F(SerialQueueFakeTime, CancelAfterTheClockFiredStillDrops) {
    auto queue = SerialQueue::create("q");
    std::atomic<bool> ran{false};
    std::atomic<bool> release{false};
    // Hold the queue so the fired work waits behind this task.
    queue->async([&] {
        while (!release.load()) std::this_thread::yield();
    });
    auto id = queue->after(1s, [&] { ran = true; });
    clock->advance(1s);
    queue->cancel(id);
    release = true;
    queue->sync([] {});
    EXPECT_FALSE(ran.load());
}

TEST_F(SerialQueueFakeTime, DroppedQueueDropsItsDelayedWork) {
    std::atomic<bool> ran{false};
    {
        auto queue = SerialQueue::create("q");
        queue->after(1s, [&] { ran = true; });
    }
    clock->advance(2s);
    auto other = SerialQueue::create("o");
    other->sync([] {});
    EXPECT_FALSE(ran.load());
}
