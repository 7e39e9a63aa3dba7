// The window registry and the login's live ticker.
#include <gtest/gtest.h>

#include <QWidget>
#include <string>
#include <vector>

#include "kit/live_ticker.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "kit/window_registry.h"
#include "platform/main_executor.h"

namespace kit {
namespace {

WindowSpec window(const std::string& name) {
    WindowSpec s;
    s.name = name;
    s.make = [](WindowContext&) -> QWidget* { return nullptr; };
    return s;
}

TEST(WindowRegistry, RefusesNamelessMakerlessAndSecondRegistrations) {
    WindowRegistry registry;
    WindowSpec first = window("TradeTicketWindowController");
    first.presentation = Presentation::Sheet;
    WindowSpec second = window("TradeTicketWindowController");
    WindowSpec noMake = window("AboutWindowController");
    noMake.make = nullptr;
    EXPECT_TRUE(registry.add(first));
    EXPECT_FALSE(registry.add(second));
    EXPECT_FALSE(registry.add(noMake));
    EXPECT_FALSE(registry.add(window("")));
    ASSERT_EQ(registry.size(), 1u);
    EXPECT_EQ(registry.find("TradeTicketWindowController")->presentation, Presentation::Sheet);  // the first kept
    EXPECT_EQ(registry.find("NoSuchWindowController"), nullptr);
}

class LiveTickerTest : public ::testing::Test {
protected:
    void SetUp() override { executor = QtMainExecutor::install(); }
    void TearDown() override { platform::MainExecutor::install(nullptr); }
    std::shared_ptr<QtMainExecutor> executor;
    std::vector<std::string> calls;
    LiveTicker ticker{[this] { calls.push_back("recompute"); }, std::chrono::milliseconds(10)};
};

TEST_F(LiveTickerTest, RecomputesOnceThenRefreshesInSubscriptionOrder) {
    auto strip = ticker.subscribe([this] { calls.push_back("strip"); });
    auto table = ticker.subscribe([this] { calls.push_back("table"); });
    ticker.tick();
    ticker.tick();
    EXPECT_EQ(calls, (std::vector<std::string>{"recompute", "strip", "table", "recompute", "strip", "table"}));
}

TEST_F(LiveTickerTest, AClosedWindowsRefreshNeverRunsAgain) {
    LiveTicker::Subscription dialog;
    // The strip's refresh closes the dialog within the same slice.
    auto strip = ticker.subscribe([&] {
        calls.push_back("strip");
        dialog.reset();
    });
    dialog = ticker.subscribe([this] { calls.push_back("dialog"); });
    {
        auto table = ticker.subscribe([this] { calls.push_back("table"); });
        EXPECT_EQ(ticker.subscriberCount(), 3u);
    }
    ticker.tick();
    ticker.tick();
    EXPECT_EQ(calls, (std::vector<std::string>{"recompute", "strip", "recompute", "strip"}));
    EXPECT_EQ(ticker.subscriberCount(), 1u);
}

TEST_F(LiveTickerTest, ASlicedTickContinuesInLaterTurnsInOrder) {
    LiveTicker::Subscription dialog;
    auto strip = ticker.subscribe([&] {
        calls.push_back("strip");
        dialog.reset();  // ended between two slices
    });
    auto table = ticker.subscribe([this] { calls.push_back("table"); });
    dialog = ticker.subscribe([this] { calls.push_back("dialog"); });
    auto chart = ticker.subscribe([this] { calls.push_back("chart"); });
    ticker.tickInSlices(std::chrono::milliseconds(0));
    // The recomputation spent the budget: the refreshes follow in later turns.
    EXPECT_EQ(calls, (std::vector<std::string>{"recompute"}));
    ticker.tickInSlices(std::chrono::milliseconds(0));  // still going: skipped
    auto late = ticker.subscribe([this] { calls.push_back("late"); });  // waits for the next tick
    ASSERT_TRUE(testing::runUntil([&] { return calls.size() >= 4; }));
    testing::runFor(20);
    EXPECT_EQ(calls, (std::vector<std::string>{"recompute", "strip", "table", "chart"}));
    calls.clear();
    ticker.tick();
    EXPECT_EQ(calls, (std::vector<std::string>{"recompute", "strip", "table", "chart", "late"}));
}

// A refresh whose last run took more than the budget starts a slice of its own
// rather than following others past it.
TEST_F(LiveTickerTest, ARefreshThatLastTookTheBudgetWaitsForAFreshSlice) {
    static constexpr std::chrono::milliseconds kBudget{100};
    auto quick = ticker.subscribe([this] { calls.push_back("quick"); });
    auto slow = ticker.subscribe([this] {
        calls.push_back("slow");
        for (const auto end = std::chrono::steady_clock::now() + kBudget * 6 / 5; std::chrono::steady_clock::now() < end;) {
        }
    });
    ticker.tick();  // unbounded: the slow one's time is learnt
    calls.clear();
    ticker.tickInSlices(kBudget);
    calls.push_back("slice ended");
    ASSERT_TRUE(testing::runUntil([&] { return calls.size() >= 4; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"recompute", "quick", "slice ended", "slow"}));
}

TEST_F(LiveTickerTest, ARecomputationInStepsTakesASliceEachThenTheRefreshesFollow) {
    int left = 0;
    LiveTicker stepped{LiveTicker::Steps{[&] {
                           calls.push_back("step");
                           return --left == 0;
                       }},
                       std::chrono::milliseconds(10)};
    auto strip = stepped.subscribe([this] { calls.push_back("strip"); });
    left = 3;
    stepped.tickInSlices(std::chrono::milliseconds(100));
    EXPECT_EQ(calls, std::vector<std::string>{"step"});
    stepped.tickInSlices(std::chrono::milliseconds(100));  // still going: skipped
    ASSERT_TRUE(testing::runUntil([&] { return calls.size() >= 4; }));
    EXPECT_EQ(calls, (std::vector<std::string>{"step", "step", "step", "strip"}));
    calls.clear();
    left = 2;
    stepped.tick();  // every step in one slice
    EXPECT_EQ(calls, (std::vector<std::string>{"step", "step", "strip"}));
}

TEST_F(LiveTickerTest, RunsOnTheTimerAndStopsAtLogout) {
    auto strip = ticker.subscribe([this] { calls.push_back("strip"); });
    ticker.start();
    ASSERT_TRUE(testing::runUntil([&] { return calls.size() >= 4; }));
    ticker.stop();
    const std::size_t seen = calls.size();
    testing::runFor(50);
    EXPECT_EQ(calls.size(), seen);
    EXPECT_FALSE(ticker.isRunning());
}

}  // namespace
}  // namespace kit
