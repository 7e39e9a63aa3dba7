// The account statement window with 10,000 open and 10,000 settled positions,
// offscreen at 1600x900 on its details page in the application's style: the
// refresh after the statement notification (every table's texts rebuilt, the
// models reset) plus one
// repaint of the two position tables, against the repaint alone. Each frame
// scrolls both tables to their end. Then the first fill of fresh windows over
// the held statement on either page, which fills the other page and fits the
// columns once over later turns: its slice and the longest event-loop pass
// after it. `--fresh N` runs N fresh windows a page and one round of the rest
// (for a profiler toggled on freshFill).
#include <QApplication>
#include <QGroupBox>
#include <QTableView>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "kit/app_style.h"
#include "reports/statement_table_controllers.h"
#include "statement_bench_data.h"
#include "statement_window_host.h"

namespace {

double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

constexpr int kRows = 10000;
constexpr int kInstruments = 50;
constexpr int kRounds = 20;
constexpr int kFreshWindows = 5;

// The statement answer's data set: instruments, open positions, settled positions.
std::string statementXml() {
    std::string xml = "<NewDataSet>";
    for (int i = 1; i <= kInstruments; ++i) xml += bench::statementInstrument(i);
    for (int i = 0; i < kRows; ++i)
        xml += bench::statementOpenPosition(i, 1 + i % kInstruments) + bench::statementSettledPosition(i, 1 + i % kInstruments);
    return xml + "</NewDataSet>";
}

// A fresh window's first fill of the held statement and the repaint that
// shows it: on the details page its two position tables, each scrolled to its
// end; on the summary page its settled pie's box. Each repaint paints every
// part of the window the fill changed.
[[gnu::noinline]] void freshFill(reports::AccountStatementWindowController& fresh, bool details) {
    fresh.accountStatementUpdate();
    if (!details) {
        fresh.settledPLBox->repaint();
        return;
    }
    for (QTableView* view : {fresh.tableViews[0], fresh.tableViews[2]}) {
        view->scrollToBottom();
        view->viewport()->repaint();
    }
}

// Fresh windows over the held statement on one page: the first fill's slice,
// then the longest event-loop pass of the fit (and the hidden page's fill) after it.
void freshWindows(bench::StatementWindowHost& host, int count, bool details, double paint) {
    double firstTotal = 0, firstLongest = 0, firstCpuTotal = 0, firstLongestCpu = 0, fitLongest = 0, fitLongestCpu = 0;
    int fitTurns = 0;
    for (int r = 0; r < count; ++r) {
        reports::AccountStatementWindowController fresh(host.context);
        fresh.windowDidAppear();
        fresh.resize(1600, 900);
        if (details) fresh.detailsButtonClicked();
        fresh.show();
        QApplication::processEvents();
        const double firstCpu0 = threadCpuMs();
        const double ms = bench::millisecondsPer(1, [&](int) { freshFill(fresh, details); });
        const double cpu = threadCpuMs() - firstCpu0;
        firstCpuTotal += cpu;
        firstLongestCpu = std::max(firstLongestCpu, cpu);
        firstTotal += ms;
        firstLongest = std::max(firstLongest, ms);
        int turns = 0;
        while (fresh.fitPending()) {
            // One pass over the posted events: what the event loop runs between input.
            const double cpu0 = threadCpuMs();
            fitLongest = std::max(fitLongest, bench::millisecondsPer(1, [](int) { QApplication::sendPostedEvents(); }));
            fitLongestCpu = std::max(fitLongestCpu, threadCpuMs() - cpu0);
            ++turns;
        }
        fitTurns = std::max(fitTurns, turns);
        fresh.hide();
    }
    const std::string page = details ? "details" : "summary";
    std::printf("  %-38s %8.3f ms  (longest %.3f ms; CPU mean %.3f, longest %.3f ms; %.2fx the repaint alone)\n",
                ("first fill + repaint (fresh, " + page + ")").c_str(), firstTotal / count, firstLongest,
                firstCpuTotal / count, firstLongestCpu, firstTotal / count / paint);
    std::printf("  %-38s %8.3f ms  (%d passes; %.3f ms of the main thread's CPU, which a busy machine does not stretch)\n",
                ("longest pass after it (" + page + ")").c_str(), fitLongest, fitTurns, fitLongestCpu);
}

}  // namespace

int main(int argc, char** argv) {
    const bool freshOnly = argc > 2 && std::string(argv[1]) == "--fresh";
    const int count = freshOnly ? std::max(1, std::atoi(argv[2])) : kFreshWindows;
    bench::OffscreenApp app(argc, argv);
    kit::installAppStyle(false);  // as the application does
    {
        bench::StatementWindowHost host("statement_window_bench");
        const auto opened = host.openWindow();
        reports::AccountStatementWindowController& window = *opened;
        QApplication::processEvents();
        host.answer(statementXml());
        window.flushPendingFit();  // the refreshes below find their columns fitted, as a later statement would
        QApplication::processEvents();
        const std::vector<QTableView*> shown = {window.tableViews[0], window.tableViews[2]};
        const auto repaint = [&] {
            for (QTableView* view : shown) {
                view->scrollToBottom();
                view->viewport()->repaint();
            }
        };
        const int rounds = freshOnly ? 1 : kRounds;
        std::printf("statement window, offscreen at 1600x900 in the application's style, %d open and %d settled rows (%d + %d shown), mean of %d rounds\n",
                    window.openPositionHistoryTableController->rowCount(),
                    window.settledPositionHistoryTableController->rowCount(), kRows, kRows, rounds);
        repaint();
        const double paint = bench::millisecondsPer(rounds, [&](int) { repaint(); });
        const double refresh = bench::millisecondsPer(rounds, [&](int) {
            window.accountStatementUpdate();
            repaint();
        });
        std::printf("  %-38s %8.3f ms\n", "repaint alone", paint);
        std::printf("  %-38s %8.3f ms  (%.2fx the repaint alone)\n", "refresh + repaint", refresh, refresh / paint);
        window.hide();

        freshWindows(host, count, true, paint);
        freshWindows(host, count, false, paint);
    }
    return 0;
}
