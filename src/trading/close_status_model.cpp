#include "trading/close_status_model.h"

#include <QColor>

#include "kit/shown_text.h"
#include "model/formatter.h"
#include "model/text_value.h"
#include "trading/close_all_table.h"
#include "trading/core/offset_rows.h"

namespace trading {

CloseStatusModel::CloseStatusModel(const state::SessionView& view, const std::vector<model::OrderInfo>& rows,
                                   QStringList titles, QObject* parent)
    : QAbstractTableModel(parent), view_(view), rows_(rows), titles_(std::move(titles)) {}

void CloseStatusModel::reload() {
    beginResetModel();
    count_ = static_cast<int>(rows_.size());
    endResetModel();
}

void CloseStatusModel::rowChanged(int row) {
    if (row >= 0 && row < rowCount()) emit dataChanged(index(row, 0), index(row, kColumns - 1));
}

int CloseStatusModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count_; }

int CloseStatusModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

Qt::ItemFlags CloseStatusModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

QVariant CloseStatusModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= titles_.size())
        return {};
    return titles_[section];
}

QVariant CloseStatusModel::data(const QModelIndex& index, int role) const {
    // The list may be shorter than at the last reload until the next one.
    if (!index.isValid() || index.row() >= count_ || index.row() >= static_cast<int>(rows_.size())) return {};
    const model::OrderInfo& row = rows_[std::size_t(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::DisplayRole: return text(index.row(), column);
        case Qt::TextAlignmentRole:
            if (column != kQuantity && column != kPrice) return {};
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        case Qt::ForegroundRole:
            if (column != kStatus || !row.statusColor) return {};
            return QColor::fromRgbF(float(row.statusColor->red), float(row.statusColor->green),
                                    float(row.statusColor->blue));
        default: return {};
    }
}

QVariant CloseStatusModel::text(int at, int column) const {
    const model::OrderInfo& row = rows_[std::size_t(at)];
    switch (column) {
        case kAccount: return kit::shownText(std::to_string(row.accountNo));
        case kId: return kit::shownText(row.orderNo);
        case kCode: return kit::shownText(row.itemCode);
        case kSide:
            if (sides_) return kit::shownText(std::size_t(at) < sides_->size() ? (*sides_)[std::size_t(at)] : std::string());
            return kit::shownText(std::string_view(row.tradingMode == 0 ? "B" : "S"));
        case kQuantity: return kit::shownText(offsetQuantityText(model::TextValue::doubleValue(row.quantity)));
        case kPrice: {
            const auto item = view_.instrument(row.itemCode);
            return kit::shownText(
                model::Formatter::formatDecimal(model::TextValue::doubleValue(row.price), item ? item->DecimalPlaces : 2));
        }
        case kStatus: return kit::shownText(row.orderDetails);
        default: return {};
    }
}

CloseStatusModel* showCloseStatus(QTableView& table, const state::SessionView& view,
                                  const std::vector<model::OrderInfo>& rows, std::int64_t language) {
    auto* model = new CloseStatusModel(view, rows, closeTableTitles({kStatusColumns.begin(), kStatusColumns.end()}, language),
                                       &table);
    table.setModel(model);
    setUpCloseView(table);
    keepRowsInSightFitted(table);
    return model;
}

}  // namespace trading
