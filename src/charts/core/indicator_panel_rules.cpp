#include "charts/core/indicator_panel_rules.h"

#include <algorithm>

namespace charts {

const std::vector<PanelBox>& panelBoxes() {
    static const std::vector<PanelBox> boxes{
        {Indicator::SMA, 1001},
        {Indicator::EMA, 1002},
        {Indicator::BollingerBands, 1003},
        {Indicator::MACD, 0},
        {Indicator::MACDHistogram, 0},
        {Indicator::ROC, 0},
        {Indicator::StdDev, 0},
        {Indicator::CCI, 0},
        {Indicator::RSI, 0},
        {Indicator::Stochastic, 0},
        {Indicator::DeMarker, 0},
        {Indicator::Momentum, 0},
        {Indicator::WilliamsPercentRange, 0},
        {Indicator::BearsPower, 0},
        {Indicator::BullsPower, 0},
        {Indicator::RVI, 0},
        {Indicator::TRIX, 0},
        {Indicator::ATR, 0},
        {Indicator::AwesomeOscillator, 0},
        {Indicator::AcceleratorOscillator, 0},
        {Indicator::Alligator, 1004},
        {Indicator::Aroon, 0},
        {Indicator::AroonOscillator, 0},
    };
    return boxes;
}

bool isOverlayTag(int tag) { return tag >= 1001 && tag <= 1004; }

void IndicatorsShown::on(Indicator which) {
    if (!describe(which).overlay) std::erase_if(shown_, [](Indicator i) { return !describe(i).overlay; });
    if (!contains(which)) shown_.push_back(which);
}

void IndicatorsShown::off(Indicator which) { std::erase(shown_, which); }

bool IndicatorsShown::contains(Indicator which) const {
    return std::find(shown_.begin(), shown_.end(), which) != shown_.end();
}

std::string chartLoadKey(long long interval, long long type) {
    return std::to_string(interval) + "#" + std::to_string(type);
}

const std::vector<std::string>& windowIntervalTitles() {
    static const std::vector<std::string> titles{"M1", "M5", "M10", "M15", "M30", "H1", "D1", "W1"};
    return titles;
}

const std::vector<std::string>& windowIntervalTitleKeys() {
    static const std::vector<std::string> keys{"90760", "90761", "90762", "90763", "90764", "90765", "90766", "90767"};
    return keys;
}

const std::vector<std::string>& windowChartTypeKeys() {
    static const std::vector<std::string> keys{"90510", "90511", "90512"};
    return keys;
}

const std::vector<std::string>& windowChartTypeImages() {
    static const std::vector<std::string> images{"linechart.png", "ohlcchart.png", "candlestickchart.png"};
    return images;
}

}  // namespace charts
