#pragma once
// The indicator sub-graph's window onto its values: the high and low of the
// visible records, its y range, the y interval and the bars that get an x tick.
#include <vector>

#include "charts/core/chart_window.h"
#include "charts/core/indicators.h"

namespace charts {

struct IndicatorHighLow {
    double min = 0;
    double max = 0;
};

// Over the finite values of the records the main window shows (fromX up to
// fromX + lengthX, below DATAPOINTS), starting from record fromX or, when it
// has none, the first visible one that has a value; none at all: 0.
IndicatorHighLow findIndicatorHighLow(const indicators::Series& values, const ChartWindow& window);

// One plot of a sub-graph: its values and whether it draws bars, which stand on 0.
struct PanePlotValues {
    indicators::Series values;
    bool bars = false;
};

// The high and low that hold every plot of the sub-graph: each plot's visible
// values as above, bars from 0 to their values; no plot with a value: 0.
IndicatorHighLow findPaneHighLow(const std::vector<PanePlotValues>& plots, const ChartWindow& window);

// From 0.2 % of the span below the low, 110 % of the span long; a zero span is the chart's minimal span.
AxisRange indicatorYRange(IndicatorHighLow range);
// A quarter of the span.
double indicatorMajorInterval(IndicatorHighLow range);

// The visible bars that get a tick: every max(1, int(lengthX / 6)) bars from bar 0, below DATAPOINTS.
std::vector<int> indicatorTickBars(const ChartWindow& window);

}  // namespace charts
