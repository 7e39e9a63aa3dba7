#include "views/watchlist_price_delegate.h"

#include <QApplication>
#include <QPainter>

#include "kit/core/price_highlight.h"
#include "views/core/price_marks.h"

namespace views {

namespace {

constexpr int kPadding = 6;

struct Fonts {
    QFont base, big, small;
    double rise = 0;
};

Fonts fontsFor(const QFont& font) {
    Fonts f{font, font, font, 0};
    const double size = font.pointSizeF() > 0 ? font.pointSizeF() : 12;
    f.big.setPointSizeF(kit::bigPriceFontSize(size));
    f.small.setPointSizeF(kit::smallPriceFontSize(size));
    f.rise = kit::smallFigureRise(QFontMetricsF(f.big).capHeight(), QFontMetricsF(f.small).capHeight());
    return f;
}

const QFont& fontOf(const Fonts& f, kit::PriceFigure figure) {
    switch (figure) {
        case kit::PriceFigure::Big: return f.big;
        case kit::PriceFigure::Small: return f.small;
        default: return f.base;
    }
}

bool isPriceCell(const QModelIndex& index) { return index.data(PriceTextRole).isValid(); }

std::vector<kit::PriceRun> runsOf(const QModelIndex& index) {
    const QPoint digits = index.data(DigitLengthsRole).toPoint();
    return kit::priceHighlightRuns(index.data(PriceTextRole).toString().toStdString(), digits.x(), digits.y());
}

double widthOf(const Fonts& fonts, const std::vector<kit::PriceRun>& runs) {
    double width = 0;
    for (const auto& run : runs)
        width += QFontMetricsF(fontOf(fonts, run.figure)).horizontalAdvance(QString::fromStdString(run.text));
    return width;
}

}  // namespace

WatchlistPriceDelegate::WatchlistPriceDelegate(std::function<std::int64_t()> theme, QObject* parent)
    : QStyledItemDelegate(parent), theme_(std::move(theme)) {}

QSize WatchlistPriceDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!isPriceCell(index)) return QStyledItemDelegate::sizeHint(option, index);
    const Fonts fonts = fontsFor(index.data(Qt::FontRole).value<QFont>());
    const auto runs = runsOf(index);
    const bool big = std::any_of(runs.begin(), runs.end(), [](const auto& r) { return r.figure == kit::PriceFigure::Big; });
    const QFontMetricsF metrics(big ? fonts.big : fonts.base);
    return {int(widthOf(fonts, runs)) + 2 * kPadding, int(metrics.height()) + 4};
}

void WatchlistPriceDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (index.data(Qt::DecorationRole).isValid()) {
        // The icon column: the image alone, centred.
        opt.decorationAlignment = Qt::AlignCenter;
        opt.decorationPosition = QStyleOptionViewItem::Top;
        opt.displayAlignment = Qt::AlignCenter;
        opt.features &= ~QStyleOptionViewItem::HasDisplay;
        const QWidget* widget = option.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        opt.rect.adjust(0, (opt.rect.height() - opt.decorationSize.height()) / 2, 0, 0);
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }
    if (!isPriceCell(index)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    opt.text.clear();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);

    const Fonts fonts = fontsFor(index.data(Qt::FontRole).value<QFont>());
    const auto runs = runsOf(index);
    QColor color = opt.palette.color(QPalette::Text);
    if (const auto themed = priceTextColor(theme_ ? theme_() : 0))
        color = QColor::fromRgbF(float(themed->red), float(themed->green), float(themed->blue), float(themed->alpha));
    // On a rise or fall colour the theme's text would be hard to read.
    if (const QVariant marked = index.data(Qt::ForegroundRole); marked.isValid()) color = marked.value<QBrush>().color();
    if (opt.state & QStyle::State_Selected) color = opt.palette.color(QPalette::HighlightedText);

    painter->save();
    painter->setRenderHint(QPainter::TextAntialiasing);
    painter->setClipRect(opt.rect);
    painter->setPen(color);
    const QRectF cell = QRectF(opt.rect).adjusted(kPadding, 0, -kPadding, 0);
    double x = cell.right() - widthOf(fonts, runs);
    const QFontMetricsF baseMetrics(fonts.base);
    const bool big = std::any_of(runs.begin(), runs.end(), [](const auto& r) { return r.figure == kit::PriceFigure::Big; });
    const double capHeight = big ? QFontMetricsF(fonts.big).capHeight() : baseMetrics.capHeight();
    const double baseline = cell.center().y() + capHeight / 2;
    for (const auto& run : runs) {
        const QFont& font = fontOf(fonts, run.figure);
        const QString text = QString::fromStdString(run.text);
        painter->setFont(font);
        const double y = run.figure == kit::PriceFigure::Small ? baseline - capHeight + QFontMetricsF(font).capHeight()
                                                               : baseline;
        painter->drawText(QPointF(x, y), text);
        x += QFontMetricsF(font).horizontalAdvance(text);
    }
    painter->restore();
}

}  // namespace views
