#pragma once
// Indicator calculations over a chart's bars. Every value that the chart
// keeps as text is rounded as that text would round it ("%.4f" unless a
// function says otherwise), and the rolling windows subtract the rounded
// value, so that results match the chart's own figures to the last digit.
// A value that is not finite (a division by zero) is a gap: callers neither
// draw it nor count it in a range.
#include <string>
#include <string_view>
#include <vector>

#include "charts/core/chart_bars.h"
#include "charts/core/chart_window.h"

namespace charts::indicators {

using Series = std::vector<double>;

// The chart's prices as the indicators read them, stored rows with a close only.
struct Prices {
    Series closes;  // rows 0 to DATAPOINTS
    Series open;    // rows 0 to DATAPOINTS - 1, and each below
    Series high;
    Series low;
    Series close;
    // High and low of row DATAPOINTS too, for the results over `closes`.
    Series highThrough;
    Series lowThrough;
};
Prices pricesOf(const ChartBars& bars, const ChartWindow& window);

// The value as "%.4f", "%.2f" and "%f" would give it back.
double round4(double v);
double round2(double v);
double round6(double v);

// A period text read as a whole number: leading blanks, a sign and digits; anything else 0.
long long integerValue(std::string_view text);
double doubleValue(std::string_view text);

// Building blocks, one element per input value. `n` is at least 1.
Series simpleAverage(const Series& in, long long n);
// The exponential average after `simple`, the simple average of `in` over `n`.
Series exponentialAverage(const Series& in, const Series& simple, long long n);
Series exponentialAverage(const Series& in, long long n);

struct Bands {
    Series middle, upper, lower;
};
// Rolling mean and population deviation; `deviation` multiplies the latter.
Bands bollingerBands(const Series& closes, long long n, double deviation);
Series standardDeviation(const Series& closes, long long n);

struct Alligator {
    Series jaws, teeth, lips;
};
Alligator alligator(const Prices& p, long long jaws, long long teeth, long long lips);

struct Macd {
    Series line, signal, histogram;
};
Macd macd(const Series& closes, long long fast, long long slow, long long signal);

Series rateOfChange(const Series& in, long long n);
Series commodityChannelIndex(const Prices& p, long long n);
// "%.2f".
Series relativeStrength(const Series& closes, long long n);

struct Stochastic {
    Series main, signal;
};
Stochastic stochastic(const Prices& p, long long k, long long slowing, long long d);
Series deMarker(const Prices& p, long long n);
Series momentum(const Prices& p, long long n);
Series williamsPercentRange(const Prices& p, long long n);
Series bearsPower(const Prices& p, long long n);
Series bullsPower(const Prices& p, long long n);

struct Vigor {
    Series main, signal;
};
Vigor relativeVigor(const Prices& p, long long n);
Series trix(const Series& closes, long long n);
Series averageTrueRange(const Prices& p, long long n);
Series awesomeOscillator(const Prices& p);
Series acceleratorOscillator(const Prices& p);

struct Aroon {
    Series up, down;  // whole numbers
};
Aroon aroon(const Prices& p, long long n);
// "%f".
Series aroonOscillator(const Prices& p, long long n);

}  // namespace charts::indicators
