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
        {Indicator::SMA, true, "SMA", period, false, {keyedLine("SMA", "LineColor")}},
        {Indicator::EMA, true, "EMA", period, false, {keyedLine("EMA", "LineColor")}},
        {Indicator::BollingerBands, true, "BB", period, true,
         {keyedLine("bbMidBandPlot", "LineColor"), keyedLine("bbUpperBandPlot", "LineColor"),
          keyedLine("bbLowerBandPlot", "LineColor")}},
        {Indicator::Alligator, true, "Alligator", {"JawsPeriod", "TeethPeriod", "LipsPeriod"}, false,
         {keyedLine("JawsLinePlot", "JawsLineColor"), keyedLine("TeethLinePlot", "TeethLineColor"),
          keyedLine("LipsLinePlot", "LipsLineColor")}, "90594"},
        {Indicator::MACD, false, "MACD", macd, false, {macdBars, line("MACDLinePlot", {65, 105, 225}), macdSignal}},
        {Indicator::MACDHistogram, false, "MACD Histogram", macd, false, {macdBars, macdSignal}, "90595"},
        {Indicator::ROC, false, "ROC", period, false, {line("ROCPlot", {255, 222, 173})}},
        {Indicator::StdDev, false, "StdDev", period, false, {line("StdDevPlot", {60, 179, 113})}},
        {Indicator::CCI, false, "CCI", period, false, {line("CCILinePlot", kTeal)}},
        {Indicator::RSI, false, "RSI", period, false, {line("RSILinePlot", kDodgerBlue)}},
        {Indicator::Stochastic, false, "Stochastic", {"%KPeriod ", "%DPeriod ", "Slowing"}, false,
         {line("StochMainLinePlot", kTeal), stochSignal}, "90600"},
        {Indicator::DeMarker, false, "DeMarker", period, false, {line("DeMarkerLinePlot", kTeal)}},
        {Indicator::Momentum, false, "Momentum", period, false, {line("MomentumLinePlot", kDodgerBlue)},
         "90601"},
        {Indicator::WilliamsPercentRange, false, "Williams %R", period, false,
         {line("WilliamPercentLinePlot", {127, 255, 212})}},
        // not keyed: its key's fallback
        {Indicator::BearsPower, false, "Bears Power", period, false,
         {bars("BearsBarPlot", kGreyBars)}, "90602"},
        // not keyed: its key's fallback
        {Indicator::BullsPower, false, "Bulls Power", period, false,
         {bars("BullsBarPlot", kGreyBars)}, "90603"},
        {Indicator::RVI, false, "RVI", period, false, {line("RVIMainLinePlot", kGreen), line("RVISignalLinePlot", kRed)}},
        {Indicator::TRIX, false, "TRIX", period, false, {line("TRIXLinePlot", kRed)}},
        {Indicator::ATR, false, "ATR", period, false, {line("ATRLinePlot", kTeal)}},
        {Indicator::AwesomeOscillator, false, "AO", {}, false, {bars("AOBarPlot", kGreen, Fill::Direction)}},
        {Indicator::AcceleratorOscillator, false, "AC", {}, false, {bars("ACBarPlot", kGreen, Fill::Direction)}},
        {Indicator::Aroon, false, "Aroon", period, false,
         {line("AroonUpLinePlot", kGreen), line("AroonDownLinePlot", kRed)}},
        // not keyed: its key's fallback
        {Indicator::AroonOscillator, false, "Aroon Oscillator", period, false,
         {line("AroonOscillatorLinePlot", kRed)}, "90608"},
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
