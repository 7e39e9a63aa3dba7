#pragma once
// Draws the watchlist's bid and ask as highlighted prices (significant figures
// enlarged, the last ones small and raised), right-aligned on the cell's
// direction colour, and the icon column's image centred.
#include <QStyledItemDelegate>
#include <cstdint>
#include <functional>

namespace views {

enum WatchlistRole {
    PriceTextRole = Qt::UserRole + 1,  // the formatted price of a bid or ask cell
    DigitLengthsRole,                  // QPoint(most significant, least significant)
};

class WatchlistPriceDelegate : public QStyledItemDelegate {
public:
    // `theme` is read at each drawing (0 dark, 1 light).
    WatchlistPriceDelegate(std::function<std::int64_t()> theme, QObject* parent);
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    std::function<std::int64_t()> theme_;
};

}  // namespace views
