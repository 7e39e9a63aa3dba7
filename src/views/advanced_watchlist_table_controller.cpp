#include "views/advanced_watchlist_table_controller.h"

#include <QHeaderView>
#include <QMouseEvent>

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
    if (stale_[at]) {
        rows_[at] = advancedRow(codes_[at], context_.view.instrument(codes_[at]).get(), inputs_[at].moves);
        stale_[at] = false;
    }
    return &rows_[at];
}

int AdvancedWatchlistTableController::takeSnapshot() {
    std::vector<std::string> codes = context_.view.watchlistCodes();
    // In place: the rows of the list's first codes stay where they are.
    rows_.resize(codes.size());
    stale_.resize(codes.size(), true);
    codes_.resize(codes.size());
    inputs_.resize(codes.size());
    for (std::size_t at = 0; at < codes.size(); ++at) {
        std::string& code = codes[at];
        const auto item = context_.view.instrument(code);
        const LastShownPrices::Moves moves = item ? shown_.show(code, item->Bid, item->Ask) : LastShownPrices::Moves{};
        // Nothing it shows changed: the row made before.
        if (codes_[at] == code && inputs_[at].same(item.get(), moves)) continue;
        inputs_[at] = AdvancedRowInputs::of(item.get(), moves);
        codes_[at] = std::move(code);
        stale_[at] = true;
    }
    return static_cast<int>(rows_.size());
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
