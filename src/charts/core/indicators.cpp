#include "charts/core/indicators.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <deque>
#include <limits>

namespace charts::indicators {

namespace {

constexpr double kGap = std::numeric_limits<double>::quiet_NaN();

// The stored rows of `column` from row 0 up to `last`, stopping at the first missing one.
Series storedRows(const std::vector<double>& column, long long last) {
    Series out;
    for (long long r = 0; r <= last; ++r) {
        const auto v = ChartBars::value(column, r);
        if (!v) break;
        out.push_back(*v);
    }
    return out;
}

std::size_t rowsOf(std::initializer_list<const Series*> columns) {
    std::size_t n = std::numeric_limits<std::size_t>::max();
    for (const Series* c : columns) n = std::min(n, c->size());
    return n;
}

double slowRound(double v, int digits) {
    char text[400];
    const auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::fixed, digits);
    double back = v;
    if (r.ec == std::errc()) std::from_chars(text, r.ptr, back);
    return back;
}

// The decimal text of `v` with `digits` places, read back. The product with
// the scale is off by at most 1e-4 below 1e12, so away from a half the
// rounding is the text's; the integer over the scale is then the nearest
// double, as reading the text gives.
double roundTo(double v, double scale, int digits) {
    if (!std::isfinite(v)) return v;
    const double x = v * scale;
    if (std::abs(x) < 1e12) {
        const double whole = std::floor(x);
        const double fraction = x - whole;
        if (std::abs(fraction - 0.5) > 1e-4) {
            const double n = fraction > 0.5 ? whole + 1 : whole;
            return n == 0 ? 0.0 * v : n / scale;
        }
    }
    return slowRound(v, digits);
}

std::size_t unsignedPeriod(long long n) { return n < 1 ? 1 : static_cast<std::size_t>(n); }

// The rolling extreme of the last n values as single-precision floats; the
// value itself until n values were seen.
std::vector<float> rollingExtreme(const Series& in, std::size_t count, long long period, bool highest) {
    const std::size_t n = unsignedPeriod(period);
    std::vector<float> stored(count), out(count);
    for (std::size_t i = 0; i < count; ++i) {
        const float v = static_cast<float>(in[i]);
        stored[i] = static_cast<float>(round4(v));
        if (i + 1 < n) {
            out[i] = v;
            continue;
        }
        const auto first = stored.begin() + static_cast<std::ptrdiff_t>(i + 1 - n);
        const auto last = stored.begin() + static_cast<std::ptrdiff_t>(i + 1);
        out[i] = highest ? *std::max_element(first, last) : *std::min_element(first, last);
    }
    return out;
}

// Rolling mean and population deviation of the last n values.
template <typename Each>
void rollingDeviation(const Series& in, long long period, Each each) {
    const std::size_t n = unsignedPeriod(period);
    Series stored(in.size());
    double sum = 0, sumSquares = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        const double v = in[i];
        stored[i] = round4(v);
        sum += v;
        sumSquares += v * v;
        if (i >= n) {
            const double s = stored[i - n];
            sum -= s;
            sumSquares -= s * s;
        }
        const double k = static_cast<double>(std::min(i + 1, n));
        const double mean = sum / k;
        // What is left of the cancellation's rounding is no deviation, and never below 0.
        double variance = (sumSquares - mean * sum) / k;
        if (!(variance > 4 * std::numeric_limits<double>::epsilon() * sumSquares / k)) variance = 0;
        each(mean, std::sqrt(variance));
    }
}

Series medians(const Prices& p) {
    const std::size_t rows = rowsOf({&p.high, &p.low});
    Series out(rows);
    for (std::size_t i = 0; i < rows; ++i) out[i] = round4((p.high[i] + p.low[i]) * 0.5);
    return out;
}

Series power(const Prices& p, long long n, const Series& extreme) {
    const Series e = exponentialAverage(p.closes, n);
    Series out(e.size());
    for (std::size_t i = 0; i < e.size(); ++i) out[i] = round4((i < extreme.size() ? extreme[i] : kGap) - e[i]);
    return out;
}

}  // namespace

