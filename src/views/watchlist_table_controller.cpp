#include "views/watchlist_table_controller.h"

#include <QHeaderView>
#include <algorithm>
#include <numeric>
#include <span>
#include <utility>

#include "kit/core/icon_image_name.h"
#include "kit/core/preference_manager.h"
#include "kit/common_alert.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "kit/window_opener.h"
#include "kit/window_context.h"
#include "model/formatter.h"
#include "model/item_details.h"
#include "model/language_string.h"
#include "platform/resource_bundle.h"
#include "state/session_view.h"
#include "views/core/watchlist_actions.h"
#include "views/core/watchlist_cells.h"
#include "views/watchlist_price_delegate.h"
#include "kit/own_text.h"

namespace views {

namespace {

namespace col = watchlist_column;

std::vector<kit::TableColumn> watchlistColumns() {
    std::vector<kit::TableColumn> columns;
    for (const std::string& id : watchlistColumnIdentifiers()) {
        int width = 80;
        if (id == col::kIcon) width = 28;
        else if (id == col::kName) width = 210;
        else if (id == col::kSession || id == col::kStatus) width = 96;  // the longest names
        else if (id == col::kSpread) width = 48;  // a few ticks: "2", "150.5"
        columns.push_back({id, width, std::nullopt});
    }
    return columns;
}

QColor qColor(const model::RGBAColor& c) {
    return QColor::fromRgbF(float(c.red), float(c.green), float(c.blue), float(c.alpha));
}

}  // namespace

WatchlistTableController::WatchlistTableController(kit::WindowContext& context, QWidget* parent)
    : kit::TableControllerBase(Setup{kit::TableKind::Watchlist, watchlistColumns(), context.language,
                                     &context.preferences, &context.sheets, nullptr, &context.ticker},
                               parent),
      context_(context) {
    for (const kit::TableColumn& c : columns()) {
        const std::string& id = c.identifier;
        Column column;
        if (id == col::kIcon) column.cell = Cell::Icon;
        else if (id == col::kCode) column.cell = Cell::Code;
        else if (id == col::kName) column.cell = Cell::Name;
        else if (id == col::kBid) column.cell = Cell::Bid;
        else if (id == col::kAsk) column.cell = Cell::Ask;
        if (isNumericWatchlistColumn(id)) column.alignment = QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        else if (id == col::kTime || id == col::kIcon) column.alignment = QVariant::fromValue(Qt::AlignCenter);
        else column.alignment = QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
        columns_.push_back(std::move(column));
    }
    setObjectName("watchlistTableView");
    QTableView* view = tableView();
    view->setItemDelegate(new WatchlistPriceDelegate(
        [this] { return context_.preferences.getThemeForKey(kit::PreferenceManager::kTheme); }, view));
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setIconSize(QSize(16, 16));
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& i) { doubleAction(i); });
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        if (identifierOf(i.column()) == col::kIcon) contractDetailButtonClicked(i.row());
    });
    SetHeaderMenuItems();
    reloadTable();
}

WatchlistTableController::~WatchlistTableController() {
    if (alert_) alert_->deleteLater();
}

std::string WatchlistTableController::text(const char* key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language, key);
}

WatchlistTableController::Row WatchlistTableController::rowOf(const std::string& code) {
    std::shared_ptr<model::ItemDetails> item = context_.view.instrument(code);
    // The record's code shares its text block; a code without one keeps its own.
    Row row{item && item->Code == code ? item->Code : model::CompactText(code), std::move(item), {}, {}};
    if (row.item) {
        row.moves = shown_.show(row.code, row.item->Bid, row.item->Ask);
        row.live.take(*row.item);
    }
    return row;
}

