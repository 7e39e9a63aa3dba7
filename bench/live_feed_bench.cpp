// The real client under a live feed from the simulator, run as a process of
// its own so that only the client's use is counted. The main window is shown
// offscreen at 1600x900 after the login.
//
//   live_feed_bench cpu [seconds] [ticks/s]   the idle client with the
//       default feed (4 ticks/s an instrument; 0: a silent feed, the client
//       truly idle) against a plain Qt window whose 500-row
//       table changes every cell once a second: CPU of each, and the ratio.
//       The plain window runs in a process of its own (this program with
//       "plain") over the same seconds as the client, so that both see the
//       same machine. Beside them: each client thread's CPU and wake-ups, and
//       what a bare wake-up costs here (a thread that only sleeps 50 ms).
//   live_feed_bench memory [seconds] [scale] [ticks/s]   the large scenario
//       (scale 1: 3,000 instruments, 100,000 ticks/s unless given; scale 0:
//       the default one), every instrument subscribed: anonymous memory
//       sampled every 10 s, its growth a minute past the first minute.
//       Each sample also prints malloc's own figures (all arenas): bytes in
//       use, freed bytes the arenas hold, large blocks mapped apart. With
//       LIVE_FEED_MALLOC_STATS=1 each arena's figures are printed after the
//       first minute and at the end; with LIVE_FEED_MALLOC_TRIM=1 freed
//       memory is given back before each sample, so that what the samples
//       still show growing is held by live data, not by the arenas.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <malloc.h>
#include <poll.h>
#include <time.h>
#include <unistd.h>

#include <QAbstractTableModel>
#include <QApplication>
#include <QEventLoop>
#include <QTableView>
#include <QTimer>
#include <QPaintEvent>
#include <algorithm>
#include <map>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "kit/app_style.h"
#include "kit/qt_main_executor.h"
#include "platform/log.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "shell/app_delegate.h"
#include "shell/main_window_controller.h"
#include "sim/scenario.h"
#include "sim/scenario_scale.h"
#include "state/business_base.h"
#include "support/session_test_access.h"

// In a sanitizer build, LIVE_FEED_HEAP_PROFILE=1 prints the live heap by
// allocating stack after the first minute and at the end.
extern "C" void __sanitizer_print_memory_profile(std::size_t top_percent, std::size_t max_contexts) __attribute__((weak));

namespace {

using Clock = std::chrono::steady_clock;

void heapProfile() {
    if (getenv("LIVE_FEED_HEAP_PROFILE") && __sanitizer_print_memory_profile) __sanitizer_print_memory_profile(90, 30);
}

// User and system CPU seconds of a usage.
double cpuSeconds(const rusage& usage) {
    auto s = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
    return s(usage.ru_utime) + s(usage.ru_stime);
}

// RssAnon of /proc/self/status, in MB.
double anonymousMb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("RssAnon:", 0) == 0) return std::atof(line.c_str() + 8) / 1024.0;
    return 0;
}

// The heap as malloc sees it, all arenas, in MB: bytes in use, free bytes
// held in the arenas (freed, not given back), and large blocks mapped apart.
struct HeapUse {
    double used = 0, heldFree = 0, mapped = 0;
};
HeapUse heapUse() {
    const struct mallinfo2 info = ::mallinfo2();
    const double mb = 1024.0 * 1024.0;
    return {static_cast<double>(info.uordblks) / mb, static_cast<double>(info.fordblks) / mb,
            static_cast<double>(info.hblkhd) / mb};
}

// Runs the main loop for `seconds` (no polling of the loop's own).
void runFor(double seconds) {
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
    loop.exec();
}

bool runUntil(const std::function<bool()>& done, double seconds) {
    const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));
    while (!done() && Clock::now() < deadline) runFor(0.02);
    return done();
}

