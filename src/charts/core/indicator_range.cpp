#include "charts/core/indicator_range.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace charts {

namespace {

std::optional<IndicatorHighLow> visibleHighLow(const indicators::Series& values, const ChartWindow& window) {
    auto valueAt = [&](long long r) -> const double* {
        if (r < 0 || static_cast<std::size_t>(r) >= values.size() || !std::isfinite(values[static_cast<std::size_t>(r)]))
            return nullptr;
        return &values[static_cast<std::size_t>(r)];
    };
    const double end = window.fromX + window.lengthX;
    bool found = false;
    IndicatorHighLow out;
    for (long long r = window.fromX; static_cast<double>(r) < end && r < window.DATAPOINTS; ++r) {
        const double* v = valueAt(r);
        if (!v) continue;
        out.min = found ? std::min(out.min, *v) : *v;
        out.max = found ? std::max(out.max, *v) : *v;
        found = true;
    }
    // An empty window keeps record fromX's value when it has one.
    if (!found) {
        const double* v = valueAt(window.fromX);
        if (!v) return std::nullopt;
        out.min = out.max = *v;
    }
    return out;
}

}  // namespace

IndicatorHighLow findIndicatorHighLow(const indicators::Series& values, const ChartWindow& window) {
    return visibleHighLow(values, window).value_or(IndicatorHighLow{});
}

IndicatorHighLow findPaneHighLow(const std::vector<PanePlotValues>& plots, const ChartWindow& window) {
    std::optional<IndicatorHighLow> out;
    for (const PanePlotValues& plot : plots) {
        std::optional<IndicatorHighLow> range = visibleHighLow(plot.values, window);
        if (!range) continue;
        if (plot.bars) range = IndicatorHighLow{std::min(range->min, 0.0), std::max(range->max, 0.0)};
        out = out ? IndicatorHighLow{std::min(out->min, range->min), std::max(out->max, range->max)} : *range;
    }
    return out.value_or(IndicatorHighLow{});
}

AxisRange indicatorYRange(IndicatorHighLow range) {
    const double span = ChartWindow::spanOf(range.max, range.min);
    return {range.min + span * (-0.2) / 100, span * 10 / 100 + span};
}

double indicatorMajorInterval(IndicatorHighLow range) { return ChartWindow::spanOf(range.max, range.min) * 0.25; }

std::vector<int> indicatorTickBars(const ChartWindow& window) {
    std::vector<int> bars;
    const int step = std::max(1, static_cast<int>(window.lengthX / 6));
    const double end = window.fromX + window.lengthX;
    const int first = std::max(0, (window.fromX + step - 1) / step * step);
    for (int r = first; r <= end && r < window.DATAPOINTS; r += step) bars.push_back(r);
    return bars;
}

}  // namespace charts
