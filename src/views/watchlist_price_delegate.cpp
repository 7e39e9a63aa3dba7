#include "views/watchlist_price_delegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "kit/core/price_highlight.h"
#include "views/core/price_marks.h"
#include "kit/shown_text.h"

namespace views {

namespace {

constexpr int kPadding = 6;

int fontIndex(kit::PriceFigure figure) {
    switch (figure) {
        case kit::PriceFigure::Big: return 1;
        case kit::PriceFigure::Small: return 2;
        default: return 0;
    }
}

bool isPriceCell(const QModelIndex& index) { return index.data(PriceTextRole).isValid(); }

}  // namespace

WatchlistPriceDelegate::WatchlistPriceDelegate(std::function<std::int64_t()> theme, QObject* parent)
    : kit::TextCellDelegate(parent), theme_(std::move(theme)) {}

const WatchlistPriceDelegate::Layout& WatchlistPriceDelegate::layoutOf(const QModelIndex& index) const {
    const QFont font = index.data(Qt::FontRole).value<QFont>();
    if (!haveFonts_ || font != font_) {
        font_ = font;
        haveFonts_ = true;
        const double size = font.pointSizeF() > 0 ? font.pointSizeF() : 12;
        fonts_[0] = fonts_[1] = fonts_[2] = font;
        fonts_[1].setPointSizeF(kit::bigPriceFontSize(size));
        fonts_[2].setPointSizeF(kit::smallPriceFontSize(size));
        for (int i = 0; i < 3; ++i) {
            const QFontMetricsF metrics(fonts_[i]);
            metrics_[i] = {metrics.ascent(), metrics.capHeight(), metrics.height()};
        }
        layouts_.clear();
        for (auto& runs : runs_) runs.clear();
    }
    const QString text = index.data(PriceTextRole).toString();
    const QPoint digits = index.data(DigitLengthsRole).toPoint();
    const QString key = text + QChar(u'\x1f') + QString::number(digits.x()) + QChar(u',') + QString::number(digits.y());
    if (const Layout* found = layouts_.object(key)) return *found;

    auto* made = new Layout;
    Layout& layout = *made;
    const auto runs = kit::priceHighlightRuns(text.toStdString(), digits.x(), digits.y());
    const bool big = std::any_of(runs.begin(), runs.end(), [](const auto& r) { return r.figure == kit::PriceFigure::Big; });
    layout.capHeight = metrics_[big ? 1 : 0].capHeight;
    layout.height = metrics_[big ? 1 : 0].height;
    for (const auto& run : runs) {
        const int font = fontIndex(run.figure);
        const Shaped& shaped = shapedRun(kit::shownText(run.text), font);
        Layout::Piece piece{shaped.text, font, layout.width, 0};
        if (run.figure == kit::PriceFigure::Small) piece.y = metrics_[2].capHeight - layout.capHeight;
        piece.y -= metrics_[font].ascent;
        layout.width += shaped.advance;
        layout.pieces.push_back(std::move(piece));
    }
    layouts_.insert(key, made);  // valid until the next insert
    return *made;
}

const WatchlistPriceDelegate::Shaped& WatchlistPriceDelegate::shapedRun(const QString& text, int font) const {
    auto& runs = runs_[font];
    if (const Shaped* found = runs.object(text)) return *found;
    auto* shaped = new Shaped{QStaticText(text), QFontMetricsF(fonts_[font]).horizontalAdvance(text)};
    shaped->text.setTextFormat(Qt::PlainText);
    shaped->text.prepare(QTransform(), fonts_[font]);
    runs.insert(text, shaped);  // valid until the next insert
    return *shaped;
}

QSize WatchlistPriceDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!isPriceCell(index)) return kit::TextCellDelegate::sizeHint(option, index);
    const Layout& layout = layoutOf(index);
    return {int(std::ceil(layout.width)) + 2 * kPadding, int(std::ceil(layout.height)) + 4};
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
        drawCell(painter, opt);
        return;
    }
    opt.text.clear();
    drawCell(painter, opt);

    const Layout& layout = layoutOf(index);
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
    if (layout.width > cell.width()) {
        // Never the last figures alone: the price whole in the row font, or "###".
        const QString text = index.data(PriceTextRole).toString();
        painter->setFont(opt.font);
        painter->drawText(cell, Qt::AlignRight | Qt::AlignVCenter,
                          figureThatFits(text, QFontMetricsF(opt.font).horizontalAdvance(text), cell.width()));
        painter->restore();
        return;
    }
    const double left = cell.right() - layout.width;
    const double baseline = cell.center().y() + layout.capHeight / 2;
    int current = -1;
    for (const auto& piece : layout.pieces) {
        if (piece.font != current) painter->setFont(fonts_[current = piece.font]);
        painter->drawStaticText(QPointF(left + piece.x, baseline + piece.y), piece.text);
    }
    painter->restore();
}

}  // namespace views
