// Indicator figures worked out by hand, the rounding of the stored values,
// gaps for divisions by zero, refused periods and the rows the chart reads.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>

#include "charts/core/indicator_range.h"
#include "charts/core/indicator_table.h"

namespace charts {
namespace {

using indicators::Series;
namespace ind = indicators;

struct Bar {
    double open, high, low, close;
};

ind::Prices pricesOf(const std::vector<Bar>& bars) {
    ind::Prices p;
    for (const Bar& b : bars) {
        p.open.push_back(b.open);
        p.high.push_back(b.high);
        p.low.push_back(b.low);
        p.close.push_back(b.close);
    }
    p.closes = p.close;
    p.highThrough = p.high;
    p.lowThrough = p.low;
    return p;
}

// Equal to four places; a NaN expected means a gap.
void expectSeries(const Series& got, const Series& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (std::isnan(want[i])) EXPECT_FALSE(std::isfinite(got[i])) << what << " #" << i;
        else EXPECT_NEAR(got[i], want[i], 5e-5) << what << " #" << i;
    }
}

const double kGap = NAN;

TEST(IndicatorsTest, FiguresByHand) {
    const Series rising{1, 2, 3, 4};
    const auto stoch = pricesOf({{0, 10, 8, 12}, {0, 10, 8, 7}, {0, 11, 9, 9.5}});
    const auto demarker = pricesOf({{0, 10, 8, 9}, {0, 11, 7, 9}, {0, 11, 9, 9}, {0, 12, 8, 9}});
    const auto cci = pricesOf({{0, 3, 1, 2}, {0, 6, 2, 4}, {0, 4, 2, 3}});
    const auto atr = pricesOf({{0, 10, 8, 9}, {0, 12, 9, 11}, {0, 11, 10, 10.5}});
    auto aroonBars = pricesOf({{0, 1, 0, 0}, {0, 3, 0, 0}, {0, 2, 0, 0}, {0, 1, 0, 0}});
    auto power = pricesOf({{0, 2, 0.5, 1}, {0, 3, 1.5, 2}, {0, 4, 2.5, 3}, {0, 5, 3.5, 4}});
    power.lowThrough.pop_back();  // a row not stored is a gap, not a read past it
    std::vector<Bar> linear;
    for (int i = 1; i <= 40; ++i) linear.push_back({0, 2.0 * i, 0, 0});  // medians 1 to 40
    const auto ao = ind::awesomeOscillator(pricesOf(linear));
    const auto ac = ind::acceleratorOscillator(pricesOf(linear));
    const auto macd = ind::macd(rising, 1, 2, 2);
    const auto bands = ind::bollingerBands({2, 4}, 2, 2);

    const struct {
        const char* what;
        Series got, want;
    } cases[] = {
        {"sma 3", ind::simpleAverage(rising, 3), {1, 1.5, 2, 3}},
        {"ema 3", ind::exponentialAverage(rising, 3), {1, 1.5, 2, 3}},
        {"sma 1", ind::simpleAverage(rising, 1), rising},
        {"ema 1", ind::exponentialAverage(rising, 1), rising},
        {"sma above the bars", ind::simpleAverage(rising, 9), {1, 1.5, 2, 2.5}},
        {"ema above the bars", ind::exponentialAverage(rising, 9), {1, 1.5, 2, 2.5}},
        {"middle band", bands.middle, {2, 3}},
        {"upper band", bands.upper, {2, 5}},
        {"lower band", bands.lower, {2, 1}},
        {"macd line", macd.line, {0, 0.5, 0.5, 0.5}},
        {"macd signal", macd.signal, {0, 0.25, 0.4167, 0.4722}},
        {"macd histogram", macd.histogram, {0, 0.25, 0.0833, 0.0278}},
        {"roc", ind::rateOfChange({100, 101, 110}, 2), {0, 0, 10}},
        {"momentum", ind::momentum(pricesOf({{0, 0, 0, 100}, {0, 0, 0, 101}, {0, 0, 0, 110}}), 2), {0, 0, 110}},
        {"trix", ind::trix(rising, 1), {0, 100, 50, 33.3333}},
        {"cci", ind::commodityChannelIndex(cci, 2), {0, 66.6667, -66.6667}},
        {"rsi rising", ind::relativeStrength({10, 11, 12}, 14), {100, 100, 100}},
        {"rsi after a zero close", ind::relativeStrength({10, 11, 0, 12}, 1), {100, 100, 0, 100}},
        {"stochastic clamped", ind::stochastic(stoch, 2, 2, 2).main, {100, 0, 50}},
        {"stochastic signal", ind::stochastic(stoch, 2, 2, 2).signal, {100, 75, 37.5}},
        {"williams unclamped", ind::williamsPercentRange(stoch, 2), {100, -150, -50}},
        {"demarker", ind::deMarker(demarker, 2), {1, 0.9167, 0.5, 0.5}},
        {"demarker again", ind::deMarker(demarker, 2), {1, 0.9167, 0.5, 0.5}},
        {"bears", ind::bearsPower(power, 1), {-0.5, -0.5, -0.5, kGap}},
        {"bulls", ind::bullsPower(power, 1), {1, 1, 1, 1}},
        {"atr", ind::averageTrueRange(atr, 2), {2, 2.5, 1.75}},
        {"atr above the bars", ind::averageTrueRange(atr, 5), {2, 2.5, 2}},
        {"ao fixed 5 and 34", {ao[0], ao[5], ao[39]}, {0, 0.5, 14.5}},
        {"ac", {ac[39]}, {0}},
        {"aroon up", ind::aroon(aroonBars, 3).up, {100, 100, 66, 33}},
        {"aroon down, oldest of equal lows", ind::aroon(aroonBars, 3).down, {100, 100, 33, 33}},
        {"aroon oscillator", ind::aroonOscillator(aroonBars, 3), {0, 0, 33, 0}},
    };
    for (const auto& c : cases) expectSeries(c.got, c.want, c.what);

    const auto alligator = ind::alligator(power, 2, 3, 1);
    const Series mid{1.25, 2.25, 3.25, 4.25};
    expectSeries(alligator.jaws, ind::simpleAverage(mid, 2), "jaws");
    expectSeries(alligator.teeth, ind::simpleAverage(mid, 3), "teeth");
    expectSeries(alligator.lips, mid, "lips");
}

// The Aroon lines as a scan of every window finds them (the computation they replaced).
ind::Aroon aroonByScan(const ind::Prices& p, long long period) {
    const std::size_t n = period < 1 ? 1 : static_cast<std::size_t>(period);
    const float nf = static_cast<float>(n);
    const std::size_t rows = std::min(p.high.size(), p.low.size());
    Series highs(rows), lows(rows);
    auto barsSince = [&](const Series& stored, std::size_t i, bool highest) -> double {
        if (i + 1 < n) return 0;
        const auto first = stored.begin() + static_cast<std::ptrdiff_t>(i + 1 - n);
        const auto last = stored.begin() + static_cast<std::ptrdiff_t>(i + 1);
        return static_cast<double>(last - 1 - (highest ? std::max_element(first, last) : std::min_element(first, last)));
    };
    ind::Aroon a;
    for (std::size_t i = 0; i < rows; ++i) {
        highs[i] = ind::round6(p.high[i]);
        lows[i] = ind::round6(p.low[i]);
        a.up.push_back(static_cast<double>(static_cast<unsigned long>((nf - barsSince(highs, i, true)) / nf * 100)));
        a.down.push_back(static_cast<double>(static_cast<unsigned long>((nf - barsSince(lows, i, false)) / nf * 100)));
    }
    return a;
}

TEST(IndicatorsTest, AroonInOnePassMatchesTheWindowScan) {
    std::vector<Bar> bars;
    unsigned seed = 7;
    for (int i = 0; i < 600; ++i) {
        seed = seed * 1103515245u + 12345u;
        const double level = static_cast<double>((seed >> 16) % 9);  // few levels: many equal extremes
        bars.push_back({0, 100 + level + (i > 400 ? 0.0000004 * i : 0), 95 - level / 2, 99});
    }
    const auto prices = pricesOf(bars);
    for (long long period : {1LL, 2LL, 3LL, 14LL, 50LL, 599LL, 600LL, 601LL, 5000LL}) {
        const ind::Aroon fast = ind::aroon(prices, period), scan = aroonByScan(prices, period);
        EXPECT_EQ(fast.up, scan.up) << period;
        EXPECT_EQ(fast.down, scan.down) << period;
    }
    EXPECT_TRUE(ind::aroon(pricesOf({}), 5).up.empty());
}

TEST(IndicatorsTest, DivisionsByZeroAreGaps) {
    const auto flat = pricesOf({{2, 2, 2, 2}, {2, 2, 2, 2}, {2, 2, 2, 2}});
    const auto vigor = ind::relativeVigor(pricesOf({{1, 3, 1, 2}, {2, 2, 2, 2}, {1, 3, 1, 3}}), 1);
    const struct {
        const char* what;
        Series got, want;
    } cases[] = {
        {"roc over a zero close", ind::rateOfChange({0, 5, 6}, 1), {0, kGap, 20}},
        {"momentum over a zero close", ind::momentum(pricesOf({{0, 0, 0, 0}, {0, 0, 0, 5}}), 1), {0, kGap}},
        {"rvi of equal high and low", vigor.main, {0.5, kGap, 1}},
        {"rvi signal starts again", vigor.signal, {0.5, kGap, 1}},
        {"williams of a flat window", ind::williamsPercentRange(flat, 2), {kGap, kGap, kGap}},
        {"cci of no deviation", ind::commodityChannelIndex(flat, 2), {0, kGap, kGap}},
        {"stochastic of a flat window", ind::stochastic(flat, 2, 1, 1).main, {kGap, kGap, kGap}},
        {"the slowed line leaves the gap", ind::simpleAverage({kGap, 1, 3, 5}, 2), {kGap, kGap, 2, 4}},
    };
    for (const auto& c : cases) expectSeries(c.got, c.want, c.what);

    // A flat series: bands on the mean, not "nan" from a variance a hair below 0.
    const Series level(30, 1800.37);
    const auto bands = ind::bollingerBands(level, 7, 2);
    for (std::size_t i = 0; i < level.size(); ++i) {
        EXPECT_EQ(bands.upper[i], 1800.37) << i;
        EXPECT_EQ(bands.lower[i], 1800.37) << i;
    }
}

TEST(IndicatorsTest, StoredValuesRoundAsTheirText) {
    const struct {
        double in, four, two, six;
    } cases[] = {
        {1.23456, 1.2346, 1.23, 1.23456},
        {-1.23456, -1.2346, -1.23, -1.23456},
        {2.675, 2.675, 2.67, 2.675},  // 2.675 is stored below its decimal
        {0.00005, 0.0001, 0, 0.00005},
        {1e15 + 0.3, 1e15 + 0.25, 1e15 + 0.25, 1e15 + 0.25},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ind::round4(c.in), c.four) << c.in;
        EXPECT_EQ(ind::round2(c.in), c.two) << c.in;
        EXPECT_EQ(ind::round6(c.in), c.six) << c.in;
    }
}

