#include "trading/register_windows.h"

#include "kit/common_alert.h"
#include "kit/core/preference_manager.h"
#include "kit/live_ticker.h"
#include "kit/window_context.h"
#include "kit/window_registry.h"
#include "state/session_view.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/core/position_row_reference.h"
#include "trading/modify_position_window_controller.h"
#include "trading/trade_ticket_window_controller.h"

namespace trading {

namespace {

void showAlert(const std::string& message, const std::string& title) {
    kit::CommonAlert::ShowCommonAlertVieWwithMessage(message, title);
}

std::shared_ptr<const state::SessionView> sessionOf(const kit::WindowContext& context) {
    return {context.sessionLifetime, &context.view};
}

std::chrono::milliseconds refreshInterval(kit::WindowContext& context) {
    return std::chrono::milliseconds(context.ticker.timer().interval());
}

PositionDialogHost dialogHost(kit::WindowContext& context) {
    PositionDialogHost host;
    host.session = [&context] { return sessionOf(context); };
    host.orderManager = [&context] { return &context.orderManager; };
    host.selectedLanguage = [&context] { return context.language; };
    host.theme = context.theme;
    host.showAlert = showAlert;
    host.refreshInterval = refreshInterval(context);
    return host;
}

// A row dialog opens for a record still in its mode's collection.
template <class Dialog>
kit::WindowSpec rowDialog(const char* name) {
    kit::WindowSpec window;
    window.name = name;
    window.presentation = kit::Presentation::Sheet;
    window.canOpen = [](kit::WindowContext& context, const kit::OpenRequest& request) {
        return orderWithId(context.view, request.mode, request.recordId) != nullptr;
    };
    window.make = [](kit::WindowContext& context) -> QWidget* { return new Dialog(dialogHost(context)); };
    window.open = [](QWidget* made, const kit::OpenRequest& request) {
        auto* dialog = dynamic_cast<PositionDialog*>(made);
        if (!dialog) return false;
        dialog->setDialogMode(request.mode);
        dialog->setValue(request.recordId, PositionDialog::kRecordIdKey);
        dialog->StartTimerandNotification();
        dialog->windowDidAppear();
        return dialog->hasRecord();
    };
    return window;
}

kit::WindowSpec ticketWindow() {
    kit::WindowSpec window;
    window.name = "TradeTicketWindowController";
    window.make = [](kit::WindowContext& context) -> QWidget* {
        TicketHost host;
        host.session = sessionOf(context);
        host.commands = std::shared_ptr<state::SessionCommands>(context.sessionLifetime, &context.commands);
        host.orderManager = [&context] { return &context.orderManager; };
        host.selectedLanguage = [&context] { return context.language; };
        host.theme = context.theme;
        kit::PreferenceManager& preferences = context.preferences;
        host.dontshowOrderConfirmation = [&preferences] { return preferences.dontShowOrderConfirmation(); };
        host.setDontshowOrderConfirmation = [&preferences](bool v) { preferences.setDontShowOrderConfirmation(v); };
        host.setShowConfirmationAlert = [&preferences](bool v) { preferences.setShowConfirmationAlert(v); };
        host.showAlert = showAlert;
        host.refreshInterval = refreshInterval(context);
        return new TradeTicketWindowController(std::move(host));
    };
    // The main window's button: the first watchlist instrument; a watchlist
    // row: that row's instrument.
    window.open = [](QWidget* made, const kit::OpenRequest& request) {
        auto* ticket = dynamic_cast<TradeTicketWindowController*>(made);
        if (!ticket) return false;
        ticket->setIsTradeTicketfromWatchlist(!request.itemCode.empty());
        if (!request.itemCode.empty()) ticket->setValue(request.itemCode, "ItemCode");
        ticket->windowDidAppear();
        return true;
    };
    return window;
}

}  // namespace

void registerWindows(kit::WindowRegistry& registry) {
    registry.add(ticketWindow());
    registry.add(rowDialog<ClosendCancelPositionWindowController>("ClosendCancelPositionWindowController"));
    registry.add(rowDialog<ModifyPositionWindowController>("ModifyPositionWindowController"));
}

}  // namespace trading
