// The accounts table (100 accounts over 5,000 positions, one tick), the
// journal (100,000 lines, a reload) and the advanced watchlist (200 rows, a
// reload), offscreen at 1600x900. The baseline of each is the repaint of the
// same table alone.
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>

#include "bench_book.h"
#include "offscreen_bench.h"
#include "silent_ui.h"
#include "state/journal.h"
#include "state/reference_data.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "table_bench.h"
#include "views/accounts_table_controller.h"
#include "views/advanced_watchlist_table_controller.h"
#include "views/journal_table_controller.h"

namespace {

constexpr int kAccounts = 100;
constexpr int kPositions = 5000;
constexpr int kInstruments = 200;
constexpr int kJournalLines = 100000;
constexpr int kRounds = 30;

void print(const char* what, double paint, double work) {
    std::printf("  %-34s %8.3f ms  (%.2fx the repaint alone, %.3f ms)\n", what, work, work / paint, paint);
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApp app(argc, argv);
    {
        bench::BenchPreferences preferences("views_bench");
        bench::SilentUi ui;
        auto session = state::BusinessBase::create(ui, ui);
        const std::string group = bench::addGroupAndInstruments(*session, kInstruments);
        bench::addAccounts(*session, group, kAccounts, kInstruments, 10);
        bench::addPositions(*session, kPositions, kAccounts, kInstruments);
        state::ReferenceData& data = state::SessionTestAccess::referenceData(*session);
        for (int i = 0; i < kInstruments; ++i) state::ReferenceDataTestAccess::selectedSymbols(data).push_back(bench::text("I", i));
        state::Journal& journal = state::SessionTestAccess::journal(*session);
        for (int i = 0; i < kJournalLines; ++i)
            journal.append(bench::text("12/07/2026 09:30:00#$#Order filled, position ", 70000 + i));
        bench::TableContext context(session, ui, preferences.manager);

        std::printf("views, offscreen at 1600x900, mean of %d rounds\n", kRounds);
        {
            views::AccountsTableController table(context.context, true);
            const bench::TableTimes t = bench::timeTable(table, data, kRounds, [&] { table.reloadTable(); });
            std::printf(" accounts: %d accounts x 13 columns over %d positions\n", kAccounts, kPositions);
            print("one tick + repaint", t.paint, t.tick);
            table.show();  // the timing above ends with the table hidden
            QApplication::processEvents();
            const double recompute = bench::millisecondsPer(kRounds, [&](int r) {
                bench::movePrices(data, r);
                state::commandsOf(*session).recalculateAccounts();
                table.RefreshTableview();
                table.tableView()->viewport()->repaint();
            });
            print("the accounts' recomputation + tick", t.paint, recompute);
        }
        {
            views::JournalTableController table(context.context);
            const bench::TableTimes t = bench::timeTable(table, data, kRounds, [&] { table.reloadTable(); });
            std::printf(" journal: %d lines\n", kJournalLines);
            print("reload + repaint", t.paint, t.reload);
        }
        {
            views::AdvancedWatchlistTableController table(context.context);
            const bench::TableTimes t = bench::timeTable(table, data, kRounds, [&] { table.reloadTable(); });
            std::printf(" advanced watchlist: %d rows\n", kInstruments);
            print("reload + repaint", t.paint, t.reload);
        }
    }
    return 0;
}
