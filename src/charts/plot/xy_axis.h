#pragma once
// One axis of an XY graph: its line and ticks at the edge of the plot area,
// labels, and dashed grid lines across the plot area at the major ticks.
#include <QColor>
#include <QString>
#include <utility>
#include <vector>

#include "charts/plot/plot.h"
#include "charts/plot/plot_range.h"

namespace charts::plot {

class XYAxis {
public:
    explicit XYAxis(Coordinate c) : coordinate(c) {}

    Coordinate coordinate;
    // x: at the bottom edge, ticks down; y: at the right edge, ticks right.
    LineStyle axisLine{Qt::lightGray, 1.0};
    LineStyle tickLine{Qt::lightGray, 1.0};
    double majorTickLength = 3.0;
    double labelOffset = 2.0;
    QColor labelColor = Qt::lightGray;
    double labelFontSize = 12.0;
    bool gridLines = true;
    LineStyle gridLine{QColor::fromRgbF(0.196, 0.196, 0.196), 0.8, Qt::CustomDashLine};

    // Explicit ticks with their labels (x axis) ...
    std::vector<std::pair<double, QString>> explicitTicks;
    // ... or ticks every `majorInterval` from `origin`, labelled with at most `maxDecimals` places.
    double majorInterval = 0;
    double origin = 0;
    int maxDecimals = 2;
    // Prices keep all their places (1880.00 beside 1883.42).
    bool fixedDecimals = false;

    // The ticks in `range`: the explicit ones, or those of the interval.
    std::vector<std::pair<double, QString>> ticks(PlotRange range) const;
    // A number with at most `decimals` places, trailing zeros dropped, no grouping.
    static QString numberLabel(double value, int decimals, bool fixed = false);
};

}  // namespace charts::plot
