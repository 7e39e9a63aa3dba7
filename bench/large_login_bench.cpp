// The real client's main thread with a large account: the application
// delegate logs in to the simulator grown to a scale (`--scale 1,5,20`, each
// N x 3,000 instruments and N x 2,000 positions; `--xml` for the XML login
// form), its main window shows every table offscreen on a 1600x900 screen
// (as full-screen on such a display: laid out and painted once at that size,
// not first at the offscreen platform's own 800x800). Printed per
// scale: the login's bytes, time to the window shown and filled, client CPU
// per MB, the longest main-thread slice (timed around the outermost
// QApplication::notify; goal: none over 16 ms), peak memory, and the main
// thread's steady cost a second after the login without the feed and with the
// scaled feed to every instrument. With LARGE_LOGIN_WINDOWS set, the opening
// of each window and page a trader reaches after the login is timed as well;
// with LARGE_LOGIN_ADVANCED, the steady figures are taken with the advanced
// watchlist in front. With LARGE_LOGIN_DISPLAY set, the window shows on the
// display instead (under `xvfb-run -s "-screen 0 1600x900x24"`).
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTimer>
#include <QPaintEvent>
#include <QResizeEvent>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "kit/app_style.h"
#include "memory_trace.h"
#include "kit/qt_main_executor.h"
#include "platform/free_memory.h"
#include "platform/log.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "shell/app_delegate.h"
#include "scaled_login.h"
#include "support/session_test_access.h"
#include "views/open_position_table_controller.h"
#include "views/executed_position_table_controller.h"
#include "views/advanced_watchlist_table_controller.h"
#include "views/watchlist_table_controller.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kBudget = std::chrono::milliseconds(16);
// The screen the main window fills.
constexpr int kScreenWidth = 1600;
constexpr int kScreenHeight = 900;
constexpr int kScreenDpi = 96;  // the offscreen platform's own

// The offscreen platform with one screen of the size above, described in a
// file in `folder`.
void useOffscreenScreen(const std::string& folder) {
    const std::string path = folder + "/offscreen-screen.json";
    if (std::FILE* file = std::fopen(path.c_str(), "w")) {
        std::fprintf(file,
                     "{\"screens\": [{\"name\": \"bench\", \"x\": 0, \"y\": 0, \"width\": %d, \"height\": %d, "
                     "\"logicalDpi\": %d, \"logicalBaseDpi\": %d, \"dpr\": 1}]}\n",
                     kScreenWidth, kScreenHeight, kScreenDpi, kScreenDpi);
        std::fclose(file);
        qputenv("QT_QPA_PLATFORM", QByteArray("offscreen:configfile=") + path.c_str());
    }
}

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

using bench::threadCpuMs;

// Times every outermost event delivery.
class TimedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        static const bool traceNestedEvents = getenv("LARGE_LOGIN_PAINTS") || getenv("LARGE_LOGIN_RESIZES");
        if (depth_++ > 0) {
            if (!traceNestedEvents) {
                const bool r = QApplication::notify(receiver, event);
                --depth_;
                return r;
            }
            const QPointer<QObject> alive(receiver);  // a receiver may delete itself in its handler
            const auto s0 = Clock::now();
            const bool r = QApplication::notify(receiver, event);
            if (alive) traceNested(receiver, event, Clock::now() - s0);
            --depth_;
            return r;
        }
        paints_.clear();
        const char* const className = receiver->metaObject()->className();
        if (memory) memory->slice(className);
        const auto start = Clock::now();
        const double cpu0 = threadCpuMs();
        const long faults0 = bench::threadPageFaults();
        const bool r = QApplication::notify(receiver, event);
        const auto took = Clock::now() - start;
        const double cpu = threadCpuMs() - cpu0;
        --depth_;
        if (took > longest) longestCpu = cpu;
        mostCpu = std::max(mostCpu, cpu);
        longest = std::max(longest, took);
        sliceCpu += cpu;
        if (memory) memory->sliceEnded(className, int(event->type()), ms(took));
        if (took > kBudget) ++over;
        if (took > traceFrom()) {
            if (getenv("LARGE_LOGIN_TRACE")) std::fprintf(stderr, "slice %.1f ms (%.1f ms CPU, %ld page faults): event %d to %s at %.6f\n", ms(took), cpu,
                             bench::threadPageFaults() - faults0, int(event->type()), className,
                             std::chrono::duration<double>(start.time_since_epoch()).count());
            if (getenv("LARGE_LOGIN_PAINTS")) std::fputs(paints_.c_str(), stderr);
        }
        ++slices;
        return r;
    }
    void restart() {
        longest = {};
        longestCpu = 0;
        mostCpu = 0;
        sliceCpu = 0;
        over = 0;
        slices = 0;
    }
    Clock::duration longest{};
    double longestCpu = 0;  // ms of the longest slice's CPU: what a busy machine does not stretch
    double mostCpu = 0;     // ms of CPU of the slice that took the most
    double sliceCpu = 0;    // ms of CPU in all slices
    unsigned long long over = 0, slices = 0;
    bench::MemoryTrace* memory = nullptr;

