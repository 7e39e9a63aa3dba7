#include "chat/register_windows.h"

#include "chat/resources_view_controller.h"
#include "kit/window_context.h"
#include "kit/window_registry.h"

namespace chat {

namespace {

kit::WindowSpec resourcesWindow() {
    kit::WindowSpec window;
    window.name = "ResourcesViewController";
    window.presentation = kit::Presentation::Popover;
    window.make = [](kit::WindowContext& context) -> QWidget* { return new ResourcesViewController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* resources = dynamic_cast<ResourcesViewController*>(made);
        if (!resources) return false;
        resources->viewWillAppear();
        return true;
    };
    return window;
}

}  // namespace

void registerWindows(kit::WindowRegistry& registry) { registry.add(resourcesWindow()); }

}  // namespace chat
