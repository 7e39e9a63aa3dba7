#include "charts/plot/pie_chart.h"

#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace charts::plot {

std::vector<double> PieChart::sliceSpans() const {
    std::vector<double> spans;
    if (!dataSource) return spans;
    const int n = std::max(0, dataSource->numberOfRecords(*this));
    spans.reserve(static_cast<std::size_t>(n));
    double total = 0;
    for (int r = 0; r < n; ++r) {
        const double w = std::fabs(dataSource->number(*this, Field::SliceWidth, r).value_or(0));
        spans.push_back(std::isfinite(w) ? w : 0);
        total += spans.back();
    }
    const double sign = sliceDirection == Direction::CounterClockwise ? 1 : -1;
    for (double& s : spans) s = total > 0 ? sign * s / total * 2 * std::numbers::pi : 0;
    return spans;
}

bool PieChart::negative(int record) const {
    return dataSource && dataSource->number(*this, Field::SliceWidth, record).value_or(0) < 0;
}

void PieChart::draw(QPainter& painter, const QRectF& area) {
    const std::vector<double> spans = sliceSpans();
    const double radius = pieRadius > 0 ? pieRadius : std::min(area.width(), area.height()) * 0.35;
    if (radius <= 0) return;
    const QRectF circle(area.center().x() - radius, area.center().y() - radius, 2 * radius, 2 * radius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(borderLine.width > 0 && borderLine.color.alpha() > 0 ? borderLine.pen() : QPen(Qt::NoPen));
    constexpr double kDegrees = 180.0 / std::numbers::pi;
    double angle = startAngle;
    for (std::size_t r = 0; r < spans.size(); ++r) {
        if (spans[r] == 0) continue;
        const int record = static_cast<int>(r);
        const QColor colour = dataSource->sliceFill(*this, record).value_or(fill);
        painter.setBrush(colour);
        QPainterPath slice(circle.center());
        slice.arcTo(circle, angle * kDegrees, spans[r] * kDegrees);
        slice.closeSubpath();
        painter.drawPath(slice);
        if (negative(record)) drawHatch(painter, slice, colour);
        angle += spans[r];
    }
    painter.restore();
}

std::vector<LegendEntry> PieChart::legendEntries() const {
    std::vector<LegendEntry> entries;
    if (!dataSource) return entries;
    const int n = dataSource->numberOfRecords(*this);
    for (int r = 0; r < n; ++r)
        entries.push_back({dataSource->sliceFill(*this, r).value_or(fill), dataSource->legendTitle(*this, r), negative(r)});
    return entries;
}

}  // namespace charts::plot
