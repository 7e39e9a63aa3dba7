#include "shell/trading_windows.h"

#include "kit/core/preference_manager.h"
#include "kit/common_alert.h"
#include "shell/app_delegate.h"
#include "platform/preferences.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/modify_position_window_controller.h"
#include "trading/trade_ticket_window_controller.h"

namespace shell {

namespace {
constexpr const char* kTicketWindow = "TradeTicketWindowController";

trading::TradeTicketWindowController* ticketOf(QWidget* shown) {
    return dynamic_cast<trading::TradeTicketWindowController*>(shown);
}

trading::PositionDialogHost positionDialogHost(AppDelegate& delegate, std::chrono::milliseconds interval) {
    trading::PositionDialogHost host;
    AppSession& session = delegate.session();
    host.session = [&session] { return session.sharedView(); };
    host.orderManager = [&session] { return session.orderManager(); };
    host.selectedLanguage = [&session] { return session.selectedLanguage(); };
    host.theme = [&delegate] { return delegate.preferences().integerForKey(kit::PreferenceManager::kTheme); };
    host.showAlert = [](const std::string& message, const std::string& title) {
        kit::CommonAlert::ShowCommonAlertVieWwithMessage(message, title);
    };
    host.refreshInterval = interval;
    return host;
}

// Each table makes its own dialog through the factory it is given.
template <class Dialog>
std::function<trading::PositionDialogFactory(MainWindowController&)> positionDialog(AppDelegate& delegate,
                                                                                     std::chrono::milliseconds interval) {
    return [&delegate, interval](MainWindowController&) -> trading::PositionDialogFactory {
        return [&delegate, interval]() -> trading::PositionDialog* {
            return new Dialog(positionDialogHost(delegate, interval));
        };
    };
}
}  // namespace

void addTradingWindows(MainWindowController::Options& options, AppDelegate& delegate) {
    const auto interval = options.refreshInterval;
    if (!options.closeOrCancelDialog)
        options.closeOrCancelDialog =
            positionDialog<trading::ClosendCancelPositionWindowController>(delegate, interval);
    if (!options.modifyOrEditDialog)
        options.modifyOrEditDialog = positionDialog<trading::ModifyPositionWindowController>(delegate, interval);
    if (options.windows.count(kTicketWindow)) return;
    MainWindowController::ChildWindow ticket;
    ticket.make = [&delegate, interval](MainWindowController& main) -> QWidget* {
        trading::TicketHost host;
        AppSession& session = delegate.session();
        host.session = session.sharedView();
        host.commands = session.sharedCommands();
        host.orderManager = [&session] { return session.orderManager(); };
        host.selectedLanguage = [&session] { return session.selectedLanguage(); };
        host.theme = [&delegate] { return delegate.preferences().integerForKey(kit::PreferenceManager::kTheme); };
        host.dontshowOrderConfirmation = [&delegate] { return delegate.dontshowOrderConfirmation; };
        host.setDontshowOrderConfirmation = [&delegate](bool v) { delegate.dontshowOrderConfirmation = v; };
        host.setShowConfirmationAlert = [&session](bool v) { session.setShowConfirmationAlert(v); };
        host.showAlert = [](const std::string& message, const std::string& title) {
            kit::CommonAlert::ShowCommonAlertVieWwithMessage(message, title);
        };
        host.refreshInterval = interval;
        return new trading::TradeTicketWindowController(std::move(host), main.window());
    };
    // The main window's button: the first watchlist instrument.
    ticket.beforeShowing = [](QWidget* shown) {
        if (auto* t = ticketOf(shown)) {
            t->setIsTradeTicketfromWatchlist(false);
            t->windowDidAppear();
        }
    };
    // A watchlist row: that row's instrument.
    ticket.beforeShowingItem = [](QWidget* shown, const std::string& itemCode) {
        if (auto* t = ticketOf(shown)) {
            t->setIsTradeTicketfromWatchlist(true);
            t->setValue(itemCode, "ItemCode");
            t->windowDidAppear();
        }
    };
    options.windows[kTicketWindow] = std::move(ticket);
}

}  // namespace shell
