#pragma once
// The price history a chart request answers for one instrument. Before the
// simulator started it is a path that is a fixed function of the instrument
// and the time, scaled to end at the start price; since then it is the prices
// the market moved to, kept per second, minute and hour. A closed bar answers
// the same on every request. Times are civil seconds (the local calendar read
// as UTC); weeks start on Monday 00:00.
#include <array>
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

    // Cells kept per level (20 minutes of seconds, 7 days of minutes, a year of
    // hours); older recorded prices give way to the next level.
    static constexpr std::size_t kSeconds = 1200;
    static constexpr std::size_t kMinutes = 10080;
    static constexpr std::size_t kHours = 8760;

private:
    struct Cell {
        long long start = 0;
        double high = 0, low = 0, close = 0;
    };
    struct Level {
        long long length;
        std::size_t cap;
        std::deque<Cell> cells;
        bool trimmed = false;
        double trimmedClose = 0;  // of the last cell that gave way
        // Holds every recorded price from `time` on.
        bool covers(long long time) const { return !trimmed || (!cells.empty() && cells.front().start <= time); }
    };
    double logPath(double time) const;
    double pathAt(double time) const;
    // The price holding at `time` since the start: the close of the last cell that ended by then.
    double priceBefore(const Level& level, long long time) const;

    std::uint64_t seed_;
    double startPrice_;
    long long startTime_;
    double startLog_;
    long long lastTime_;
    std::array<Level, 3> levels_{{{1, kSeconds, {}}, {60, kMinutes, {}}, {3600, kHours, {}}}};
};

}  // namespace sim
