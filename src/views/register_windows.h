#pragma once
// The views folder's windows in the login's registry: the watchlist editor.
namespace kit {
class WindowRegistry;
}

namespace views {

void registerWindows(kit::WindowRegistry& registry);

}  // namespace views
