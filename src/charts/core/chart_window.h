#pragma once
// The visible window of a chart: which bars are shown, the high and low in
// it, the y range, the x ticks and the bar under the crosshair. Bar r is drawn
// at x = r + 1.
#include <optional>
#include <string>
#include <vector>

#include "charts/core/chart_bars.h"

namespace charts {

enum ChartType { kLineChart = 1, kOHLCChart = 2, kCandlestickChart = 3, kBidAskChart = 4 };

struct AxisRange {
    double location = 0;
    double length = 0;
};

class ChartWindow {
public:
    static constexpr int kLoadPoints = 200;
    static constexpr double kLoadLength = 35.0;
    static constexpr double kMinLength = 3.0;

    int DATAPOINTS = kLoadPoints;  // bars drawn; also the bars requested
    int lastArrIndexPtr = 0;       // row of the newest bar (the bar in progress)
    int fromX = 0;                 // first bar of the window
    double lengthX = kLoadLength;  // bars in the window
    bool isChartEnd = true;        // the window follows the newest bar
    double MaxY = 0;
    double MinY = 0;
    int type = kLineChart;

    // A new load: DATAPOINTS 200, lengthX 35, following the newest bar.
    void reset();
    // After an answer of `closes` closes: DATAPOINTS and lastArrIndexPtr = closes - 1
    // (unchanged without closes), then the window ends at the newest bar.
    void fitAfterLoad(std::size_t closes);

    // The range the user or the chart asks for on x: the start is clamped at 0;
    // fromX, lengthX (3 to DATAPOINTS) and isChartEnd follow it.
    AxisRange willChangeX(AxisRange asked);
    // A range that starts below 0 starts at 0 (the y coordinate).
    static AxisRange clampStart(AxisRange asked);
    // Dragging is refused while every bar is visible.
    bool canDisplace() const { return DATAPOINTS > lengthX; }
    // The window as the plot space shows it.
    AxisRange xRange() const { return {static_cast<double>(fromX), lengthX}; }
    // At the end when the window reaches the newest bar.
    void updateChartEnd() { isChartEnd = fromX + lengthX >= DATAPOINTS; }

    // A live bar was written: at the end the window takes it in.
    void followNewest();
    // `n` rows left the front of the bars: every row index moves down with them.
    void dropOldest(int n);
    // Back to the newest bars: DATAPOINTS = lastArrIndexPtr.
    void scrollToEnd();

    // MaxY and MinY over the stored values of the window.
    void findHighLow(const ChartBars& bars);
    // From 0.2 % of the span below MinY, 110 % of the span long; a zero span
    // counts as 1 % of the value (1 when the value is 0).
    AxisRange yRange() const;
    double span() const { return spanOf(MaxY, MinY); }
    // max - min, or for a zero span 1 % of the value (1 when the value is 0).
    static double spanOf(double max, double min);

    // Rows that get an x label (at x = row + 1), from the first at or after
    // `firstRow` up to `lastRow`: every max(1, int(step)) rows from row 0,
    // step = lengthX when lengthX <= 6, else lengthX / 3.
    std::vector<int> labelRows(int firstRow, int lastRow) const;

    // The bar under a pointer at plot x: round(x) - 1, held to the drawn and stored bars.
    std::optional<int> crosshairRow(double x, const ChartBars& bars) const;

private:
    int lastDrawnRow(const ChartBars& bars) const;
};

}  // namespace charts
