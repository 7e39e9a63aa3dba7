#include "views/advanced_watchlist_table_controller.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <algorithm>
#include <numeric>
#include <utility>

#include "kit/common_alert.h"
#include "kit/plain_text.h"
#include "kit/window_context.h"
#include "model/language_string.h"
#include "kit/window_opener.h"
#include "platform/log.h"
#include "state/session_view.h"
#include "views/advanced_table_cell.h"
#include "kit/shown_text.h"

namespace views {

namespace {
std::string text(const std::string& key, std::int64_t language) {
    return model::LanguageString::stringforSelectedLanguage(language, key);
}
}  // namespace

AdvancedWatchlistTableController::AdvancedWatchlistTableController(kit::WindowContext& context, QWidget* parent)
    : kit::TableControllerBase(Setup{kit::TableKind::AdvancedWatchlist, {{"0011", 320, std::nullopt}}, context.language,
                                     nullptr, &context.sheets, nullptr, &context.ticker},
                               parent),
      context_(context) {
    setObjectName("advancedWatchlistTableView");
    QTableView* view = tableView();
    view->setItemDelegate(new AdvancedTableCell([this](int r) { return row(r); }, view));
    view->horizontalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    view->verticalHeader()->setDefaultSectionSize(AdvancedTableCell::kRowHeight);
    view->setAlternatingRowColors(false);
    view->setShowGrid(false);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->viewport()->installEventFilter(this);
    // A dark list in both themes, as its rows are.
    QPalette dark = view->palette();
    dark.setColor(QPalette::Base, QColor(0x14, 0x15, 0x18));
    view->setPalette(dark);
    SetHeaderMenuItems();
    reloadTable();
}

AdvancedWatchlistTableController::~AdvancedWatchlistTableController() {
    if (alert_) alert_->deleteLater();
}

const AdvancedRow* AdvancedWatchlistTableController::row(int index) const {
    if (index < 0 || std::size_t(index) >= rows_.size()) return nullptr;
    const std::size_t at = std::size_t(index);
    std::unique_ptr<AdvancedRow>& made = rows_[at];
    if (stale_[at] || !made) {
        AdvancedRow row = advancedRow(codes_[at], context_.view.instrument(codes_[at]).get(), inputs_[at].moves);
        if (made)
            *made = std::move(row);
        else
            made = std::make_unique<AdvancedRow>(std::move(row));
        stale_[at] = false;
    }
    return made.get();
}

int AdvancedWatchlistTableController::takeSnapshot() {
    if (std::exchange(built_, false)) return static_cast<int>(rows_.size());
    const state::SessionView& view = context_.view;
    std::vector<std::string> codes = view.watchlistCodes();
    if (codes.size() > kSnapshotStepRows) {
        building_ = {};
        building_.list = view.watchlistRevision();
        building_.records = view.recordsRevision();
        building_.turn = view.tickedInstruments().turn;
        building_.codes = std::move(codes);
        building_.inputs.reserve(building_.codes.size());
        building_.items.reserve(building_.codes.size());
        stepping_ = true;
        buildNextRows();
        return static_cast<int>(rows_.size());
    }
    listSeen_ = view.watchlistRevision();
    recordsSeen_ = view.recordsRevision();
    turnSeen_ = view.tickedInstruments().turn;
    // In place: the rows of the list's first codes stay where they are.
    rows_.resize(codes.size());
    stale_.resize(codes.size(), true);
    codes_.resize(codes.size());
    inputs_.resize(codes.size());
    items_.resize(codes.size());
    rowsByItem_.reset();
    movedRows_.clear();
    for (std::size_t at = 0; at < codes.size(); ++at) {
        items_[at] = view.instrument(codes[at]);
        if (codes_[at] != codes[at]) {
            codes_[at] = std::move(codes[at]);
            stale_[at] = true;
        }
        readRow(at);
    }
    return static_cast<int>(rows_.size());
}

void AdvancedWatchlistTableController::buildNextRows() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            Building& b = building_;
            const std::size_t to = std::min(b.codes.size(), b.items.size() + kSnapshotStepRows);
            for (std::size_t at = b.items.size(); at < to; ++at) {
                std::shared_ptr<model::ItemDetails> item = context_.view.instrument(b.codes[at]);
                const LastShownPrices::Moves moves = showPrices(b.codes[at], item.get());
                if (moves.bid != PriceMove::Unchanged || moves.ask != PriceMove::Unchanged) b.moved.push_back(at);
                b.inputs.push_back(AdvancedRowInputs::of(item.get(), moves));
                b.items.push_back(std::move(item));
            }
            if (to < b.codes.size()) {
                buildNextRows();
                return;
            }
            // Whole: it replaces the rows shown, each made when first drawn.
            codes_ = std::move(b.codes);
            inputs_ = std::move(b.inputs);
            items_ = std::move(b.items);
            movedRows_ = std::move(b.moved);
            rows_.clear();
            rows_.resize(codes_.size());
            stale_.assign(codes_.size(), true);
            rowsByItem_.reset();
            listSeen_ = b.list;
            recordsSeen_ = b.records;
            turnSeen_ = b.turn;
            building_ = {};
            stepping_ = false;
            built_ = true;
            reloadTable();
            // The list or its records changed while it was built: another one.
            if (context_.view.watchlistRevision() != listSeen_ || context_.view.recordsRevision() != recordsSeen_)
                reloadTable();
        },
        Qt::QueuedConnection);
}

