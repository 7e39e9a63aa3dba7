#include "charts/plot/plot.h"

#include <algorithm>

#include "charts/plot/plot_space.h"

namespace charts::plot {

QPen LineStyle::pen() const {
    QPen p(color, width, style, Qt::RoundCap, Qt::RoundJoin);
    // A custom dash is 3 pixels on, 3 off (the pattern counts in pen widths).
    if (style == Qt::CustomDashLine && width > 0) {
        p.setDashPattern({3.0 / width, 3.0 / width});
        p.setCapStyle(Qt::FlatCap);
    }
    return p;
}

void drawHatch(QPainter& painter, const QPainterPath& shape, const QColor& fill) {
    constexpr double kPitch = 6.0;
    painter.save();
    painter.setClipPath(shape, Qt::IntersectClip);
    QPen pen(fill.lightness() > 110 ? QColor(0, 0, 0, 150) : QColor(255, 255, 255, 170), kPitch / 3);
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    const QRectF box = shape.boundingRect();
    for (double x = box.left() - box.height(); x < box.right(); x += kPitch)
        painter.drawLine(QPointF(x, box.bottom()), QPointF(x + box.height(), box.top()));
    painter.restore();
}

std::vector<LegendEntry> Plot::legendEntries() const {
    if (title.isEmpty()) return {};
    return {LegendEntry{legendColor(), title}};
}

Plot::Visible Plot::visibleRecords() const {
    Visible v;
    if (!dataSource || !plotSpace) return v;
    const int n = dataSource->numberOfRecords(*this);
    if (n <= 0) return v;
    const PlotRange x = plotSpace->xRange();
    // Records are in x order: find the window by bisection on the records that have an x.
    auto xOf = [&](int r) { return dataSource->number(*this, Field::X, r); };
    auto firstAtOrAfter = [&](double bound) {
        int lo = 0, hi = n;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            const auto mx = xOf(mid);
            if (mx && *mx < bound) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    };
    v.first = std::max(0, firstAtOrAfter(x.location) - 1);
    v.last = std::min(n - 1, firstAtOrAfter(x.end()));
    return v;
}

}  // namespace charts::plot
