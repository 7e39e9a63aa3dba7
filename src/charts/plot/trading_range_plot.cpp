#include "charts/plot/trading_range_plot.h"

#include <algorithm>
#include <cmath>

#include "charts/plot/plot_space.h"

namespace charts::plot {

void TradingRangePlot::draw(QPainter& painter, const QRectF& area) {
    if (!dataSource || !plotSpace) return;
    const Visible v = visibleRecords();
    const PlotRange xr = plotSpace->xRange();
    const double spacing = xr.length > 0 ? area.width() / xr.length : area.width();
    const double body = std::max(1.0, std::min(barWidth, spacing * 0.8));
    const double stick = std::min(stickLength, std::max(1.0, spacing * 0.4));
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, spacing > 4);
    for (int r = v.first; r <= v.last; ++r) {
        const auto x = dataSource->number(*this, Field::X, r);
        const auto o = dataSource->number(*this, Field::Open, r);
        const auto h = dataSource->number(*this, Field::High, r);
        const auto l = dataSource->number(*this, Field::Low, r);
        const auto c = dataSource->number(*this, Field::Close, r);
        if (!x || !o || !h || !l || !c) continue;
        const double px = plotSpace->toView(*x, 0, area).x();
        // Far values would overflow the painter's fixed-point arithmetic.
        auto y = [&](double value) { return std::clamp(plotSpace->toView(*x, value, area).y(), -1e6, 1e6); };
        if (style == Style::OHLC) {
            painter.setPen(line.pen());
            painter.drawLine(QPointF(px, y(*h)), QPointF(px, y(*l)));
            painter.drawLine(QPointF(px - stick, y(*o)), QPointF(px, y(*o)));
            painter.drawLine(QPointF(px, y(*c)), QPointF(px + stick, y(*c)));
            continue;
        }
        const bool rise = *c >= *o;
        const LineStyle& edge = rise ? increaseLine : decreaseLine;
        painter.setPen(edge.pen());
        painter.drawLine(QPointF(px, y(*h)), QPointF(px, y(std::max(*o, *c))));
        painter.drawLine(QPointF(px, y(std::min(*o, *c))), QPointF(px, y(*l)));
        const double top = y(std::max(*o, *c));
        const double height = std::max(1.0, y(std::min(*o, *c)) - top);
        painter.setBrush(rise ? increaseFill : decreaseFill);
        painter.drawRect(QRectF(px - body / 2, top, body, height));
    }
    painter.restore();
}

}  // namespace charts::plot
