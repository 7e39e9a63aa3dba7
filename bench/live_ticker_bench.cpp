// One slice of the login's live ticker (the recomputation, the strip, the
// 500-row watchlist, 5,000 open positions, the pending orders, an order
// ticket in advanced mode with both brackets, a close dialog on a position)
// against the sum of the separate slices of the arrangement it replaced (the
// main window's timer: recomputation and strip; then each table's, the
// ticket's and the dialog's own timer), offscreen, in the same run.
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "bench_book.h"
#include "kit/open_request.h"
#include "main_window_bench.h"
#include "model/group_details.h"
#include "model/item_details.h"
#include "state/feed_channels.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "trading/closend_cancel_position_window_controller.h"
#include "trading/trade_ticket_window_controller.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"
#include "views/watchlist_table_controller.h"

namespace {

constexpr int kPositions = 5000;
constexpr int kInstruments = 500;  // every one in the watchlist
constexpr int kAccounts = 20;
constexpr int kTicks = 100;
const char* const kTicketItem = "I0";
const char* const kClosedPosition = "70000";  // account 1000, on I0

using trading::ClosendCancelPositionWindowController;
using trading::TradeTicketWindowController;

// What the ticket's advanced Limit with brackets asks of the accounts, the
// group and its instrument, and the instrument's depth.
void allowTicket(state::BusinessBase& s, const std::string& groupId) {
    auto& data = state::SessionTestAccess::referenceData(s);
    for (auto& [id, account] : state::ReferenceDataTestAccess::AccountDetailCollection(data)) {
        account->availableOrderTypes = 0xC7;
        account->tradeAccountType = 1;
    }
    auto& group = *state::ReferenceDataTestAccess::GroupDetailCollection(data).find(groupId);
    group->TradingEnabled = true;
    auto& item = *state::ReferenceDataTestAccess::ItemCollection(data).find(kTicketItem);
    item->availableOrderTypes = 0xC7;
    item->TickSize = item->priceTick = 0.01;
    item->UpdateTime = "12/07/2026 10:11:12";
    auto row = std::make_shared<model::GroupInstruments>();
    row->availableOrderSettings = 3;
    row->MinOrderQty = row->OrderQtyStep = 0.1;
    row->MaxOrderQty = 100;
    row->InitialMargin = 10;
    group->GroupInstrumentCollection[std::to_string(item->InstrumentId)] = row;
    std::vector<std::string> levels{"10.00,3", "9.99,7", "9.98,1", "9.97,2", "9.96,5"};
    state::SessionTestAccess::feedChannels(s).setMarketDepth(kTicketItem, levels, levels);
}

void fill(state::BusinessBase& s) {
    const std::string group = bench::addGroupAndInstruments(s, kInstruments);
    bench::addAccounts(s, group, kAccounts, kInstruments);
    bench::addPositions(s, kPositions, kAccounts, kInstruments);
    auto& data = state::SessionTestAccess::referenceData(s);
    for (int i = 0; i < kInstruments; ++i)
        state::ReferenceDataTestAccess::selectedSymbols(data).push_back(bench::text("I", i));
    allowTicket(s, group);
}

// Opens the ticket on its instrument in advanced Limit mode with both
// brackets; null when any of it was refused.
TradeTicketWindowController* openTicket(shell::MainWindowController& main) {
    const char* name = "TradeTicketWindowController";
    if (!main.openWindow(name, kit::itemRequest(kTicketItem))) return nullptr;
    auto* ticket = dynamic_cast<TradeTicketWindowController*>(main.keptWindow(name));
    if (!ticket) return nullptr;
    ticket->TradeTicketRadioGroup->button(TradeTicketWindowController::kAdvancedMode)->click();
    const int limit = ticket->OrderTypeComboBox->findText("Limit");
    if (limit < 0) return nullptr;
    ticket->OrderTypeComboBox->setCurrentIndex(limit);
    ticket->comboBoxSelectionDidChange(ticket->OrderTypeComboBox);
    ticket->TakeProfitCheckBox->click();
    ticket->StopLossCheckBox->click();
    ticket->toggleRightDrawer();
    const bool advanced = ticket->TradeTicketRadioGroup->checkedId() == TradeTicketWindowController::kAdvancedMode;
    return advanced && ticket->TakeProfitCheckBox->isChecked() && ticket->StopLossCheckBox->isChecked() ? ticket
                                                                                                       : nullptr;
}

ClosendCancelPositionWindowController* openCloseDialog(shell::MainWindowController& main) {
    const char* name = views::OpenPositionTableController::kCloseDialog;
    if (!main.openWindow(name, kit::recordRequest(kClosedPosition, kit::kPositionMode))) return nullptr;
    return dynamic_cast<ClosendCancelPositionWindowController*>(main.keptWindow(name));
}

}  // namespace

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv, [] {
        bench::MainWindowBench bench(fill);
        auto& main = bench.main;
        auto& session = *bench.session;
        TradeTicketWindowController* ticket = openTicket(main);
        ClosendCancelPositionWindowController* dialog = openCloseDialog(main);
        if (!ticket || !dialog) {
            std::printf("live_ticker: the %s did not open\n", ticket ? "close dialog" : "ticket");
            return;
        }
        QApplication::processEvents();

        // The landed arrangement: each timer's slice on its own, each followed by its repaint.
        const auto slice = [](auto&& work) {
            const auto t0 = bench::Clock::now();
            work();
            QApplication::processEvents();
            return bench::millisecondsSince(t0);
        };
        double separateSum = 0, separateWorst = 0;
        for (int i = 0; i < kTicks; ++i) {
            double sum = slice([&] {
                state::commandsOf(session).recalculateAccounts();
                main.loadAccountDetails();
            });
            sum += slice([&] { main.watchlist()->RefreshTableview(); });
            sum += slice([&] { main.openPositions()->RefreshTableview(); });
            sum += slice([&] { main.pendingOrders()->RefreshTableview(); });
            sum += slice([&] { ticket->UpdateValuesinTimer(); });
            sum += slice([&] { dialog->UpdatePrice(); });
            separateSum += sum;
            separateWorst = std::max(separateWorst, sum);
        }
        const double separate = separateSum / kTicks;
        const bench::Figures ticker = bench::timeTicks(kTicks, [&] {
            main.RefreshValues();
            QApplication::processEvents();
        });
        std::printf("live_ticker, %d open positions in %d accounts, %zu watchlist rows; the main window with its "
                    "three tables, an advanced ticket with brackets, a close dialog (%zu refreshes on the ticker):\n",
                    kPositions, kAccounts, state::viewOf(session).watchlistCodes().size(), main.ticker().subscriberCount());
        std::printf("  one ticker slice: %.3f ms (worst %.3f ms)\n", ticker.mean, ticker.worst);
        std::printf("  separate timers' slices, summed: %.3f ms (worst %.3f ms)\n", separate, separateWorst);
        std::printf("  ratio ticker / separate: %.2f\n", separate > 0 ? ticker.mean / separate : 0.0);
    });
}
