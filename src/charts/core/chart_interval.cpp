#include "charts/core/chart_interval.h"

#include <array>

namespace charts {

namespace {
constexpr std::array<ChartIntervalInfo, 10> kIntervals = {{
    {"T", "Tick", 1, "90752"},
    {"O", "One Minute", 60, "90753"},  // not keyed: nameKey's fallback
    {"5", "Five Minutes", 300, "90754"},  // not keyed: nameKey's fallback
    {"1", "Ten Minutes", 600, "90755"},  // not keyed: nameKey's fallback
    {"15", "Fifteen Minutes", 900, "90756"},  // not keyed: nameKey's fallback
    {"3", "Thirty Minutes", 1800, "90757"},  // not keyed: nameKey's fallback
    {"H", "Hourly", 3600, "90508"},
    {"D", "D1", 86400, "90766"},  // the chart window's period titles
    {"W", "W1", 604800, "90767"},
    {"BA", "Mini Tick", 1, "90758"},  // not keyed: nameKey's fallback
}};
}  // namespace

std::optional<ChartIntervalInfo> intervalForIndex(int index) {
    if (index < 0 || index >= static_cast<int>(kIntervals.size())) return std::nullopt;
    return kIntervals[static_cast<std::size_t>(index)];
}

long long liveBarLength(int index) {
    const auto info = intervalForIndex(index);
    return info ? info->barSeconds : 1;
}

}  // namespace charts
