#include "views/main_window_pages.h"

#include "kit/window_context.h"
#include "views/accounts_table_controller.h"
#include "views/advanced_watchlist_table_controller.h"
#include "views/cancelled_order_table_controller.h"
#include "views/executed_position_table_controller.h"
#include "views/journal_table_controller.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"
#include "views/settled_position_table_controller.h"
#include "views/watchlist_table_controller.h"

namespace views {

MainWindowPages::MainWindowPages(kit::WindowContext& context, Options options,
                                 std::function<void(const std::string& id, QWidget* page)> placed)
    : context_(context), options_(options), placed_(std::move(placed)) {}

QWidget* MainWindowPages::make(const std::string& id) {
    if (id == page::kWatchlist) return new WatchlistTableController(context_);
    if (id == page::kAdvancedWatchlist) return new AdvancedWatchlistTableController(context_);
    if (id == page::kOpenPositions) return new OpenPositionTableController(context_, options_.baseCurrencyAvailable, records_);
    if (id == page::kPendingOrders) return new PendingOrderTableController(context_);
    if (id == page::kSettledPositions) return new SettledPositionTableController(context_, options_.showAccountCurrency);
    if (id == page::kCancelledOrders) return new CancelledOrderTableController(context_);
    if (id == page::kExecutedPositions) return new ExecutedPositionTableController(context_, records_);
    if (id == page::kJournal) return new JournalTableController(context_);
    if (id == page::kAccounts) return new AccountsTableController(context_, options_.showAccountCurrency);
    return nullptr;
}

QWidget* MainWindowPages::page(const std::string& id) {
    if (const auto it = pages_.find(id); it != pages_.end() && it->second) return it->second;
    QWidget* made = make(id);
    if (!made) return nullptr;
    pages_[id] = made;
    if (placed_) placed_(id, made);
    return made;
}

bool MainWindowPages::made(const std::string& id) const {
    const auto it = pages_.find(id);
    return it != pages_.end() && it->second;
}

WatchlistTableController* MainWindowPages::watchlist() {
    return static_cast<WatchlistTableController*>(page(page::kWatchlist));
}
AdvancedWatchlistTableController* MainWindowPages::advancedWatchlist() {
    return static_cast<AdvancedWatchlistTableController*>(page(page::kAdvancedWatchlist));
}
OpenPositionTableController* MainWindowPages::openPositions() {
    return static_cast<OpenPositionTableController*>(page(page::kOpenPositions));
}
PendingOrderTableController* MainWindowPages::pendingOrders() {
    return static_cast<PendingOrderTableController*>(page(page::kPendingOrders));
}
SettledPositionTableController* MainWindowPages::settledPositions() {
    return static_cast<SettledPositionTableController*>(page(page::kSettledPositions));
}
CancelledOrderTableController* MainWindowPages::cancelledOrders() {
    return static_cast<CancelledOrderTableController*>(page(page::kCancelledOrders));
}
ExecutedPositionTableController* MainWindowPages::executedPositions() {
    return static_cast<ExecutedPositionTableController*>(page(page::kExecutedPositions));
}
JournalTableController* MainWindowPages::journal() { return static_cast<JournalTableController*>(page(page::kJournal)); }
AccountsTableController* MainWindowPages::accounts() {
    return static_cast<AccountsTableController*>(page(page::kAccounts));
}

}  // namespace views
