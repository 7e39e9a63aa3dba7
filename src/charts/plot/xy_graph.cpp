#include "charts/plot/xy_graph.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

namespace charts::plot {

namespace {
QFont fontOfSize(double points) {
    QFont f;
    f.setPointSizeF(points);
    return f;
}
}  // namespace

Qt::TextFlag textDirection(const QString& label) {
    return label.isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
}

XYGraph::XYGraph(GraphTheme theme, const QString& spaceIdentifier) : theme_(theme) {
    spaces_.push_back(std::make_unique<PlotSpace>(spaceIdentifier));
    xAxis.gridLine.style = Qt::CustomDashLine;
    yAxis.gridLine.style = Qt::CustomDashLine;
}

Plot& XYGraph::addPlot(std::unique_ptr<Plot> plot) {
    if (!plot->plotSpace) plot->plotSpace = &defaultPlotSpace();
    removePlot(plot->identifier());
    plots_.push_back(std::move(plot));
    return *plots_.back();
}

void XYGraph::removePlot(const QString& identifier) {
    const QString id = identifier;  // may be the identifier of a plot erased here
    std::erase_if(plots_, [&](const auto& p) { return p->identifier() == id; });
}

Plot* XYGraph::plotWithIdentifier(const QString& identifier) const {
    for (const auto& p : plots_)
        if (p->identifier() == identifier) return p.get();
    return nullptr;
}

PlotSpaceAnnotation& XYGraph::addAnnotation(std::unique_ptr<PlotSpaceAnnotation> annotation) {
    annotations_.push_back(std::move(annotation));
    return *annotations_.back();
}

void XYGraph::removeAnnotation(const PlotSpaceAnnotation* annotation) {
    std::erase_if(annotations_, [&](const auto& a) { return a.get() == annotation; });
}

QRectF XYGraph::plotArea(const QRectF& bounds) const {
    return bounds.marginsRemoved(padding).marginsRemoved(plotAreaPadding);
}

void XYGraph::render(QPainter& painter, const QRectF& bounds) const {
    const GraphThemeColors colors = themeColors(theme_);
    painter.save();
    painter.setClipRect(bounds);
    painter.fillRect(bounds, colors.background);
    const QRectF area = plotArea(bounds);
    if (area.width() > 1 && area.height() > 1) {
        if (hasAxisSet) drawGrid(painter, area);
        painter.save();
        painter.setClipRect(area);
        for (const auto& p : plots_) p->draw(painter, area);
        painter.restore();
        if (hasAxisSet) drawAxes(painter, bounds, area);
        drawLegend(painter, bounds, area);
        drawAnnotations(painter, bounds, area);
    }
    if (border.width > 0) {
        painter.setPen(border.pen());
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(bounds.marginsRemoved(padding));
    }
    painter.restore();
}

void XYGraph::drawGrid(QPainter& painter, const QRectF& area) const {
    const PlotSpace& space = *spaces_.front();
    painter.save();
    for (const XYAxis* axis : {&xAxis, &yAxis}) {
        if (!axis->gridLines) continue;
        QPen pen = axis->gridLine.pen();
        pen.setCapStyle(Qt::FlatCap);
        if (axis->gridLine.style == Qt::CustomDashLine) pen.setDashPattern({3.0 / pen.widthF(), 3.0 / pen.widthF()});
        painter.setPen(pen);
        const bool isX = axis->coordinate == Coordinate::X;
        for (const auto& [v, label] : isX ? axis->ticks(space.xRange()) : yTicks(area, painter.device())) {
            const QPointF p = space.toView(isX ? v : 0, isX ? 0 : v, area);
            if (isX) painter.drawLine(QPointF(p.x(), area.top()), QPointF(p.x(), area.bottom()));
            else painter.drawLine(QPointF(area.left(), p.y()), QPointF(area.right(), p.y()));
        }
    }
    painter.restore();
}

void XYGraph::drawAxes(QPainter& painter, const QRectF& bounds, const QRectF& area) const {
    const PlotSpace& space = *spaces_.front();
    painter.save();
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    // x: bottom edge, ticks and labels below; labels that would overlap the previous one are left out.
    painter.setPen(xAxis.axisLine.pen());
    painter.drawLine(area.bottomLeft(), area.bottomRight());
    painter.setFont(fontOfSize(xAxis.labelFontSize));
    painter.setPen(xAxis.tickLine.pen());
    for (const auto& [v, label] : xAxis.ticks(space.xRange())) {
        const double x = space.toView(v, 0, area).x();
        painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + xAxis.majorTickLength));
    }
    painter.setPen(xAxis.labelColor);
    for (const auto& [box, label] : xLabels(area, painter.device()))
        painter.drawText(box, Qt::AlignCenter | textDirection(label), label);
    // y: right edge, ticks and labels to the right, centred on their value.
    painter.setPen(yAxis.axisLine.pen());
    painter.drawLine(area.topRight(), area.bottomRight());
    painter.setFont(fontOfSize(yAxis.labelFontSize));
    for (const auto& [v, label] : yTicks(area, painter.device())) {
        const double y = space.toView(0, v, area).y();
        painter.setPen(yAxis.tickLine.pen());
        painter.drawLine(QPointF(area.right(), y), QPointF(area.right() + yAxis.majorTickLength, y));
    }
    painter.setPen(yAxis.labelColor);
    for (const auto& [box, label] : yLabels(bounds, area, painter.device())) painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, label);
    painter.restore();
}

