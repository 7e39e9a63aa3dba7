#pragma once
// The close-all sheet's status rows as a model over the sheet's own list:
// each cell read from its row when drawn, the status text in the row's colour.
// The owner announces a change of the list's length (reload) or of one row.
#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>
#include <optional>
#include <string>
#include <vector>

#include "model/order_info.h"
#include "state/session_view.h"

namespace trading {

class CloseStatusModel : public QAbstractTableModel {
public:
    enum Column { kAccount, kId, kCode, kSide, kQuantity, kPrice, kStatus, kColumns };

    CloseStatusModel(const state::SessionView& view, const std::vector<model::OrderInfo>& rows, QStringList titles,
                     QObject* parent);

    void reload();
    void rowChanged(int row);
    // Each row's side as given (none past its end), in place of the one its
    // trading mode says; shown from the next reload.
    void setSides(std::vector<std::string> sides) { sides_ = std::move(sides); }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVariant text(int at, int column) const;

    const state::SessionView& view_;
    const std::vector<model::OrderInfo>& rows_;
    QStringList titles_;
    std::optional<std::vector<std::string>> sides_;
    int count_ = 0;  // rows at the last reload
};

// The status columns over `rows` on `table`: the model, set with the close
// views' settings, its rows in sight fitted to their texts.
CloseStatusModel* showCloseStatus(QTableView& table, const state::SessionView& view,
                                  const std::vector<model::OrderInfo>& rows, std::int64_t language);

}  // namespace trading