// CPU seconds and wake-ups (voluntary switches) so far of each thread of this
// process, by thread name.
struct ThreadUse {
    double cpu = 0;
    long wakes = 0;
};
std::map<std::string, ThreadUse> threadUse() {
    std::map<std::string, ThreadUse> out;
    const double tick = static_cast<double>(::sysconf(_SC_CLK_TCK));
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos) continue;
        std::string name = stat.substr(open + 1, close - open - 1);
        if (task.path().filename() == std::to_string(::getpid())) name = "main";
        std::istringstream rest(stat.substr(close + 2));
        std::string field;
        double utime = 0, stime = 0;
        for (int i = 3; i <= 15 && rest >> field; ++i) {
            if (i == 14) utime = std::atof(field.c_str());
            if (i == 15) stime = std::atof(field.c_str());
        }
        out[name].cpu += (utime + stime) / tick;
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) out[name].wakes += std::atol(line.c_str() + 24);
    }
    return out;
}

// What this process used while the loop ran `seconds`: its CPU share and
// its threads' wake-ups a second.
struct Use {
    double share = 0, wakesPerSecond = 0;
};
Use processUse(double seconds) {
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    const auto start = Clock::now();
    runFor(seconds);
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
    getrusage(RUSAGE_SELF, &after);
    return {(cpuSeconds(after) - cpuSeconds(before)) / elapsed,
            static_cast<double>(after.ru_nvcsw - before.ru_nvcsw) / elapsed};
}

// The CPU one wake-up costs a thread that does nothing else, in microseconds:
// what every thread that wakes pays on this machine at the least.
double bareWakeMicros() {
    double cpu = 0;
    long wakes = 0;
    std::thread sleeper([&] {
        const auto end = Clock::now() + std::chrono::seconds(3);
        while (Clock::now() < end) {
            ::poll(nullptr, 0, 50);
            ++wakes;
        }
        timespec used{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &used);
        cpu = static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
    });
    sleeper.join();
    return wakes > 0 ? cpu * 1e6 / static_cast<double>(wakes) : 0;
}

// The plain window: 500 rows of 10 columns, every cell a new value each second.
class PlainModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& = {}) const override { return 500; }
    int columnCount(const QModelIndex& = {}) const override { return 10; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole) return {};
        return QString::number(1.08 + 0.0001 * ((index.row() * 7 + index.column() * 3 + round) % 1000), 'f', 5);
    }
    void next() {
        ++round;
        emit dataChanged(index(0, 0), index(499, 9), {Qt::DisplayRole});
    }
    int round = 0;
};

// Shown and settled, then `ready` is called and its use measured over `seconds`.
Use plainWindowUse(double seconds, const std::function<void()>& ready) {
    QTableView view;
    PlainModel model;
    view.setModel(&model);
    view.resize(1600, 900);
    view.show();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { model.next(); });
    timer.start(1000);
    runFor(2.0);
    ready();
    return processUse(seconds);
}

// The plain window as a child process: it writes a line when it starts
// measuring, then its CPU share and wake-ups a second.
struct PlainProcess {
    PlainProcess(const char* self, double seconds) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        pid = fork();
        if (pid == 0) {
            ::dup2(fds[1], STDOUT_FILENO);
            ::close(fds[0]);
            ::close(fds[1]);
            const std::string s = std::to_string(seconds);
            execl(self, self, "plain", s.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        ::close(fds[1]);
        out = ::fdopen(fds[0], "r");
    }
    ~PlainProcess() {
        if (out) std::fclose(out);
        if (pid > 0) waitpid(pid, nullptr, 0);
    }
    // Blocks until the child's next line: false when it ended without one.
    bool nextLine(std::string* line) {
        char buffer[256];
        if (!out || !std::fgets(buffer, sizeof buffer, out)) return false;
        *line = buffer;
        return true;
    }
    pid_t pid = -1;
    FILE* out = nullptr;
};

// With LIVE_FEED_PAINTS=1 the client's paint events a second are printed
// per widget class, with the painted area.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject* receiver, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            auto& entry = counts[std::string(receiver->metaObject()->className()) + " " + receiver->objectName().toStdString() +
                                 " < " + (receiver->parent() ? receiver->parent()->metaObject()->className() : "")];
            ++entry.first;
            for (const QRect& r : static_cast<QPaintEvent*>(event)->region()) entry.second += double(r.width()) * r.height();
        }
        return false;
    }
    void print(double seconds) const {
        long parents = 0;
        for (const auto& [name, c] : counts)
            for (const char* parent : {"QMainWindow ", "QSplitter ", "QTabWidget ", "QStackedWidget "})
                if (name.rfind(parent, 0) == 0) parents += c.first;
        std::printf("  main window, splitter, tab widget and stacked widget paints: %.1f/s (goal: none)\n",
                    double(parents) / seconds);
        std::vector<std::pair<std::string, std::pair<long, double>>> sorted(counts.begin(), counts.end());
        std::sort(sorted.begin(), sorted.end(), [](const auto& a, const auto& b) { return a.second.first > b.second.first; });
        for (const auto& [name, c] : sorted)
            std::printf("  %6.1f paints/s %10.0f px/s  %s\n", c.first / seconds, c.second / seconds, name.c_str());
    }
    std::map<std::string, std::pair<long, double>> counts;
};

