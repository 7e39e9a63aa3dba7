#include "charts/plot/scatter_plot.h"

#include <QPainterPath>
#include <cmath>
#include <vector>

#include "charts/plot/plot_space.h"

namespace charts::plot {

namespace {

using Runs = std::vector<std::vector<QPointF>>;

// Qt strokes a long self-crossing antialiased path very slowly. A flat-capped
// segment per pair of points plus a disc of the pen's width at each point
// covers the same pixels as the round-joined path, and each piece is cheap.
void strokeAsSegments(QPainter& painter, const QPen& pen, const Runs& runs) {
    std::vector<QLineF> segments;
    for (const auto& run : runs)
        for (std::size_t i = 1; i < run.size(); ++i) segments.emplace_back(run[i - 1], run[i]);
    QPen flat = pen;
    flat.setCapStyle(Qt::FlatCap);
    painter.setPen(flat);
    painter.drawLines(segments.data(), static_cast<int>(segments.size()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(pen.color());
    const double r = pen.widthF() / 2;
    for (const auto& run : runs)
        if (run.size() > 1)
            for (const QPointF& p : run) painter.drawEllipse(p, r, r);
    painter.setBrush(Qt::NoBrush);
}

void strokeAsPath(QPainter& painter, const QPen& pen, const Runs& runs) {
    QPainterPath path;
    for (const auto& run : runs) {
        path.moveTo(run.front());
        for (std::size_t i = 1; i < run.size(); ++i) path.lineTo(run[i]);
    }
    painter.setPen(pen);
    painter.drawPath(path);
}

}  // namespace

void ScatterPlot::draw(QPainter& painter, const QRectF& area) {
    if (!dataSource || !plotSpace) return;
    Visible v = visibleRecords();
    if (drawsAllRecords) v = {0, dataSource->numberOfRecords(*this) - 1};
    Runs runs;
    bool open = false;
    // Very far points would overflow the painter's fixed-point arithmetic.
    const double limit = 1e6;
    // The painter's line rasterizer counts in 16.16 fixed point: segments
    // are drawn one by one only when all points are near the area.
    const QRectF near = area.adjusted(-1e4, -1e4, 1e4, 1e4);
    bool allNear = true;
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
        if (!open) runs.emplace_back();
        runs.back().push_back(p);
        open = true;
        allNear = allNear && near.contains(p);
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, antialiased);
    painter.setBrush(Qt::NoBrush);
    const QPen pen = line.pen();
    // Dashes run on across points, translucent pieces would darken where they
    // overlap, and crisp lines are fast already: these keep one path.
    if (antialiased && allNear && pen.style() == Qt::SolidLine && pen.widthF() > 0 &&
        pen.color().alpha() == 255)
        strokeAsSegments(painter, pen, runs);
    else
        strokeAsPath(painter, pen, runs);
    if (symbolSize > 0) {
        painter.setBrush(symbolFill);
        painter.setPen(Qt::NoPen);
        for (const auto& run : runs)
            for (const QPointF& p : run) painter.drawEllipse(p, symbolSize / 2, symbolSize / 2);
    }
    painter.restore();
}

}  // namespace charts::plot
