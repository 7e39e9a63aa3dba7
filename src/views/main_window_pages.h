#pragma once
// The views folder's pages of the main window, each made at its first ask:
// the two watchlists and the tables of the main tab view. The two position
// tables share what their records' look-ups found. Main thread.
#include <QPointer>
#include <QWidget>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "views/core/position_records.h"

namespace kit {
struct WindowContext;
}

namespace views {

class WatchlistTableController;
class AdvancedWatchlistTableController;
class OpenPositionTableController;
class PendingOrderTableController;
class SettledPositionTableController;
class CancelledOrderTableController;
class ExecutedPositionTableController;
class JournalTableController;
class AccountsTableController;

// The pages by the language key of their tab's label. The open positions sit
// beside the pie pane in the first tab.
namespace page {
inline constexpr const char* kWatchlist = "21009";
inline constexpr const char* kAdvancedWatchlist = "0342";
inline constexpr const char* kOpenPositions = "21001";
inline constexpr const char* kPendingOrders = "21002";
inline constexpr const char* kSettledPositions = "21003";
inline constexpr const char* kCancelledOrders = "21004";
inline constexpr const char* kExecutedPositions = "21005";
inline constexpr const char* kJournal = "21006";
inline constexpr const char* kAccounts = "21008";
}  // namespace page

class MainWindowPages {
public:
    struct Options {
        bool baseCurrencyAvailable = false;  // the login settings' choices
        bool showAccountCurrency = false;
    };
    // `placed` puts a page just made where it shows.
    MainWindowPages(kit::WindowContext& context, Options options,
                    std::function<void(const std::string& id, QWidget* page)> placed);

    // The page of `id`, made at the first ask; null for an id of no page here.
    QWidget* page(const std::string& id);
    bool made(const std::string& id) const;

    WatchlistTableController* watchlist();
    AdvancedWatchlistTableController* advancedWatchlist();
    OpenPositionTableController* openPositions();
    PendingOrderTableController* pendingOrders();
    SettledPositionTableController* settledPositions();
    CancelledOrderTableController* cancelledOrders();
    ExecutedPositionTableController* executedPositions();
    JournalTableController* journal();
    AccountsTableController* accounts();

private:
    QWidget* make(const std::string& id);

    kit::WindowContext& context_;
    Options options_;
    std::function<void(const std::string&, QWidget*)> placed_;
    std::shared_ptr<PositionRecordsCache::Shared> records_ = PositionRecordsCache::makeShared();
    std::map<std::string, QPointer<QWidget>> pages_;
};

}  // namespace views
