// The account statement window with 10,000 open and 10,000 settled positions,
// offscreen at 1600x900 on its details page in the application's style: the
// refresh after the statement notification (every table's texts rebuilt, the
// models reset) plus one
// repaint of the two position tables, against the repaint alone. Each frame
// scrolls both tables to their end. Then the first fill of fresh windows over
// the held statement, which also fits the columns once over later turns: its
// slice and the longest event-loop pass of the fit after it.
#include <QApplication>
#include <QTableView>
#include <algorithm>
#include <ctime>
#include <cstdio>
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

}  // namespace

int main(int argc, char** argv) {
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
        std::printf("statement window, offscreen at 1600x900 in the application's style, %d open and %d settled rows (%d + %d shown), mean of %d rounds\n",
                    window.openPositionHistoryTableController->rowCount(),
                    window.settledPositionHistoryTableController->rowCount(), kRows, kRows, kRounds);
        repaint();
        const double paint = bench::millisecondsPer(kRounds, [&](int) { repaint(); });
        const double refresh = bench::millisecondsPer(kRounds, [&](int) {
            window.accountStatementUpdate();
            repaint();
        });
        std::printf("  %-34s %8.3f ms\n", "repaint alone", paint);
        std::printf("  %-34s %8.3f ms  (%.2fx the repaint alone)\n", "refresh + repaint", refresh, refresh / paint);
        window.hide();

        double firstTotal = 0, firstLongest = 0, firstLongestCpu = 0, fitLongest = 0, fitLongestCpu = 0;
        int fitTurns = 0;
        for (int r = 0; r < kFreshWindows; ++r) {
            reports::AccountStatementWindowController fresh(host.context);
            fresh.windowDidAppear();
            fresh.resize(1600, 900);
            fresh.detailsButtonClicked();
            fresh.show();
            QApplication::processEvents();
            const double firstCpu0 = threadCpuMs();
            const double ms = bench::millisecondsPer(1, [&](int) {
                fresh.accountStatementUpdate();
                for (QTableView* view : {fresh.tableViews[0], fresh.tableViews[2]}) {
                    view->scrollToBottom();
                    view->viewport()->repaint();
                }
            });
            firstLongestCpu = std::max(firstLongestCpu, threadCpuMs() - firstCpu0);
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
        std::printf("  %-34s %8.3f ms  (longest %.3f ms, %.3f ms of CPU; %.2fx the repaint alone)\n",
                    "first fill + repaint (fresh window)", firstTotal / kFreshWindows, firstLongest, firstLongestCpu,
                    firstTotal / kFreshWindows / paint);
        std::printf("  %-34s %8.3f ms  (%d passes; %.3f ms of the main thread's CPU, which a busy machine does not stretch)\n",
                    "longest pass of the column fit", fitLongest, fitTurns, fitLongestCpu);
    }
    return 0;
}
