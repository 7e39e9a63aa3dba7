#pragma once
// The reports folder's windows in the login's registry.
namespace kit {
class WindowRegistry;
}

namespace reports {

void registerWindows(kit::WindowRegistry& registry);

}  // namespace reports