int WatchlistTableController::takeSnapshot() {
    if (std::exchange(built_, false)) {
        rows_ = std::exchange(buildingRows_, {});
        rowsReplaced();
        recordsSeen_ = buildingRecords_;
        listSeen_ = buildingList_;
        statusSeen_ = buildingStatus_;
        return static_cast<int>(rows_.size());
    }
    const std::uint64_t list = context_.view.watchlistRevision(), status = context_.view.statusChanges().count();
    std::vector<std::string> codes = context_.view.watchlistCodes();
    if (codes.size() > kSnapshotStepRows) {
        // The rows shown stay until the new snapshot is whole.
        buildingCodes_ = std::move(codes);
        buildingRows_.clear();
        buildingRows_.reserve(buildingCodes_.size());
        buildingRecords_ = context_.view.recordsRevision();
        buildingList_ = list;
        buildingStatus_ = status;
        stepping_ = true;
        buildNextRows();
        return static_cast<int>(rows_.size());
    }
    std::vector<Row> rows;
    recordsSeen_ = context_.view.recordsRevision();
    listSeen_ = list;
    statusSeen_ = status;
    rows.reserve(codes.size());
    for (const std::string& code : codes) rows.push_back(rowOf(code));
    rows_ = std::move(rows);
    rowsReplaced();
    return static_cast<int>(rows_.size());
}

void WatchlistTableController::buildNextRows() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            const std::size_t to = std::min(buildingCodes_.size(), buildingRows_.size() + kSnapshotStepRows);
            for (std::size_t at = buildingRows_.size(); at < to; ++at) buildingRows_.push_back(rowOf(buildingCodes_[at]));
            if (to < buildingCodes_.size()) {
                buildNextRows();
                return;
            }
            stepping_ = false;
            built_ = snapshotDue_ = true;
            reloadTable();
            // The list changed while it was built: another one. Its revision
            // tells first, without a copy of a long list.
            const bool current =
                context_.view.watchlistRevision() == listSeen_ || sameCodes(context_.view.watchlistCodes());
            buildingCodes_ = {};
            if (current) return;
            snapshotDue_ = true;
            reloadTable();
        },
        Qt::QueuedConnection);
}

bool WatchlistTableController::Live::same(const model::ItemDetails& item) const {
    return bid == item.Bid && ask == item.Ask && last == item.Last && high == item.High && low == item.Low &&
           open == item.Open && previousClose == item.PrevClose && status == item.instrumentTradingStatus &&
           session == item.CurrentTradeSessionSettingId && time == item.UpdateTime;
}

void WatchlistTableController::Live::take(const model::ItemDetails& item) {
    bid = item.Bid;
    ask = item.Ask;
    last = item.Last;
    high = item.High;
    low = item.Low;
    open = item.Open;
    previousClose = item.PrevClose;
    status = item.instrumentTradingStatus;
    session = item.CurrentTradeSessionSettingId;
    time = item.UpdateTime;
}

std::optional<std::vector<int>> WatchlistTableController::changedRows() {
    // Every row is replaced when the snapshot under way is whole.
    if (stepping_) return std::vector<int>{};
    if (std::exchange(snapshotDue_, false)) return std::nullopt;
    if (recordsSeen_ != context_.view.recordsRevision() || int(rows_.size()) != rowCount()) return std::nullopt;
    // Outside the tick (a status change, an edited list) the rows stay only while the list does.
    if (!ticking_) {
        const std::uint64_t list = context_.view.watchlistRevision();
        if (list != listSeen_ && !sameCodes(context_.view.watchlistCodes())) return std::nullopt;
        listSeen_ = list;
    }
    const std::vector<std::size_t> toRead = rowsToRead();
    return readInRanges(std::vector<int>(toRead.begin(), toRead.end()));
}

