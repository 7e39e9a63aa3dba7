#pragma once
// Runs the loopback simulator as a child process on its own ports and sends
// it commands on its standard input.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/port_base.h"

namespace integration {

class SimProcess {
public:
    // Starts `path` with --port-base and the extra arguments; waits for "trading-sim ready".
    SimProcess(const std::string& path, int portBase, const std::vector<std::string>& extra = {}) : portBase_(portBase) {
        // A simulator that has exited must not kill the test through its pipe.
        ::signal(SIGPIPE, SIG_IGN);
        int in[2], out[2];
        if (::pipe(in) != 0 || ::pipe(out) != 0) return;
        const pid_t test = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            // Ends with the test, even one a sanitizer halted: the run does not wait on its output.
            if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != test) ::_exit(127);
            ::dup2(in[0], 0);
            ::dup2(out[1], 1);
            ::close(in[1]);
            ::close(out[0]);
            std::vector<std::string> args = {path, "--port-base", std::to_string(portBase), "--ticks", "0",
                                             "--status-every", "0"};
            args.insert(args.end(), extra.begin(), extra.end());
            std::vector<char*> argv;
            for (auto& a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            ::execv(path.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        stdin_ = in[1];
        stdout_ = out[0];
        ready_ = waitForLine("trading-sim ready", std::chrono::seconds(20));
    }
    ~SimProcess() {
        if (stdin_ >= 0) {
            const char quit[] = "quit\n";
            if (::write(stdin_, quit, sizeof quit - 1) < 0) {
            }
            ::close(stdin_);
        }
        if (pid_ > 0) {
            // Waits (at most 2 s) for the exit itself rather than polling.
            const int exited = static_cast<int>(::syscall(SYS_pidfd_open, pid_, 0));
            if (exited >= 0) {
                pollfd p{exited, POLLIN, 0};
                ::poll(&p, 1, 2000);
                ::close(exited);
            }
            if (::waitpid(pid_, nullptr, WNOHANG) == pid_) pid_ = -1;
            if (pid_ > 0) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
        if (stdout_ >= 0) ::close(stdout_);
    }
    // Starts `path` on a free port base; a base taken in the meantime is
    // replaced by another. Check ready() on the result.
    static std::unique_ptr<SimProcess> start(const std::string& path, const std::vector<std::string>& extra = {}) {
        std::unique_ptr<SimProcess> sim;
        for (int attempt = 0; attempt < 5; ++attempt) {
            sim = std::make_unique<SimProcess>(path, simtest::freePortBase(), extra);
            if (sim->ready()) break;
        }
        return sim;
    }
    bool ready() const { return ready_; }
    // Ends the simulator at once, as a crash would (SIGKILL): nothing is flushed or closed in order.
    void killHard() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
    int sessionPort() const { return portBase_; }

    // Sends one command and waits for its answer line ("ok ..." or "error ...").
    std::string command(const std::string& line) {
        std::string text = line + "\n";
        if (::write(stdin_, text.data(), text.size()) < 0) return "";
        std::string answer;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!eof_ && std::chrono::steady_clock::now() < deadline) {
            std::string l = readLine(deadline);
            if (l.rfind("ok", 0) == 0 || l.rfind("error", 0) == 0) return l;
        }
        return answer;
    }

private:
    bool waitForLine(const std::string& prefix, std::chrono::seconds timeout) {
        auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!eof_ && std::chrono::steady_clock::now() < deadline) {
            std::string l = readLine(deadline);
            if (l.rfind(prefix, 0) == 0) return true;
        }
        return false;
    }
    std::string readLine(std::chrono::steady_clock::time_point deadline) {
        while (true) {
            std::size_t nl = buffer_.find('\n');
            if (nl != std::string::npos) {
                std::string l = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return l;
            }
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) return "";
            pollfd p{stdout_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return "";
            char buf[4096];
            ssize_t n = ::read(stdout_, buf, sizeof buf);
            if (n <= 0) {
                eof_ = true;  // the simulator has gone
                return "";
            }
            buffer_.append(buf, static_cast<std::size_t>(n));
        }
    }

    int portBase_;
    pid_t pid_ = -1;
    int stdin_ = -1;
    int stdout_ = -1;
    bool ready_ = false;
    bool eof_ = false;
    std::string buffer_;
};

}  // namespace integration
