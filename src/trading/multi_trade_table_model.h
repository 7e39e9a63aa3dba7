#pragma once
// The rows of the ticket's multi-account drawer: tick, account, quantity
// (editable while ticked) and available margin. Main thread.
#include <QAbstractTableModel>
#include <functional>
#include <string>
#include <vector>

#include "trading/core/multi_trade_rows.h"

namespace trading {

class MultiTradeTableModel : public QAbstractTableModel {
public:
    enum Column { kCheck = 0, kAccount, kQuantity, kMargin, kColumns };
    using TextOfKey = std::function<std::string(const std::string& key)>;

    MultiTradeTableModel(TextOfKey text, QObject* parent = nullptr);

    MultiTradeRows& rows() { return rows_; }
    const MultiTradeRows& rows() const { return rows_; }
    // New rows for the accounts, nothing ticked.
    void reset(const Accounts& accounts);
    // Every cell again after a change of ticks or quantities.
    void reload();
    // The margin column only, from the figures given (one per row).
    void setMargins(std::vector<double> margins);
    // Header titles again (language change).
    void setHeaderTitles();

    // Whether a column's title fits its section on one line; one that does not
    // shows on two. Unset: every title on one line.
    std::function<bool(int column, const QString& title)> titleFits;

    // Called after a tick or a quantity changed through the table.
    std::function<void(int row)> ticked;
    std::function<void(int row)> quantityEdited;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    TextOfKey text_;
    MultiTradeRows rows_;
    std::vector<double> margins_;
    std::vector<QString> titles_;
};

}  // namespace trading