private:
    // LARGE_LOGIN_TRACE_MS (fractions too) lowers the traced slices' threshold from the budget.
    static Clock::duration traceFrom() {
        static const Clock::duration from = [] {
            const char* ms = getenv("LARGE_LOGIN_TRACE_MS");
            const double value = ms ? std::atof(ms) : 0;
            return value > 0 ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double, std::milli>(value))
                             : Clock::duration(kBudget);
        }();
        return from;
    }
    // LARGE_LOGIN_RESIZES prints wide widgets' resizes as they happen;
    // LARGE_LOGIN_PAINTS prints each paint of a slice over the budget.
    void traceNested(QObject* receiver, QEvent* event, Clock::duration took) {
        auto* widget = qobject_cast<QWidget*>(receiver);
        if (!widget) return;
        const QString name = QString::fromLatin1(receiver->metaObject()->className()) + '/' + receiver->objectName();
        if (event->type() == QEvent::Resize && getenv("LARGE_LOGIN_RESIZES")) {
            const auto* resize = static_cast<QResizeEvent*>(event);
            if (std::max(resize->size().width(), resize->oldSize().width()) > 300)
                std::fprintf(stderr, "resize %s %dx%d -> %dx%d at %.6f\n", qPrintable(name), resize->oldSize().width(),
                             resize->oldSize().height(), resize->size().width(), resize->size().height(),
                             std::chrono::duration<double>(Clock::now().time_since_epoch()).count());
        }
        if (event->type() == QEvent::Paint && getenv("LARGE_LOGIN_PAINTS")) {
            const auto* paint = static_cast<QPaintEvent*>(event);
            paints_ += QString::asprintf("   paint %.2f ms %s %dx%d, %d rects in %dx%d\n", ms(took), qPrintable(name),
                                         widget->width(), widget->height(), int(paint->region().rectCount()),
                                         paint->rect().width(), paint->rect().height())
                           .toStdString();
        }
    }

    int depth_ = 0;
    std::string paints_;
};

// Runs the main loop until `done` or the timeout. `done` is asked each time
// the loop is about to wait, so the bench adds no wake-ups of its own.
bool runUntil(const std::function<bool()>& done, double seconds) {
    if (done()) return true;
    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, &loop, &QEventLoop::quit);
    deadline.start(std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::duration<double>(seconds)));
    const QMetaObject::Connection asked = QObject::connect(
        QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
            if (done()) loop.quit();
        });
    loop.exec();
    QObject::disconnect(asked);
    return done();
}

