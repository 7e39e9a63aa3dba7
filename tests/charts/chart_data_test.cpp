// Chart answers: key, sections, bad values, and nothing left from a previous answer.
#include <gtest/gtest.h>

#include <cmath>

#include "charts/core/chart_answer.h"
#include "charts/core/chart_interval.h"
#include "charts/core/chart_labels.h"
#include "model/message_checker.h"

namespace charts {
namespace {

TEST(ChartAnswer, KeyIsTheSecondHeaderElement) {
    const struct {
        const char* answer;
        std::optional<std::string> key;
    } cases[] = {
        {"<x~GOLD^O~y>1#2#3<END>", "GOLD^O"},
        {"<1041~SILVER^BA~200>", "SILVER^BA"},
        {"<x~GOLD^O no end", std::nullopt},
        {"<GOLD^O>", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(chartKeyOfAnswer(c.answer), c.key) << c.answer;
}

std::size_t parse(const std::string& answer, ChartBars& bars) {
    return parseChartAnswer(model::MessageChecker::removeTags(answer), bars);
}

TEST(ChartAnswer, SectionsFillTheirColumns) {
    ChartBars bars;
    const auto n = parse("<1041~GOLD^D~2>01/05/26,01/06/26#00:00:00,00:00:00#1800.5,1801.25#12345.678,1802#"
                         "1799,1800#1800,1801<END>", bars);
    ASSERT_EQ(n, 2u);
    EXPECT_EQ(bars.date[1], "01/06/26");
    EXPECT_EQ(bars.time[0], "00:00:00");
    EXPECT_EQ(bars.Symdata, (std::vector<double>{1800.5, 1801.25}));
    EXPECT_EQ(bars.biddata, bars.Symdata);
    EXPECT_EQ(bars.askdata, bars.Symdata);
    EXPECT_EQ(bars.high[0], 12345.678);  // longer than any fixed-width row, kept whole
    EXPECT_EQ(bars.bidPriceData, bars.high);
    EXPECT_EQ(bars.low, (std::vector<double>{1799, 1800}));
    EXPECT_EQ(bars.askPriceData, bars.low);
    EXPECT_EQ(bars.open, (std::vector<double>{1800, 1801}));
}

TEST(ChartAnswer, BadInputIsReadSoundly) {
    ChartBars bars;
    // A short section leaves gaps; a non-number reads as 0; a second, shorter answer leaves nothing of the first.
    ASSERT_EQ(parse("<a~K~3>d1,d2,d3#t1,t2,t3#1,2,3#4,5,6#0,1,2#1,2,3<END>", bars), 3u);
    ASSERT_EQ(parse("<a~K~2>d1#t1#7,abc#9<END>", bars), 2u);
    EXPECT_EQ(bars.Symdata, (std::vector<double>{7, 0}));
    EXPECT_EQ(ChartBars::value(bars.high, 0), 9);
    EXPECT_FALSE(ChartBars::value(bars.high, 1));
    EXPECT_FALSE(ChartBars::value(bars.low, 0));
    EXPECT_FALSE(ChartBars::value(bars.Symdata, 2));
    EXPECT_EQ(ChartBars::text(bars.date, 1), "");
    // No closes: nothing stored, nothing read.
    EXPECT_EQ(parse("<a~K~2>d1,d2#t1,t2##4,5#3,4#4,4<END>", bars), 0u);
    EXPECT_TRUE(bars.Symdata.empty());
    EXPECT_EQ(ChartBars::value(bars.high, 1), 5);  // highs stand in their own section
    EXPECT_EQ(chartNumber("12.5x"), 12.5);
    EXPECT_EQ(chartNumber("nan"), 0);
    EXPECT_EQ(chartNumber(""), 0);
}

TEST(ChartAnswer, RowsStopAtTheCap) {
    std::vector<double> column;
    EXPECT_TRUE(ChartBars::put(column, ChartBars::kMaxBars - 1, 1.0));
    EXPECT_FALSE(ChartBars::put(column, ChartBars::kMaxBars, 1.0));
    EXPECT_EQ(column.size(), ChartBars::kMaxBars);
    EXPECT_TRUE(std::isnan(column[0]));
}

TEST(ChartIntervals, IndexToCodeAndBarLength) {
    EXPECT_STREQ(intervalForIndex(1)->code, "O");
    EXPECT_STREQ(intervalForIndex(3)->code, "1");
    EXPECT_STREQ(intervalForIndex(9)->name, "Mini Tick");
    EXPECT_FALSE(intervalForIndex(10));
    EXPECT_FALSE(intervalForIndex(-1));
    EXPECT_EQ(liveBarLength(8), 604800);
    EXPECT_EQ(liveBarLength(10), 1);
}

TEST(ChartLabels, ByInterval) {
    const struct {
        const char *date, *time, *code, *label;
    } cases[] = {
        {"03/09/26", "14:05:07", "D", "09 Mar 2026"},   {"03/09/26", "14:05:07", "W", "09 Mar 2026"},
        {"03/09/26", "14:05:07", "T", "14:05:07"},      {"03/09/26", "14:05:07", "BA", "14:05:07"},
        {"03/09/26", "14:05:07", "5", "09 Mar 14:05"},  {"03/09/26", "14:05:07", "O", "09 Mar 14:05"},
        {"13/45/26", "14:05:07", "D", ""},              {"", "", "T", ""},
        {"03/09/26", "bad", "T", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(DateandTimeFormatting(c.date, c.time, c.code), c.label) << c.date << c.code;
}

TEST(ChartLabels, ValueBoxWithTheInstrumentsDecimals) {
    ChartBars bars;
    parse("<a~K~2>03/09/26,03/10/26#10:00:00,10:01:00#1800.5,1801#1802,1803.125#1799#1800,1801<END>", bars);
    EXPECT_EQ(crosshairText(bars, 1, 3, "O"), "10 Mar 10:01\nHigh: 1803.125\nLow: \nOpen: 1801.000\nClose: 1801.000");
    EXPECT_EQ(crosshairText(bars, 0, 2, "D"), "09 Mar 2026\nHigh: 1802.00\nLow: 1799.00\nOpen: 1800.00\nClose: 1800.50");
}

}  // namespace
}  // namespace charts
