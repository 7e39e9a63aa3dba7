#pragma once
// A pie: one slice per record, its angle the record's share of the sum of the
// slice widths. A negative width is drawn by its magnitude and hatched, its
// legend swatch too, so that a loss never reads as a gain. Each record adds a
// legend row with the data source's title.
#include <vector>

#include "charts/plot/plot.h"

namespace charts::plot {

class PieChart : public Plot {
public:
    using Plot::Plot;
    enum class Direction { Clockwise, CounterClockwise };
    double pieRadius = 0;   // in pixels; 0: 0.35 of the plot area's smaller side
    double startAngle = 0;  // radians, counter-clockwise from the positive x axis
    Direction sliceDirection = Direction::CounterClockwise;
    LineStyle borderLine{Qt::transparent, 0.5};
    QColor fill = Qt::gray;  // where the data source gives no slice fill

    // The span of each record in radians (signed by the direction), index for index.
    std::vector<double> sliceSpans() const;

    void draw(QPainter& painter, const QRectF& area) override;
    QColor legendColor() const override { return fill; }
    std::vector<LegendEntry> legendEntries() const override;

private:
    bool negative(int record) const;
};

}  // namespace charts::plot
