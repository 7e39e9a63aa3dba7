#include "shell/core/main_commands.h"

#include <charconv>

namespace shell {

const std::vector<MainCommand>& mainCommands() {
    using C = Creation;
    using P = Presentation;
    using G = PressGuard;
    static const std::vector<MainCommand> table = {
        {"AddRemoveSymbolstoWatchlistClicked", "AddRemoveWindowController", "21010", C::KeptAfterFirstUse, P::Sheet, G::None},
        {"TradeTicketButtonClicked", "TradeTicketWindowController", "21011", C::KeptAfterFirstUse, P::Floating,
         G::NeedsWatchlist},
        {"SettingsButtonClicked", "SettingsWindowController", "10992", C::KeptAfterFirstUse, P::Child, G::None},
        {"ChartButtonClicked", "ChartWindowController", "21012", C::NewAtEveryPress, P::Child, G::None},
        {"DepositsWithdrawalsButtonClicked", "DepositsWithdrawalsWindowController", "0422", C::KeptAfterFirstUse,
         P::Child, G::None},
        {"AccountStatementButtonClicked", "AccountStatementWindowController", "0263", C::KeptAfterFirstUse, P::Child,
         G::None},
        {"ChatButtonClicked", "ChatWindowController", "21015", C::KeptAfterFirstUse, P::Child, G::None},
        {"MessagesButtonClicked", "MessagesWindowController", "0099", C::KeptAfterFirstUse, P::Child, G::None},
        {"closeAllButtonClicked", "CloseAllWindowController", "21013", C::KeptAfterFirstUse, P::Sheet,
         G::NeedsOpenPositions},
        {"newDepositRequest", "DepositRequestWindowController", "21014", C::NewAtEveryPress, P::Child, G::None},
        {"newWithdrawalRequest", "WithdrawalRequestWindowController", "0722", C::KeptAfterFirstUse, P::Child,
         G::NotWhileVisible},
        {"resourcesButtonClicked", "ResourcesViewController", "21016", C::KeptAfterFirstUse, P::Popover, G::None},
        {"aboutApplication", "AboutWindowController", "21018", C::KeptAfterFirstUse, P::Child, G::NotWhileVisible},
    };
    return table;
}

const MainCommand* mainCommand(std::string_view command) {
    for (const MainCommand& c : mainCommands())
        if (command == c.command) return &c;
    return nullptr;
}

PressOutcome pressOutcome(const MainCommand& command, const PressState& state) {
    switch (command.guard) {
    case PressGuard::NeedsWatchlist:
        if (!state.hasWatchlistCodes) return PressOutcome::Nothing;
        break;
    case PressGuard::NeedsOpenPositions:
        if (!state.hasOpenPositions) return PressOutcome::Nothing;
        break;
    case PressGuard::NotWhileVisible:
        if (state.exists && state.visible) return PressOutcome::Nothing;
        break;
    case PressGuard::None:
        break;
    }
    if (command.creation == Creation::NewAtEveryPress || !state.exists) return PressOutcome::CreateAndShow;
    return PressOutcome::ShowKept;
}

SplitViewRule splitViewRule(std::string_view identifier, double leftFrameWidth) {
    if (identifier == "1000") return {330.0, 900.0, false, false};
    if (identifier == "1001") return {leftFrameWidth, leftFrameWidth, true, true};
    return {};
}

std::optional<int> toolbarTabIndex(const std::string& identifier, int tabCount) {
    int index = 0;
    const char* end = identifier.data() + identifier.size();
    const auto [ptr, error] = std::from_chars(identifier.data(), end, index);
    if (error != std::errc() || ptr != end || identifier.empty() || index < 0 || index >= tabCount) return std::nullopt;
    return index;
}

}  // namespace shell