// The main thread's cost a second after the login: without the feed, then
// with every instrument subscribed and the feed at its scaled rate.
void steadyPhases(TimedApplication& app, state::BusinessBase& session, bench::SimProcess& simulator,
                  const std::string& scale) {
    constexpr double kWindow = 3.0;
    // The first seconds after the fill (the first ticks rebuild what the fill changed), then the steady ones.
    for (const char* phase : {"settling, no feed:", "no feed:"}) {
        app.restart();
        const auto start = Clock::now();
        const double threadCpu0 = threadCpuMs();
        runUntil([] { return false; }, kWindow);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        bench::printSteady(phase, app.sliceCpu, seconds, ms(app.longest), app.over, app.mostCpu);
        // The slices' CPU leaves out the loop's own between them (timers, polls, posted events' bookkeeping).
        std::printf("    the whole main thread: %.1f ms CPU a second\n", (threadCpuMs() - threadCpu0) / seconds);
    }

    // Every instrument subscribed, the feed at its scaled rate.
    const std::vector<std::string> codes = state::viewOf(session).instrumentCodes();
    state::SessionTestAccess::feedChannels(session).ProcessSubscribeandUnSubscribeItems(codes, true);
    runUntil([] { return false; }, 0.5);
    const double perInstrument =
        std::atof(scale.c_str()) * 100000.0 / static_cast<double>(std::max<std::size_t>(codes.size(), 1));
    simulator.command("ticks " + std::to_string(perInstrument));
    runUntil([] { return false; }, 1.0);  // warm-up
    app.restart();
    const double published = simulator.count("ticks");
    const auto start = Clock::now();
    runUntil([] { return false; }, kWindow);
    const double window = std::chrono::duration<double>(Clock::now() - start).count();
    bench::printSteady("feed:", app.sliceCpu, window, ms(app.longest), app.over, app.mostCpu);
    std::printf("  the feed's longest slice took %.1f ms of CPU\n", app.longestCpu);
    std::printf("  %.0f ticks/s published to %zu instruments\n", (simulator.count("ticks") - published) / window,
                codes.size());
    simulator.command("ticks 0");
}

}  // namespace

