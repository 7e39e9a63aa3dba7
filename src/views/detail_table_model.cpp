#include "views/detail_table_model.h"

#include "kit/plain_text.h"
#include "printing/consolidated_table_data.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace views {

void DetailTableModel::setRows(DetailRows rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int DetailTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DetailTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant DetailTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() > 1) return {};
    const DetailRow& row = rows_[static_cast<std::size_t>(index.row())];
    const std::string& text = index.column() == 0 ? row.label : row.value;
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return kit::plainToolTipFor(role, kit::shownText(text));
    if (role == Qt::TextAlignmentRole) return int(Qt::AlignLeft | Qt::AlignTop);
    return {};
}

void DetailTableModel::setTitles(const QString& entity, const QString& details) {
    titles_[0] = entity;
    titles_[1] = details;
    emit headerDataChanged(Qt::Horizontal, 0, 1);
}

QVariant DetailTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section > 1) return {};
    if (role == Qt::DisplayRole) return titles_[section];
    if (role == printing::kColumnIdentifierRole) return kit::identifierText(section == 0 ? kEntity : kDetails);
    return {};
}

}  // namespace views
