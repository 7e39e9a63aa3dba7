#include "charts/core/chart_bars.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

namespace charts {

void ChartBars::clear() {
    for (auto* c : {&date, &time}) c->clear();
    for (auto* c : {&Symdata, &high, &low, &open, &bidPriceData, &askPriceData, &biddata, &askdata}) c->clear();
    dropped = 0;
}

void ChartBars::dropOldest(std::size_t n) {
    auto drop = [n](auto& column) { column.erase(column.begin(), column.begin() + static_cast<std::ptrdiff_t>(std::min(n, column.size()))); };
    for (auto* c : {&date, &time}) drop(*c);
    for (auto* c : {&Symdata, &high, &low, &open, &bidPriceData, &askPriceData, &biddata, &askdata}) drop(*c);
    dropped += n;
}

std::optional<double> ChartBars::value(const std::vector<double>& column, long long row) {
    if (row < 0 || static_cast<std::size_t>(row) >= column.size()) return std::nullopt;
    const double v = column[static_cast<std::size_t>(row)];
    if (std::isnan(v)) return std::nullopt;
    return v;
}

std::string ChartBars::text(const std::vector<std::string>& column, long long row) {
    if (row < 0 || static_cast<std::size_t>(row) >= column.size()) return {};
    return column[static_cast<std::size_t>(row)];
}

bool ChartBars::put(std::vector<double>& column, std::size_t row, double v) {
    if (row >= kMaxBars) return false;
    if (row >= column.size()) column.resize(row + 1, std::numeric_limits<double>::quiet_NaN());
    column[row] = v;
    return true;
}

bool ChartBars::put(std::vector<std::string>& column, std::size_t row, std::string v) {
    if (row >= kMaxBars) return false;
    if (row >= column.size()) column.resize(row + 1);
    column[row] = std::move(v);
    return true;
}

}  // namespace charts
