#pragma once
// What the main-window benchmarks share: an offscreen application, a login
// over a session that never connects (only its records matter), its main
// window shown at 1500x860 with the ticker left to the bench, and the timing
// of repeated ticks.
#include <unistd.h>

#include <QApplication>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "kit/qt_main_executor.h"
#include "platform/log.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "shell/app_delegate.h"
#include "state/business_base.h"

namespace bench {

using Clock = std::chrono::steady_clock;

inline double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Figures {
    double mean = 0, worst = 0;
};

template <typename F>
Figures timeTicks(int ticks, F&& tick) {
    std::vector<double> ms;
    for (int i = 0; i < ticks; ++i) {
        const auto t0 = Clock::now();
        tick();
        ms.push_back(millisecondsSince(t0));
    }
    Figures f;
    for (double v : ms) f.mean += v;
    f.mean /= ms.size();
    f.worst = *std::max_element(ms.begin(), ms.end());
    return f;
}

// Runs `body` inside an offscreen Fusion application with the Qt main
// executor, then shuts the platform down.
template <typename Body>
int runOffscreen(int argc, char** argv, Body&& body) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    QApplication application(argc, argv);
    QApplication::setStyle("Fusion");
    auto executor = kit::QtMainExecutor::install();
    body();
    platform::shutdown();
    platform::MainExecutor::install(nullptr);
    return 0;
}

// A logged-in main window whose records `fill` made; its preferences live in
// a file of this process that goes with it.
class MainWindowBench {
public:
    explicit MainWindowBench(const std::function<void(state::BusinessBase&)>& fill)
        : prefs_(file_.path), delegate_(partsFor(prefs_)), session(loggedIn(delegate_, fill)), main(delegate_) {
        main.window()->resize(1500, 860);
        main.window()->show();
        // The tables come in slices of their own after the frame.
        while (!main.built()) QApplication::processEvents();
        QApplication::processEvents();
    }

private:
    struct TempFile {
        std::string path = (std::filesystem::temp_directory_path() /
                            ("mainwindow_bench_" + std::to_string(::getpid())))
                               .string();
        ~TempFile() { std::filesystem::remove(path); }
    };

    static shell::AppDelegate::Parts partsFor(platform::Preferences& prefs) {
        shell::AppDelegate::Parts parts;
        parts.preferences = &prefs;
        parts.ui.terminate = [] {};
        parts.mainWindow.refreshInterval = std::chrono::hours(1);  // the bench calls the tick itself
        return parts;
    }

    static std::shared_ptr<state::BusinessBase> loggedIn(shell::AppDelegate& delegate,
                                                         const std::function<void(state::BusinessBase&)>& fill) {
        delegate.applicationDidFinishLaunching();
        // Port 1: the login never connects.
        delegate.session().startLogin({"bench", "bench", "127.0.0.1", "1"});
        auto session = delegate.session().businessbase();
        fill(*session);
        return session;
    }

    TempFile file_;  // first made, last gone
    platform::Preferences prefs_;
    shell::AppDelegate delegate_;

public:
    std::shared_ptr<state::BusinessBase> session;
    shell::MainWindowController main;
};

}  // namespace bench
