#pragma once
// The chat folder's windows in the login's registry: the resources popover.
namespace kit {
class WindowRegistry;
}

namespace chat {

void registerWindows(kit::WindowRegistry& registry);

}  // namespace chat
