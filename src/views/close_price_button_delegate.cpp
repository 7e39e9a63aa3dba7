#include "views/close_price_button_delegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <cmath>

#include "kit/theme_manager.h"
#include "views/core/position_cells.h"

namespace views {

namespace {

constexpr int kInset = 2;    // between the cell and the button
constexpr int kPadding = 6;  // between the button's edge and the price

bool isButtonCell(const QModelIndex& index) { return index.data(ClosePriceTextRole).isValid(); }

}  // namespace

QColor ClosePriceButtonDelegate::fillFor(int move, const QPalette& palette) {
    switch (static_cast<CloseMove>(move)) {
        case CloseMove::Up: return kit::ThemeManager::riseColor();
        case CloseMove::Down: return QColor::fromRgbF(0.6f, 0, 0);
        case CloseMove::EquityHit: return palette.color(QPalette::Button);
        case CloseMove::Same: break;
    }
    return {};
}

QSize ClosePriceButtonDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (!isButtonCell(index)) return kit::TextCellDelegate::sizeHint(option, index);
    // The price's room inside the button's half-pixel edge, rounded up.
    const QFontMetricsF metrics(index.data(Qt::FontRole).value<QFont>());
    return {int(std::ceil(metrics.horizontalAdvance(index.data(ClosePriceTextRole).toString()))) +
                2 * (kInset + kPadding) + 1,
            int(std::ceil(metrics.height())) + 2 * kInset + 4};
}

void ClosePriceButtonDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                                     const QModelIndex& index) const {
    if (!isButtonCell(index)) {
        kit::TextCellDelegate::paint(painter, option, index);
        return;
    }
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    opt.text.clear();
    drawCell(painter, opt);

    const QColor fill = fillFor(index.data(CloseMoveRole).toInt(), opt.palette);
    const bool selected = opt.state & QStyle::State_Selected;
    QColor text = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    if (fill.isValid()) text = fill.lightnessF() < 0.6 ? QColor(Qt::white) : opt.palette.color(QPalette::ButtonText);

    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF button = QRectF(opt.rect).adjusted(kInset + 0.5, kInset + 0.5, -kInset - 0.5, -kInset - 0.5);
    QColor edge = opt.palette.color(QPalette::Mid);
    painter->setPen(QPen(edge, 1));
    painter->setBrush(fill.isValid() ? QBrush(fill) : Qt::NoBrush);
    painter->drawRoundedRect(button, 3, 3);
    painter->setPen(text);
    painter->setFont(opt.font);
    const QRectF area = button.adjusted(kPadding, 0, -kPadding, 0);
    const QString price = index.data(ClosePriceTextRole).toString();
    painter->drawText(area, Qt::AlignRight | Qt::AlignVCenter,
                      figureThatFits(price, QFontMetricsF(opt.font).horizontalAdvance(price), area.width()));
    painter->restore();
}

}  // namespace views
