#pragma once
// The trading folder's windows in the login's registry: the order ticket and
// the position tables' row dialogs (close or cancel; modify or edit).
namespace kit {
class WindowRegistry;
}

namespace trading {

void registerWindows(kit::WindowRegistry& registry);

}  // namespace trading
