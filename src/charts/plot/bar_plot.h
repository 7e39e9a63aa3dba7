#pragma once
// A bar from the base value to y of each record at its x; the data source may
// colour each bar.
#include "charts/plot/plot.h"

namespace charts::plot {

class BarPlot : public Plot {
public:
    using Plot::Plot;
    double baseValue = 0;
    double barWidth = 0.6;  // in x units
    double barOffset = 0;   // of the bar's centre from its x, in x units
    QColor fill = Qt::gray;
    LineStyle outline{Qt::transparent, 0};

    void draw(QPainter& painter, const QRectF& area) override;
    QColor legendColor() const override { return fill; }
};

}  // namespace charts::plot
