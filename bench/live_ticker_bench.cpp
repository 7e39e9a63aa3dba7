// One slice of the login's live ticker (the recomputation, the strip, the
// watchlist, the open positions and the pending orders) against the sum of
// the separate slices of the arrangement it replaced (the main window's timer:
// recomputation and strip; then each table's own timer), 5,000 open
// positions, offscreen, in the same run.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "kit/qt_main_executor.h"
#include "shell/app_delegate.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"
#include "views/watchlist_table_controller.h"
#include "model/group_details.h"
#include "model/trade_currency.h"
#include "platform/log.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "bench_book.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPositions = 5000;
constexpr int kInstruments = 40;
constexpr int kAccounts = 20;
constexpr int kTicks = 100;

void fill(state::BusinessBase& s) {
    bench::addAccounts(s, bench::addGroupAndInstruments(s, kInstruments), kAccounts, kInstruments);
    bench::addPositions(s, kPositions, kAccounts, kInstruments);
}

struct Figures {
    double mean = 0, worst = 0;
};

template <typename F>
Figures timeTicks(F&& tick) {
    std::vector<double> ms;
    for (int i = 0; i < kTicks; ++i) {
        const auto t0 = Clock::now();
        tick();
        ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
    }
    Figures f;
    for (double v : ms) f.mean += v;
    f.mean /= ms.size();
    f.worst = *std::max_element(ms.begin(), ms.end());
    return f;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    QApplication application(argc, argv);
    QApplication::setStyle("Fusion");
    auto executor = kit::QtMainExecutor::install();
    const std::string path =
        (std::filesystem::temp_directory_path() / ("mainwindow_tick_" + std::to_string(::getpid()))).string();
    {
        platform::Preferences prefs(path);
        shell::AppDelegate::Parts parts;
        parts.preferences = &prefs;
        parts.ui.terminate = [] {};
        parts.mainWindow.refreshInterval = std::chrono::hours(1);  // the bench calls the tick itself
        shell::AppDelegate delegate(std::move(parts));
        delegate.applicationDidFinishLaunching();
        // A session that never connects (port 1): only its records matter here.
        delegate.session().startLogin({"bench", "bench", "127.0.0.1", "1"});
        auto session = delegate.session().businessbase();
        fill(*session);
        shell::MainWindowController main(delegate);
        main.window()->resize(1500, 860);
        main.window()->show();
        QApplication::processEvents();

        // The landed arrangement: each timer's slice on its own, each followed by its repaint.
        const auto slice = [](auto&& work) {
            const auto t0 = Clock::now();
            work();
            QApplication::processEvents();
            return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        };
        double separateSum = 0, separateWorst = 0;
        for (int i = 0; i < kTicks; ++i) {
            double sum = slice([&] {
                state::commandsOf(*session).recalculateAccounts();
                main.loadAccountDetails();
            });
            sum += slice([&] { main.watchlist()->RefreshTableview(); });
            sum += slice([&] { main.openPositions()->RefreshTableview(); });
            sum += slice([&] { main.pendingOrders()->RefreshTableview(); });
            separateSum += sum;
            separateWorst = std::max(separateWorst, sum);
        }
        const double separate = separateSum / kTicks;
        const Figures ticker = timeTicks([&] {
            main.RefreshValues();
            QApplication::processEvents();
        });
        std::printf("live_ticker, %d open positions in %d accounts, main window with its three tables:\n", kPositions,
                    kAccounts);
        std::printf("  one ticker slice: %.3f ms (worst %.3f ms)\n", ticker.mean, ticker.worst);
        std::printf("  separate timers' slices, summed: %.3f ms (worst %.3f ms)\n", separate, separateWorst);
        std::printf("  ratio ticker / separate: %.2f\n", separate > 0 ? ticker.mean / separate : 0.0);
    }
    platform::shutdown();
    platform::MainExecutor::install(nullptr);
    std::filesystem::remove(path);
    return 0;
}
