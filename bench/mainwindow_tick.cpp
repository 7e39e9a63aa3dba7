// One tick of the main window's one-second refresh (every open position's
// profit and conversion, the account figures, the account strip, the idle
// check) with 2,000 open positions, offscreen. Baseline: the state's own
// recomputation and account figures alone, in the same run.
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
#include "model/group_details.h"
#include "model/trade_currency.h"
#include "platform/log.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "bench_book.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPositions = 2000;
constexpr int kInstruments = 40;
constexpr int kAccounts = 20;
constexpr int kTicks = 300;

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

        const Figures baseline = timeTicks([&] {
            state::commandsOf(*session).recalculateAccounts();
            state::commandsOf(*session).calcAccountDetails(main.account() ? main.account()->AccountId : 0);
        });
        const Figures tick = timeTicks([&] {
            main.RefreshValues();
            QApplication::processEvents();  // the strip's repaint
        });
        std::printf("mainwindow_tick, %d open positions in %d accounts: %.3f ms per tick, worst %.3f ms (target < 10 ms)\n",
                    kPositions, kAccounts, tick.mean, tick.worst);
        std::printf("  baseline (the state's recomputation and account figures alone): %.3f ms, ratio %.2f\n",
                    baseline.mean, baseline.mean > 0 ? tick.mean / baseline.mean : 0.0);
    }
    platform::shutdown();
    platform::MainExecutor::install(nullptr);
    std::filesystem::remove(path);
    return 0;
}
