// Order ticket: the quantity list for Min 0.01, step 0.01, Max 1,000,000
// (against the step-by-step walk it replaces, timed over its first 100,000
// steps and scaled), and one 1.0 s refresh of an open ticket offscreen.
#include <QApplication>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "kit/qt_main_executor.h"
#include "model/decimal.h"
#include "model/group_details.h"
#include "orders/order_mananger.h"
#include "silent_ui.h"
#include "table_bench.h"
#include "kit/core/preference_manager.h"
#include "kit/live_ticker.h"
#include "kit/window_context.h"
#include "platform/preferences.h"
#include "state/business_base.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "trading/core/ticket_quantities.h"
#include "trading/trade_ticket_window_controller.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double bestMs(int runs, F&& f) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    return best;
}

// The walk over every step, as the list was once built.
std::size_t walk(double minQty, double step, double steps) {
    std::size_t kept = 0;
    for (double i = 0; i <= steps; ++i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%f", step * i);
        const auto q = model::Decimal::parse(buf);
        const bool whole = q.moduloFor(model::Decimal(1)).isZero();
        if (q.toDouble() < minQty * 10 || (whole && (q.toDouble() < 10 || q.moduloFor(model::Decimal(5)).isZero())))
            ++kept;
    }
    return kept;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    auto executor = kit::QtMainExecutor::install();

    std::size_t items = 0;
    const double list = bestMs(20, [&] { items = trading::quantityList(0.01, 0.01, 1000000).size(); });
    std::size_t kept = 0;
    const double walked = bestMs(3, [&] { kept = walk(0.01, 0.01, 100000); }) * 1000;  // 10^8 steps
    std::printf("quantity list (Min 0.01, step 0.01, Max 1,000,000): %.3f ms, %zu items\n", list, items);
    std::printf("step-by-step walk of 10^8 steps (scaled from 10^5): %.0f ms; ratio %.0fx\n", walked, walked / list);
    (void)kept;

    bench::SilentUi ui;
    state::SessionParts parts;
    parts.outgoing = [](const protocol::RequestMessage&) { return true; };
    auto session = state::BusinessBase::create(ui, ui, std::move(parts));
    auto& data = state::SessionTestAccess::referenceData(*session);
    auto account = state::ReferenceDataTestAccess::AccountDetailCollection(data).set("1001", std::make_shared<model::AccountDetails>());
    account->AccountId = 1001;
    account->GroupId = "10";
    account->availableOrderTypes = 0xC7;
    account->tradingStatus = 1;
    account->accountaccessType = 1;
    account->tradeAccountType = 1;
    auto group = state::ReferenceDataTestAccess::GroupDetailCollection(data).set("10", std::make_shared<model::GroupDetails>());
    group->TradingEnabled = true;
    auto row = std::make_shared<model::GroupInstruments>();
    row->availableOrderSettings = 3;
    row->MinOrderQty = row->OrderQtyStep = 0.1;
    row->MaxOrderQty = 100;
    row->InitialMargin = 10;
    group->GroupInstrumentCollection["1"] = row;
    auto gold = state::ReferenceDataTestAccess::ItemCollection(data).set("GOLD", std::make_shared<model::ItemDetails>());
    gold->InstrumentId = 1;
    gold->Code = "GOLD";
    gold->availableOrderTypes = 0xC7;
    gold->DecimalPlaces = 2;
    gold->TickSize = gold->priceTick = 0.01;
    gold->ContractSize = 100;
    gold->Bid = 1800;
    gold->Ask = 1800.5;
    gold->UpdateTime = "12/07/2026 10:11:12";
    state::ReferenceDataTestAccess::selectedSymbols(data) = {"GOLD"};
    std::vector<std::string> levels{"1800.00,3", "1799.99,7", "1799.98,1", "1799.97,2", "1799.96,5"};
    state::SessionTestAccess::feedChannels(*session).setMarketDepth("GOLD", levels, levels);
    const auto needs = session->orderManagerParts();
    orders::OrderMananger manager(needs.view, needs.services, needs.reference, needs.book, needs.commands);

    const std::string path = (std::filesystem::temp_directory_path() / "ticket_bench_prefs").string();
    platform::Preferences store(path);
    kit::PreferenceManager preferences(store);
    bench::NoSheets sheets;
    bench::NoWindows windows;
    kit::LiveTicker ticker([] {});
    kit::WindowContext context{*session, *session, manager, 0, nullptr, nullptr, ui, sheets, windows, ticker, preferences,
                               session};
    trading::TradeTicketWindowController ticket(context);
    ticket.windowDidAppear();
    ticket.runModalWindow();
    // Advanced Limit with both brackets: every order-manager call of the refresh runs.
    ticket.TradeTicketRadioGroup->button(trading::TradeTicketWindowController::kAdvancedMode)->click();
    ticket.OrderTypeComboBox->setCurrentIndex(ticket.OrderTypeComboBox->findText("Limit"));
    ticket.comboBoxSelectionDidChange(ticket.OrderTypeComboBox);
    ticket.TakeProfitCheckBox->click();
    ticket.StopLossCheckBox->click();
    ticket.toggleRightDrawer();
    QApplication::processEvents();
    int tick = 0;
    const double refresh = bestMs(50, [&] {
        gold->Ask = 1800.5 + (++tick % 7) * 0.01;
        gold->Bid = gold->Ask - 0.5;
        ticket.UpdateValuesinTimer();
        ticket.repaint();
    });
    std::printf("one refresh of an open ticket (six order-manager calls, two titles, two depth tables, painted): "
                "%.3f ms\n",
                refresh);
    return 0;
}
