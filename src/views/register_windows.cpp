#include "views/register_windows.h"

#include "kit/window_registry.h"
#include "views/add_remove_window_controller.h"
#include "views/advanced_detail_window_controller.h"
#include "views/core/detail_rows.h"
#include "views/detail_window_controller.h"
#include "kit/window_context.h"
#include "state/session_view.h"

namespace views {

namespace {

bool holdsPosition(const state::Orders& orders, const std::string& id) {
    for (const auto& order : orders)
        if (order && order->OpenPositionId == id) return true;
    return false;
}

// The kept receipt sheet of a position of the open (type 1) or executed (type 2) collection.
kit::WindowSpec receiptWindow(const char* name, int type) {
    kit::WindowSpec window;
    window.name = name;
    window.presentation = kit::Presentation::Sheet;
    // Without a record the opener asks only whether the receipt exists.
    window.canOpen = [type](kit::WindowContext& context, const kit::OpenRequest& request) {
        if (request.recordId.empty()) return true;
        return type == detail_type::kOpenReceipt ? holdsPosition(context.view.getOpenOrderCollection(), request.recordId)
                                                 : context.view.executedPosition(request.recordId) != nullptr;
    };
    window.make = [](kit::WindowContext& context) -> QWidget* { return new DetailWindowController(context); };
    window.open = [type](QWidget* made, const kit::OpenRequest& request) {
        auto* sheet = dynamic_cast<DetailWindowController*>(made);
        if (!sheet) return false;
        sheet->setDetailViewType(type);
        sheet->setValue(request.recordId);
        if (!sheet->hasPosition()) return false;
        sheet->showWindow();
        return true;
    };
    return window;
}

// The kept floating window of one instrument; the opener gives the code as item or record.
kit::WindowSpec advancedDetailWindow() {
    kit::WindowSpec window;
    window.name = kAdvancedDetailWindow;
    window.make = [](kit::WindowContext& context) -> QWidget* { return new AdvancedDetailWindowController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest& request) {
        auto* shown = dynamic_cast<AdvancedDetailWindowController*>(made);
        return shown && shown->runModalWindowForItem(request.itemCode.empty() ? request.recordId : request.itemCode);
    };
    return window;
}

}  // namespace

void registerWindows(kit::WindowRegistry& registry) {
    kit::WindowSpec editor;
    editor.name = kAddRemoveWindow;
    editor.presentation = kit::Presentation::Sheet;
    editor.make = [](kit::WindowContext& context) -> QWidget* { return new AddRemoveWindowController(context); };
    editor.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* sheet = dynamic_cast<AddRemoveWindowController*>(made);
        if (sheet) sheet->showWindow();
        return sheet != nullptr;
    };
    registry.add(std::move(editor));
    registry.add(receiptWindow(kOpenReceiptWindow, detail_type::kOpenReceipt));
    registry.add(receiptWindow(kExecutedReceiptWindow, detail_type::kExecutedReceipt));
    registry.add(advancedDetailWindow());
}

}  // namespace views
