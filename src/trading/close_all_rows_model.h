#pragma once
// The close-all sheet's selection rows as a model: each cell read from its
// position when drawn, the tick column checkable, the close price and P/L
// read at the price of now.
#include <QAbstractTableModel>
#include <QStringList>
#include <functional>

#include "state/session_view.h"

namespace trading {

class CloseAllSelection;

class CloseAllRowsModel : public QAbstractTableModel {
public:
    enum Column { kTick, kAccount, kId, kCode, kSide, kQuantity, kOpenPrice, kClosePrice, kProfitLoss, kColumns };

    // `toggled` hears a row's tick clicked.
    CloseAllRowsModel(const state::SessionView& view, const CloseAllSelection& selection, QStringList titles,
                      std::function<void(int row)> toggled, QObject* parent);

    // The rows anew, ticks included.
    void setRows(const state::Orders& rows);
    // The live columns of rows `top` to `bottom` drawn again.
    void refreshLive(int top, int bottom);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVariant text(const model::Order& p, int column) const;

    const state::SessionView& view_;
    const CloseAllSelection& selection_;
    QStringList titles_;
    std::function<void(int row)> toggled_;
    state::Orders rows_;
};

}  // namespace trading
