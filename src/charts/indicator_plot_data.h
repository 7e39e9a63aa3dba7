#pragma once
// The values of indicator plots, one series of its own per plot: record r is
// drawn at x = r + 1 for r below DATAPOINTS and inside the series, when finite.
#include <QColor>
#include <QString>
#include <map>

#include "charts/core/chart_window.h"
#include "charts/core/indicators.h"
#include "charts/plot/plot.h"

namespace charts {

class IndicatorPlotData : public plot::PlotDataSource {
public:
    explicit IndicatorPlotData(const ChartWindow& window) : window_(window) {}

    // `directionFill`: bars green when not below the previous record, red otherwise.
    void set(const QString& identifier, indicators::Series values, bool directionFill = false);
    void erase(const QString& identifier) { entries_.erase(identifier); }
    void clear() { entries_.clear(); }
    const indicators::Series* values(const QString& identifier) const;

    int numberOfRecords(const plot::Plot& plot) override;
    std::optional<double> number(const plot::Plot& plot, plot::Field field, int record) override;
    std::optional<QColor> barFill(const plot::Plot& plot, int record) override;

private:
    struct Entry {
        indicators::Series values;
        bool directionFill = false;
    };
    const Entry* entry(const plot::Plot& plot) const;

    const ChartWindow& window_;
    std::map<QString, Entry> entries_;
};

}  // namespace charts
