// The longest main-thread slice (one task of the main loop, or one call the
// bench makes there) while a session logs in to the simulator with the default
// scenario, and while the feed carries 100,000 ticks/s to it. The goal is at
// most 16 ms in steady state: the main thread never waits on another thread.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "model/deployment_constants.h"
#include "sim/scenario.h"
#include "sim/simulator.h"
#include "support/session_test_access.h"
#include "silent_ui.h"
#include "state/ui_services.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr double kTicksPerSecond = 100000;
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
        fn();
        const auto took = Clock::now() - start;
        longest = std::max(longest, took);
        if (took > kSliceBudget) ++overBudget;
        ++slices;
    }
    void restart() {
        longest = {};
        overBudget = 0;
        slices = 0;
    }
    // Runs the loop in real time until `done` or the timeout.
    bool pumpUntil(const std::function<bool()>& done, double timeoutSeconds) {
        const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(timeoutSeconds));
        while (!done() && Clock::now() < deadline)
            if (runUntilIdle() == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
        return done();
    }

    Clock::duration longest{};
    std::uint64_t overBudget = 0;
    std::uint64_t slices = 0;
};

void report(const char* phase, const TimedLoop& loop, double seconds) {
    std::printf("%-34s %8.2f ms longest slice, %6llu slices over %lld ms, %8llu slices in %.2f s\n", phase,
                ms(loop.longest), static_cast<unsigned long long>(loop.overBudget),
                static_cast<long long>(kSliceBudget.count()), static_cast<unsigned long long>(loop.slices), seconds);
}

}  // namespace

int main() {
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    std::string folder = (std::filesystem::temp_directory_path() / "main-thread-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);

    sim::SimulatorOptions options;
    options.portBase = 28400 + static_cast<int>(::getpid() % 1000) * 4;
    options.ticksPerSecond = 0;
    const sim::Scenario scenario = sim::Scenario::load(SIM_DEFAULT_SCENARIO);
    sim::Simulator simulator(scenario, options);
    simulator.setLogSink([](const std::string&) {});
    simulator.start();

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

    std::printf("main_thread_bench: longest main-thread slice (goal: %lld ms in steady state)\n",
                static_cast<long long>(kSliceBudget.count()));
    std::shared_ptr<state::BusinessBase> session;
    loop->timed([&] {
        state::SessionParts parts;
        parts.preferences = &prefs;
        session = state::BusinessBase::create(ui, ui, std::move(parts));
        state::commandsOf(*session).StreamingConnection(true, false);
    });
    auto start = Clock::now();
    if (!loop->pumpUntil([&] { return loggedIn || ui.failed; }, 20)) {
        std::printf("login did not finish\n");
        return 1;
    }
    // The answers that follow the login (channels, subscriptions, reference data) settle.
    loop->pumpUntil([] { return false; }, 1.0);
    report("login (default scenario)", *loop, std::chrono::duration<double>(Clock::now() - start).count());

    // Every instrument subscribed, then 100,000 ticks/s over all of them.
    std::vector<std::string> codes;
    for (const auto& instrument : scenario.instruments()) codes.push_back(instrument.code);
    loop->timed([&] { state::SessionTestAccess::feedChannels(*session).ProcessSubscribeandUnSubscribeItems(codes, true); });
    loop->pumpUntil([] { return false; }, 0.3);
    simulator.command("ticks " + std::to_string(kTicksPerSecond / static_cast<double>(codes.size())));
    loop->pumpUntil([] { return false; }, 0.5);  // warm-up
    loop->restart();
    const auto published = simulator.ticksPublished();
    start = Clock::now();
    loop->pumpUntil([] { return false; }, 2.0);
    const double window = std::chrono::duration<double>(Clock::now() - start).count();
    simulator.command("ticks 0");
    report("feed (steady state)", *loop, window);
    std::printf("%-34s %8.0f ticks/s published\n", "",
                static_cast<double>(simulator.ticksPublished() - published) / window);

    loop->restart();
    loop->timed([&] { state::commandsOf(*session).disconnectServer(); });
    loop->timed([&] { session.reset(); });
    report("disconnect and end of session", *loop, 0);

    platform::NotificationCenter::defaultCenter().removeObserver(token);
    platform::shutdown();
    loop->runUntilIdle();
    platform::MainExecutor::install(nullptr);
    simulator.stop();
    std::filesystem::remove_all(folder);
    return 0;
}
