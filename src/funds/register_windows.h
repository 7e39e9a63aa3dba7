#pragma once
// The funds folder's windows in the login's registry.
namespace kit {
class WindowRegistry;
}

namespace funds {

void registerWindows(kit::WindowRegistry& registry);

}  // namespace funds
