// The visible window: fitting after a load, zoom and scroll limits, the end,
// the high and low, the y range, x labels and the crosshair row.
#include <gtest/gtest.h>

#include "charts/core/chart_window.h"

namespace charts {
namespace {

ChartBars closes(int n, double first = 100.0) {
    ChartBars bars;
    for (int i = 0; i < n; ++i) {
        ChartBars::put(bars.Symdata, static_cast<std::size_t>(i), first + i);
        ChartBars::put(bars.high, static_cast<std::size_t>(i), first + i + 0.5);
        ChartBars::put(bars.low, static_cast<std::size_t>(i), first + i - 0.5);
        ChartBars::put(bars.open, static_cast<std::size_t>(i), first + i);
    }
    return bars;
}

TEST(ChartWindow, FitAfterLoad) {
    const struct {
        std::size_t closes;
        int points, from;
        double length;
    } cases[] = {{200, 199, 164, 35}, {20, 19, 0, 19}, {0, 200, 165, 35}, {1, 0, 0, 0}};
    for (const auto& c : cases) {
        ChartWindow w;
        w.reset();
        w.fitAfterLoad(c.closes);
        EXPECT_EQ(w.DATAPOINTS, c.points) << c.closes;
        EXPECT_EQ(w.fromX, c.from) << c.closes;
        EXPECT_EQ(w.lengthX, c.length) << c.closes;
        EXPECT_TRUE(w.isChartEnd);
    }
}

TEST(ChartWindow, ZoomAndScrollLimits) {
    const struct {
        AxisRange asked;
        double start;  // of the range handed back
        int from;
        double length;
        bool end;
    } cases[] = {
        {{100, 1}, 100, 100, 3, false},         // zoom in stops at 3 bars
        {{0, 500}, 0, 1, 199, true},            // zoom out stops at DATAPOINTS
        {{-20, 35}, 0, 0, 35, false},           // a start below 0 becomes 0
        {{190, 35}, 190, 165, 35, true},        // past the newest bar: int(199 - 35 + 1)
        {{164, 35}, 164, 165, 35, true},        // reaching the end keeps following
        {{163.7, 35.5}, 163.7, 163, 35.5, false},
        {{1e12, 35}, 1e12, 165, 35, true},      // a wild drag stays on the bars
    };
    for (const auto& c : cases) {
        ChartWindow w;
        w.fitAfterLoad(200);
        const AxisRange r = w.willChangeX(c.asked);
        EXPECT_EQ(r.location, c.start) << c.asked.location;
        EXPECT_EQ(r.length, c.asked.length);
        EXPECT_EQ(w.fromX, c.from) << c.asked.location;
        EXPECT_EQ(w.lengthX, c.length) << c.asked.location;
        EXPECT_EQ(w.isChartEnd, c.end) << c.asked.location;
    }
    ChartWindow all;
    all.fitAfterLoad(20);
    EXPECT_FALSE(all.canDisplace());
}

TEST(ChartWindow, ScrollToEndAndFollow) {
    ChartWindow w;
    w.fitAfterLoad(200);
    w.willChangeX({10, 35});
    EXPECT_FALSE(w.isChartEnd);
    w.lastArrIndexPtr = 201;
    w.followNewest();
    EXPECT_EQ(w.fromX, 10);  // scrolled back: the window stays
    w.scrollToEnd();
    EXPECT_TRUE(w.isChartEnd);
    EXPECT_EQ(w.DATAPOINTS, 201);
    EXPECT_EQ(w.fromX, 167);
    w.followNewest();
    EXPECT_EQ(w.DATAPOINTS, 202);
    EXPECT_EQ(w.fromX, 168);
}

TEST(ChartWindow, HighLowOverTheStoredWindow) {
    const struct {
        int type;
        int from;
        double length;
        double maxY, minY;
    } cases[] = {
        {kLineChart, 0, 5, 104, 100},
        {kCandlestickChart, 0, 5, 104.5, 99.5},
        {kLineChart, 8, 35, 109, 108},  // stops at DATAPOINTS (10 bars, 2 drawn rows past 8)
        {kLineChart, 50, 35, 0, 0},     // nothing stored: 0
    };
    const ChartBars bars = closes(11);
    for (const auto& c : cases) {
        ChartWindow w;
        w.DATAPOINTS = 10;
        w.type = c.type;
        w.fromX = c.from;
        w.lengthX = c.length;
        w.findHighLow(bars);
        EXPECT_EQ(w.MaxY, c.maxY) << c.type << "/" << c.from;
        EXPECT_EQ(w.MinY, c.minY) << c.type << "/" << c.from;
    }
    // Row fromX not stored: the first stored row of the window starts.
    ChartBars gap = closes(6);
    gap.Symdata[2] = std::numeric_limits<double>::quiet_NaN();
    ChartWindow w;
    w.DATAPOINTS = 6;
    w.fromX = 2;
    w.lengthX = 3;
    w.findHighLow(gap);
    EXPECT_EQ(w.MaxY, 104);
    EXPECT_EQ(w.MinY, 103);
}

TEST(ChartWindow, YRangeNeverFlat) {
    const struct {
        double maxY, minY, location, length;
    } cases[] = {
        {110, 100, 99.98, 11},
        {1800, 1800, 1800 - 18 * 0.002, 18 * 1.1},
        {0, 0, -0.002, 1.1},
    };
    for (const auto& c : cases) {
        ChartWindow w;
        w.MaxY = c.maxY;
        w.MinY = c.minY;
        EXPECT_DOUBLE_EQ(w.yRange().location, c.location) << c.maxY;
        EXPECT_DOUBLE_EQ(w.yRange().length, c.length) << c.maxY;
    }
}

TEST(ChartWindow, LabelRows) {
    const struct {
        double length;
        int points, first, last;
        std::vector<int> rows;
    } cases[] = {
        {6, 199, 0, 20, {0, 6, 12, 18}},
        {35, 199, 160, 199, {165, 176, 187, 198}},  // every int(35 / 3) = 11 rows
        {3, 199, 190, 199, {192, 195, 198}},         // ends at the last bar
        {0.5, 4, 0, 10, {0, 1, 2, 3}},               // a step below 1 still advances
    };
    for (const auto& c : cases) {
        ChartWindow w;
        w.lengthX = c.length;
        w.DATAPOINTS = c.points;
        EXPECT_EQ(w.labelRows(c.first, c.last), c.rows) << c.length;
    }
}

TEST(ChartWindow, CrosshairRowStaysOnTheBars) {
    const ChartBars bars = closes(5);
    ChartWindow w;
    w.DATAPOINTS = 4;
    const struct {
        double x;
        int row;
    } cases[] = {{-30, 0}, {0.2, 0}, {1, 0}, {2.4, 1}, {2.6, 2}, {4, 3}, {5, 3}, {1e9, 3}};
    for (const auto& c : cases) EXPECT_EQ(w.crosshairRow(c.x, bars), c.row) << c.x;
    EXPECT_FALSE(w.crosshairRow(1, ChartBars{}));  // nothing stored: no row
}

}  // namespace
}  // namespace charts
