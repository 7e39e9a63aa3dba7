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

// The one router of the open deposit windows; it goes with the last of them.
std::shared_ptr<DepositAnswerRouter> sharedDepositRouter() {
    static std::weak_ptr<DepositAnswerRouter> held;
    auto router = held.lock();
    if (!router) {
        router = std::make_shared<DepositAnswerRouter>([] { return platform::defaultClock().now(); });
        held = router;
    }
    return router;
}

kit::WindowSpec depositWindow() {
    kit::WindowSpec window;
    window.name = "DepositRequestWindowController";
    window.creation = kit::Creation::NewPerPress;
    window.make = [](kit::WindowContext& context) -> QWidget* {
        auto router = sharedDepositRouter();
        // An answer no open window takes: a banner with its details.
        router->unclaimed = [&context](const std::vector<std::string>& lines) {
            context.ui.deliverBanner(depositAnswerBanner(lines, context.text("0713"), context.ui.bundleName()));
        };
        return new DepositRequestWindowController(context, std::move(router));
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
    window.name = "WithdrawalRequestWindowController";
    window.creation = kit::Creation::Kept;
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
    window.name = "DepositsWithdrawalsWindowController";
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

void registerWindows(kit::WindowRegistry& registry) {
    registry.add(depositWindow());
    registry.add(withdrawalWindow());
    registry.add(depositsWithdrawalsWindow());
}

}  // namespace funds
