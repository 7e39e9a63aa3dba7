#include "kit/qt_main_executor.h"

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/main_executor.h"
#include "platform/runtime.h"
#include "platform/timer.h"
#include "qt_test_app.h"

namespace kit {
namespace {

using namespace std::chrono_literals;
using testing::runUntil;

class QtExecutorTest : public ::testing::Test {
protected:
    void SetUp() override { executor = QtMainExecutor::install(); }
    void TearDown() override {
        platform::shutdown();
        platform::MainExecutor::install(nullptr);
    }
    std::shared_ptr<QtMainExecutor> executor;
};

TEST_F(QtExecutorTest, PostsFromFourThreadsKeepTheirOrderOnTheGuiThread) {
    constexpr int kThreads = 4, kPosts = 300;
    std::vector<std::vector<int>> seen(kThreads);
    std::atomic<int> offMain{0};
    int total = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kPosts; ++i)
                platform::MainExecutor::post([&, t, i] {
                    if (!platform::MainExecutor::isMainThread()) ++offMain;
                    seen[t].push_back(i);
                    ++total;
                });
        });
    for (auto& th : threads) th.join();
    ASSERT_TRUE(runUntil([&] { return total == kThreads * kPosts; }));
    EXPECT_EQ(offMain, 0);
    for (const auto& s : seen) {
        ASSERT_EQ(int(s.size()), kPosts);
        EXPECT_TRUE(std::is_sorted(s.begin(), s.end()));
    }
}

TEST_F(QtExecutorTest, APostFromTheGuiThreadRunsAfterTheCurrentEvent) {
    std::vector<std::string> order;
    executor->post([&] {
        executor->post([&] { order.push_back("inner"); });
        order.push_back("outer done");
    });
    EXPECT_TRUE(order.empty());  // never inline
    ASSERT_TRUE(runUntil([&] { return order.size() == 2; }));
    EXPECT_EQ(order, (std::vector<std::string>{"outer done", "inner"}));
    EXPECT_TRUE(executor->isMainThread());
    bool fromThread = true;
    std::thread([&] { fromThread = executor->isMainThread(); }).join();
    EXPECT_FALSE(fromThread);
}

TEST_F(QtExecutorTest, TimersAndDelayedPostsFireInOrderOnTheGuiThread) {
    std::vector<std::string> order;
    bool allOnMain = true;
    const auto record = [&](const char* what) {
        allOnMain = allOnMain && platform::MainExecutor::isMainThread();
        order.push_back(what);
    };
    platform::Timer timer([&] { record("timer 40"); });
    timer.start(40ms, false);
    platform::MainExecutor::postAfter(80ms, [&] { record("post 80"); });
    platform::MainExecutor::postAfter(10ms, [&] { record("post 10"); });
    ASSERT_TRUE(runUntil([&] { return order.size() == 3; }));
    EXPECT_EQ(order, (std::vector<std::string>{"post 10", "timer 40", "post 80"}));
    EXPECT_TRUE(allOnMain);
}

}  // namespace
}  // namespace kit