Prices pricesOf(const ChartBars& bars, const ChartWindow& window) {
    Prices p;
    p.closes = storedRows(bars.Symdata, window.DATAPOINTS);
    // A bar is a row with a close.
    const long long through = static_cast<long long>(p.closes.size()) - 1;
    const long long last = std::min<long long>(window.DATAPOINTS - 1, through);
    p.open = storedRows(bars.open, last);
    p.high = storedRows(bars.high, last);
    p.low = storedRows(bars.low, last);
    p.close = storedRows(bars.Symdata, last);
    p.highThrough = storedRows(bars.high, through);
    p.lowThrough = storedRows(bars.low, through);
    return p;
}

double round4(double v) { return roundTo(v, 1e4, 4); }
double round2(double v) { return roundTo(v, 1e2, 2); }
double round6(double v) { return roundTo(v, 1e6, 6); }

long long integerValue(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    long long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') break;
        const int d = c - '0';
        if (v > (std::numeric_limits<long long>::max() - d) / 10) return negative ? std::numeric_limits<long long>::min()
                                                                                  : std::numeric_limits<long long>::max();
        v = v * 10 + d;
    }
    return negative ? -v : v;
}

double doubleValue(std::string_view text) {
    while (!text.empty() && (std::isspace(static_cast<unsigned char>(text.front())) || text.front() == '+'))
        text.remove_prefix(1);
    double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    return r.ec == std::errc() && std::isfinite(v) ? v : 0.0;
}

Series simpleAverage(const Series& in, long long period) {
    const std::size_t n = unsignedPeriod(period);
    Series out(in.size()), stored(in.size());
    double sum = 0;
    std::size_t gaps = 0;  // values in the window that are not finite
    for (std::size_t i = 0; i < in.size(); ++i) {
        const double v = in[i];
        stored[i] = round4(v);
        if (std::isfinite(v)) sum += v;
        else ++gaps;
        if (i >= n) {
            const double s = stored[i - n];
            if (std::isfinite(s)) sum -= s;
            else --gaps;
        }
        out[i] = gaps ? kGap : round4(sum / static_cast<double>(std::min(i + 1, n)));
    }
    return out;
}

Series exponentialAverage(const Series& in, const Series& simple, long long period) {
    const std::size_t n = unsignedPeriod(period);
    const float weight = 2.0f / static_cast<float>(n + 1);
    Series out(std::min(in.size(), simple.size()));
    double previous = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        // After a gap the average starts again from the simple one.
        if (i < n || !std::isfinite(previous)) previous = simple[i];
        else previous = (in[i] - previous) * weight + previous;
        out[i] = round4(previous);
    }
    return out;
}

Series exponentialAverage(const Series& in, long long n) { return exponentialAverage(in, simpleAverage(in, n), n); }

Bands bollingerBands(const Series& closes, long long n, double deviation) {
    Bands b;
    rollingDeviation(closes, n, [&](double mean, double sigma) {
        b.middle.push_back(round4(mean));
        b.upper.push_back(round4(mean + sigma * deviation));
        b.lower.push_back(round4(mean - sigma * deviation));
    });
    return b;
}

Series standardDeviation(const Series& closes, long long n) {
    Series out;
    out.reserve(closes.size());
    rollingDeviation(closes, n, [&](double, double sigma) { out.push_back(round4(sigma)); });
    return out;
}

Alligator alligator(const Prices& p, long long jaws, long long teeth, long long lips) {
    const Series m = medians(p);
    return {simpleAverage(m, jaws), simpleAverage(m, teeth), simpleAverage(m, lips)};
}

Macd macd(const Series& closes, long long fast, long long slow, long long signal) {
    const Series f = exponentialAverage(closes, fast);
    const Series s = exponentialAverage(closes, slow);
    auto difference = [](const Series& a, const Series& b) {
        Series out(std::min(a.size(), b.size()));
        for (std::size_t i = 0; i < out.size(); ++i) out[i] = round4(static_cast<float>(a[i]) - static_cast<float>(b[i]));
        return out;
    };
    Macd m;
    m.line = difference(f, s);
    m.signal = exponentialAverage(m.line, signal);
    m.histogram = difference(m.line, m.signal);
    return m;
}

