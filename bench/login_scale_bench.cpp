// The simulator's largest accounts log in: the client core logs in to the
// simulator grown to `--scale N` in either login form, and the bench prints
// the login data's size against its ceiling, the time to the login's success
// (or the message that refused it), the longest main-thread slice and the
// process's peak memory. Baseline: plain zlib inflating the same login data.
// "direct" hands the simulator's login data to the client's incoming path
// without serving it, the scenario freed first: the largest scale in less memory.
// It also prints the client's CPU per MB of login data and the longest slice's
// CPU, then hands in the simulator's open-positions answer and prints its fill
// per position.
// "xml-general" hands the XML form over the same way, a comment put before
// it, so that it takes the general reader's road.
// MAIN_THREAD_SLICES=1 lists each slice over 16 ms with its number.
// usage: login_scale_bench [compact|xml|direct|xml-general SCALE]...   (default: compact 50, direct 100, xml 15)
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>
#include <malloc.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "model/base64.h"
#include "model/deployment_constants.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "protocol/login_data_limits.h"
#include "protocol/wire_format.h"
#include "cpu_time.h"
#include "model/open_order_hd.h"
#include "protocol/zmq_request_channel.h"
#include "silent_ui.h"
#include "sim/data_service.h"
#include "sim/login_data.h"
#include "sim/market.h"
#include "sim/scenario.h"
#include "sim/scenario_scale.h"
#include "sim/sim_crypto.h"
#include "sim/simulator.h"
#include "state/order_book.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kSliceBudget = std::chrono::milliseconds(16);

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

class TimedLoop : public platform::ManualRunLoop {
public:
    void post(std::function<void()> fn) override {
        ManualRunLoop::post([this, fn = std::move(fn)] {
            const auto start = Clock::now();
            const double cpu0 = bench::threadCpuMs();
            fn();
            const auto took = Clock::now() - start;
            const double cpu = bench::threadCpuMs() - cpu0;
            if (took > longest) longestCpu = cpu;
            longest = std::max(longest, took);
            sliceCpu += cpu;
            if (took > kSliceBudget) {
                ++overBudget;
                if (std::getenv("MAIN_THREAD_SLICES"))
                    std::printf("    slice %zu: %.1f ms (%.1f ms CPU)\n", slices,
                                std::chrono::duration<double, std::milli>(took).count(), cpu);
            }
            ++slices;
        });
    }
    void restart() {
        longest = {};
        longestCpu = sliceCpu = 0;
        overBudget = slices = 0;
    }
    bool pumpUntil(const std::function<bool()>& done, double timeoutSeconds) {
        const auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                                 std::chrono::duration<double>(timeoutSeconds));
        while (!done() && Clock::now() < deadline)
            if (runUntilIdle() == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
        return done();
    }
    Clock::duration longest{};
    double longestCpu = 0;  // of the longest slice
    double sliceCpu = 0;    // of all slices
    std::size_t overBudget = 0;
    std::size_t slices = 0;
};

class RecordingUi : public bench::SilentUi {
public:
    void showLoginMessages(const state::LoginMessages& messages) override {
        for (const auto& [key, value] : messages)
            if (key == "Message") refusal = value;
    }
    std::string refusal;
};

