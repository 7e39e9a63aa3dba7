#pragma once
// The trading folder's windows in the login's registry: the order ticket and
// the position tables' row dialogs (close or cancel; modify or edit).
namespace kit {
class WindowRegistry;
}

namespace trading {

// The names this folder's windows are registered and opened by.
inline constexpr const char* kTradeTicketWindow = "TradeTicketWindowController";
inline constexpr const char* kCloseOrCancelDialog = "ClosendCancelPositionWindowController";
inline constexpr const char* kModifyOrEditDialog = "ModifyPositionWindowController";
inline constexpr const char* kOffsetWindow = "OffsetPositionWindowController";
inline constexpr const char* kCloseAllWindow = "CloseAllWindowController";

void registerWindows(kit::WindowRegistry& registry);

}  // namespace trading
