// The open positions table at 5,000 positions, offscreen at 1600x900: one
// tick (close price and P/L of every row, the totals, then the repaint) and
// one full reload (every cell, then the repaint). The baseline is the repaint
// of the same table alone.
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_book.h"
#include "support/order_book_test_access.h"
#include "table_bench.h"
#include "model/account_details.h"
#include "offscreen_bench.h"
#include "silent_ui.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "views/open_position_table_controller.h"

namespace {

constexpr int kPositions = 5000;
constexpr int kInstruments = 200;
constexpr int kAccounts = 20;
constexpr int kRounds = 30;

void fill(state::BusinessBase& s) {
    auto& ref = state::SessionTestAccess::referenceData(s);
    const std::string groupId = bench::addGroupAndInstruments(s, kInstruments);
    auto& group = *ref.GroupDetailCollection().find(groupId);
    for (int i = 0; i < kInstruments; ++i) {
        auto conditions = std::make_shared<model::GroupInstruments>();
        conditions->availableOrderSettings = 0x03;
        conditions->margincalculationMode = 2;
        conditions->InitialMargin = 1 + i % 7;
        group->GroupInstrumentCollection[std::to_string(i + 1)] = conditions;
    }
    bench::addAccounts(s, groupId, kAccounts, kInstruments);
    bench::addPositions(s, kPositions, kAccounts, kInstruments);
    int i = 0;
    for (const auto& p : state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(s))) {
        p->deliveryMode = 1;
        p->UnrealisedPL = (i++ % 11) - 5.25;
        p->Commision = 0.5;
        p->TransactionDateTime = "12/07/2026 09:30:00";
    }
}


}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApp app(argc, argv);
    bench::TableTimes times;
    double totals = 0, snapshot = 0;
    {
        bench::BenchPreferences preferences("positions_bench");
        bench::SilentUi ui;
        auto session = state::BusinessBase::create(ui, ui);
        fill(*session);
        bench::TableContext context(session, ui, preferences.manager);
        views::OpenPositionTableController table(context.context, true);
        state::ReferenceData& data = state::SessionTestAccess::referenceData(*session);
        times = bench::timeTable(table, data, kRounds, [&] { table.openpositionTableUpdate(); });
        totals = bench::millisecondsPer(kRounds, [&](int) { table.updateStatusLabel(); });
        snapshot = bench::millisecondsPer(kRounds, [&](int r) {
            bench::movePrices(data, r);
            table.RefreshTableview();
        });
    }
    std::printf("open positions %d positions, 1600x900, mean of %d rounds\n", kPositions, kRounds);
    bench::printTableTimes(times, 20, 50);
    std::printf("    the tick without a repaint %.3f ms, the totals alone %.3f ms\n", snapshot, totals);
    return 0;
}
