#include "reports/statement_table_model.h"

#include <algorithm>
#include <limits>

#include "printing/consolidated_table_data.h"
#include "kit/shown_text.h"

namespace reports {

StatementTableModel::StatementTableModel(std::vector<std::string> identifiers, std::vector<QString> titles,
                                         std::vector<bool> numbers, QObject* parent)
    : QAbstractTableModel(parent),
      identifiers_(std::move(identifiers)),
      titles_(std::move(titles)),
      numbers_(std::move(numbers)) {
    titles_.resize(identifiers_.size());
    numbers_.resize(identifiers_.size());
}

int StatementTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int StatementTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(identifiers_.size());
}

QString StatementTableModel::text(int row, int column) const {
    if (row < 0 || column < 0 || row >= rows_ || column >= columnCount()) return {};
    if (const auto found = longCells_.find({row, column}); found != longCells_.end()) return found->second;
    const std::string cell = cells_->text(std::size_t(row), std::size_t(column));
    // Measured and shown in its shown form.
    if (cell.size() > std::size_t(kit::kMaxShownLength)) return longCells_[{row, column}] = kit::shownText(cell);
    return kit::shownText(cell);
}

QVariant StatementTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.column() >= columnCount()) return {};
    switch (role) {
    case Qt::DisplayRole: return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (numbers_[std::size_t(index.column())] ? Qt::AlignRight : Qt::AlignLeft));
    default: return {};
    }
}

QVariant StatementTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return titles_[std::size_t(section)];
    if (role == printing::kColumnIdentifierRole) return kit::shownText(identifiers_[std::size_t(section)]);
    return {};
}

Qt::ItemFlags StatementTableModel::flags(const QModelIndex& index) const {
    // Shown only: no selection, no editing.
    return index.isValid() ? Qt::ItemIsEnabled : Qt::NoItemFlags;
}

int StatementTableModel::columnOf(const std::string& identifier) const {
    for (std::size_t i = 0; i < identifiers_.size(); ++i)
        if (identifiers_[i] == identifier) return static_cast<int>(i);
    return -1;
}

void StatementTableModel::setRows(std::shared_ptr<const CellTexts> rows) {
    const int count =
        rows ? static_cast<int>(std::min<std::size_t>(rows->rows(), std::size_t(std::numeric_limits<int>::max()))) : 0;
    // Rows into an empty table are inserted: the header keeps its sections and their measures.
    const bool insert = rows_ == 0 && count > 0;
    if (insert) beginInsertRows({}, 0, count - 1);
    else beginResetModel();
    cells_ = std::move(rows);
    longCells_.clear();
    rows_ = count;
    if (insert) endInsertRows();
    else endResetModel();
}

}  // namespace reports
