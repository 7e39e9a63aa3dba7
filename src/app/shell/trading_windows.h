#pragma once
// Plugs the trading windows into the main window's command table.
#include "app/shell/main_window_controller.h"

namespace shell {

class AppDelegate;

// The order ticket under "TradeTicketWindowController", unless one is given.
void addTradingWindows(MainWindowController::Options& options, AppDelegate& delegate);

}  // namespace shell
