#include "charts/indicator_plot_data.h"

#include <algorithm>
#include <cmath>

#include "charts/core/indicator_table.h"

namespace charts {

void IndicatorPlotData::set(const QString& identifier, indicators::Series values, bool directionFill) {
    entries_[identifier] = Entry{std::move(values), directionFill};
}

const indicators::Series* IndicatorPlotData::values(const QString& identifier) const {
    const auto it = entries_.find(identifier);
    return it == entries_.end() ? nullptr : &it->second.values;
}

const IndicatorPlotData::Entry* IndicatorPlotData::entry(const plot::Plot& plot) const {
    const auto it = entries_.find(plot.identifier());
    return it == entries_.end() ? nullptr : &it->second;
}

int IndicatorPlotData::numberOfRecords(const plot::Plot& plot) {
    const Entry* e = entry(plot);
    if (!e) return 0;
    return std::max(0, std::min(window_.DATAPOINTS, static_cast<int>(e->values.size())));
}

std::optional<double> IndicatorPlotData::number(const plot::Plot& plot, plot::Field field, int record) {
    const Entry* e = entry(plot);
    if (!e || record < 0 || record >= window_.DATAPOINTS || static_cast<std::size_t>(record) >= e->values.size())
        return std::nullopt;
    if (field == plot::Field::X) return record + 1.0;
    const double v = e->values[static_cast<std::size_t>(record)];
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

std::optional<QColor> IndicatorPlotData::barFill(const plot::Plot& plot, int record) {
    const Entry* e = entry(plot);
    if (!e || !e->directionFill) return std::nullopt;
    return risingBar(e->values, record) ? QColor(0, 255, 0) : QColor(255, 0, 0);
}

}  // namespace charts
