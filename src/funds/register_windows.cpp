#include "funds/register_windows.h"

#include <memory>

#include "funds/core/deposit_rules.h"
#include "funds/deposit_request_window_controller.h"
#include "funds/deposits_withdrawals_window_controller.h"
#include "funds/withdrawal_request_window_controller.h"
#include "kit/window_context.h"
#include "kit/window_registry.h"
#include "platform/clock.h"
#include "state/ui_services.h"

namespace funds {

namespace {

kit::WindowSpec depositWindow(std::shared_ptr<DepositAnswerRouter> router) {
    kit::WindowSpec window;
    window.name = kDepositRequestWindow;
    window.creation = kit::Creation::NewPerPress;
    window.make = [router](kit::WindowContext& context) -> QWidget* {
        return new DepositRequestWindowController(context, router);
    };
    window.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* deposit = dynamic_cast<DepositRequestWindowController*>(made);
        if (!deposit) return false;
        deposit->windowDidAppear();
        return true;
    };
    return window;
}

kit::WindowSpec withdrawalWindow() {
    kit::WindowSpec window;
    window.name = kWithdrawalRequestWindow;
    window.creation = kit::Creation::Kept;
    window.notWhileVisible = true;  // a press keeps the form being filled
    window.make = [](kit::WindowContext& context) -> QWidget* { return new WithdrawalRequestWindowController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* withdrawal = dynamic_cast<WithdrawalRequestWindowController*>(made);
        if (!withdrawal) return false;
        withdrawal->windowDidAppear();
        return true;
    };
    return window;
}

kit::WindowSpec depositsWithdrawalsWindow() {
    kit::WindowSpec window;
    window.name = kDepositsWithdrawalsWindow;
    window.creation = kit::Creation::Kept;
    window.make = [](kit::WindowContext& context) -> QWidget* { return new DepositsWithdrawalsWindowController(context); };
    window.open = [](QWidget* made, const kit::OpenRequest&) {
        auto* list = dynamic_cast<DepositsWithdrawalsWindowController*>(made);
        if (!list) return false;
        list->onWindowLoad();
        return true;
    };
    return window;
}

}  // namespace

void registerWindows(kit::WindowRegistry& registry, kit::WindowContext& context) {
    // One router for the login, held by the deposit window's registry entry: answers are
    // routed whether or not a deposit window is open.
    auto router = std::make_shared<DepositAnswerRouter>([] { return platform::defaultClock().now(); });
    router->unclaimed = [&context](const std::vector<std::string>& lines) {
        context.ui.deliverBanner(depositAnswerBanner(lines, context.text("0713"), context.ui.bundleName()));
    };
    registry.add(depositWindow(std::move(router)));
    registry.add(withdrawalWindow());
    registry.add(depositsWithdrawalsWindow());
}

}  // namespace funds
