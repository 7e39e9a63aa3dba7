#pragma once
// A line through (x, y) of each record; a record without a value breaks the line.
#include "charts/plot/plot.h"

namespace charts::plot {

class ScatterPlot : public Plot {
public:
    using Plot::Plot;
    LineStyle line;
    // Each point marked by an ellipse of this size (0: none) in `symbolFill`.
    double symbolSize = 0;
    QColor symbolFill;
    // All records, not only those in the x range (lines between far points).
    bool drawsAllRecords = false;
    // Off: crisp one-pixel-aligned lines (level price lines).
    bool antialiased = true;

    void draw(QPainter& painter, const QRectF& area) override;
    QColor legendColor() const override { return line.color; }
};

}  // namespace charts::plot
