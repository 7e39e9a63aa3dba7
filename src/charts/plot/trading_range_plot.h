#pragma once
// Open, high, low and close of each record as OHLC sticks or candlesticks.
#include "charts/plot/plot.h"

namespace charts::plot {

class TradingRangePlot : public Plot {
public:
    enum class Style { OHLC, Candlestick };
    using Plot::Plot;
    Style style = Style::OHLC;
    LineStyle line;             // OHLC sticks
    double stickLength = 6.0;   // OHLC open and close ticks
    double barWidth = 7.0;      // candle body, at most 80 % of the bar spacing
    LineStyle outline;          // candle body edge when no rise or fall line is set
    LineStyle increaseLine;     // close >= open
    QColor increaseFill;
    LineStyle decreaseLine;
    QColor decreaseFill;

    void draw(QPainter& painter, const QRectF& area) override;
    QColor legendColor() const override { return style == Style::OHLC ? line.color : increaseLine.color; }
};

}  // namespace charts::plot
