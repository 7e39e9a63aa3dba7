#pragma once
// The live bar: each second the chart reads the instrument's prices and
// updates its newest bar or starts a new one. Tick and mini-tick charts add one
// bar per changed last price; other intervals put each changed price into the
// bar of its time, floored to the bar length (weeks from Monday 00:00).
#include <optional>
#include <string>

#include "charts/core/chart_bars.h"
#include "charts/core/chart_window.h"

namespace charts {

struct LiveQuote {
    double Last = 0;
    double Bid = 0;
    double Ask = 0;
    std::string UpdateTime;  // "MM/dd/yyyy HH:mm:ss"
    int decimals = 0;
};

class LiveBar {
public:
    // The bar length of an interval index (1 for ticks, mini ticks and unknown indices).
    void setTimerInterval(int intervalIndex);
    long long timeInterval() const { return timeInterval_; }

    // One update. Nothing happens without a stored close at lastArrIndexPtr or
    // when the last price equals it; otherwise the row is written and, at the
    // end, the window follows it. A new bar past ChartBars::kLiveRows first
    // lets the oldest bars go. True when a row was written.
    bool newChartData(const LiveQuote& quote, ChartBars& bars, ChartWindow& window) const;
    // Between changes of the last price the newest row takes the quote's bid
    // and ask, so that the price lines follow the feed. True when either moved.
    bool followQuote(const LiveQuote& quote, ChartBars& bars, ChartWindow& window) const;

    // Seconds of a civil date and time (no zone), and the start of its bar.
    static std::optional<long long> civilSeconds(const std::string& date, const std::string& time);
    static long long bucketStart(long long seconds, long long length);

private:
    long long timeInterval_ = 1;
};

}  // namespace charts
