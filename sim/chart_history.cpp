#include "chart_history.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr long long kWeek = 7 * 86400;
constexpr long long kMonday = 4 * 86400;  // 1970-01-05 was a Monday
constexpr int kOctaves = 21;              // 1 s to 12 days
constexpr int kSamples = 8;               // per bar of the path

std::uint64_t mix(std::uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

// -1 to 1, fixed for a seed, an octave and a grid point.
double unit(std::uint64_t seed, int octave, long long point) {
    const std::uint64_t h = mix(seed ^ mix(static_cast<std::uint64_t>(octave) * 0x100000001B3ull ^
                                           static_cast<std::uint64_t>(point)));
    return static_cast<double>(h >> 11) / static_cast<double>(1ull << 52) - 1.0;
}

long long floorDiv(long long a, long long b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

}  // namespace

ChartHistory::ChartHistory(const std::string& code, double startPrice, long long startTime)
    : seed_(0xCBF29CE484222325ull), startPrice_(startPrice), startTime_(startTime), lastTime_(startTime) {
    for (unsigned char c : code) seed_ = (seed_ ^ c) * 0x100000001B3ull;
    startLog_ = logPath(static_cast<double>(startTime));
}

long long ChartHistory::barStart(long long time, long long length) {
    if (length <= 1) return time;
    if (length == kWeek) return time - (((time - kMonday) % kWeek) + kWeek) % kWeek;
    return floorDiv(time, length) * length;
}

// Value noise over octaves of 2^j seconds, each as large as a random walk over its span.
double ChartHistory::logPath(double time) const {
    double sum = 0;
    for (int j = 0; j < kOctaves; ++j) {
        const double spacing = static_cast<double>(1ll << j);
        const double at = time / spacing;
        const double cell = std::floor(at);
        const double f = at - cell;
        const double smooth = f * f * (3 - 2 * f);
        const auto point = static_cast<long long>(cell);
        const double a = unit(seed_, j, point), b = unit(seed_, j, point + 1);
        sum += 0.0004 * std::sqrt(spacing / 60.0) * (a + (b - a) * smooth);
    }
    return sum;
}

double ChartHistory::pathPrice(long long time) const { return pathAt(static_cast<double>(time)); }

double ChartHistory::pathAt(double time) const { return startPrice_ * std::exp(logPath(time) - startLog_); }

void ChartHistory::record(long long time, double price) {
    time = std::max(time, lastTime_);
    lastTime_ = time;
    for (Level& level : levels_) {
        const long long start = floorDiv(time, level.length) * level.length;
        if (level.cells.empty() || level.cells.back().start != start) {
            level.cells.push_back({start, price, price, price});
            if (level.cells.size() > level.cap) {
                level.trimmedClose = level.cells.front().close;
                level.cells.pop_front();
                level.trimmed = true;
            }
            continue;
        }
        Cell& c = level.cells.back();
        c.high = std::max(c.high, price);
        c.low = std::min(c.low, price);
        c.close = price;
    }
}

double ChartHistory::priceBefore(const Level& level, long long time) const {
    const auto after = std::lower_bound(level.cells.begin(), level.cells.end(), time,
                                        [&](const Cell& c, long long t) { return c.start + level.length <= t; });
    if (after != level.cells.begin()) return std::prev(after)->close;
    return level.trimmed ? level.trimmedClose : startPrice_;
}

std::vector<ChartHistory::Bar> ChartHistory::bars(long long length, int count, long long now) const {
    length = std::max(1ll, length);
    const long long last = barStart(std::max(now, lastTime_), length);
    std::vector<Bar> out;
    for (int k = 0; k < count; ++k) {
        Bar bar;
        bar.start = last - static_cast<long long>(count - 1 - k) * length;
        const long long end = bar.start + length;
        // The longest level no longer than the bar that still holds its time; else the shortest that does.
        const Level* level = nullptr;
        for (auto l = levels_.rbegin(); l != levels_.rend() && !level; ++l)
            if (l->length <= length && l->covers(bar.start)) level = &*l;
        for (auto l = levels_.begin(); l != levels_.end() && !level; ++l)
            if (l->covers(bar.start)) level = &*l;
        if (!level) level = &levels_.back();
        bar.open = bar.start <= startTime_ ? pathPrice(bar.start) : priceBefore(*level, bar.start);
        bar.high = bar.low = bar.close = bar.open;
        auto take = [&bar](double p) {
            bar.high = std::max(bar.high, p);
            bar.low = std::min(bar.low, p);
        };
        if (bar.start < startTime_) {
            // The path up to the bar's end or the start, where it meets the start price.
            const double until = static_cast<double>(std::min(end, startTime_));
            for (int i = 1; i <= kSamples; ++i) {
                const double t = static_cast<double>(bar.start) + (until - static_cast<double>(bar.start)) * i / kSamples;
                take(pathAt(t));
            }
            bar.close = end >= startTime_ ? startPrice_ : pathPrice(end);
            take(bar.close);
        }
        // A level coarser than the bar leaves it flat.
        if (end > startTime_ && level->length <= length) {
            auto c = std::lower_bound(level->cells.begin(), level->cells.end(), bar.start,
                                      [](const Cell& cell, long long t) { return cell.start < t; });
            for (; c != level->cells.end() && c->start < end; ++c) {
                take(c->high);
                take(c->low);
                bar.close = c->close;
            }
        }
        out.push_back(bar);
    }
    return out;
}

}  // namespace sim