Series rateOfChange(const Series& in, long long period) {
    const std::size_t n = unsignedPeriod(period);
    Series out(in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        if (i < n) {
            out[i] = 0;
            continue;
        }
        const double before = round4(in[i - n]);
        out[i] = round4((in[i] - before) / before * 100);
    }
    return out;
}

Series commodityChannelIndex(const Prices& p, long long period) {
    const std::size_t n = unsignedPeriod(period);
    const std::size_t rows = rowsOf({&p.high, &p.low, &p.close});
    Series typical(rows);
    for (std::size_t i = 0; i < rows; ++i) typical[i] = round4((p.high[i] + p.low[i] + p.close[i]) / 3);
    const Series average = simpleAverage(typical, period);
    Series out(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        if (i + 1 < n) {
            out[i] = 0;
            continue;
        }
        const double m = average[i];
        double sum = 0;
        for (std::size_t j = i + 1 - n; j <= i; ++j) sum += std::abs(m - typical[j]);
        const double meanDeviation = sum / static_cast<double>(n);
        out[i] = round4((typical[i] - m) / (meanDeviation * 0.014999999664723873));
    }
    return out;
}

Series relativeStrength(const Series& closes, long long n) {
    const double multiplier = 2.0 / (static_cast<double>(unsignedPeriod(n)) + 1);
    double previous = 0, up = 0, down = 0;
    Series out(closes.size());
    for (std::size_t i = 0; i < closes.size(); ++i) {
        const double v = closes[i];
        double rsi = 100.0;
        if (previous != 0) {
            const double change = v - previous;
            up = ((change > 0 ? change : 0) - up) * multiplier + up;
            down = ((change < 0 ? -change : 0) - down) * multiplier + down;
            if (up + down != 0) rsi = up * 100 / (up + down);
        }
        previous = v;
        out[i] = round2(rsi);
    }
    return out;
}

Stochastic stochastic(const Prices& p, long long k, long long slowing, long long d) {
    const std::size_t rows = rowsOf({&p.high, &p.low, &p.close});
    const auto lowest = rollingExtreme(p.low, rows, k, false);
    const auto highest = rollingExtreme(p.high, rows, k, true);
    Stochastic s;
    s.main.resize(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const float range = highest[i] - lowest[i];
        double value = (p.close[i] - lowest[i]) / range * 100;
        if (value < 0) value = 0;
        else if (value > 100) value = 100;
        s.main[i] = round4(value);
    }
    s.signal = simpleAverage(simpleAverage(s.main, slowing), d);
    return s;
}

Series deMarker(const Prices& p, long long n) {
    const std::size_t rows = rowsOf({&p.high, &p.low});
    Series deMax(rows), deMin(rows);
    double previousHigh = 0, previousLow = 0;  // each run starts afresh
    for (std::size_t i = 0; i < rows; ++i) {
        deMax[i] = round4(std::max(0.0, p.high[i] - previousHigh));
        deMin[i] = round4(std::max(0.0, previousLow - p.low[i]));
        previousHigh = p.high[i];
        previousLow = p.low[i];
    }
    const Series a = simpleAverage(deMax, n);
    const Series b = simpleAverage(deMin, n);
    Series out(rows);
    for (std::size_t i = 0; i < rows; ++i) out[i] = round4(a[i] / (b[i] + a[i]));
    return out;
}

