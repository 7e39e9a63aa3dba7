#pragma once
// The 23 indicators a chart offers: where each draws, its parameters, its
// plots and their colours and its title; reading a parameter dictionary and running the calculation.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "charts/core/indicators.h"

namespace charts {

enum class Indicator {
    SMA,
    EMA,
    BollingerBands,
    Alligator,
    MACD,
    MACDHistogram,
    ROC,
    StdDev,
    CCI,
    RSI,
    Stochastic,
    DeMarker,
    Momentum,
    WilliamsPercentRange,
    BearsPower,
    BullsPower,
    RVI,
    TRIX,
    ATR,
    AwesomeOscillator,
    AcceleratorOscillator,
    Aroon,
    AroonOscillator,
};
inline constexpr int kIndicatorCount = 23;

struct Rgb {
    int red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

struct IndicatorPlot {
    enum class Kind { Line, Bars };
    // Bars: one fill, or green when not below the previous bar and red otherwise.
    enum class Fill { Fixed, Direction };
    const char* identifier;
    Kind kind = Kind::Line;
    Rgb colour{};
    const char* colourKey = nullptr;  // the dictionary's colour, in place of `colour`
    bool dashed = false;
    Fill fill = Fill::Fixed;
};

struct IndicatorDescription {
    Indicator which;
    bool overlay;
    const char* title;  // the sub-graph's title
    std::vector<const char*> periodKeys;
    bool hasDeviation;
    std::vector<IndicatorPlot> plots;  // in drawing order: bars first
    const char* titleKey = nullptr;    // the title in the language; codes and inventors' names have none
};

const IndicatorDescription& describe(Indicator which);

// The refusal of a load: the alert's title and message keys and the period that was refused.
struct IndicatorRefusal {
    std::string titleKey = "10980";
    std::string messageKey = "21090";
    std::string parameter;
};

struct IndicatorParameters {
    std::vector<long long> periods;  // in the order of `periodKeys`
    double deviation = 0;
};

// The dictionary's texts read as the chart reads them: periods as whole
// numbers, the deviation as a decimal. A period below 1 (0, empty or not a
// number) is refused.
using ParameterText = std::function<std::string(const std::string& key)>;
std::optional<IndicatorRefusal> readParameters(Indicator which, const ParameterText& text, IndicatorParameters& out);

// One series per plot of `describe(which).plots`, in that order.
std::vector<indicators::Series> calculate(Indicator which, const indicators::Prices& prices,
                                          const IndicatorParameters& parameters);

// The direction fill: record r against r - 1, record 0 against 0.
bool risingBar(const indicators::Series& values, int record);

}  // namespace charts
