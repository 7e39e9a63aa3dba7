#pragma once
// The shell's own windows in the login's registry: the settings panel.
namespace kit {
class WindowRegistry;
}

namespace shell {

void registerWindows(kit::WindowRegistry& registry);

}  // namespace shell