TEST(IndicatorsTest, PeriodsBelowOneAreRefused) {
    const struct {
        const char* text;
        long long period;  // 0: refused
    } cases[] = {{"14", 14}, {" 7", 7}, {"12abc", 12}, {"2.5", 2}, {"0", 0}, {"", 0}, {"abc", 0}, {"-3", 0}};
    for (const auto& c : cases) {
        IndicatorParameters out;
        const auto refusal = readParameters(Indicator::RSI, [&](const std::string&) { return c.text; }, out);
        EXPECT_EQ(refusal.has_value(), c.period == 0) << c.text;
        if (refusal) EXPECT_EQ(refusal->parameter, "Period");
        else EXPECT_EQ(out.periods, std::vector<long long>{c.period}) << c.text;
    }
    // The stochastic's keys end in a blank; the deviation is a decimal.
    const std::map<std::string, std::string> dictionary{
        {"%KPeriod ", "5"}, {"%DPeriod ", "3"}, {"Slowing", "3"}, {"Period", "20"}, {"Deviation", "2.5"}};
    auto text = [&](const std::string& k) { return dictionary.count(k) ? dictionary.at(k) : std::string(); };
    IndicatorParameters out;
    EXPECT_FALSE(readParameters(Indicator::Stochastic, text, out));
    EXPECT_EQ(out.periods, (std::vector<long long>{5, 3, 3}));
    EXPECT_FALSE(readParameters(Indicator::BollingerBands, text, out));
    EXPECT_EQ(out.deviation, 2.5);
    EXPECT_TRUE(readParameters(Indicator::MACD, text, out));
}