std::vector<int> WatchlistTableController::readRows(std::span<const int> rows) {
    std::vector<int> changed;
    for (const int at : rows) {
        if (at < 0 || std::size_t(at) >= rows_.size()) continue;
        Row& row = rows_[std::size_t(at)];
        if (!row.item) continue;
        const bool moved = row.moves.bid != PriceMove::Unchanged || row.moves.ask != PriceMove::Unchanged;
        if (!moved && row.live.same(*row.item)) continue;
        if (const auto found = drawn_.find(&row); found != drawn_.end()) {
            if (row.live.session != row.item->CurrentTradeSessionSettingId) found->second.codeColor.reset();
            found->second.bid.reset();
            found->second.ask.reset();
        }
        row.live.take(*row.item);
        row.moves = shown_.show(row.code, row.item->Bid, row.item->Ask);
        changed.push_back(at);
        if (row.moves.bid != PriceMove::Unchanged || row.moves.ask != PriceMove::Unchanged)
            movedRows_.push_back(std::size_t(at));
    }
    return changed;
}

std::vector<std::size_t> WatchlistTableController::rowsToRead() {
    std::optional<std::span<const model::ItemDetails* const>> items;
    if (ticking_) {
        const state::TickedInstrumentsTurn& ticked = context_.view.tickedInstruments();
        if (!readAll_ && !ticked.tooMany && ticked.turn == turnSeen_ + 1) items = ticked.items;
        turnSeen_ = ticked.turn;
        readAll_ = false;
    } else {
        // A notification with no status change noted may be about anything.
        const state::InstrumentLog& statuses = context_.view.statusChanges();
        items = statuses.since(statusSeen_);
        if (items && items->empty()) items.reset();
        statusSeen_ = statuses.count();
    }
    std::vector<std::size_t> rows = std::exchange(movedRows_, {});
    if (!items) {
        rows.resize(rows_.size());
        std::iota(rows.begin(), rows.end(), std::size_t(0));
        return rows;
    }
    rowsByItem_.append(rows_.size(), [this](std::size_t row) { return rows_[row].item.get(); }, *items, rows);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void WatchlistTableController::rowsReplaced() {
    readAll_ = true;
    movedRows_.clear();
    rowsByItem_.reset();
    drawn_.clear();
}

bool WatchlistTableController::sameCodes(const std::vector<std::string>& codes) const {
    if (codes.size() != rows_.size()) return false;
    for (std::size_t at = 0; at < codes.size(); ++at)
        if (codes[at] != rows_[at].code) return false;
    return true;
}

QIcon WatchlistTableController::iconFor(const model::ItemDetails& item) const {
    const QString key = kit::exactText(kit::ExactInput(item.InstrumentTypeName));
    const auto cached = icons_.constFind(key);
    if (cached != icons_.constEnd()) return *cached;
    const auto path = [](const std::string& name) {
        return platform::ResourceBundle::pathForResource("images/" + name, "png");
    };
    const std::string name = kit::iconImageName(item.InstrumentTypeName, [&](const std::string& n) { return path(n).has_value(); });
    const auto file = path(name);
    QIcon icon = file ? QIcon(kit::filePath(*file)) : QIcon();
    icons_.insert(key, icon);
    return icon;
}

QVariant WatchlistTableController::priceCell(const Row& row, bool bid, int role) const {
    const model::ItemDetails& item = *row.item;
    switch (role) {
        case PriceTextRole: {
            Drawn& drawnRow = drawn(row);
            std::optional<QString>& text = bid ? drawnRow.bid : drawnRow.ask;
            if (!text)
                text = kit::shownText(model::Formatter::formatDecimal(bid ? item.Bid : item.Ask, item.DecimalPlaces));
            return *text;
        }
        case DigitLengthsRole:
            return QPoint(int(item.mostSignificantDigitLength), int(item.leastSignificantDigitLength));
        case Qt::BackgroundRole:
            if (const auto color = moveColor(bid ? row.moves.bid : row.moves.ask)) return QBrush(qColor(*color));
            return {};
        case Qt::ForegroundRole:
            if (const auto color = moveColor(bid ? row.moves.bid : row.moves.ask))
                return QBrush(qColor(readableTextOn(*color)));
            return {};
        case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        default: return {};
    }
}

WatchlistTableController::Drawn& WatchlistTableController::drawn(const Row& row) const {
    if (const auto found = drawn_.find(&row); found != drawn_.end()) return found->second;
    if (drawn_.size() >= kDrawnRowsKept) drawn_.clear();
    return drawn_[&row];
}

const std::optional<model::RGBAColor>& WatchlistTableController::codeColor(const Row& row) const {
    std::optional<std::optional<model::RGBAColor>>& color = drawn(row).codeColor;
    if (!color)
        color = codeCellColor(context_.view.sessionSetting(std::to_string(row.item->CurrentTradeSessionSettingId)).get());
    return *color;
}

QVariant WatchlistTableController::cellData(int row, int column, int role) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 || column >= int(columns_.size())) return {};
    const Row& r = rows_[std::size_t(row)];
    const Column& c = columns_[std::size_t(column)];
    if (!r.item) return {};
    if (c.cell == Cell::Bid || c.cell == Cell::Ask) return priceCell(r, c.cell == Cell::Bid, role);
    switch (role) {
        case Qt::DisplayRole:  // only the shown part of a long name is converted
            return kit::shownText(watchlistCellText(identifierOf(column), r.item.get(), context_.view));
        case Qt::DecorationRole: return c.cell == Cell::Icon ? QVariant(iconFor(*r.item)) : QVariant();
        case Qt::ToolTipRole:
            if (c.cell == Cell::Name || c.cell == Cell::Code)
                return kit::plainToolTip(kit::shownText(watchlistCellText(identifierOf(column), r.item.get(), context_.view)));
            if (c.cell == Cell::Icon) return kit::plainToolTip(kit::shownText(r.item->InstrumentTypeName));
            return {};
        case Qt::TextAlignmentRole: return c.alignment;
        case Qt::BackgroundRole:
        case Qt::ForegroundRole:
            if (c.cell == Cell::Code)
                if (const auto& color = codeColor(r))
                    return QBrush(qColor(role == Qt::BackgroundRole ? *color : readableTextOn(*color)));
            return {};
        default: return {};
    }
}

