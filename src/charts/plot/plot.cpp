#include "charts/plot/plot.h"

#include <algorithm>

#include "charts/plot/plot_space.h"

namespace charts::plot {

QPen LineStyle::pen() const {
    QPen p(color, width, style, Qt::RoundCap, Qt::RoundJoin);
    // A custom dash is 3 pixels on, 3 off (the pattern counts in pen widths).
    if (style == Qt::CustomDashLine && width > 0) {
        p.setDashPattern({3.0 / width, 3.0 / width});
        p.setCapStyle(Qt::FlatCap);
    }
    return p;
}

std::vector<LegendEntry> Plot::legendEntries() const {
    if (title.isEmpty()) return {};
    return {LegendEntry{legendColor(), title}};
}

Plot::Visible Plot::visibleRecords() const {
    Visible v;
    if (!dataSource || !plotSpace) return v;
    const int n = dataSource->numberOfRecords(*this);
    if (n <= 0) return v;
    const PlotRange x = plotSpace->xRange();
    // Records are in x order: find the window by bisection on the records that have an x.
    auto xOf = [&](int r) { return dataSource->number(*this, Field::X, r); };
    auto firstAtOrAfter = [&](double bound) {
        int lo = 0, hi = n;
        while (lo < hi) {
            const int mid = lo + (hi - lo) / 2;
            const auto mx = xOf(mid);
            if (mx && *mx < bound) lo = mid + 1;
            else hi = mid;
        }
        return lo;
    };
    v.first = std::max(0, firstAtOrAfter(x.location) - 1);
    v.last = std::min(n - 1, firstAtOrAfter(x.end()));
    return v;
}

}  // namespace charts::plot
