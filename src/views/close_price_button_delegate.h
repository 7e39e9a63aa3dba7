#pragma once
// Draws the open positions' close price as a flat button inside the cell (no
// per-cell widget): green on a rise, dark red on a fall, the row's colour when
// unchanged, the control colour for an account in Equity Hit; the price
// right-aligned on it. Other cells draw as usual.
#include "kit/text_cell_delegate.h"

namespace views {

enum PositionTableRole {
    ClosePriceTextRole = Qt::UserRole + 20,  // the price drawn on the button
    CloseMoveRole,                           // int of views::CloseMove
};

class ClosePriceButtonDelegate : public kit::TextCellDelegate {
public:
    using kit::TextCellDelegate::TextCellDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // The button's fill; invalid: the row's own colour.
    static QColor fillFor(int move, const QPalette& palette);
};

}  // namespace views