std::string WatchlistTableController::dragText(const std::vector<int>& rows) const {
    const int first = rows.front();
    return first >= 0 && first < static_cast<int>(rows_.size()) ? rows_[std::size_t(first)].code.str() : std::string();
}

void WatchlistTableController::RefreshTableview() {
    tableView()->clearSelection();
    ticking_ = true;
    kit::TableControllerBase::RefreshTableview();
    ticking_ = false;
}

void WatchlistTableController::contractDetailButtonClicked(int row) {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    context_.opener.openWindow(kDetailWindow, kit::itemRequest(rows_[std::size_t(row)].code.str()));
}

void WatchlistTableController::doubleAction(const QModelIndex& index) {
    const std::string& id = identifierOf(index.isValid() ? index.column() : -1);
    const QModelIndexList selected = tableView()->selectionModel()->selectedRows();
    DoubleClickPlace place;
    place.column = index.isValid() && !id.empty() ? &id : nullptr;
    // The row under the pointer: a tick between the two clicks may have cleared the selection.
    if (index.isValid()) place.selectedRow = index.row();
    else place.selectedRow = selected.isEmpty() ? -1 : selected.first().row();
    place.rowCount = rowCount();
    const bool inRows = place.selectedRow >= 0 && place.selectedRow < static_cast<int>(rows_.size());
    const model::ItemDetails* record = inRows ? rows_[std::size_t(place.selectedRow)].item.get() : nullptr;
    switch (watchlistDoubleClick(place, record)) {
        case WatchlistDoubleClick::Details: contractDetailButtonClicked(index.row()); break;
        case WatchlistDoubleClick::Ticket: 
            context_.opener.openWindow(kTicketWindow, kit::itemRequest(rows_[std::size_t(place.selectedRow)].code.str()));
            break;
        case WatchlistDoubleClick::NotTradable:
            if (alert_) alert_->close();
            alert_ = kit::CommonAlert::ShowCommonAlertVieWwithMessage(text("1069"), text("10980"), text("0167"));
            break;
        case WatchlistDoubleClick::Nothing: break;
    }
}

}  // namespace views