TEST(IndicatorsTest, DirectionFillComparesWithThePreviousRecord) {
    const Series values{-1, 2, 2, 1};
    const bool want[] = {false, true, true, false};
    // Asked out of order, each record gives the same answer.
    for (int r : {3, 0, 2, 1, 3, 0}) EXPECT_EQ(risingBar(values, r), want[r]) << r;
    EXPECT_FALSE(risingBar(values, 4));
}

TEST(IndicatorsTest, PricesAreTheStoredRows) {
    ChartBars bars;
    for (std::size_t r = 0; r < 3; ++r)
        for (auto* c : {&bars.Symdata, &bars.high, &bars.low, &bars.open}) ChartBars::put(*c, r, 10.0 + r);
    ChartWindow window;
    const struct {
        int datapoints;
        std::size_t closes, rows;
    } cases[] = {{2, 3, 2}, {3, 3, 3}, {-1, 0, 0}};  // after a load; after a live bar at the end; nothing
    for (const auto& c : cases) {
        window.DATAPOINTS = c.datapoints;
        const auto p = ind::pricesOf(bars, window);
        EXPECT_EQ(p.closes.size(), c.closes) << c.datapoints;
        EXPECT_EQ(p.close.size(), c.rows) << c.datapoints;
        EXPECT_EQ(p.high.size(), c.rows) << c.datapoints;
        EXPECT_EQ(p.lowThrough.size(), c.closes) << c.datapoints;
    }
    // Without closes there are no bars, whatever the other columns hold.
    ChartBars noCloses = bars;
    noCloses.Symdata.clear();
    const auto none = ind::pricesOf(noCloses, window);
    EXPECT_TRUE(none.high.empty() && none.lowThrough.empty() && none.closes.empty());
    // A period equal to the bar count works; every indicator of no bars is empty.
    window.DATAPOINTS = 3;
    IndicatorParameters three{{3, 3, 3}, 2};
    for (int i = 0; i < kIndicatorCount; ++i)
        for (const auto& s : calculate(static_cast<Indicator>(i), ind::pricesOf(bars, window), three))
            EXPECT_FALSE(s.empty()) << i;
    for (int i = 0; i < kIndicatorCount; ++i)
        for (const auto& s : calculate(static_cast<Indicator>(i), ind::pricesOf(ChartBars{}, window), three))
            EXPECT_TRUE(s.empty()) << i;
}