// Plain zlib inflating `stream` (gzip) into a buffer of its known size.
double inflateSeconds(const std::string& stream, std::size_t size) {
    std::string out(size, '\0');
    const auto start = Clock::now();
    z_stream z{};
    inflateInit2(&z, 47);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
    z.avail_in = static_cast<uInt>(stream.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    inflate(&z, Z_FINISH);
    inflateEnd(&z);
    return seconds(Clock::now() - start);
}

struct LoginText {
    std::size_t textSize = 0, streamSize = 0;
    double zlibSeconds = 0;
    std::string field;  // tag 1050 as the simulator sends it
};

LoginText loginText(const sim::Scenario& scenario, bool xml, bool general) {
    LoginText out;
    const auto* trader = scenario.findUser("trader");
    const std::string text = (general ? "<!-- the general road -->" : "") +
                             (xml ? sim::LoginData::xml(scenario, *trader, {17002, 17003})
                                  : sim::LoginData::packed(scenario, *trader, {17002, 17003}));
    out.field = sim::SimCrypto::compressPayload(text);
    const std::string stream = model::Base64::decodeBase64WithString(out.field)->substr(4);
    out.textSize = text.size();
    out.streamSize = stream.size();
    out.zlibSeconds = inflateSeconds(stream, text.size());
    return out;
}

// The simulator's open-positions answer for the trader, and its rows.
struct PositionsAnswer {
    std::string text;
    std::size_t rows = 0;
};

PositionsAnswer openPositions(sim::Scenario& scenario) {
    sim::Market market(scenario.instruments(), 1);
    sim::DataService service(scenario, market);
    PositionsAnswer out;
    out.text = service.rows(model::OpenOrderHD::kRequestName, sim::WireMessage(), *scenario.findUser("trader"));
    out.rows = static_cast<std::size_t>(std::count(out.text.begin(), out.text.end(), sim::kRow));
    return out;
}

// Hands `answer` in as the data service's answer and runs the main thread
// until its rows are held and the work after them is done; prints the fill.
void fillPositions(TimedLoop& loop, state::BusinessBase& session, PositionsAnswer answer) {
    protocol::RequestKind kind;
    kind.name = model::OpenOrderHD::kRequestName;
    const std::size_t rows = answer.rows;
    loop.restart();
    const auto start = Clock::now();
    loop.post([&] {
        state::SessionTestAccess::dataServiceAnswers(session).processDSResponse(std::move(answer.text), std::nullopt,
                                                                                 kind.name, kind);
    });
    const auto& book = state::SessionTestAccess::orderBook(session);
    loop.pumpUntil([&] { return book.OpenOrderCollection().size() >= rows; }, 600);
    const double filledSeconds = seconds(Clock::now() - start);
    // The gathering and subscription that follow the last row.
    loop.pumpUntil([] { return false; }, 0.5);
    std::printf("  open positions: %zu rows, held after %.2f s; main-thread CPU %.0f ms, %.2f us per position; "
                "longest slice %.1f ms (%.1f ms CPU), %zu of %zu slices over 16 ms\n",
                rows, filledSeconds, loop.sliceCpu, rows ? loop.sliceCpu * 1e3 / double(rows) : 0.0,
                seconds(loop.longest) * 1e3, loop.longestCpu, loop.overBudget, loop.slices);
}

int runOne(const std::string& form, double scale, const std::string& folder) {
    const bool general = form == "xml-general";
    const bool xml = form == "xml" || general;
    const bool direct = form == "direct" || general;
    auto start = Clock::now();
    std::optional<sim::Scenario> scenario =
        sim::scaledScenario(sim::Scenario::load(SIM_DEFAULT_SCENARIO), scale);
    const double scenarioSeconds = seconds(Clock::now() - start);
    const std::size_t instrumentsMade = scenario->instruments().size();
    LoginText login = loginText(*scenario, xml, general);
    const std::size_t ceiling = xml ? protocol::kMaxXmlLoginDataSize : protocol::kMaxPackedLoginDataSize;
    std::printf("%s scale %g: %zu instruments; login data %.1f MB (ceiling %.0f MB), %.1f MB compressed (%.1fx); "
                "scenario built in %.1f s\n",
                form.c_str(), scale, instrumentsMade, login.textSize / 1e6, ceiling / 1e6, login.streamSize / 1e6,
                double(login.textSize) / double(login.streamSize), scenarioSeconds);

    std::optional<sim::Simulator> simulator;
    PositionsAnswer positions;
    if (direct) {
        positions = openPositions(*scenario);
        scenario.reset();
        // The scenario's freed blocks gathered now, not in the client's first large allocations.
        ::malloc_trim(0);
    } else {
        sim::SimulatorOptions options;
        options.portBase = 27400 + static_cast<int>(::getpid() % 1000) * 4;
        options.ticksPerSecond = 0;
        options.statusSeconds = 0;
        options.xmlLoginData = xml;
        simulator.emplace(*scenario, options);
        simulator->setLogSink([](const std::string&) {});
        simulator->start();
    }

    auto loop = std::make_shared<TimedLoop>();
    platform::MainExecutor::install(loop);
    RecordingUi ui;
    ui.login.setUserName("trader");
    ui.login.setPassword("secret1");
    ui.login.setIPAddress("127.0.0.1");
    ui.login.setPortNo(direct ? 0 : simulator->sessionPort());
    ui.login.setSecurityKey(deployment::kSecurityKey);
    ui.login.setProductName("TradingClient");
    ui.login.setProductVersion("0.1.0");
    platform::Preferences prefs(folder + "/preferences-" + form);
    bool loggedIn = false;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        "LoginSuccessNotification", [&](const platform::Notification&) { loggedIn = true; });
    std::shared_ptr<state::BusinessBase> session;
    start = Clock::now();
    const double cpu0 = bench::processCpuMs();
    {
        state::SessionParts parts;
        parts.preferences = &prefs;
        session = state::BusinessBase::create(ui, ui, std::move(parts));
        state::commandsOf(*session).StreamingConnection(true, false);
    }
    if (direct) {
        loop->runUntilIdle();
        const auto inner = [](const std::string& body) {
            const std::string frame = protocol::frameMessage(body);
            return frame.substr(1, frame.size() - 2);
        };
        state::SessionTestAccess::NewMessage(*session, inner(std::string("10=33\x03" "19=R1\x03" "21=20240102030405\x03" "160=") +
                                                           (xml ? "XML" : deployment::kPackedDataFormat) + "\x03" "1050=" +
                                                           login.field + "\x03"));
        login.field.clear();
        login.field.shrink_to_fit();
        state::SessionTestAccess::NewMessage(*session, inner("10=18\x03"));
    }
    // Without a server the line fails at once: only the login's own answer counts.
    loop->pumpUntil([&] { return loggedIn || !ui.refusal.empty() || (ui.failed && !direct); }, 600);
    const double loginSeconds = seconds(Clock::now() - start);
    const double loginCpuMs = bench::processCpuMs() - cpu0;
    const std::size_t instruments = state::SessionTestAccess::referenceData(*session).ItemCollection().size();
    if (loggedIn) {
        std::printf("  logged in: %.2f s, %zu instruments held; zlib inflate alone %.2f s (login / inflate %.1fx); "
                    "longest main-thread slice %.0f ms (%.1f ms CPU), %zu of %zu slices over 16 ms; peak memory %.0f MB (%s)\n",
                    loginSeconds, instruments, login.zlibSeconds, loginSeconds / login.zlibSeconds,
                    seconds(loop->longest) * 1e3, loop->longestCpu, loop->overBudget, loop->slices, peakMegabytes(),
                    direct ? "the scenario's build included" : "simulator included");
        if (direct) {
            // MB as main_thread_bench counts them (2^20 bytes).
            const double mb = double(login.textSize) / (1024.0 * 1024.0);
            std::printf("  client CPU %.0f ms, %.1f ms per MB; longest slice %.1f ms CPU\n", loginCpuMs,
                        loginCpuMs / mb, loop->longestCpu);
            fillPositions(*loop, *session, std::move(positions));
        }
    } else {
        std::printf("  NOT logged in after %.2f s: %s\n", loginSeconds,
                    ui.refusal.empty() ? "no answer" : ui.refusal.c_str());
    }
    platform::NotificationCenter::defaultCenter().removeObserver(token);
    session.reset();
    loop->pumpUntil([] { return false; }, 0.2);
    platform::MainExecutor::install(nullptr);
    if (simulator) simulator->stop();
    return loggedIn ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    std::string folder = (std::filesystem::temp_directory_path() / "login-scale-bench-XXXXXX").string();
    if (!::mkdtemp(folder.data())) return 1;
    ::setenv("XDG_DATA_HOME", folder.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
    std::vector<std::pair<std::string, double>> runs;
    for (int i = 1; i + 1 < argc; i += 2) runs.emplace_back(argv[i], std::atof(argv[i + 1]));
    if (runs.empty()) runs = {{"compact", 50}, {"direct", 100}, {"xml", 15}};
    std::printf("login_scale_bench: the simulator's large accounts against the login data ceilings\n");
    int failures = 0;
    for (const auto& [form, scale] : runs) failures += runOne(form, scale, folder);
    std::filesystem::remove_all(folder);
    return failures == 0 ? 0 : 1;
}
