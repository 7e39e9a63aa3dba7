#include "reports/register_windows.h"

#include "kit/window_context.h"
#include "kit/window_registry.h"
#include "reports/account_statement_window_controller.h"

namespace reports {

namespace {

kit::WindowSpec accountStatementWindow() {
    kit::WindowSpec window;
    window.name = kAccountStatementWindow;
    window.presentation = kit::Presentation::Window;
    window.creation = kit::Creation::Kept;
    window.make = [](kit::WindowContext& context) -> QWidget* { return new AccountStatementWindowController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* statement = dynamic_cast<AccountStatementWindowController*>(made);
        if (!statement) return false;
        statement->windowDidAppear();
        return true;
    };
    return window;
}

}  // namespace

void registerWindows(kit::WindowRegistry& registry) { registry.add(accountStatementWindow()); }

}  // namespace reports
