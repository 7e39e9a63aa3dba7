#include "charts/plot/scatter_plot.h"

#include <QPainterPath>
#include <cmath>

#include "charts/plot/plot_space.h"

namespace charts::plot {

void ScatterPlot::draw(QPainter& painter, const QRectF& area) {
    if (!dataSource || !plotSpace) return;
    Visible v = visibleRecords();
    if (drawsAllRecords) v = {0, dataSource->numberOfRecords(*this) - 1};
    QPainterPath path;
    bool open = false;
    std::vector<QPointF> symbols;
    // Very far points would overflow the painter's fixed-point arithmetic.
    const double limit = 1e6;
    for (int r = v.first; r <= v.last; ++r) {
        const auto x = dataSource->number(*this, Field::X, r);
        const auto y = dataSource->number(*this, Field::Y, r);
        if (!x || !y) {
            open = false;
            continue;
        }
        QPointF p = plotSpace->toView(*x, *y, area);
        p.setX(std::clamp(p.x(), -limit, limit));
        p.setY(std::clamp(p.y(), -limit, limit));
        if (open) path.lineTo(p);
        else path.moveTo(p);
        open = true;
        if (symbolSize > 0) symbols.push_back(p);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(line.pen());
    painter.drawPath(path);
    if (symbolSize > 0) {
        painter.setBrush(symbolFill);
        painter.setPen(Qt::NoPen);
        for (const QPointF& p : symbols) painter.drawEllipse(p, symbolSize / 2, symbolSize / 2);
    }
    painter.restore();
}

}  // namespace charts::plot