std::vector<std::pair<QRectF, QString>> XYGraph::xLabels(const QRectF& area, QPaintDevice* device) const {
    std::vector<std::pair<QRectF, QString>> out;
    if (!hasAxisSet) return out;
    const PlotSpace& space = *spaces_.front();
    const QFontMetricsF xm(fontOfSize(xAxis.labelFontSize), device);
    double lastRight = -1e9;
    for (const auto& [v, label] : xAxis.ticks(space.xRange())) {
        if (label.isEmpty()) continue;
        const double x = space.toView(v, 0, area).x();
        const double w = xm.horizontalAdvance(label);
        QRectF box(x - w / 2, area.bottom() + xAxis.majorTickLength + xAxis.labelOffset, w, xm.height());
        if (box.left() < area.left()) box.moveLeft(area.left());  // the first label is not cut
        if (box.left() < lastRight + 8) continue;
        if (box.right() > area.right() + plotAreaPadding.right()) continue;  // none cut at the graph's edge
        lastRight = box.right();
        out.emplace_back(box, label);
    }
    return out;
}

std::vector<std::pair<QRectF, QString>> XYGraph::yLabels(const QRectF& bounds, const QRectF& area,
                                                         QPaintDevice* device) const {
    std::vector<std::pair<QRectF, QString>> out;
    if (!hasAxisSet) return out;
    const PlotSpace& space = *spaces_.front();
    const QFontMetricsF ym(fontOfSize(yAxis.labelFontSize), device);
    std::vector<QRectF> covered;
    for (const auto& box : annotationBoxes(bounds, area, device))
        if (box) covered.push_back(*box);
    for (const auto& [v, label] : yTicks(area, device)) {
        const double y = space.toView(0, v, area).y();
        const QRectF box(area.right() + yAxis.majorTickLength + yAxis.labelOffset, y - ym.height() / 2,
                         ym.horizontalAdvance(label) + 1, ym.height());
        // A price label drawn over it shows the price there: the axis label gives way.
        if (std::any_of(covered.begin(), covered.end(), [&](const QRectF& c) { return c.intersects(box); })) continue;
        out.emplace_back(box, label);
    }
    return out;
}

std::vector<std::pair<double, QString>> XYGraph::yTicks(const QRectF& area, QPaintDevice* device) const {
    const PlotRange range = spaces_.front()->yRange();
    const double perUnit = range.length != 0 ? area.height() / std::abs(range.length) : 0;
    const double apart = yAxis.majorInterval * perUnit;
    const double needed = QFontMetricsF(fontOfSize(yAxis.labelFontSize), device).height() + 2;
    if (!yAxis.explicitTicks.empty() || !(apart > 0) || apart >= needed) return yAxis.ticks(range);
    XYAxis sparser = yAxis;
    sparser.majorInterval *= std::ceil(needed / apart);
    return sparser.ticks(range);
}

