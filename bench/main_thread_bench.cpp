// A session logging in headless (no widgets) to the simulator grown to a scale
// (`--scale 1,5,20`, `--xml` for the XML login form): the login's figures
// (bytes, time to the session filled, client CPU per MB, the longest
// main-thread slice, peak memory), then the main thread's steady cost a second
// after the login without the feed and with the scaled feed to every
// instrument. A slice is one task of the main loop; the goal is none over 16 ms.
// NO_MAP_APART=1 leaves glibc's own bound for mapped blocks (the baseline of
// platform::mapLargeBlocksApart).
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "model/crypto.h"
#include "model/login_inputdata.h"
#include "platform/free_memory.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "model/deployment_constants.h"
#include "scaled_login.h"
#include "support/session_test_access.h"
#include "silent_ui.h"
#include "state/ui_services.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSliceBudget = std::chrono::milliseconds(16);

double ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

using bench::SilentUi;

// A main loop that times every task it runs.
class TimedLoop : public platform::ManualRunLoop {
public:
    void post(std::function<void()> fn) override {
        ManualRunLoop::post([this, fn = std::move(fn)] { timed(fn); });
    }
    // Runs `fn` here and counts it as one slice.
    void timed(const std::function<void()>& fn) {
        const auto start = Clock::now();
        const double cpu0 = bench::threadCpuMs();
        const long faults0 = bench::threadPageFaults();
        fn();
        const auto took = Clock::now() - start;
        const double cpu = bench::threadCpuMs() - cpu0;
        if (took > longest) longestCpu = cpu;
        mostCpu = std::max(mostCpu, cpu);
        sliceCpu += cpu;
        longest = std::max(longest, took);
        if (took > kSliceBudget) {
            ++overBudget;
            // MAIN_THREAD_SLICES=1 lists each long slice with its number.
            if (std::getenv("MAIN_THREAD_SLICES"))
                std::printf("    slice %llu: %.1f ms (%.1f ms CPU, %ld page faults)\n", static_cast<unsigned long long>(slices),
                            ms(took), cpu, bench::threadPageFaults() - faults0);
        }
        ++slices;
    }
    void restart() {
        longest = {};
        longestCpu = 0;
        mostCpu = 0;
        sliceCpu = 0;
        overBudget = 0;
        slices = 0;
    }
    // Runs the loop in real time until `done` or the timeout, waiting (not
    // polling) while no task is queued, as an event loop does.
    bool pumpUntil(const std::function<bool()>& done, double timeoutSeconds) {
        return runUntil(done, std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds)));
    }

    Clock::duration longest{};
    double longestCpu = 0;  // of the longest slice
    double mostCpu = 0;     // of the slice that took the most
    double sliceCpu = 0;    // of all slices: the loop's own polling left out
    std::uint64_t overBudget = 0;
    std::uint64_t slices = 0;
};

// The main thread's cost a second after the login: without the feed, then
// with every instrument subscribed and the feed at its scaled rate.
void steadyPhases(TimedLoop& loop, state::BusinessBase& session, bench::SimProcess& simulator, const std::string& scale) {
    constexpr double kWindow = 3.0;
    loop.restart();
    loop.pumpUntil([] { return false; }, kWindow);
    bench::printSteady("no feed:", loop.sliceCpu, kWindow, ms(loop.longest), loop.overBudget, loop.mostCpu);

    // Every instrument subscribed, the feed at its scaled rate.
    const std::vector<std::string> codes = state::viewOf(session).instrumentCodes();
    loop.timed([&] { state::SessionTestAccess::feedChannels(session).ProcessSubscribeandUnSubscribeItems(codes, true); });
    loop.pumpUntil([] { return false; }, 0.3);
    const double perInstrument = std::atof(scale.c_str()) * 100000.0 / static_cast<double>(std::max<std::size_t>(codes.size(), 1));
    simulator.command("ticks " + std::to_string(perInstrument));
    loop.pumpUntil([] { return false; }, 1.0);  // warm-up
    loop.restart();
    const double published = simulator.count("ticks");
    const auto start = Clock::now();
    loop.pumpUntil([] { return false; }, kWindow);
    const double window = std::chrono::duration<double>(Clock::now() - start).count();
    bench::printSteady("feed:", loop.sliceCpu, window, ms(loop.longest), loop.overBudget, loop.mostCpu);
    std::printf("  %.0f ticks/s published to %zu instruments\n", (simulator.count("ticks") - published) / window,
                codes.size());
    simulator.command("ticks 0");
}

