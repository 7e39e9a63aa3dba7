#include "kit/controls/price_label.h"

#include <QPainter>

#include "kit/core/price_highlight.h"
#include "kit/shown_text.h"

namespace kit {

namespace {

struct Layout {
    QFont base, big, small, point;
    double rise = 0;
};

Layout layoutFor(const QFont& widgetFont) {
    Layout l{widgetFont, widgetFont, widgetFont, widgetFont, 0};
    const double size = widgetFont.pointSizeF() > 0 ? widgetFont.pointSizeF() : 12;
    l.big.setPointSizeF(bigPriceFontSize(size));
    l.small.setPointSizeF(smallPriceFontSize(size));
    l.rise = smallFigureRise(QFontMetricsF(l.big).capHeight(), QFontMetricsF(l.small).capHeight());
    return l;
}

const QFont& fontOf(const Layout& l, PriceFigure figure) {
    switch (figure) {
        case PriceFigure::Big: return l.big;
        case PriceFigure::Small: return l.small;
        case PriceFigure::Point: return l.point;
        default: return l.base;
    }
}

}  // namespace

PriceLabel::PriceLabel(QWidget* parent) : QWidget(parent), color_(palette().color(QPalette::WindowText)) {
    setLayoutDirection(Qt::LeftToRight);  // a price reads left to right in every language
}

void PriceLabel::setPrice(const QString& price, int mostSignificant, int leastSignificant) {
    price_ = price;
    most_ = mostSignificant;
    least_ = leastSignificant;
    updateGeometry();
    update();
}

void PriceLabel::setTextColor(const QColor& color) {
    color_ = color;
    update();
}

QSize PriceLabel::sizeHint() const {
    const Layout l = layoutFor(font());
    double width = 0;
    for (const auto& run : priceHighlightRuns(price_.toStdString(), most_, least_))
        width += QFontMetricsF(fontOf(l, run.figure)).horizontalAdvance(kit::shownText(run.text));  // a price's figures
    return {int(width) + 8, int(QFontMetricsF(l.big).height() + l.rise / 2) + 4};
}

void PriceLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setPen(color_);
    const Layout l = layoutFor(font());
    const auto runs = priceHighlightRuns(price_.toStdString(), most_, least_);
    double width = 0;
    for (const auto& run : runs)
        width += QFontMetricsF(fontOf(l, run.figure)).horizontalAdvance(kit::shownText(run.text));  // a price's figures
    double x = (this->width() - width) / 2;
    const QFontMetricsF bigMetrics(l.big);
    const double baseline = (height() + bigMetrics.capHeight()) / 2;
    for (const auto& run : runs) {
        const QFont& font = fontOf(l, run.figure);
        const QString text = kit::shownText(run.text);
        p.setFont(font);
        const double y = run.figure == PriceFigure::Small ? baseline - l.rise + bigMetrics.capHeight() / 2 : baseline;
        p.drawText(QPointF(x, y), text);
        x += QFontMetricsF(font).horizontalAdvance(text);
    }
}

}  // namespace kit