TEST(IndicatorsTest, SubGraphWindow) {
    ChartWindow w;
    w.DATAPOINTS = 10;
    const Series values{5, kGap, 7, 3, 9, kGap, 1, 1, 1, 1};
    const struct {
        int fromX;
        double lengthX;
        double min, max;
    } ranges[] = {
        {1, 3, 3, 7},     // record fromX has no value: from the first that has
        {2, 4, 3, 9},     // a gap is not counted
        {6, 4, 1, 1},     // flat
        {20, 3, 0, 0},    // nothing visible
    };
    for (const auto& c : ranges) {
        w.fromX = c.fromX;
        w.lengthX = c.lengthX;
        const auto hl = findIndicatorHighLow(values, w);
        EXPECT_EQ(hl.min, c.min) << c.fromX;
        EXPECT_EQ(hl.max, c.max) << c.fromX;
        const auto y = indicatorYRange(hl);
        EXPECT_GT(y.length, 0) << c.fromX;
        EXPECT_LE(y.location, c.min) << c.fromX;
        EXPECT_GE(y.location + y.length, c.max) << c.fromX;
    }
    EXPECT_DOUBLE_EQ(indicatorYRange({0, 10}).location, -0.02);
    EXPECT_DOUBLE_EQ(indicatorYRange({0, 10}).length, 11);
    EXPECT_DOUBLE_EQ(indicatorMajorInterval({0, 10}), 2.5);

    const struct {
        int fromX;
        double lengthX;
        std::vector<int> ticks;
    } ticks[] = {{4, 3, {4, 5, 6, 7}}, {0, 12, {0, 2, 4, 6, 8}}, {7, 18, {9}}};
    for (const auto& c : ticks) {
        w.fromX = c.fromX;
        w.lengthX = c.lengthX;
        EXPECT_EQ(indicatorTickBars(w), c.ticks) << c.lengthX;
    }
}

// On a steady trend the MACD and its signal stay far from 0 while the
// histogram stays near it: the sub-graph's range holds every plot, bars from 0.
TEST(IndicatorsTest, SubGraphRangeHoldsEveryPlot) {
    std::vector<Bar> trend;
    for (int i = 0; i < 120; ++i) {
        const double close = 100 - 0.6 * i + std::sin(i * 0.7);
        trend.push_back({close + 0.2, close + 1, close - 1, close});
    }
    ChartWindow w;
    w.DATAPOINTS = 120;
    w.fromX = 60;
    w.lengthX = 50;
    for (const Indicator which : {Indicator::MACD, Indicator::MACDHistogram, Indicator::Stochastic, Indicator::RVI,
                                  Indicator::Aroon, Indicator::BearsPower}) {
        const IndicatorDescription& d = describe(which);
        const std::vector<Series> series = calculate(which, pricesOf(trend), {{12, 26, 9}});
        std::vector<PanePlotValues> plots;
        for (std::size_t i = 0; i < series.size(); ++i)
            plots.push_back({series[i], d.plots[i].kind == IndicatorPlot::Kind::Bars});
        const AxisRange y = indicatorYRange(findPaneHighLow(plots, w));
        for (const PanePlotValues& p : plots) {
            for (int r = w.fromX; r < w.fromX + w.lengthX; ++r) {
                const double v = p.values[static_cast<std::size_t>(r)];
                EXPECT_TRUE(v >= y.location && v <= y.location + y.length) << d.title << " #" << r << ": " << v;
            }
            EXPECT_TRUE(!p.bars || (y.location <= 0 && y.location + y.length >= 0)) << d.title;
        }
    }
    EXPECT_EQ(findPaneHighLow({{Series{kGap, kGap}, true}, {Series{}, false}}, w).max, 0);
}

}  // namespace
}  // namespace charts
