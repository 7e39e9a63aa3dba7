#include "trading/multi_trade_table_model.h"

#include <QFont>
#include <QFontDatabase>

#include "kit/two_line_text.h"
#include "trading/core/ticket_quantities.h"
#include "kit/shown_text.h"

namespace trading {

namespace {
constexpr const char* kHeaderKeys[MultiTradeTableModel::kColumns] = {" ", "0380", "0027", "0014"};
constexpr int kCellPoints = 12;
}  // namespace

MultiTradeTableModel::MultiTradeTableModel(TextOfKey text, QObject* parent)
    : QAbstractTableModel(parent), text_(std::move(text)) {
    setHeaderTitles();
}

void MultiTradeTableModel::reset(const Accounts& accounts) {
    beginResetModel();
    rows_.reset(accounts);
    margins_.assign(rows_.size(), 0.0);
    endResetModel();
}

void MultiTradeTableModel::reload() {
    if (rows_.size() == 0) return;
    emit dataChanged(index(0, 0), index(rowCount() - 1, kColumns - 1));
}

void MultiTradeTableModel::setMargins(std::vector<double> margins) {
    if (margins.size() != rows_.size()) return;
    margins_ = std::move(margins);
    if (rows_.size() == 0) return;
    emit dataChanged(index(0, kMargin), index(rowCount() - 1, kMargin), {Qt::DisplayRole});
}

void MultiTradeTableModel::setHeaderTitles() {
    titles_.clear();
    for (int c = 0; c < kColumns; ++c)
        titles_.push_back(c == kCheck ? QStringLiteral(" ") : kit::shownText(text_ ? text_(kHeaderKeys[c]) : ""));
    emit headerDataChanged(Qt::Horizontal, 0, kColumns - 1);
}

int MultiTradeTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int MultiTradeTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant MultiTradeTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const auto r = static_cast<std::size_t>(index.row());
    const model::MultiTrade& row = rows_.row(r);
    if (role == Qt::FontRole) {
        // Numbers in a font with digits of one width.
        const bool number = index.column() == kQuantity || index.column() == kMargin;
        QFont font = number ? QFontDatabase::systemFont(QFontDatabase::FixedFont) : QFont();
        font.setPointSize(kCellPoints);
        return font;
    }
    if (role == Qt::TextAlignmentRole)
        return index.column() == kQuantity || index.column() == kMargin
                   ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                   : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (index.column() == kCheck)
        return role == Qt::CheckStateRole ? QVariant(rows_.ticked(r) ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole) return {};
    switch (index.column()) {
    case kAccount:
        return row.accountDet ? QString::number(row.accountDet->AccountId) : QString();
    case kQuantity:
        return kit::shownText(plainNumberText(row.quantity));
    case kMargin:
        return r < margins_.size() ? kit::shownText(marginText(margins_[r])) : QString();
    default:
        return {};
    }
}

bool MultiTradeTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount()) return false;
    const auto r = static_cast<std::size_t>(index.row());
    if (index.column() == kCheck && role == Qt::CheckStateRole) {
        rows_.toggle(r);
        emit dataChanged(this->index(index.row(), 0), this->index(index.row(), kColumns - 1));
        if (ticked) ticked(index.row());
        return true;
    }
    if (index.column() == kQuantity && role == Qt::EditRole && rows_.ticked(r)) {
        rows_.setQuantity(r, numberOfText(value.toString().toStdString()));
        emit dataChanged(index, index);
        if (quantityEdited) quantityEdited(index.row());
        return true;
    }
    return false;
}

Qt::ItemFlags MultiTradeTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled;
    if (index.column() == kCheck) f |= Qt::ItemIsUserCheckable;
    if (index.column() == kQuantity && rows_.ticked(static_cast<std::size_t>(index.row()))) f |= Qt::ItemIsEditable;
    return f;
}

QVariant MultiTradeTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns) return {};
    const QString& title = titles_[static_cast<std::size_t>(section)];
    return titleFits && !titleFits(section, title) ? kit::twoLineText(title) : title;
}

}  // namespace trading
