#pragma once
// The views folder's windows in the login's registry: the watchlist editor,
// the receipts and the instrument's detail window.
namespace kit {
class WindowRegistry;
}

namespace views {

// The names this folder's windows are registered and opened by.
inline constexpr const char* kAddRemoveWindow = "AddRemoveWindowController";
inline constexpr const char* kOpenReceiptWindow = "DetailWindowController";
inline constexpr const char* kExecutedReceiptWindow = "ExecutedDetailWindowController";
inline constexpr const char* kAdvancedDetailWindow = "AdvancedDetailWindowController";

void registerWindows(kit::WindowRegistry& registry);

}  // namespace views
