#include "platform/notification_center.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "platform/test_env.h"

using namespace platform;
using platform::testing::FakeTimeTest;

namespace {

struct Text : NotificationPayload {
    explicit Text(std::string t) : text(std::move(t)) {}
    std::string text;
};

struct Number : NotificationPayload {
    explicit Number(int v) : value(v) {}
    int value;
};

std::shared_ptr<const Number> number(int v) {
    return std::make_shared<const Number>(v);
}

}  // namespace

TEST(NotificationCenter, DeliversInRegistrationOrderWithItsPayload) {
    NotificationCenter center;
    std::vector<std::string> calls;
    center.addObserver("A", [&](const Notification& n) {
        ASSERT_TRUE(n.as<Text>());
        EXPECT_EQ(n.as<Number>(), nullptr);  // another kind
        calls.push_back("1:" + n.as<Text>()->text);
    });
    center.addObserver("B", [&](const Notification&) { calls.push_back("other"); });
    center.addObserver("A", [&](const Notification& n) { calls.push_back("2:" + n.name); });
    center.post("A", std::make_shared<const Text>("obj"));
    EXPECT_EQ(calls, (std::vector<std::string>{"1:obj", "2:A"}));
    EXPECT_EQ(center.observerCount("A"), 2u);
}

TEST(NotificationCenter, SenderFilterSelectsTheSender) {
    NotificationCenter center;
    int mine = 0, all = 0;
    int sender = 1, other = 2;
    center.addObserver(
        "N", [&](const Notification&) { ++mine; }, &sender);
    center.addObserver("N", [&](const Notification&) { ++all; });
    center.post("N", nullptr, &sender);
    center.post("N", nullptr, &other);
    center.post("N");
    EXPECT_EQ(mine, 1);
    EXPECT_EQ(all, 3);
}

TEST(NotificationCenter, ObserverRemovedDuringDeliveryIsNotCalled) {
    NotificationCenter center;
    std::vector<int> calls;
    NotificationCenter::Token second = 0;
    NotificationCenter::Token first = center.addObserver("N", [&](const Notification&) {
        calls.push_back(1);
        center.removeObserver(first);   // itself
        center.removeObserver(second);  // a later one in the same delivery
    });
    second = center.addObserver("N", [&](const Notification&) { calls.push_back(2); });
    center.addObserver("N", [&](const Notification&) { calls.push_back(3); });
    center.post("N");
    center.post("N");
    EXPECT_EQ(calls, (std::vector<int>{1, 3, 3}));
    EXPECT_EQ(center.observerCount("N"), 1u);
}

TEST(NotificationCenter, PostsFromFourThreadsLoseNothing) {
    NotificationCenter center;
    std::atomic<long> a{0}, b{0};
    center.addObserver("N", [&](const Notification& n) { a += n.as<Number>()->value; });
    center.addObserver("N", [&](const Notification&) { ++b; });
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10000; ++i) center.post("N", number(2));
        });
    }
    // Observers come and go meanwhile without disturbing the others.
    for (int i = 0; i < 200; ++i) center.removeObserver(center.addObserver("N", [](const Notification&) {}));
    for (auto& t : threads) t.join();
    EXPECT_EQ(a.load(), 80000);
    EXPECT_EQ(b.load(), 40000);
}

TEST(NotificationCenter, HandleRemovesItsObserver) {
    NotificationCenter center;
    int calls = 0;
    {
        ObserverHandle h(&center, center.addObserver("N", [&](const Notification&) { ++calls; }));
        ObserverHandle moved = std::move(h);
        center.post("N");
    }
    center.post("N");
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(center.observerCount("N"), 0u);
}

class NotificationOnMain : public FakeTimeTest {};

TEST_F(NotificationOnMain, PostOnMainArrivesFifoOnTheMainLoop) {
    NotificationCenter center;
    std::vector<int> got;
    bool onMain = true;
    center.addObserver("N", [&](const Notification& n) {
        got.push_back(n.as<Number>()->value);
        onMain = onMain && MainExecutor::isMainThread();
    });
    std::thread([&] {
        for (int i = 0; i < 100; ++i) center.postOnMain("N", number(i));
    }).join();
    EXPECT_TRUE(got.empty());
    loop->runUntilIdle();
    ASSERT_EQ(got.size(), 100u);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(got[i], i);
    EXPECT_TRUE(onMain);
}
