#include "trading/register_windows.h"

#include "kit/window_context.h"
#include "kit/window_registry.h"
#include "state/session_view.h"
#include "trading/close_all_window_controller.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/core/position_row_reference.h"
#include "trading/modify_position_window_controller.h"
#include "trading/offset_position_window_controller.h"
#include "trading/trade_ticket_window_controller.h"

namespace trading {

namespace {

// A kept dialog forgets where its last use left the focus: shown, it gives
// the focus to its first field as when shown the first time.
void forgetFocus(QWidget& dialog) {
    if (QWidget* focused = dialog.focusWidget()) focused->clearFocus();
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
    window.make = [](kit::WindowContext& context) -> QWidget* { return new Dialog(context); };
    window.open = [](QWidget* made, const kit::OpenRequest& request) {
        auto* dialog = dynamic_cast<PositionDialog*>(made);
        if (!dialog) return false;
        dialog->setDialogMode(request.mode);
        dialog->setValue(request.recordId, PositionDialog::kRecordIdKey);
        dialog->StartTimerandNotification();
        dialog->windowDidAppear();
        forgetFocus(*dialog);
        return dialog->hasRecord();
    };
    return window;
}

kit::WindowSpec ticketWindow() {
    kit::WindowSpec window;
    window.name = kTradeTicketWindow;
    // It opens on a watchlist instrument: none while the watchlist is empty.
    window.canOpen = [](kit::WindowContext& context, const kit::OpenRequest&) {
        return !context.view.watchlistCodes().empty();
    };
    window.make = [](kit::WindowContext& context) -> QWidget* { return new TradeTicketWindowController(context); };
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

// The offset sheet of an open position, kept; it opens for a position still open.
kit::WindowSpec offsetWindow() {
    kit::WindowSpec window;
    window.name = kOffsetWindow;
    window.presentation = kit::Presentation::Sheet;
    window.canOpen = [](kit::WindowContext& context, const kit::OpenRequest& request) {
        return orderWithId(context.view, kPositionMode, request.recordId) != nullptr;
    };
    window.make = [](kit::WindowContext& context) -> QWidget* { return new OffsetPositionWindowController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest& request) {
        auto* sheet = dynamic_cast<OffsetPositionWindowController*>(made);
        return sheet && sheet->setPosition(request.recordId);
    };
    return window;
}

// The close-all sheet, kept; it opens while a position is open.
kit::WindowSpec closeAllWindow() {
    kit::WindowSpec window;
    window.name = kCloseAllWindow;
    window.presentation = kit::Presentation::Sheet;
    window.canOpen = [](kit::WindowContext& context, const kit::OpenRequest&) {
        return context.view.hasVisibleOpenOrder();
    };
    window.make = [](kit::WindowContext& context) -> QWidget* { return new CloseAllWindowController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* sheet = dynamic_cast<CloseAllWindowController*>(made);
        if (sheet) sheet->windowDidAppear();
        return sheet != nullptr;
    };
    return window;
}

}  // namespace

void registerWindows(kit::WindowRegistry& registry) {
    registry.add(ticketWindow());
    registry.add(rowDialog<ClosendCancelPositionWindowController>(kCloseOrCancelDialog));
    registry.add(rowDialog<ModifyPositionWindowController>(kModifyOrEditDialog));
    registry.add(offsetWindow());
    registry.add(closeAllWindow());
}

}  // namespace trading
