#include "trading/market_depth_table_controller.h"

#include "model/item_details.h"
#include "model/language_string.h"
#include "state/session_view.h"
#include "trading/core/market_depth_cells.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace trading {

MarketDepthTableController::MarketDepthTableController(Side side, std::weak_ptr<const state::SessionView> session,
                                                       std::function<std::int64_t()> selectedLanguage,
                                                       QObject* parent)
    : QAbstractTableModel(parent),
      side_(side),
      session_(std::move(session)),
      selectedLanguage_(std::move(selectedLanguage)),
      columns_(side == Side::Buy ? std::array<const char*, 2>{"0213", "0212"}
                                 : std::array<const char*, 2>{"0214", "0215"}) {
    setHeaderTitles();
}

void MarketDepthTableController::setValue(const std::string& value, const std::string&) {
    setHeaderTitles();
    if (!value.empty()) itemCode_ = value;
    reload();
}

void MarketDepthTableController::setHeaderTitles() {
    const std::int64_t language = selectedLanguage_ ? selectedLanguage_() : 0;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const QString title = kit::tableText(
            language, model::LanguageString::setLanguageKey(columns_[c]));
        if (title == titles_[c]) continue;
        titles_[c] = title;
        emit headerDataChanged(Qt::Horizontal, static_cast<int>(c), static_cast<int>(c));
    }
}

std::optional<std::vector<std::string>> MarketDepthTableController::levels() const {
    const auto session = session_.lock();
    if (!session || itemCode_.empty()) return std::nullopt;
    return session->marketDepth(itemCode_, side_ == Side::Buy ? state::DepthSide::Buy : state::DepthSide::Sell);
}

void MarketDepthTableController::reload() {
    const auto shown = levels();
    const int rows = static_cast<int>(depthRowCount(shown ? &*shown : nullptr));
    if (rows > rows_) {
        beginInsertRows({}, rows_, rows - 1);
        rows_ = rows;
        endInsertRows();
    } else if (rows < rows_) {
        beginRemoveRows({}, rows, rows_ - 1);
        rows_ = rows;
        endRemoveRows();
    }
    if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1), {Qt::DisplayRole});
}

int MarketDepthTableController::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int MarketDepthTableController::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant MarketDepthTableController::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_) return {};
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    // Read now: the level may have gone since the count.
    const auto session = session_.lock();
    std::int32_t decimals = 0;
    if (session)
        if (const auto item = session->instrument(itemCode_)) decimals = item->DecimalPlaces;
    const DepthColumn column = index.column() == 0 ? DepthColumn::Price : DepthColumn::Quantity;
    const auto shown = levels();
    return kit::shownText(
        depthCellText(shown ? &*shown : nullptr, static_cast<std::size_t>(index.row()), column, decimals));
}

QVariant MarketDepthTableController::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return titles_[static_cast<std::size_t>(section)];
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

}  // namespace trading
