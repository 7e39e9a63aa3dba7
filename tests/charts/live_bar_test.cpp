// The live bar: one bar per changed tick, bars by the time of the update on
// other intervals, nothing without a stored newest row.
#include <gtest/gtest.h>

#include <cmath>

#include "charts/core/chart_answer.h"
#include "charts/core/live_bar.h"
#include "model/message_checker.h"

namespace charts {
namespace {

class LiveBarTest : public ::testing::Test {
protected:
    void load(int intervalIndex, const std::string& answer) {
        live.setTimerInterval(intervalIndex);
        window.reset();
        window.fitAfterLoad(parseChartAnswer(model::MessageChecker::removeTags(answer), bars));
    }
    bool update(double last, const std::string& when) {
        quote.Last = last;
        quote.Bid = last - 0.5;
        quote.Ask = last + 0.5;
        quote.UpdateTime = when;
        return live.newChartData(quote, bars, window);
    }
    double at(const std::vector<double>& column, int row) { return ChartBars::value(column, row).value_or(-1); }

    LiveBar live;
    ChartBars bars;
    ChartWindow window;
    LiveQuote quote{0, 0, 0, "", 2};
};

const std::string kMinuteAnswer =
    "<1041~GOLD^O~2>03/09/26,03/09/26#09:59:00,10:00:00#100,101#102,103#99,100#100,100.5<END>";

TEST_F(LiveBarTest, OneMinuteBarsFollowTheUpdateTime) {
    load(1, kMinuteAnswer);
    EXPECT_FALSE(update(101, "03/09/2026 10:00:03"));  // unchanged: nothing
    EXPECT_FALSE(update(std::nan(""), "03/09/2026 10:00:04"));
    EXPECT_TRUE(update(104, "03/09/2026 10:00:05"));
    EXPECT_TRUE(update(98.5, "03/09/2026 10:00:40"));
    EXPECT_EQ(window.lastArrIndexPtr, 1);
    EXPECT_EQ(at(bars.open, 1), 100.5);  // open kept
    EXPECT_EQ(at(bars.high, 1), 104);
    EXPECT_EQ(at(bars.low, 1), 98.5);
    EXPECT_EQ(at(bars.Symdata, 1), 98.5);
    EXPECT_EQ(at(bars.biddata, 1), 98);
    EXPECT_EQ(at(bars.askPriceData, 1), 99);
    EXPECT_EQ(ChartBars::text(bars.time, 1), "10:00:40");
    EXPECT_EQ(window.DATAPOINTS, 2);

    EXPECT_TRUE(update(99, "03/09/2026 10:01:02"));  // next minute: a bar at its price
    EXPECT_EQ(window.lastArrIndexPtr, 2);
    for (const auto* c : {&bars.open, &bars.high, &bars.low, &bars.Symdata}) EXPECT_EQ(at(*c, 2), 99);
    EXPECT_EQ(at(bars.Symdata, 1), 98.5);  // the closed bar keeps its values
    EXPECT_EQ(ChartBars::text(bars.date, 2), "03/09/26");
    for (int i = 0; i < 100; ++i) update(99 + (i % 7) * 0.25, "03/09/2026 10:01:" + std::to_string(10 + i % 40));
    EXPECT_EQ(window.lastArrIndexPtr, 2);  // 100 updates in a minute: one bar
    EXPECT_EQ(window.DATAPOINTS, 3);
}

TEST_F(LiveBarTest, TicksAddOneBarPerChangedUpdate) {
    load(0, "<1041~GOLD^T~2>03/09/26,03/09/26#10:00:00,10:00:01#100,101#101,101#100,101#100,101<END>");
    const double prices[] = {101, 102, 102, 103, 101};
    for (double p : prices) update(p, "03/09/2026 10:00:05");
    EXPECT_EQ(window.lastArrIndexPtr, 4);  // three changes
    EXPECT_EQ(at(bars.Symdata, 4), 101);
    EXPECT_EQ(window.DATAPOINTS, 5);
}

TEST_F(LiveBarTest, WeeksStartOnMonday) {
    load(8, "<1041~GOLD^W~2>03/02/26,03/09/26#00:00:00,00:00:00#100,101#102,103#99,100#100,100.5<END>");
    update(102, "03/15/2026 23:59:59");  // Sunday: same week as Monday 03/09
    EXPECT_EQ(window.lastArrIndexPtr, 1);
    update(103, "03/16/2026 00:00:00");
    EXPECT_EQ(window.lastArrIndexPtr, 2);
    EXPECT_EQ(LiveBar::bucketStart(*LiveBar::civilSeconds("03/12/26", "17:00:00"), 604800),
              *LiveBar::civilSeconds("03/09/26", "00:00:00"));
}

TEST_F(LiveBarTest, ScrolledBackTheWindowStays) {
    load(1, kMinuteAnswer);
    window.DATAPOINTS = 100;  // as if many bars were held
    window.willChangeX({10, 35});
    update(105, "03/09/2026 10:05:00");
    EXPECT_EQ(window.lastArrIndexPtr, 2);
    EXPECT_EQ(window.fromX, 10);
    EXPECT_EQ(window.DATAPOINTS, 100);
}

TEST_F(LiveBarTest, ALongTickFeedKeepsTheNewestBarsOnly) {
    load(0, "<1041~GOLD^T~2>03/09/26,03/09/26#10:00:00,10:00:01#100,101#101,101#100,101#100,101<END>");
    const std::size_t ticks = ChartBars::kLiveRows + 10;
    for (std::size_t i = 0; i < ticks; ++i) ASSERT_TRUE(update(102 + static_cast<double>(i % 2), "03/09/2026 10:00:05"));
    // Rows 0 .. ticks + 1 were written; the oldest went in one step, the rest moved down.
    const std::size_t kept = ChartBars::kLiveRows - ChartBars::kLiveTrim + 12;
    EXPECT_EQ(bars.dropped, ticks + 2 - kept);
    for (const auto* c : {&bars.Symdata, &bars.open, &bars.askdata}) EXPECT_EQ(c->size(), kept);
    EXPECT_EQ(bars.time.size(), kept);
    EXPECT_EQ(window.lastArrIndexPtr, static_cast<int>(kept) - 1);
    EXPECT_EQ(window.DATAPOINTS, static_cast<int>(kept));
    EXPECT_EQ(at(bars.Symdata, window.lastArrIndexPtr), 102 + static_cast<double>((ticks - 1) % 2));
    EXPECT_EQ(window.fromX, static_cast<int>(kept - window.lengthX) + 1);
}

TEST_F(LiveBarTest, NothingWithoutAStoredNewestRow) {
    load(1, "<1041~GOLD^O~2>03/09/26#10:00:00##102#99#100<END>");
    EXPECT_FALSE(update(104, "03/09/2026 10:00:05"));
    EXPECT_TRUE(bars.Symdata.empty());
    EXPECT_EQ(window.DATAPOINTS, 200);
}

}  // namespace
}  // namespace charts
