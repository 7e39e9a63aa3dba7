#include "views/register_windows.h"

#include "kit/window_registry.h"
#include "views/add_remove_window_controller.h"

namespace views {

void registerWindows(kit::WindowRegistry& registry) {
    kit::WindowSpec editor;
    editor.name = AddRemoveWindowController::kName;
    editor.presentation = kit::Presentation::Sheet;
    editor.make = [](kit::WindowContext& context) -> QWidget* { return new AddRemoveWindowController(context); };
    editor.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* sheet = dynamic_cast<AddRemoveWindowController*>(made);
        if (sheet) sheet->showWindow();
        return sheet != nullptr;
    };
    registry.add(std::move(editor));
}

}  // namespace views