int run(const std::string& scale, bool xml, bool loginOnly) {
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    std::string folder = (std::filesystem::temp_directory_path() / "main-thread-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);

    bench::SimProcess simulator(scale, xml, 28400 + static_cast<int>(::getpid() % 1000) * 4);
    if (!simulator.ready()) {
        std::printf("scale %s: the simulator did not start\n", scale.c_str());
        return 1;
    }

    auto loop = std::make_shared<TimedLoop>();
    platform::MainExecutor::install(loop);
    SilentUi ui;
    ui.login.setUserName("trader");
    ui.login.setPassword("secret1");
    ui.login.setIPAddress("127.0.0.1");
    ui.login.setPortNo(simulator.sessionPort());
    ui.login.setSecurityKey(deployment::kSecurityKey);
    ui.login.setProductName("TradingClient");
    ui.login.setProductVersion("0.1.0");
    platform::Preferences prefs(folder + "/preferences");
    bool loggedIn = false;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        "LoginSuccessNotification", [&](const platform::Notification&) { loggedIn = true; });

    // The application prepares the shipped key on a queue at its start, while
    // its login window shows: the queues' threads start then too.
    platform::SerialQueue::create("KeyPreparation")->sync([] { model::Crypto::prepareKey(deployment::kSecurityKey); });
    bench::LoginFigures figures;
    figures.scale = scale;
    figures.xml = xml;
    figures.residentBeforeMb = bench::residentMb();
    std::shared_ptr<state::BusinessBase> session;
    const double cpu0 = bench::processCpuMs();
    auto start = Clock::now();
    loop->timed([&] {
        state::SessionParts parts;
        parts.preferences = &prefs;
        session = state::BusinessBase::create(ui, ui, std::move(parts));
        state::commandsOf(*session).StreamingConnection(true, false);
    });
    const bool filled = loop->pumpUntil(
        [&] { return ui.failed || (loggedIn && !state::viewOf(*session).getOpenOrderCollection().empty()); }, 120);
    if (!filled || ui.failed) {
        std::printf("scale %s: the login did not finish\n", scale.c_str());
        return 1;
    }
    figures.filledSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    figures.clientCpuMs = bench::processCpuMs() - cpu0;
    // The answers that follow the login settle.
    loop->pumpUntil([] { return false; }, 1.0);
    figures.loginBytes = simulator.count("login-bytes");
    figures.longestMs = ms(loop->longest);
    figures.longestCpuMs = loop->longestCpu;
    figures.mostCpuMs = loop->mostCpu;
    figures.over = loop->overBudget;
    figures.slices = loop->slices;
    figures.peakMb = bench::peakMemoryMb();
    figures.print();
    if (!loginOnly) steadyPhases(*loop, *session, simulator, scale);

    loop->timed([&] { state::commandsOf(*session).disconnectServer(); });
    // The session's end: its own slice, then the stepped release that follows.
    loop->restart();
    const auto endStart = Clock::now();
    loop->timed([&] { session.reset(); });
    const double endMs = ms(loop->longest);
    loop->runUntilIdle();
    std::printf("  session end: %.1f ms, then %llu slices within %.0f ms, the longest %.1f ms (%.1f ms CPU), %llu over 16 ms\n",
                endMs, static_cast<unsigned long long>(loop->slices - 1), ms(Clock::now() - endStart), ms(loop->longest),
                loop->longestCpu, static_cast<unsigned long long>(loop->overBudget));
    platform::NotificationCenter::defaultCenter().removeObserver(token);
    platform::shutdown();
    loop->runUntilIdle();
    platform::MainExecutor::install(nullptr);
    std::filesystem::remove_all(folder);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (!std::getenv("NO_MAP_APART")) platform::mapLargeBlocksApart();  // as the app does
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const auto options = bench::ScaleOptions::parse(argc, argv);
    int status = 0;
    if (bench::runEachScale(argc, argv, options, &status)) return status;
    std::printf("main_thread_bench: headless login, process CPU and peak memory are the client's (the simulator runs apart)\n");
    return run(options.scales.front(), options.xml, options.loginOnly);
}
