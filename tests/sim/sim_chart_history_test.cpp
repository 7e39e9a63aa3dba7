// The simulator's chart history: the same bar for a time on every request,
// the newest bars at the market's price, sensible bars on every interval.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "sim/chart_history.h"
#include "sim/market.h"

namespace {

using sim::ChartHistory;

constexpr long long kStart = 1796040000;  // a whole hour
constexpr long long kIntervals[] = {1, 60, 300, 3600, 86400, 7 * 86400};

std::map<long long, ChartHistory::Bar> byStart(const std::vector<ChartHistory::Bar>& bars) {
    std::map<long long, ChartHistory::Bar> out;
    for (const auto& b : bars) out[b.start] = b;
    return out;
}

void expectSame(const ChartHistory::Bar& a, const ChartHistory::Bar& b, long long length) {
    EXPECT_EQ(a.open, b.open) << length << " " << a.start;
    EXPECT_EQ(a.high, b.high) << length << " " << a.start;
    EXPECT_EQ(a.low, b.low) << length << " " << a.start;
    EXPECT_EQ(a.close, b.close) << length << " " << a.start;
}

// Prices moved every second for `seconds` from `from`.
void trade(ChartHistory& h, long long from, int seconds) {
    for (int s = 0; s < seconds; ++s) h.record(from + s, 1850 + ((from + s) * 7919 % 23 - 11) * 0.05);
}

TEST(SimChartHistory, AClosedBarAnswersTheSameOnEveryRequest) {
    ChartHistory gold("GOLD", 1850, kStart);
    std::map<long long, std::map<long long, ChartHistory::Bar>> first;
    for (long long length : kIntervals) first[length] = byStart(gold.bars(length, 300, kStart + 5));
    trade(gold, kStart, 1200);
    const ChartHistory again("GOLD", 1850, kStart);
    std::map<long long, std::map<long long, ChartHistory::Bar>> closed;
    for (long long length : kIntervals) {
        const auto later = byStart(gold.bars(length, 2000, kStart + 1200));
        const auto fresh = byStart(again.bars(length, 50, kStart));
        for (const auto& [start, bar] : first[length]) {
            // Bars closed before the start: the same later, with other counts, and in another history of the instrument.
            if (start + length > kStart) continue;
            ASSERT_TRUE(later.count(start)) << length << " " << start;
            expectSame(bar, later.at(start), length);
            if (fresh.count(start)) expectSame(bar, fresh.at(start), length);
        }
        closed[length] = later;
    }
    // Bars closed since the start stay as they were while the market goes on.
    trade(gold, kStart + 1200, 300);
    int compared = 0;
    for (long long length : kIntervals)
        for (const auto& [start, bar] : byStart(gold.bars(length, 2000, kStart + 1500)))
            if (start > kStart && start + length <= kStart + 1200 && closed[length].count(start) &&
                (length > 1 || start >= kStart + 300)) {  // seconds kept: the last 1200
                expectSame(closed[length].at(start), bar, length);
                ++compared;
            }
    EXPECT_GT(compared, 900);
    // Past the 20 minutes of seconds kept, a one-second bar reads flat at the price of its minute.
    trade(gold, kStart + 1500, 1500);
    const auto old = gold.bars(1, 3000, kStart + 3000).front();
    EXPECT_EQ(old.start, kStart + 1);
    EXPECT_TRUE(old.open == old.close && old.high == old.low && old.open == old.high) << old.start;
    // Another instrument has a path of its own.
    const ChartHistory silver("SILVER", 1850, kStart);
    EXPECT_NE(silver.bars(60, 10, kStart)[0].close, again.bars(60, 10, kStart)[0].close);
}

TEST(SimChartHistory, TheNewestBarsMeetThePriceAndEveryBarIsSensible) {
    ChartHistory gold("GOLD", 1850, kStart);
    trade(gold, kStart, 600);
    gold.record(kStart + 601, 1862.5);
    for (long long length : kIntervals) {
        const auto bars = gold.bars(length, 5000, kStart + 601);
        ASSERT_EQ(bars.size(), 5000u);
        EXPECT_EQ(bars.back().close, 1862.5) << length;
        EXPECT_GE(bars.back().high, 1862.5) << length;
        for (std::size_t k = 0; k < bars.size(); ++k) {
            const auto& b = bars[k];
            EXPECT_LE(b.low, std::min(b.open, b.close)) << length << " " << k;
            EXPECT_GE(b.high, std::max(b.open, b.close)) << length << " " << k;
            EXPECT_GT(b.low, 1850 * 0.6) << length << " " << k;
            EXPECT_LT(b.high, 1850 * 1.4) << length << " " << k;
            // One bar opens where the one before closed; the bars are a length apart.
            if (k) {
                EXPECT_EQ(b.open, bars[k - 1].close) << length << " " << k;
                EXPECT_EQ(b.start - bars[k - 1].start, length) << k;
            }
        }
    }
    // The path ends at the start price; the bars of a longer interval close where their last shorter bar does.
    EXPECT_EQ(gold.pathPrice(kStart), 1850);
    const auto minutes = byStart(gold.bars(60, 2000, kStart + 601));
    for (const auto& b : gold.bars(300, 300, kStart + 601))
        if (minutes.count(b.start + 240)) {
            EXPECT_EQ(b.close, minutes.at(b.start + 240).close) << b.start;
        }
    // A small move from one minute to the next before the start.
    const auto before = gold.bars(60, 1000, kStart);
    for (std::size_t k = 1; k < before.size(); ++k) EXPECT_LT(std::abs(before[k].close / before[k - 1].close - 1), 0.01);
}

TEST(SimChartHistory, TheMarketsChartEndsAtItsQuote) {
    sim::InstrumentRecord gold;
    gold.code = "GOLD";
    gold.price = 1850;
    sim::Market market({gold}, 7);
    for (int i = 0; i < 50; ++i) market.step(0);
    const auto bars = market.chartBars(0, 60, 200);
    ASSERT_EQ(bars.size(), 200u);
    EXPECT_EQ(bars.back().close, market.quote(0).last);
    EXPECT_EQ(bars.back().start % 60, 0);
    const auto again = market.chartBars(0, 60, 200);
    EXPECT_EQ(again.front().close, bars.front().close);
}

}  // namespace