LastShownPrices::Moves AdvancedWatchlistTableController::showPrices(const std::string& code,
                                                                    const model::ItemDetails* item) {
    return item ? shown_.show(code, item->Bid, item->Ask) : LastShownPrices::Moves{};
}

bool AdvancedWatchlistTableController::readRow(std::size_t at) {
    const model::ItemDetails* item = items_[at].get();
    const LastShownPrices::Moves moves = showPrices(codes_[at], item);
    if (moves.bid != PriceMove::Unchanged || moves.ask != PriceMove::Unchanged) movedRows_.push_back(at);
    // Nothing it shows changed: the row made before.
    if (inputs_[at].same(item, moves)) return false;
    inputs_[at] = AdvancedRowInputs::of(item, moves);
    stale_[at] = true;
    return true;
}

void AdvancedWatchlistTableController::RefreshTableview() {
    ticking_ = true;
    kit::TableControllerBase::RefreshTableview();
    ticking_ = false;
}

std::optional<std::vector<int>> AdvancedWatchlistTableController::changedRows() {
    // The rows shown stay as they are until the snapshot under way is whole.
    if (stepping_) return std::vector<int>{};
    const state::SessionView& view = context_.view;
    if (!ticking_ || int(codes_.size()) != rowCount() || listSeen_ != view.watchlistRevision() ||
        recordsSeen_ != view.recordsRevision())
        return std::nullopt;
    const state::TickedInstrumentsTurn& ticked = view.tickedInstruments();
    const bool follows = !ticked.tooMany && ticked.turn == turnSeen_ + 1;
    turnSeen_ = ticked.turn;
    std::vector<int> toRead;
    if (!follows) {
        // Any instrument may have moved: every row, a range a slice.
        movedRows_.clear();
        toRead.resize(codes_.size());
        std::iota(toRead.begin(), toRead.end(), 0);
        return readInRanges(std::move(toRead));
    }
    std::vector<std::size_t> rows = std::exchange(movedRows_, {});
    rowsByItem_.append(items_.size(), [this](std::size_t row) { return items_[row].get(); }, ticked.items, rows);
    toRead.assign(rows.begin(), rows.end());
    std::sort(toRead.begin(), toRead.end());
    toRead.erase(std::unique(toRead.begin(), toRead.end()), toRead.end());
    return readInRanges(std::move(toRead));
}

std::vector<int> AdvancedWatchlistTableController::readRows(std::span<const int> rows) {
    std::vector<int> changed;
    for (const int at : rows)
        if (at >= 0 && std::size_t(at) < codes_.size() && readRow(std::size_t(at))) changed.push_back(at);
    return changed;
}

QVariant AdvancedWatchlistTableController::cellData(int r, int, int role) const {
    const AdvancedRow* shown = row(r);
    if (!shown) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return kit::plainToolTipFor(role, kit::shownText(shown->code));
    return {};
}

std::string AdvancedWatchlistTableController::dragText(const std::vector<int>& rows) const {
    const AdvancedRow* first = row(rows.front());
    return first ? first->code : std::string();
}

bool AdvancedWatchlistTableController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != tableView()->viewport() || event->type() != QEvent::MouseButtonPress)
        return kit::TableControllerBase::eventFilter(watched, event);
    const auto* press = static_cast<QMouseEvent*>(event);
    if (press->button() != Qt::LeftButton) return false;
    const QPoint at = press->position().toPoint();
    const QModelIndex index = tableView()->indexAt(at);
    if (!index.isValid()) return false;
    switch (AdvancedTableCell::buttonAt(tableView()->visualRect(index), at)) {
        case AdvancedTableCell::Button::Buy: buyButtonClicked(index.row()); return true;
        case AdvancedTableCell::Button::Sell: sellButtonClicked(index.row()); return true;
        case AdvancedTableCell::Button::None: break;
    }
    return false;
}

void AdvancedWatchlistTableController::buyButtonClicked(int r) {
    platform::Log::info("BuyButtonClicked");
    loadTradeTicketView(r);
}

void AdvancedWatchlistTableController::sellButtonClicked(int r) {
    platform::Log::info("SellButtonClicked");
    loadTradeTicketView(r);
}

void AdvancedWatchlistTableController::loadTradeTicketView(int r) {
    const AdvancedRow* shown = row(r);
    if (!shown) return;
    if (shown->tradable) {
        context_.opener.openWindow(kTicketWindow, kit::itemRequest(shown->code));
        return;
    }
    if (alert_) alert_->close();
    const auto word = [this](const char* key) { return text(key, context_.language); };
    alert_ = kit::CommonAlert::ShowCommonAlertVieWwithMessage(word("1069"), word("10980"), word("0167"));
}

}  // namespace views
