#include "charts/plot/plot_space.h"

#include <cmath>

namespace charts::plot {

void PlotSpace::setRange(PlotRange r, Coordinate c) {
    if (!std::isfinite(r.location) || !std::isfinite(r.length)) return;
    if (delegate) r = delegate->willChangePlotRange(*this, r, c);
    (c == Coordinate::X ? x_ : y_) = r;
    if (delegate) delegate->didChangePlotRange(*this, c);
}

QPointF PlotSpace::toView(double x, double y, const QRectF& area) const {
    const double sx = x_.length != 0 ? area.width() / x_.length : 0;
    const double sy = y_.length != 0 ? area.height() / y_.length : 0;
    return {area.left() + (x - x_.location) * sx, area.bottom() - (y - y_.location) * sy};
}

QPointF PlotSpace::toPlot(QPointF view, const QRectF& area) const {
    const double w = area.width() > 0 ? area.width() : 1;
    const double h = area.height() > 0 ? area.height() : 1;
    return {x_.location + (view.x() - area.left()) / w * x_.length,
            y_.location + (area.bottom() - view.y()) / h * y_.length};
}

void PlotSpace::pointerDown(QPointF view, const QRectF& area) {
    const QPointF p = toPlot(view, area);
    const bool handle = !delegate || delegate->pointerDown(*this, p);
    dragFrom_.reset();
    if (handle && allowsUserInteraction && area.contains(view)) dragFrom_ = p;
}

void PlotSpace::pointerDragged(QPointF view, const QRectF& area) {
    const QPointF p = toPlot(view, area);
    const bool handle = !delegate || delegate->pointerDragged(*this, p);
    if (!handle || !allowsUserInteraction || !dragFrom_) return;
    const QPointF by(dragFrom_->x() - p.x(), scrollsY ? dragFrom_->y() - p.y() : 0.0);
    if (delegate && !delegate->shouldDisplace(*this, by)) return;
    setXRange({x_.location + by.x(), x_.length});
    if (scrollsY) setYRange({y_.location + by.y(), y_.length});
    // The point under the pointer stays where the drag took it.
    dragFrom_ = toPlot(view, area);
}

void PlotSpace::pointerUp(QPointF view, const QRectF& area) {
    dragFrom_.reset();
    if (delegate) delegate->pointerUp(*this, toPlot(view, area));
}

void PlotSpace::pointerCancelled() {
    dragFrom_.reset();
    if (delegate) delegate->pointerCancelled(*this);
}

void PlotSpace::scaleBy(double factor, QPointF view, const QRectF& area) {
    if (!allowsUserInteraction || !(factor > 0) || !std::isfinite(factor)) return;
    const QPointF about = toPlot(view, area);
    if (delegate && !delegate->shouldScale(*this, factor, about)) return;
    setXRange({about.x() - (about.x() - x_.location) / factor, x_.length / factor});
    if (scrollsY) setYRange({about.y() - (about.y() - y_.location) / factor, y_.length / factor});
}

}  // namespace charts::plot