int main(int argc, char** argv) {
    platform::mapLargeBlocksApart();  // as the app does
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const auto options = bench::ScaleOptions::parse(argc, argv);
    int status = 0;
    if (bench::runEachScale(argc, argv, options, &status)) return status;
    const std::string scale = options.scales.front();

    const bool onDisplay = std::getenv("LARGE_LOGIN_DISPLAY") && std::getenv("DISPLAY");
    if (!onDisplay) qputenv("QT_QPA_PLATFORM", "offscreen");
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    std::string folder = (std::filesystem::temp_directory_path() / "large-login-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    if (!onDisplay) useOffscreenScreen(folder);
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);

    bench::SimProcess simulator(scale, options.xml, 29400 + static_cast<int>(::getpid() % 1000) * 4);
    if (!simulator.ready()) {
        std::printf("scale %s: the simulator did not start\n", scale.c_str());
        return 1;
    }

    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});  // offscreen plugin notes
    const bool styleNamed = kit::styleNamed(argc, argv);
    bench::MemoryTrace memory;  // outlives the application's events
    TimedApplication app(argc, argv);
    if (memory.on()) app.memory = &memory;
    kit::installAppStyle(styleNamed);  // as the application does
    auto executor = kit::QtMainExecutor::install();
    {
        platform::Preferences prefs(folder + "/preferences");
        shell::AppDelegate::Parts parts;
        parts.preferences = &prefs;
        parts.ui.terminate = [] {};
        shell::AppDelegate delegate(parts);
        delegate.applicationDidFinishLaunching();
        runUntil([] { return false; }, 0.3);

        std::printf("large_login_bench: the main window %s, full-screen at %dx%d; process CPU and peak memory are the "
                    "client's (the simulator runs apart)\n",
                    onDisplay ? "on the display" : "offscreen", kScreenWidth, kScreenHeight);
        bench::LoginFigures figures;
        figures.scale = scale;
        figures.xml = options.xml;
        figures.residentBeforeMb = bench::residentMb();
        app.restart();
        const double cpu0 = bench::processCpuMs();
        auto start = Clock::now();
        delegate.session().startLogin({"trader", "secret1", "127.0.0.1", std::to_string(simulator.sessionPort())});
        auto main = [&] { return delegate.mWindowController(); };
        const bool shown = runUntil([&] { return main() && main()->window()->isVisible(); }, 120);
        if (!shown) {
            std::printf("scale %s: the login did not finish\n", scale.c_str());
            return 1;
        }
        figures.shownSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        main()->window()->resize(kScreenWidth, kScreenHeight);  // the screen's size already
        // Built by its own steps: an accessor asked earlier would make a page outside the timed slices.
        const bool filled = runUntil([&] { return main()->built() && main()->openPositions()->rowCount() > 0; }, 120);
        figures.filledSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        figures.clientCpuMs = bench::processCpuMs() - cpu0;
        runUntil([] { return false; }, 1.0);  // the answers that follow settle; a tick or two
        figures.loginBytes = simulator.count("login-bytes");
        figures.longestMs = ms(app.longest);
        figures.longestCpuMs = app.longestCpu;
        figures.mostCpuMs = app.mostCpu;
        figures.over = app.over;
        figures.slices = app.slices;
        figures.peakMb = bench::peakMemoryMb();
        figures.print();
        memory.print();
        std::printf("  %d open position rows%s, %d watchlist rows\n", main()->openPositions()->rowCount(),
                    filled ? "" : " (fewer than expected)", main()->watchlist()->rowCount());
        // LARGE_LOGIN_WINDOWS: each window or page a trader opens after the login, timed
        // (the call itself, then the longest slice in the 0.6 s after it).
        if (getenv("LARGE_LOGIN_WINDOWS")) {
            auto* m = main();
            const std::vector<std::pair<const char*, std::function<void()>>> actions = {
                {"close-all open", [&] { m->runCommand("closeAllButtonClicked"); }},
                {"watchlist editor", [&] { m->runCommand("AddRemoveSymbolstoWatchlistClicked"); }},
                {"trade ticket", [&] { m->runCommand("TradeTicketButtonClicked"); }},
                {"chart", [&] { m->runCommand("ChartButtonClicked"); }},
                {"deposits", [&] { m->runCommand("DepositsWithdrawalsButtonClicked"); }},
                {"statement", [&] { m->runCommand("AccountStatementButtonClicked"); }},
                {"executed page", [&] { m->executedPositions()->tableView()->selectRow(0); }},
                {"advanced watchlist page", [&] { m->advancedWatchlist()->tableView()->selectRow(0); }},
            };
            for (const auto& [name, act] : actions) {
                app.restart();
                const auto t0 = Clock::now();
                act();
                const double direct = ms(Clock::now() - t0);
                if (getenv("LARGE_LOGIN_TRACE"))
                    std::fprintf(stderr, "open %s %.1f ms at %.6f\n", name, direct,
                                 std::chrono::duration<double>(t0.time_since_epoch()).count());
                runUntil([] { return false; }, 0.6);
                std::printf("  %-24s %.1f ms, then the longest slice %.1f ms, %d over 16 ms\n", name, direct, ms(app.longest),
                            int(app.over));
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w != m->window() && w->isVisible()) w->close();
                runUntil([] { return false; }, 0.3);
            }
        }
        // LARGE_LOGIN_ADVANCED: the advanced watchlist in front for the steady figures.
        if (getenv("LARGE_LOGIN_ADVANCED")) {
            main()->watchlistTabView->setCurrentIndex(1);
            runUntil([] { return false; }, 0.5);
        }
        auto session = delegate.session().businessbase();
        if (!options.loginOnly) steadyPhases(app, *session, simulator, scale);
        session.reset();
    }
    platform::shutdown();
    platform::MainExecutor::install(nullptr);
    std::filesystem::remove_all(folder);
    return 0;
}
