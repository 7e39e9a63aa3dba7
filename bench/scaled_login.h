#pragma once
// What the large-login benches share: the simulator as a child process (so
// that the process's CPU time and peak memory are the client's alone), their
// options (scales and the login form), and the figures they print.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cpu_time.h"

extern char** environ;

namespace bench {

// --scale LIST (comma-separated factors, default 1), --xml (the XML login
// form) and --login-only (no steady phases, for profiling the login).
struct ScaleOptions {
    std::vector<std::string> scales{"1"};
    bool xml = false;
    bool loginOnly = false;

    static ScaleOptions parse(int argc, char** argv) {
        ScaleOptions o;
        for (int i = 1; i < argc; ++i) {
            const std::string a = argv[i];
            if (a == "--xml") {
                o.xml = true;
            } else if (a == "--login-only") {
                o.loginOnly = true;
            } else if (a == "--scale" && i + 1 < argc) {
                o.scales.clear();
                std::stringstream list(argv[++i]);
                for (std::string s; std::getline(list, s, ',');)
                    if (std::atof(s.c_str()) > 0) o.scales.push_back(s);
            }
        }
        return o;
    }
};

// Runs `self` once per scale (each in a fresh process, so that peak memory is
// that scale's); returns false when this process is to run one scale itself.
inline bool runEachScale(int argc, char** argv, const ScaleOptions& o, int* status) {
    if (o.scales.size() < 2) return false;
    *status = 0;
    for (const std::string& scale : o.scales) {
        std::vector<std::string> args{argv[0], "--scale", scale};
        if (o.xml) args.push_back("--xml");
        if (o.loginOnly) args.push_back("--login-only");
        for (int i = 1; i < argc; ++i)
            if (std::string(argv[i]).rfind("-style", 0) == 0) args.push_back(argv[i]);
        std::vector<char*> raw;
        for (auto& a : args) raw.push_back(a.data());
        raw.push_back(nullptr);
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], nullptr, nullptr, raw.data(), environ) != 0) return *status = 1, true;
        int st = 0;
        waitpid(pid, &st, 0);
        if (!WIFEXITED(st) || WEXITSTATUS(st) != 0) *status = 1;
    }
    return true;
}

// trading-sim grown to a scale, with no ticks until asked.
class SimProcess {
public:
    SimProcess(const std::string& scale, bool xml, int portBase) : portBase_(portBase) {
        int toChild[2], fromChild[2];
        if (pipe(toChild) != 0 || pipe(fromChild) != 0) return;
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&fa, fromChild[1], 1);
        posix_spawn_file_actions_addclose(&fa, toChild[1]);
        posix_spawn_file_actions_addclose(&fa, fromChild[0]);
        std::vector<std::string> args{TC_SIM_EXE, "--port-base", std::to_string(portBase), "--scale", scale,
                                      "--ticks", "0", "--login-form", xml ? "xml" : "packed", "--quiet"};
        std::vector<char*> raw;
        for (auto& a : args) raw.push_back(a.data());
        raw.push_back(nullptr);
        if (posix_spawn(&pid_, TC_SIM_EXE, &fa, nullptr, raw.data(), environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&fa);
        close(toChild[0]);
        close(fromChild[1]);
        in_ = toChild[1];
        out_ = fromChild[0];
        ready_ = line(120000).rfind("trading-sim ready", 0) == 0;
    }
    ~SimProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(in_);
        close(out_);
    }
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool ready() const { return ready_; }
    int sessionPort() const { return portBase_; }
    // One command and its answer.
    std::string command(const std::string& text) {
        const std::string l = text + "\n";
        if (write(in_, l.data(), l.size()) != static_cast<ssize_t>(l.size())) return {};
        return line(10000);
    }
    // The "counts" answer's number after `name`.
    double count(const std::string& name) {
        const std::string answer = command("counts");
        const auto at = answer.find(name + " ");
        return at == std::string::npos ? 0 : std::atof(answer.c_str() + at + name.size() + 1);
    }

private:
    std::string line(int timeoutMs) {
        std::string s;
        char c;
        while (true) {
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0 || read(out_, &c, 1) != 1 || c == '\n') return s;
            s += c;
        }
    }
    int portBase_;
    pid_t pid_ = -1;
    int in_ = -1, out_ = -1;
    bool ready_ = false;
};


inline double peakMemoryMb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_maxrss) / 1024.0;
}

inline double residentMb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// The login's figures, printed in one block per scale.
struct LoginFigures {
    std::string scale;
    bool xml = false;
    double loginBytes = 0;
    double shownSeconds = -1;  // < 0: headless
    double filledSeconds = 0;
    double clientCpuMs = 0;
    double longestMs = 0, longestCpuMs = 0;
    double mostCpuMs = 0;  // the most CPU any one slice took: work (or page clearing), not preemption
    unsigned long long over = 0, slices = 0;
    double residentBeforeMb = 0, peakMb = 0;

    void print() const {
        const double mb = loginBytes / (1024.0 * 1024.0);
        std::printf("scale %s: %.0f bytes of %s login data (%.1f MB)\n", scale.c_str(), loginBytes,
                    xml ? "XML" : "compact", mb);
        if (shownSeconds >= 0)
            std::printf("  window shown %.2f s, filled %.2f s after the login began\n", shownSeconds, filledSeconds);
        else
            std::printf("  session filled %.2f s after the login began\n", filledSeconds);
        std::printf("  client CPU %.0f ms, %.1f ms per MB (goal 20)\n", clientCpuMs, mb > 0 ? clientCpuMs / mb : 0);
        std::printf("  longest main-thread slice %.1f ms (%.1f ms CPU), %llu of %llu slices over 16 ms; the most CPU in one slice %.1f ms\n",
                    longestMs, longestCpuMs, over, slices, mostCpuMs);
        std::printf("  peak memory %.0f MB, %.1f MB per MB of login data (goal 6); %.0f MB before the login, %.1f MB per MB above it\n",
                    peakMb, mb > 0 ? peakMb / mb : 0, residentBeforeMb, mb > 0 ? (peakMb - residentBeforeMb) / mb : 0);
    }
};

// The main thread's steady cost over a window.
inline void printSteady(const char* what, double mainCpuMs, double seconds, double longestMs, unsigned long long over,
                        double mostCpuMs) {
    std::printf("  steady, %-10s main thread %.1f ms CPU a second (%.1f%% of a core), longest slice %.1f ms, %llu over 16 ms, "
                "the most CPU in one slice %.1f ms\n",
                what, mainCpuMs / seconds, mainCpuMs / seconds / 10.0, longestMs, over, mostCpuMs);
}

}  // namespace bench