// The simulator as a child process.
struct SimProcess {
    SimProcess(int portBase, const std::vector<std::string>& extra) {
        pid = fork();
        if (pid == 0) {
            std::vector<std::string> args = {TRADING_SIM, "--port-base", std::to_string(portBase), "--quiet"};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(TRADING_SIM, argv.data());
            _exit(127);
        }
    }
    ~SimProcess() {
        if (pid <= 0) return;
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid_t pid = -1;
};

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "cpu";
    const bool memory = mode == "memory";
    const double seconds = argc > 2 ? std::atof(argv[2]) : memory ? 300 : 30;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (mode == "plain") {
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
        const bool styleNamed = kit::styleNamed(argc, argv);
        QApplication app(argc, argv);
        kit::installAppStyle(styleNamed);
        const Use use = plainWindowUse(seconds, [] { std::printf("measuring\n"), std::fflush(stdout); });
        std::printf("%.6f %.2f\n", use.share, use.wakesPerSecond);
        return 0;
    }
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    std::string folder = (std::filesystem::temp_directory_path() / "live-feed-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);

    const int portBase = 31400 + static_cast<int>(::getpid() % 1000) * 4;
    // memory: the scale (0 for the default scenario) and the ticks a second in all.
    const double scale = memory && argc > 3 ? std::atof(argv[3]) : memory ? 1 : 0;
    const sim::Scenario base = sim::Scenario::load(SIM_DEFAULT_SCENARIO);
    const sim::Scenario scenario = scale > 0 ? sim::scaledScenario(base, scale) : base;
    std::vector<std::string> simArgs;
    if (scale > 0) simArgs = {"--scale", std::to_string(scale)};
    if (memory && argc > 4)
        simArgs.insert(simArgs.end(),
                       {"--ticks", std::to_string(std::atof(argv[4]) / static_cast<double>(scenario.instruments().size()))});
    // cpu: the ticks a second an instrument.
    const std::string cpuTicks = !memory && argc > 3 ? argv[3] : "";
    if (!cpuTicks.empty()) simArgs.insert(simArgs.end(), {"--ticks", cpuTicks});
    const std::string feedName =
        cpuTicks.empty() ? "the default feed" : std::atof(cpuTicks.c_str()) > 0 ? "a feed of " + cpuTicks + " ticks/s an instrument" : "a silent feed";
    SimProcess sim(portBase, simArgs);
    const double wakeMicros = memory ? 0 : bareWakeMicros();

    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    const bool styleNamed = kit::styleNamed(argc, argv);
    QApplication app(argc, argv);
    kit::installAppStyle(styleNamed);
    auto executor = kit::QtMainExecutor::install();
    {
        platform::Preferences prefs(folder + "/preferences");
        shell::AppDelegate::Parts parts;
        parts.preferences = &prefs;
        parts.ui.terminate = [] {};
        shell::AppDelegate delegate(parts);
        delegate.applicationDidFinishLaunching();
        runFor(0.5);  // the simulator is listening
        delegate.session().startLogin({"trader", "secret1", "127.0.0.1", std::to_string(portBase)});
        auto main = [&] { return delegate.mWindowController(); };
        if (!runUntil([&] { return main() && main()->window()->isVisible(); }, 300)) {
            std::printf("the login did not finish\n");
            return 1;
        }
        main()->window()->resize(1600, 900);
        if (memory) {
            // Every instrument subscribed, as a trader watching them all.
            std::vector<std::string> codes;
            for (const auto& instrument : scenario.instruments()) codes.push_back(instrument.code);
            auto session = delegate.session().businessbase();
            state::SessionTestAccess::feedChannels(*session).ProcessSubscribeandUnSubscribeItems(codes, true);
        }
        runFor(5.0);  // the answers after the login settle
        if (!memory) {
            PaintCounter paints;
            if (getenv("LIVE_FEED_PAINTS")) app.installEventFilter(&paints);
            PlainProcess plainWindow("/proc/self/exe", seconds);
            std::string line;
            if (!plainWindow.nextLine(&line)) {
                std::printf("the plain window did not start\n");
                return 1;
            }
            const auto threads0 = threadUse();
            const Use client = processUse(seconds);
            if (!plainWindow.nextLine(&line)) {
                std::printf("the plain window gave no figure\n");
                return 1;
            }
            Use plain;
            std::sscanf(line.c_str(), "%lf %lf", &plain.share, &plain.wakesPerSecond);
            std::string byThread;
            for (const auto& [name, use] : threadUse()) {
                const ThreadUse was = threads0.count(name) ? threads0.at(name) : ThreadUse{};
                if (use.cpu - was.cpu <= 0 && use.wakes == was.wakes) continue;
                char entry[160];
                std::snprintf(entry, sizeof entry, " %s %.2f%% %.1f/s;", name.c_str(), (use.cpu - was.cpu) / seconds * 100,
                              static_cast<double>(use.wakes - was.wakes) / seconds);
                byThread += entry;
            }
            std::printf("client threads (CPU share in 10 ms ticks, wake-ups a second):%s\n", byThread.c_str());
            if (getenv("LIVE_FEED_PAINTS")) paints.print(seconds);
            std::printf("wake-ups a second: plain window %.1f, client %.1f; a bare wake-up costs %.0f us of CPU here, "
                        "so the client's wake-ups alone take about %.2f%% CPU\n",
                        plain.wakesPerSecond, client.wakesPerSecond, wakeMicros,
                        client.wakesPerSecond * wakeMicros / 1e4);
            std::printf("idle with %s over the same %.0f s: plain window %.2f%% CPU, client %.2f%% CPU, "
                        "client / plain %.2f (goals: <= 1.0, <= 150 wake-ups a second)\n",
                        feedName.c_str(), seconds, plain.share * 100, client.share * 100, client.share / plain.share);
        } else {
            std::vector<double> samples, inUse;
            const bool trim = getenv("LIVE_FEED_MALLOC_TRIM") != nullptr;
            const auto start = Clock::now();
            for (double t = 0; t <= seconds; t += 10) {
                if (t > 0) runFor(10);
                if (trim) ::malloc_trim(0);
                samples.push_back(anonymousMb());
                if (samples.size() == 7) heapProfile();
                const HeapUse heap = heapUse();
                inUse.push_back(heap.used);
                std::printf("%5.0f s  %7.1f MB anonymous  (malloc: %.1f MB in use, %.1f MB free in arenas, %.1f MB mapped)\n",
                            std::chrono::duration<double>(Clock::now() - start).count(), samples.back(), heap.used,
                            heap.heldFree, heap.mapped);
                if (samples.size() == 7 && getenv("LIVE_FEED_MALLOC_STATS")) ::malloc_stats();
                std::fflush(stdout);
            }
            heapProfile();
            if (getenv("LIVE_FEED_MALLOC_STATS")) ::malloc_stats();
            // Past the first minute (caches and pools fill), least squares, in MB a minute.
            const auto growth = [](const std::vector<double>& ys) {
                double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
                for (std::size_t i = 6; i < ys.size(); ++i) {
                    const double x = static_cast<double>(i) / 6.0, y = ys[i];
                    n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
                }
                return (n * sxy - sx * sy) / (n * sxx - sx * sx);
            };
            if (samples.size() >= 8)
                std::printf("anonymous memory: %.1f MB after 1 min, %.1f MB at the end, growth %.3f MB/min (goal: flat "
                            "within 2 MB over 30 min); malloc's bytes in use: growth %.3f MB/min\n",
                            samples[6], samples.back(), growth(samples), growth(inUse));
        }
    }
    platform::shutdown();
    platform::MainExecutor::install(nullptr);
    std::filesystem::remove_all(folder);
    return 0;
}