std::vector<std::optional<QRectF>> XYGraph::annotationBoxes(const QRectF& bounds, const QRectF& area,
                                                            QPaintDevice* device) const {
    std::vector<std::optional<QRectF>> boxes(annotations_.size());
    std::vector<std::pair<double, std::size_t>> wanted;  // centre y before clamping, index
    for (std::size_t i = 0; i < annotations_.size(); ++i) {
        const PlotSpaceAnnotation& a = *annotations_[i];
        if (!a.plotSpace || a.text.isEmpty()) continue;
        const QFontMetricsF m(fontOfSize(a.fontSize), device);
        const QPointF anchor = a.plotSpace->toView(a.anchorX, a.anchorY, area);
        QRectF box(0, 0, m.horizontalAdvance(a.text) + 6, m.height() + 2);
        box.moveCenter(anchor + QPointF(a.displacementX, -a.displacementY));
        wanted.emplace_back(box.center().y(), i);
        // Inside the graph, and level with the plot area.
        if (box.right() > bounds.right()) box.moveRight(bounds.right());
        if (box.left() < bounds.left()) box.moveLeft(bounds.left());
        if (box.top() < area.top()) box.moveTop(area.top());
        if (box.bottom() > area.bottom()) box.moveBottom(area.bottom());
        boxes[i] = box;
    }
    // Top to bottom: each box goes below those above it that it meets, then,
    // from the bottom up, above those below it where the area ends.
    std::stable_sort(wanted.begin(), wanted.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const auto sideBySide = [](const QRectF& a, const QRectF& b) { return a.left() < b.right() && b.left() < a.right(); };
    for (std::size_t k = 0; k < wanted.size(); ++k) {
        QRectF& box = *boxes[wanted[k].second];
        for (std::size_t j = 0; j < k; ++j) {
            const QRectF& above = *boxes[wanted[j].second];
            if (sideBySide(box, above) && box.top() < above.bottom()) box.moveTop(above.bottom());
        }
    }
    for (std::size_t k = wanted.size(); k-- > 0;) {
        QRectF& box = *boxes[wanted[k].second];
        if (box.bottom() > area.bottom()) box.moveBottom(area.bottom());
        for (std::size_t j = k + 1; j < wanted.size(); ++j) {
            const QRectF& below = *boxes[wanted[j].second];
            if (sideBySide(box, below) && box.bottom() > below.top()) box.moveBottom(below.top());
        }
    }
    return boxes;
}

void XYGraph::drawAnnotations(QPainter& painter, const QRectF& bounds, const QRectF& area) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const auto boxes = annotationBoxes(bounds, area, painter.device());
    for (std::size_t i = 0; i < annotations_.size(); ++i) {
        const auto& a = annotations_[i];
        const auto& box = boxes[i];
        if (!box) continue;
        painter.setFont(fontOfSize(a->fontSize));
        painter.setPen(Qt::NoPen);
        painter.setBrush(a->fill);
        painter.drawRoundedRect(*box, a->cornerRadius, a->cornerRadius);
        painter.setPen(a->textColor);
        painter.drawText(*box, Qt::AlignCenter, a->text);
    }
    painter.restore();
}

void XYGraph::drawLegend(QPainter& painter, const QRectF& bounds, const QRectF& area) const {
    if (!legend) return;
    std::vector<LegendEntry> entries;
    for (const auto& p : plots_)
        for (LegendEntry& e : p->legendEntries()) entries.push_back(std::move(e));
    if (entries.empty()) return;
    painter.save();
    QFont font = fontOfSize(legend->fontSize);
    font.setBold(legend->boldFont);
    painter.setFont(font);
    QFontMetricsF m(painter.font());
    const double swatch = legend->swatchSize > 0 ? legend->swatchSize : m.height() * 0.8;
    const double rowHeight = std::max(m.height(), swatch);
    auto drawEntry = [&](const LegendEntry& e, double x, double y, double w) {
        const QRectF box(x, y + (rowHeight - swatch) / 2, swatch, swatch);
        painter.fillRect(box, e.color);
        if (e.hatched) {
            QPainterPath shape;
            shape.addRect(box);
            drawHatch(painter, shape, e.color);
        }
        painter.setPen(legend->textColor);
        painter.drawText(QRectF(x + swatch + 4, y, w - swatch - 4, rowHeight), Qt::AlignLeft | Qt::AlignVCenter,
                         e.title);
    };
    if (legend->layout != Legend::Layout::TopLeftRow) {
        double w = 0;
        for (const LegendEntry& e : entries) w = std::max(w, swatch + 4 + m.horizontalAdvance(e.title) + 1);
        const double h = rowHeight * static_cast<double>(entries.size()) + 2.0 * static_cast<double>(entries.size() - 1);
        const bool right = legend->layout == Legend::Layout::RightColumn;
        const double x = (right ? bounds.right() - w : bounds.center().x() - w / 2) + legend->displacement.x();
        double y = (right ? bounds.center().y() - h / 2 : bounds.bottom() - h) - legend->displacement.y();
        if (legend->fill.alpha() > 0) painter.fillRect(QRectF(x - 3, y - 3, w + 6, h + 6), legend->fill);
        for (const LegendEntry& e : entries) {
            drawEntry(e, x, y, w);
            y += rowHeight + 2;
        }
        painter.restore();
        return;
    }
    double x = area.left() + legend->margin;
    const double y = area.top() + legend->margin;
    for (const LegendEntry& e : entries) {
        const double w = swatch + 4 + m.horizontalAdvance(e.title);
        if (legend->fill.alpha() > 0) painter.fillRect(QRectF(x - 2, y - 2, w + 4, rowHeight + 4), legend->fill);
        drawEntry(e, x, y, w);
        x += w + 12;
    }
    painter.restore();
}

}  // namespace charts::plot
