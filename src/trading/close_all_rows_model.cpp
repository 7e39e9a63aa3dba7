#include "trading/close_all_rows_model.h"

#include "kit/shown_text.h"
#include "kit/theme_manager.h"
#include "model/formatter.h"
#include "model/text_value.h"
#include "trading/core/close_all_rows.h"
#include "trading/core/offset_rows.h"

namespace trading {

CloseAllRowsModel::CloseAllRowsModel(const state::SessionView& view, const CloseAllSelection& selection,
                                     QStringList titles, std::function<void(int row)> toggled, QObject* parent)
    : QAbstractTableModel(parent), view_(view), selection_(selection), titles_(std::move(titles)),
      toggled_(std::move(toggled)) {}

void CloseAllRowsModel::setRows(const state::Orders& rows) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

void CloseAllRowsModel::refreshLive(int top, int bottom) {
    top = std::max(0, top);
    bottom = std::min(bottom, rowCount() - 1);
    if (top <= bottom) emit dataChanged(index(top, kClosePrice), index(bottom, kProfitLoss));
}

int CloseAllRowsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int CloseAllRowsModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

Qt::ItemFlags CloseAllRowsModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return index.column() == kTick ? Qt::ItemIsEnabled | Qt::ItemIsUserCheckable : Qt::ItemIsEnabled;
}

QVariant CloseAllRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= titles_.size())
        return {};
    return titles_[section];
}

QVariant CloseAllRowsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || !rows_[std::size_t(index.row())]) return {};
    const model::Order& p = *rows_[std::size_t(index.row())];
    const int column = index.column();
    switch (role) {
        case Qt::CheckStateRole:
            if (column != kTick) return {};
            return selection_.isTicked(p.OpenPositionId) ? Qt::Checked : Qt::Unchecked;
        case Qt::DisplayRole: return text(p, column);
        case Qt::TextAlignmentRole:
            if (column < kQuantity) return {};
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        case Qt::ForegroundRole:
            if (column != kProfitLoss) return {};
            return p.UnrealisedPL >= 0 ? kit::ThemeManager::riseColor() : kit::ThemeManager::fallColor();
        default: return {};
    }
}

// A buy closes at the Bid, a sell at the Ask.
QVariant CloseAllRowsModel::text(const model::Order& p, int column) const {
    switch (column) {
        case kAccount: return kit::shownText(p.AccountNumber);
        case kId: return kit::shownText(p.OpenPositionId);
        case kCode: return kit::shownText(p.ItemCode);
        case kSide: return kit::shownText(std::string_view(p.tradingMode == 0 ? "B" : "S"));
        case kQuantity: return kit::shownText(offsetQuantityText(model::TextValue::doubleValue(p.RemainingQty)));
        case kOpenPrice: {
            const auto item = view_.instrument(p.ItemCode);
            return kit::shownText(model::Formatter::formatDecimal(model::TextValue::doubleValue(p.OrderPrice),
                                                                  item ? item->DecimalPlaces : 2));
        }
        case kClosePrice: {
            const auto item = view_.instrument(p.ItemCode);
            if (!item) return QString();
            return kit::shownText(
                model::Formatter::formatDecimal(p.tradingMode == 0 ? item->Bid : item->Ask, item->DecimalPlaces));
        }
        case kProfitLoss: return QString::number(p.UnrealisedPL, 'f', 2);
        default: return {};
    }
}

bool CloseAllRowsModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.column() != kTick || role != Qt::CheckStateRole || index.row() >= rowCount())
        return false;
    const model::Order* p = rows_[std::size_t(index.row())].get();
    if (!p) return false;
    const bool ticked = value.value<Qt::CheckState>() == Qt::Checked;
    if (ticked != selection_.isTicked(p->OpenPositionId)) toggled_(index.row());
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

}  // namespace trading
