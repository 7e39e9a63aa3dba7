#pragma once
// The price history a chart request answers for one instrument. Before the
// simulator started it is a path that is a fixed function of the instrument
// and the time, scaled to end at the start price; since then it is the prices
// the market moved to, kept per second and per minute. A closed bar answers
// the same on every request. Times are civil seconds (the local calendar read
// as UTC); weeks start on Monday 00:00.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace sim {

class ChartHistory {
public:
    struct Bar {
        long long start = 0;
        double open = 0, high = 0, low = 0, close = 0;
    };

    ChartHistory(const std::string& code, double startPrice, long long startTime);

    // The market moved to `price` at `time`; a time before the last one counts as the last.
    void record(long long time, double price);
    // `count` bars of `length` seconds, oldest first, the last one holding `now`.
    std::vector<Bar> bars(long long length, int count, long long now) const;

    // The start of the bar of `length` seconds holding `time`.
    static long long barStart(long long time, long long length);
    // The path's price at `time`, before or after the start.
    double pathPrice(long long time) const;

    // Seconds and minutes kept; older recorded prices give way.
    static constexpr std::size_t kSeconds = 6000;
    static constexpr std::size_t kMinutes = 43200;

private:
    struct Cell {
        long long start = 0;
        double open = 0, high = 0, low = 0, close = 0;
    };
    double logPath(double time) const;
    double pathAt(double time) const;
    // The price holding at `time` since the start: the close of the last cell before it.
    double priceAt(const std::deque<Cell>& cells, long long time) const;

    std::uint64_t seed_;
    double startPrice_;
    long long startTime_;
    double startLog_;
    long long lastTime_;
    std::deque<Cell> seconds_;
    std::deque<Cell> minutes_;
};

}  // namespace sim