Series momentum(const Prices& p, long long period) {
    const std::size_t n = unsignedPeriod(period);
    Series out(p.close.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = i < n ? 0.0 : round4(p.close[i] / round4(p.close[i - n]) * 100);
    return out;
}

Series williamsPercentRange(const Prices& p, long long n) {
    const std::size_t rows = rowsOf({&p.high, &p.low, &p.close});
    const auto lowest = rollingExtreme(p.low, rows, n, false);
    const auto highest = rollingExtreme(p.high, rows, n, true);
    Series out(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        const float range = highest[i] - lowest[i];
        out[i] = round4((highest[i] - p.close[i]) / range * -100);
    }
    return out;
}

Series bearsPower(const Prices& p, long long n) { return power(p, n, p.lowThrough); }
Series bullsPower(const Prices& p, long long n) { return power(p, n, p.highThrough); }

Vigor relativeVigor(const Prices& p, long long n) {
    const std::size_t rows = rowsOf({&p.open, &p.high, &p.low, &p.close});
    Series values(rows);
    for (std::size_t i = 0; i < rows; ++i) values[i] = round4((p.close[i] - p.open[i]) / (p.high[i] - p.low[i]));
    Vigor v;
    v.main = simpleAverage(values, n);
    v.signal = exponentialAverage(values, v.main, n);
    return v;
}

Series trix(const Series& closes, long long n) {
    const Series e3 = exponentialAverage(exponentialAverage(exponentialAverage(closes, n), n), n);
    return rateOfChange(e3, 1);
}

Series averageTrueRange(const Prices& p, long long period) {
    const std::size_t n = unsignedPeriod(period);
    const std::size_t rows = rowsOf({&p.high, &p.low, &p.close});
    Series ranges(rows);
    double previousClose = 0;
    for (std::size_t i = 0; i < rows; ++i) {
        const double h = p.high[i], l = p.low[i];
        double range = round4(h - l);
        if (previousClose != 0)
            range = std::max({range, round4(std::abs(h - previousClose)), round4(std::abs(l - previousClose))});
        ranges[i] = round4(range);
        previousClose = p.close[i];
    }
    const Series average = simpleAverage(ranges, period);
    Series out(rows);
    double running = n <= rows ? average[n - 1] : 0;
    for (std::size_t i = 0; i < rows; ++i) {
        if (i < n) {
            out[i] = average[i];
            continue;
        }
        running = (ranges[i] + running * static_cast<double>(n - 1)) / static_cast<double>(n);
        out[i] = round4(running);
    }
    return out;
}

Series awesomeOscillator(const Prices& p) {
    const Series m = medians(p);
    const Series fast = simpleAverage(m, 5);
    const Series slow = simpleAverage(m, 34);
    Series out(m.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = round4(fast[i] - slow[i]);
    return out;
}

Series acceleratorOscillator(const Prices& p) {
    const Series ao = awesomeOscillator(p);
    const Series s = simpleAverage(ao, 5);
    Series out(ao.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = round4(ao[i] - s[i]);
    return out;
}

Aroon aroon(const Prices& p, long long period) {
    const std::size_t n = unsignedPeriod(period);
    const float nf = static_cast<float>(n);
    const std::size_t rows = rowsOf({&p.high, &p.low});
    // Rows of the window's candidates for its extreme, oldest first: each one
    // stands ahead of every later row that beats it, so the front is the
    // window's extreme, the oldest of equal ones. Every row enters and leaves once.
    struct Extreme {
        std::deque<std::size_t> rows;
        bool highest;
        // Bars since the extreme of the n rows up to i; 0 until the window is full.
        double push(const Series& stored, std::size_t i, std::size_t n) {
            const auto beats = [&](std::size_t a, std::size_t b) {
                return highest ? stored[a] > stored[b] : stored[a] < stored[b];
            };
            while (!rows.empty() && beats(i, rows.back())) rows.pop_back();
            rows.push_back(i);
            if (i + 1 < n) return 0;
            while (rows.front() + n <= i) rows.pop_front();
            return static_cast<double>(i - rows.front());
        }
    };
    Extreme high{{}, true}, low{{}, false};
    Series highs(rows), lows(rows);
    Aroon a;
    a.up.reserve(rows);
    a.down.reserve(rows);
    for (std::size_t i = 0; i < rows; ++i) {
        highs[i] = round6(p.high[i]);
        lows[i] = round6(p.low[i]);
        a.up.push_back(static_cast<double>(static_cast<unsigned long>((nf - high.push(highs, i, n)) / nf * 100)));
        a.down.push_back(static_cast<double>(static_cast<unsigned long>((nf - low.push(lows, i, n)) / nf * 100)));
    }
    return a;
}

Series aroonOscillator(const Prices& p, long long n) {
    const Aroon a = aroon(p, n);
    Series out(a.up.size());
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = round6(static_cast<float>(a.up[i]) - static_cast<float>(a.down[i]));
    return out;
}

}  // namespace charts::indicators
