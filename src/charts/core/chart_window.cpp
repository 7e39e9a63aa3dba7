#include "charts/core/chart_window.h"

#include <algorithm>
#include <cmath>

namespace charts {

void ChartWindow::reset() {
    DATAPOINTS = kLoadPoints;
    lengthX = kLoadLength;
    isChartEnd = true;
}

void ChartWindow::fitAfterLoad(std::size_t closes) {
    if (closes > 0) {
        DATAPOINTS = static_cast<int>(closes - 1);
        lastArrIndexPtr = DATAPOINTS;
    }
    if (lengthX >= DATAPOINTS) lengthX = DATAPOINTS;
    fromX = static_cast<int>(DATAPOINTS - lengthX);
    isChartEnd = true;
}

AxisRange ChartWindow::clampStart(AxisRange asked) {
    if (asked.location < 0) asked.location = 0;
    return asked;
}

AxisRange ChartWindow::willChangeX(AxisRange asked) {
    asked = clampStart(asked);
    fromX = static_cast<int>(std::min(asked.location, static_cast<double>(std::max(DATAPOINTS, 0))));
    lengthX = std::max(std::min(asked.length, static_cast<double>(DATAPOINTS)), kMinLength);
    if (fromX + lengthX >= DATAPOINTS) fromX = static_cast<int>(DATAPOINTS - lengthX + 1);
    if (fromX < 0) fromX = 0;
    updateChartEnd();
    return asked;
}

void ChartWindow::followNewest() {
    if (!isChartEnd) return;
    DATAPOINTS = lastArrIndexPtr + 1;
    fromX = std::max(0, static_cast<int>(DATAPOINTS - lengthX + 1));
}

void ChartWindow::dropOldest(int n) {
    lastArrIndexPtr = std::max(0, lastArrIndexPtr - n);
    DATAPOINTS = std::max(0, DATAPOINTS - n);
    fromX = std::max(0, fromX - n);
}

void ChartWindow::scrollToEnd() {
    isChartEnd = true;
    DATAPOINTS = lastArrIndexPtr;
    fromX = std::max(0, static_cast<int>(lastArrIndexPtr - lengthX + 1));
}

void ChartWindow::findHighLow(const ChartBars& bars) {
    std::optional<double> hi, lo;
    auto take = [&](const std::vector<double>& column, long long row) {
        const auto v = ChartBars::value(column, row);
        if (!v) return;
        hi = hi ? std::max(*hi, *v) : *v;
        lo = lo ? std::min(*lo, *v) : *v;
    };
    for (long long i = fromX; i < fromX + lengthX && i < DATAPOINTS; ++i) {
        take(bars.Symdata, i);
        if (type == kOHLCChart || type == kCandlestickChart) {
            take(bars.high, i);
            take(bars.low, i);
            take(bars.open, i);
        } else if (type == kBidAskChart) {
            take(bars.bidPriceData, i);
            take(bars.askPriceData, i);
        }
    }
    if (!hi) {
        // An empty window keeps the close of row fromX, or 0 when it is not stored.
        const double c = ChartBars::value(bars.Symdata, fromX).value_or(0);
        hi = lo = c;
    }
    MaxY = *hi;
    MinY = *lo;
}

double ChartWindow::spanOf(double max, double min) {
    const double s = max - min;
    if (s > 0) return s;
    return min != 0 ? std::abs(min) * 0.01 : 1.0;
}

AxisRange ChartWindow::yRange() const {
    const double s = span();
    return {MinY - s * 0.002, s * 1.1};
}

std::vector<int> ChartWindow::labelRows(int firstRow, int lastRow) const {
    const double step = lengthX <= 6 ? lengthX : lengthX / 3.0;
    const int every = std::max(1, static_cast<int>(step));
    std::vector<int> rows;
    lastRow = std::min(lastRow, DATAPOINTS - 1);
    if (firstRow < 0) firstRow = 0;
    for (int r = (firstRow + every - 1) / every * every; r <= lastRow; r += every) rows.push_back(r);
    return rows;
}

int ChartWindow::lastDrawnRow(const ChartBars& bars) const {
    return std::min(DATAPOINTS, static_cast<int>(bars.Symdata.size())) - 1;
}

std::optional<int> ChartWindow::crosshairRow(double x, const ChartBars& bars) const {
    const int last = lastDrawnRow(bars);
    if (last < 0 || !std::isfinite(x)) return std::nullopt;
    const double r = std::round(x) - 1;
    return static_cast<int>(std::clamp(r, 0.0, static_cast<double>(last)));
}

}  // namespace charts
