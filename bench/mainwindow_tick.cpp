// One tick of the main window's one-second refresh (every open position's
// profit and conversion, the account figures, the account strip, the idle
// check) with 2,000 open positions, offscreen. Baseline: the state's own
// recomputation and account figures alone, in the same run.
#include <QApplication>
#include <cstdio>

#include "bench_book.h"
#include "main_window_bench.h"
#include "support/session_test_access.h"

namespace {

constexpr int kPositions = 2000;
constexpr int kInstruments = 40;
constexpr int kAccounts = 20;
constexpr int kTicks = 300;

void fill(state::BusinessBase& s) {
    bench::addAccounts(s, bench::addGroupAndInstruments(s, kInstruments), kAccounts, kInstruments);
    bench::addPositions(s, kPositions, kAccounts, kInstruments);
}

}  // namespace

int main(int argc, char** argv) {
    return bench::runOffscreen(argc, argv, [] {
        bench::MainWindowBench bench(fill);
        auto& main = bench.main;
        auto& session = *bench.session;
        const bench::Figures baseline = bench::timeTicks(kTicks, [&] {
            state::commandsOf(session).recalculateAccounts();
            state::commandsOf(session).calcAccountDetails(main.account() ? main.account()->AccountId : 0);
        });
        const bench::Figures tick = bench::timeTicks(kTicks, [&] {
            main.RefreshValues();
            QApplication::processEvents();  // the strip's repaint
        });
        std::printf("mainwindow_tick, %d open positions in %d accounts: %.3f ms per tick, worst %.3f ms (target < 10 ms)\n",
                    kPositions, kAccounts, tick.mean, tick.worst);
        std::printf("  baseline (the state's recomputation and account figures alone): %.3f ms, ratio %.2f\n",
                    baseline.mean, baseline.mean > 0 ? tick.mean / baseline.mean : 0.0);
    });
}
