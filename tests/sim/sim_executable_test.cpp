// trading-sim as the integration tests use it: a subprocess that prints its ports.
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "raw_client.h"
#include "sim/login_data.h"
#include "port_base.h"

extern char** environ;

namespace {

const std::string kExe = std::string(TC_BINARY_DIR) + "/sim/trading-sim";

struct Child {
    pid_t pid = -1;
    int in = -1, out = -1;

    explicit Child(std::vector<std::string> args) {
        int toChild[2], fromChild[2];
        EXPECT_EQ(pipe(toChild), 0);
        EXPECT_EQ(pipe(fromChild), 0);
        posix_spawn_file_actions_t fa;
        posix_spawn_file_actions_init(&fa);
        posix_spawn_file_actions_adddup2(&fa, toChild[0], 0);
        posix_spawn_file_actions_adddup2(&fa, fromChild[1], 1);
        posix_spawn_file_actions_addclose(&fa, toChild[1]);
        posix_spawn_file_actions_addclose(&fa, fromChild[0]);
        args.insert(args.begin(), kExe);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        EXPECT_EQ(posix_spawn(&pid, kExe.c_str(), &fa, nullptr, argv.data(), environ), 0);
        posix_spawn_file_actions_destroy(&fa);
        close(toChild[0]);
        close(fromChild[1]);
        in = toChild[1];
        out = fromChild[0];
    }
    ~Child() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        close(in);
        close(out);
    }
    // One line of standard output, or "" after the time-out.
    std::string line(int timeoutMs = 5000) {
        std::string s;
        char c;
        while (true) {
            pollfd p{out, POLLIN, 0};
            if (poll(&p, 1, timeoutMs) <= 0 || read(out, &c, 1) != 1) return s;
            if (c == '\n') return s;
            s += c;
        }
    }
    void say(const std::string& text) { ASSERT_EQ(write(in, text.data(), text.size()), static_cast<ssize_t>(text.size())); }
    int wait() {
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

}  // namespace

TEST(SimExecutable, PrintsItsPortsTakesCommandsAndStopsOnTerm) {
    const std::string logPath = TC_BINARY_DIR "/sim_executable_" + std::to_string(getpid()) + ".log";
    std::remove(logPath.c_str());
    std::string ready;
    int base = 0;
    std::unique_ptr<Child> child;
    for (int attempt = 0; attempt < 5 && ready.rfind("trading-sim ready", 0) != 0; ++attempt) {
        base = simtest::freePortBase();
        child = std::make_unique<Child>(
            std::vector<std::string>{"--port-base", std::to_string(base), "--ticks", "0", "--log", logPath});
        ready = child->line();
    }
    ASSERT_EQ(ready, "trading-sim ready: session 127.0.0.1:" + std::to_string(base) + ", feed 127.0.0.1:" +
                         std::to_string(base + 1) + ", request 127.0.0.1:" + std::to_string(base + 2));
    rawclient::TcpClient c(base);
    ASSERT_TRUE(rawclient::login(c, "trader", "secret1").accepted);
    child->say("sessions\n");
    EXPECT_EQ(child->line().rfind("ok 1 ", 0), 0u);
    const sim::Scenario scenario = sim::Scenario::load(SIM_DEFAULT_SCENARIO);
    const std::size_t loginBytes =
        sim::LoginData::packed(scenario, *scenario.findUser("trader"), {base + 1, base + 2}).size();
    child->say("counts\n");
    EXPECT_EQ(child->line(), "ok ticks 0 login-bytes " + std::to_string(loginBytes));
    child->say("fault nonsense on\n");
    EXPECT_EQ(child->line().rfind("error", 0), 0u);

    // A second one on the same ports says why it cannot start.
    Child clash({"--port-base", std::to_string(base)});
    EXPECT_EQ(clash.wait(), 1);

    kill(child->pid, SIGTERM);
    EXPECT_EQ(child->line(), "trading-sim stopped");
    EXPECT_EQ(child->wait(), 0);
    std::ifstream log(logPath);
    std::string all((std::istreambuf_iterator<char>(log)), std::istreambuf_iterator<char>());
    EXPECT_NE(all.find("'trader' logged in"), std::string::npos);
    std::remove(logPath.c_str());
}

TEST(SimExecutable, RejectsBadOptionsAndShowsHelp) {
    Child help({"--help"});
    EXPECT_EQ(help.line().rfind("usage: trading-sim", 0), 0u);
    EXPECT_EQ(help.wait(), 0);
    EXPECT_EQ(Child({"--port-base", "0"}).wait(), 2);
    EXPECT_EQ(Child({"--bogus"}).wait(), 2);
    EXPECT_EQ(Child({"--scenario", "/nonexistent.json"}).wait(), 1);
}
