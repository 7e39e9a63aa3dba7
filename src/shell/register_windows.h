#pragma once
// The shell's own windows in the login's registry: the settings panel.
namespace kit {
class WindowRegistry;
}

namespace shell {

// The names the shell's windows are registered and opened by.
inline constexpr const char* kSettingsWindow = "SettingsWindowController";
inline constexpr const char* kAboutWindow = "AboutWindowController";

void registerWindows(kit::WindowRegistry& registry);

}  // namespace shell
