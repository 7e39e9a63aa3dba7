#include "charts/core/chart_interval.h"

#include <array>

namespace charts {

namespace {
constexpr std::array<ChartIntervalInfo, 10> kIntervals = {{
    {"T", "Tick", 1},
    {"O", "One Minute", 60},
    {"5", "Five Minutes", 300},
    {"1", "Ten Minutes", 600},
    {"15", "Fifteen Minutes", 900},
    {"3", "Thirty Minutes", 1800},
    {"H", "Hourly", 3600},
    {"D", "Daily", 86400},
    {"W", "Weekly", 604800},
    {"BA", "Mini Tick", 1},
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
