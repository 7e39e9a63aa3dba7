#include "charts/core/indicator_table.h"

#include <array>

namespace charts {

namespace {

using Kind = IndicatorPlot::Kind;
using Fill = IndicatorPlot::Fill;

constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kMacdBars{154, 205, 50};
constexpr Rgb kGreyBars{220, 220, 220};
constexpr Rgb kTeal{32, 178, 170};
constexpr Rgb kDodgerBlue{30, 144, 255};

IndicatorPlot line(const char* id, Rgb colour) { return {id, Kind::Line, colour}; }
IndicatorPlot keyedLine(const char* id, const char* key) { return {id, Kind::Line, {}, key}; }
IndicatorPlot bars(const char* id, Rgb fill, Fill how = Fill::Fixed) { return {id, Kind::Bars, fill, nullptr, false, how}; }

std::array<IndicatorDescription, kIndicatorCount> makeTable() {
    const std::vector<const char*> period{"Period"};
    const std::vector<const char*> macd{"FastPeriod", "SlowPeriod", "SignalPeriod"};
    const IndicatorPlot macdBars = bars("MACDBarPlot", kMacdBars);
    const IndicatorPlot macdSignal = line("MACDSignalLinePlot", kRed);
    IndicatorPlot stochSignal = line("StochSignalLinePlot", kRed);
    stochSignal.dashed = true;
    return {{
        {Indicator::SMA, true, "SMA", period, false, {keyedLine("SMA", "LineColor")}, -1},
        {Indicator::EMA, true, "EMA", period, false, {keyedLine("EMA", "LineColor")}, -1},
        {Indicator::BollingerBands, true, "BB", period, true,
         {keyedLine("bbMidBandPlot", "LineColor"), keyedLine("bbUpperBandPlot", "LineColor"),
          keyedLine("bbLowerBandPlot", "LineColor")},
         -1},
        {Indicator::Alligator, true, "Alligator", {"JawsPeriod", "TeethPeriod", "LipsPeriod"}, false,
         {keyedLine("JawsLinePlot", "JawsLineColor"), keyedLine("TeethLinePlot", "TeethLineColor"),
          keyedLine("LipsLinePlot", "LipsLineColor")},
         -1},
        {Indicator::MACD, false, "MACD", macd, false, {macdBars, line("MACDLinePlot", {65, 105, 225}), macdSignal}, 1},
        {Indicator::MACDHistogram, false, "MACD Histogram", macd, false, {macdBars, macdSignal}, 0},
        {Indicator::ROC, false, "ROC", period, false, {line("ROCPlot", {255, 222, 173})}, 0},
        {Indicator::StdDev, false, "StdDev", period, false, {line("StdDevPlot", {60, 179, 113})}, 0},
        {Indicator::CCI, false, "CCI", period, false, {line("CCILinePlot", kTeal)}, 0},
        {Indicator::RSI, false, "RSI", period, false, {line("RSILinePlot", kDodgerBlue)}, 0},
        {Indicator::Stochastic, false, "Stochastic", {"%KPeriod ", "%DPeriod ", "Slowing"}, false,
         {line("StochMainLinePlot", kTeal), stochSignal}, 1},
        {Indicator::DeMarker, false, "DeMarker", period, false, {line("DeMarkerLinePlot", kTeal)}, 0},
        {Indicator::Momentum, false, "Momentum", period, false, {line("MomentumLinePlot", kDodgerBlue)}, 0},
        {Indicator::WilliamsPercentRange, false, "Williams %R", period, false,
         {line("WilliamPercentLinePlot", {127, 255, 212})}, 0},
        {Indicator::BearsPower, false, "Bears Power", period, false, {bars("BearsBarPlot", kGreyBars)}, 0},
        {Indicator::BullsPower, false, "Bulls Power", period, false, {bars("BullsBarPlot", kGreyBars)}, 0},
        {Indicator::RVI, false, "RVI", period, false, {line("RVIMainLinePlot", kGreen), line("RVISignalLinePlot", kRed)}, 1},
        {Indicator::TRIX, false, "TRIX", period, false, {line("TRIXLinePlot", kRed)}, 0},
        {Indicator::ATR, false, "ATR", period, false, {line("ATRLinePlot", kTeal)}, 0},
        {Indicator::AwesomeOscillator, false, "AO", {}, false, {bars("AOBarPlot", kGreen, Fill::Direction)}, 0},
        {Indicator::AcceleratorOscillator, false, "AC", {}, false, {bars("ACBarPlot", kGreen, Fill::Direction)}, 0},
        {Indicator::Aroon, false, "Aroon", period, false,
         {line("AroonUpLinePlot", kGreen), line("AroonDownLinePlot", kRed)}, 0},
        {Indicator::AroonOscillator, false, "Aroon Oscillator", period, false,
         {line("AroonOscillatorLinePlot", kRed)}, 0},
    }};
}

}  // namespace

const IndicatorDescription& describe(Indicator which) {
    static const auto table = makeTable();
    return table[static_cast<std::size_t>(which)];
}

std::optional<IndicatorRefusal> readParameters(Indicator which, const ParameterText& text, IndicatorParameters& out) {
    const IndicatorDescription& d = describe(which);
    out = {};
    for (const char* key : d.periodKeys) {
        const long long n = indicators::integerValue(text(key));
        if (n < 1) return IndicatorRefusal{.parameter = key};
        out.periods.push_back(n);
    }
    if (d.hasDeviation) out.deviation = indicators::doubleValue(text("Deviation"));
    return std::nullopt;
}

std::vector<indicators::Series> calculate(Indicator which, const indicators::Prices& p, const IndicatorParameters& in) {
    namespace ind = indicators;
    auto n = [&](std::size_t i) { return i < in.periods.size() ? in.periods[i] : 1; };
    switch (which) {
        case Indicator::SMA: return {ind::simpleAverage(p.closes, n(0))};
        case Indicator::EMA: return {ind::exponentialAverage(p.closes, n(0))};
        case Indicator::BollingerBands: {
            auto b = ind::bollingerBands(p.closes, n(0), in.deviation);
            return {std::move(b.middle), std::move(b.upper), std::move(b.lower)};
        }
        case Indicator::Alligator: {
            auto a = ind::alligator(p, n(0), n(1), n(2));
            return {std::move(a.jaws), std::move(a.teeth), std::move(a.lips)};
        }
        case Indicator::MACD: {
            auto m = ind::macd(p.closes, n(0), n(1), n(2));
            return {std::move(m.histogram), std::move(m.line), std::move(m.signal)};
        }
        case Indicator::MACDHistogram: {
            auto m = ind::macd(p.closes, n(0), n(1), n(2));
            return {std::move(m.histogram), std::move(m.signal)};
        }
        case Indicator::ROC: return {ind::rateOfChange(p.closes, n(0))};
        case Indicator::StdDev: return {ind::standardDeviation(p.closes, n(0))};
        case Indicator::CCI: return {ind::commodityChannelIndex(p, n(0))};
        case Indicator::RSI: return {ind::relativeStrength(p.closes, n(0))};
        case Indicator::Stochastic: {
            // Keys in table order: %K, %D, slowing.
            auto s = ind::stochastic(p, n(0), n(2), n(1));
            return {std::move(s.main), std::move(s.signal)};
        }
        case Indicator::DeMarker: return {ind::deMarker(p, n(0))};
        case Indicator::Momentum: return {ind::momentum(p, n(0))};
        case Indicator::WilliamsPercentRange: return {ind::williamsPercentRange(p, n(0))};
        case Indicator::BearsPower: return {ind::bearsPower(p, n(0))};
        case Indicator::BullsPower: return {ind::bullsPower(p, n(0))};
        case Indicator::RVI: {
            auto v = ind::relativeVigor(p, n(0));
            return {std::move(v.main), std::move(v.signal)};
        }
        case Indicator::TRIX: return {ind::trix(p.closes, n(0))};
        case Indicator::ATR: return {ind::averageTrueRange(p, n(0))};
        case Indicator::AwesomeOscillator: return {ind::awesomeOscillator(p)};
        case Indicator::AcceleratorOscillator: return {ind::acceleratorOscillator(p)};
        case Indicator::Aroon: {
            auto a = ind::aroon(p, n(0));
            return {std::move(a.up), std::move(a.down)};
        }
        case Indicator::AroonOscillator: return {ind::aroonOscillator(p, n(0))};
    }
    return {};
}

bool risingBar(const indicators::Series& values, int record) {
    if (record < 0 || static_cast<std::size_t>(record) >= values.size()) return false;
    const double previous = record == 0 ? 0.0 : values[static_cast<std::size_t>(record - 1)];
    return !(values[static_cast<std::size_t>(record)] < previous);
}

}  // namespace charts
