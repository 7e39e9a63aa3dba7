#include "charts/plot/xy_axis.h"

#include <cmath>

namespace charts::plot {

QString XYAxis::numberLabel(double value, int decimals, bool fixed) {
    QString s = QString::number(value, 'f', std::max(0, decimals));
    if (!fixed && s.contains(u'.')) {
        while (s.endsWith(u'0')) s.chop(1);
        if (s.endsWith(u'.')) s.chop(1);
    }
    if (s.startsWith(u'-') && s.toDouble() == 0) s.remove(0, 1);
    return s;
}

std::vector<std::pair<double, QString>> XYAxis::ticks(PlotRange range) const {
    std::vector<std::pair<double, QString>> out;
    const double lo = std::min(range.location, range.end());
    const double hi = std::max(range.location, range.end());
    if (!explicitTicks.empty()) {
        for (const auto& t : explicitTicks)
            if (t.first >= lo && t.first <= hi) out.push_back(t);
        return out;
    }
    if (!(majorInterval > 0) || !std::isfinite(majorInterval)) return out;
    // No more than a few hundred ticks, whatever the interval.
    if ((hi - lo) / majorInterval > 500) return out;
    const double first = origin + std::ceil((lo - origin) / majorInterval - 1e-9) * majorInterval;
    for (double v = first; v <= hi + majorInterval * 1e-9; v += majorInterval) out.emplace_back(v, numberLabel(v, maxDecimals, fixedDecimals));
    return out;
}

}  // namespace charts::plot
