#include "funds/financial_transactions_model.h"

#include "funds/core/transaction_list.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "model/funds_records.h"
#include "printing/consolidated_table_data.h"

namespace funds {

FinancialTransactionsModel::FinancialTransactionsModel(QObject* parent)
    : QAbstractTableModel(parent), titles_(transactionColumns().size()) {}

void FinancialTransactionsModel::setTitles(const std::function<std::string(const std::string&)>& text) {
    const auto& columns = transactionColumns();
    for (std::size_t c = 0; c < columns.size(); ++c) titles_[c] = kit::shownText(text(columns[c]));
    emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void FinancialTransactionsModel::setTransactions(
    const std::vector<std::shared_ptr<model::FinancialTransactionDetails>>& transactions) {
    std::vector<std::vector<QString>> rows;
    rows.reserve(transactions.size());
    for (const auto& details : transactions) {
        if (!details) continue;
        std::vector<QString> row;
        for (const std::string& cell : transactionCells(*details)) row.push_back(kit::shownText(cell));
        rows.push_back(std::move(row));
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

int FinancialTransactionsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FinancialTransactionsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(transactionColumns().size());
}

QVariant FinancialTransactionsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount()) return {};
    const auto column = std::size_t(index.column());
    switch (role) {
    case Qt::DisplayRole: return rows_[std::size_t(index.row())][column];
    case Qt::ToolTipRole: return column == 6 ? kit::plainToolTip(rows_[std::size_t(index.row())][column]) : QVariant();
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignVCenter | (isAmountColumn(column) ? Qt::AlignRight : Qt::AlignLeft));
    default: return {};
    }
}

QVariant FinancialTransactionsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return titles_[std::size_t(section)];
    if (role == printing::kColumnIdentifierRole) return kit::shownText(transactionColumns()[std::size_t(section)]);
    return {};
}

Qt::ItemFlags FinancialTransactionsModel::flags(const QModelIndex& index) const {
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace funds
