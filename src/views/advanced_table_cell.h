#pragma once
// Paints one advanced-watchlist row as a dark panel: code and time, the day's
// low and high, the spread, and two large price buttons (sell the bid, buy
// the ask) with white big and small figures and the direction arrows. No
// widget per row; the button under a point is found from the same geometry.
#include <QPixmap>
#include <QStyledItemDelegate>
#include <functional>

#include "views/core/advanced_rows.h"

namespace views {

class AdvancedTableCell : public QStyledItemDelegate {
public:
    static constexpr int kRowHeight = 129;
    enum class Button { None, Buy, Sell };

    // `rowAt` gives the row's texts (null beyond the rows).
    AdvancedTableCell(std::function<const AdvancedRow*(int)> rowAt, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // The price button of a row drawn in `row` under `point`.
    static Button buttonAt(const QRect& row, const QPoint& point);
    static QRect buttonRect(const QRect& row, Button button);
    // Where a price button draws its direction arrow.
    static QRect arrowRect(const QRect& button);

private:
    // The direction's arrow, loaded once; none when unchanged.
    const QPixmap& arrow(PriceMove move) const;

    std::function<const AdvancedRow*(int)> rowAt_;
    mutable QPixmap rise_, fall_;
};

}  // namespace views
