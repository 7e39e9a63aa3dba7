#include "shell/main_commands.h"

#include "charts/register_windows.h"
#include "chat/register_windows.h"
#include "funds/register_windows.h"
#include "reports/register_windows.h"
#include "shell/register_windows.h"
#include "trading/register_windows.h"
#include "views/register_windows.h"

namespace shell {

const std::vector<MainCommand>& mainCommands() {
    static const std::vector<MainCommand> table = {
        {"AddRemoveSymbolstoWatchlistClicked", views::kAddRemoveWindow, "21010"},
        {"TradeTicketButtonClicked", trading::kTradeTicketWindow, "21011"},
        {"SettingsButtonClicked", kSettingsWindow, "10992"},
        {"ChartButtonClicked", charts::kChartWindow, "21012"},
        {"DepositsWithdrawalsButtonClicked", funds::kDepositsWithdrawalsWindow, "0422"},
        {"AccountStatementButtonClicked", reports::kAccountStatementWindow, "0263"},
        {"ChatButtonClicked", chat::kChatWindow, "21015"},
        {"MessagesButtonClicked", chat::kMessagesWindow, "0099"},
        {"closeAllButtonClicked", trading::kCloseAllWindow, "21013"},
        {"newDepositRequest", funds::kDepositRequestWindow, "21014"},
        {"newWithdrawalRequest", funds::kWithdrawalRequestWindow, "0722"},
        {"resourcesButtonClicked", chat::kResourcesWindow, "21016"},
        {"aboutApplication", kAboutWindow, "21018"},
    };
    return table;
}

const MainCommand* mainCommand(std::string_view command) {
    for (const MainCommand& c : mainCommands())
        if (command == c.command) return &c;
    return nullptr;
}

}  // namespace shell
