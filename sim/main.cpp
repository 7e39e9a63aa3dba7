// trading-sim: the loopback trading server for tests and for trying the client.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <iostream>
#include <string>
#include <thread>

#include "scenario_scale.h"
#include "simulator.h"

namespace {

void usage() {
    std::cout <<
        "usage: trading-sim [options]\n"
        "  --scenario FILE        scenario to serve (default " SIM_DEFAULT_SCENARIO ")\n"
        "  --port-base N          listen on N, N+1, N+2, N+3 (news) instead of 17001 to 17004\n"
        "  --scale N              grow the scenario to N x 3,000 instruments (each in every group) and\n"
        "                         N x 2,000 positions of the first user; the feed then carries about\n"
        "                         N x 100,000 ticks per second unless --ticks says otherwise\n"
        "  --ticks RATE           ticks per second per instrument (default 4; 0: on command only)\n"
        "  --depth-every N        a depth message after every N-th tick of an instrument (default 4)\n"
        "  --status-every SECS    an instrument-status message this often (default 5; 0 never)\n"
        "  --seed N               seed of the price walk (default 1)\n"
        "  --login-form FORM      packed (default) or xml\n"
        "  --wrap MODE            plain (default), envelope or compressed session messages\n"
        "  --fault NAME=VALUE     switch a fault at start (see the commands below)\n"
        "  --log FILE             write the log lines to FILE instead of standard error\n"
        "  --quiet                write no log lines\n"
        "  --help                 this text\n"
        "Once \"trading-sim ready\" is printed, commands are read from standard input, one a line.\n\n"
     << sim::Simulator::commandHelp();
}

bool number(const char* text, double* out) {
    char* end = nullptr;
    *out = std::strtod(text, &end);
    return end != text && *end == '\0';
}

}  // namespace

int main(int argc, char** argv) {
    sim::SimulatorOptions options;
    std::string scenarioPath = SIM_DEFAULT_SCENARIO;
    std::vector<std::string> faults;
    std::string loginForm, wrap, logFile;
    bool quiet = false;
    double scale = 0;
    bool ticksGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](double* out) {
            if (i + 1 >= argc || !number(argv[i + 1], out)) {
                std::cerr << "trading-sim: " << a << " needs a number\n";
                std::exit(2);
            }
            ++i;
        };
        auto text = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::cerr << "trading-sim: " << a << " needs a value\n";
                std::exit(2);
            }
            return argv[++i];
        };
        double v = 0;
        if (a == "--help" || a == "-h") {
            usage();
            return 0;
        } else if (a == "--scenario") {
            scenarioPath = text();
        } else if (a == "--port-base") {
            value(&v);
            if (v < 1 || v > 65532) {
                std::cerr << "trading-sim: --port-base must be between 1 and 65532\n";
                return 2;
            }
            options.portBase = static_cast<int>(v);
        } else if (a == "--ticks") {
            value(&v);
            options.ticksPerSecond = v < 0 ? 0 : v;
            ticksGiven = true;
        } else if (a == "--scale") {
            value(&v);
            if (!(v > 0) || v > 100) {
                std::cerr << "trading-sim: --scale must be above 0 and at most 100\n";
                return 2;
            }
            scale = v;
        } else if (a == "--depth-every") {
            value(&v);
            options.depthEvery = static_cast<int>(v);
        } else if (a == "--status-every") {
            value(&v);
            options.statusSeconds = v;
        } else if (a == "--seed") {
            value(&v);
            options.seed = static_cast<std::uint64_t>(v);
        } else if (a == "--login-form") {
            loginForm = text();
        } else if (a == "--wrap") {
            wrap = text();
        } else if (a == "--fault") {
            faults.push_back(text());
        } else if (a == "--log") {
            logFile = text();
        } else if (a == "--quiet") {
            quiet = true;
        } else {
            std::cerr << "trading-sim: unknown option " << a << " (try --help)\n";
            return 2;
        }
    }

    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    try {
        sim::Scenario scenario = sim::Scenario::load(scenarioPath);
        if (scale > 0) {
            scenario = sim::scaledScenario(scenario, scale);
            if (!ticksGiven && !scenario.instruments().empty())
                options.ticksPerSecond = scale * sim::kScaledTicksPerSecond / double(scenario.instruments().size());
        }
        sim::Simulator simulator(std::move(scenario), options);
        std::shared_ptr<std::ofstream> logStream;
        if (!logFile.empty()) {
            logStream = std::make_shared<std::ofstream>(logFile, std::ios::app);
            if (!*logStream) throw std::runtime_error("cannot write the log file " + logFile);
        }
        if (quiet) {
            simulator.setLogSink([](const std::string&) {});
        } else if (logStream) {
            simulator.setLogSink([logStream](const std::string& line) { *logStream << line << std::endl; });
        }
        auto apply = [&](const std::string& cmd) {
            const std::string reply = simulator.command(cmd);
            if (reply.rfind("ok", 0) != 0) {
                std::cerr << "trading-sim: " << cmd << ": " << reply << "\n";
                std::exit(2);
            }
        };
        if (!loginForm.empty()) apply("login-form " + loginForm);
        if (!wrap.empty()) apply("wrap " + wrap);
        for (const auto& f : faults) {
            const auto eq = f.find('=');
            apply("fault " + f.substr(0, eq) + " " + (eq == std::string::npos ? "on" : f.substr(eq + 1)));
        }
        simulator.start();
        std::cout << "trading-sim ready: session 127.0.0.1:" << simulator.sessionPort() << ", feed 127.0.0.1:"
                  << simulator.feedPort() << ", request 127.0.0.1:" << simulator.requestPort() << std::endl;
        std::thread input([&simulator] {
            for (std::string line; std::getline(std::cin, line);) {
                if (line.empty()) continue;
                if (line == "quit") break;
                std::cout << simulator.command(line) << std::endl;
            }
            if (std::cin) kill(getpid(), SIGTERM);  // "quit"; end of input keeps serving
        });
        input.detach();
        int sig = 0;
        sigwait(&signals, &sig);
        simulator.stop();
        std::cout << "trading-sim stopped" << std::endl;
        std::_Exit(0);  // the input thread may still be blocked in a read
    } catch (const std::exception& e) {
        std::cerr << "trading-sim: " << e.what() << "\n";
        return 1;
    }
}
