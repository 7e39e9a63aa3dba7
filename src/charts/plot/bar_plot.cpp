#include "charts/plot/bar_plot.h"

#include "charts/plot/plot_space.h"

namespace charts::plot {

void BarPlot::draw(QPainter& painter, const QRectF& area) {
    if (!dataSource || !plotSpace) return;
    const Visible v = visibleRecords();
    painter.save();
    painter.setPen(outline.width > 0 ? outline.pen() : QPen(Qt::NoPen));
    for (int r = v.first; r <= v.last; ++r) {
        const auto x = dataSource->number(*this, Field::X, r);
        const auto y = dataSource->number(*this, Field::Y, r);
        if (!x || !y) continue;
        const double centre = *x + barOffset;
        const QPointF a = plotSpace->toView(centre - barWidth / 2, *y, area);
        const QPointF b = plotSpace->toView(centre + barWidth / 2, baseValue, area);
        painter.setBrush(dataSource->barFill(*this, r).value_or(fill));
        painter.drawRect(QRectF(a, b).normalized());
    }
    painter.restore();
}

}  // namespace charts::plot
