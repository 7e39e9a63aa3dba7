#include "shell/register_windows.h"

#include "kit/window_context.h"
#include "kit/window_registry.h"
#include "shell/settings_window_controller.h"

namespace shell {

void registerWindows(kit::WindowRegistry& registry) {
    kit::WindowSpec settings;
    settings.name = kSettingsWindow;
    settings.make = [](kit::WindowContext& context) -> QWidget* { return new SettingsWindowController(context); };
    registry.add(std::move(settings));
}

}  // namespace shell
