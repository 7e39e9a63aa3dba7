#pragma once
// A plot space maps plot coordinates onto the plot area and turns the pointer
// into scrolling, zooming and pointer calls of its delegate. Every change of a
// range, the owner's own included, goes through the delegate.
#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>

#include "charts/plot/plot_range.h"

namespace charts::plot {

class PlotSpace;

class PlotSpaceDelegate {
public:
    virtual ~PlotSpaceDelegate() = default;
    // The range that will be set in place of `asked`.
    virtual PlotRange willChangePlotRange(PlotSpace&, PlotRange asked, Coordinate) { return asked; }
    virtual void didChangePlotRange(PlotSpace&, Coordinate) {}
    // False refuses a drag displacement (in plot units).
    virtual bool shouldDisplace(PlotSpace&, QPointF) { return true; }
    // False refuses a zoom step.
    virtual bool shouldScale(PlotSpace&, double, QPointF) { return true; }
    // Pointer events at plot coordinates; false keeps the plot space from handling them.
    virtual bool pointerDown(PlotSpace&, QPointF) { return true; }
    virtual bool pointerDragged(PlotSpace&, QPointF) { return true; }
    virtual bool pointerUp(PlotSpace&, QPointF) { return true; }
    virtual bool pointerCancelled(PlotSpace&) { return true; }
};

class PlotSpace {
public:
    explicit PlotSpace(QString identifier) : identifier_(std::move(identifier)) {}

    const QString& identifier() const { return identifier_; }
    PlotRange xRange() const { return x_; }
    PlotRange yRange() const { return y_; }
    void setXRange(PlotRange r) { setRange(r, Coordinate::X); }
    void setYRange(PlotRange r) { setRange(r, Coordinate::Y); }

    // Off: no scrolling or zooming; pointer events still reach the delegate.
    bool allowsUserInteraction = true;
    // Drags and zooms move y as well as x.
    bool scrollsY = true;
    PlotSpaceDelegate* delegate = nullptr;

    // Plot point <-> view point inside `area`.
    QPointF toView(double x, double y, const QRectF& area) const;
    QPointF toPlot(QPointF view, const QRectF& area) const;

    // Pointer events in view coordinates over `area`.
    void pointerDown(QPointF view, const QRectF& area);
    void pointerDragged(QPointF view, const QRectF& area);
    void pointerUp(QPointF view, const QRectF& area);
    void pointerCancelled();
    // Zoom by `factor` (> 1 shows fewer units) about a view point.
    void scaleBy(double factor, QPointF view, const QRectF& area);

private:
    void setRange(PlotRange r, Coordinate c);

    QString identifier_;
    PlotRange x_;
    PlotRange y_;
    std::optional<QPointF> dragFrom_;  // plot point where the drag started
};

}  // namespace charts::plot
