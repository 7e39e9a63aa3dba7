#pragma once
// Plugs the trading windows into the main window's command table.
#include "shell/main_window_controller.h"

namespace shell {

class AppDelegate;

// The order ticket under "TradeTicketWindowController" and the position
// tables' row dialogs, each unless one is given.
void addTradingWindows(MainWindowController::Options& options, AppDelegate& delegate);

}  // namespace shell
