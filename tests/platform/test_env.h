#pragma once
// Installs a fake clock and a manual main loop for one test, and restores the real ones after.
#include <gtest/gtest.h>

#include <memory>

#include "platform/clock.h"
#include "platform/main_executor.h"
#include "platform/runtime.h"

namespace platform::testing {

// Lets the queues finish their work (and the main-loop tasks it hands over),
// then joins the pool: what a test leaves running ends before the next one.
inline void finishQueues(ManualRunLoop& loop) {
    loop.runUntilIdle();
    platform::shutdown();
    while (loop.runUntilIdle() > 0) platform::shutdown();
}

class FakeTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<FakeClock>();
        installClock(clock);
        loop = std::make_shared<ManualRunLoop>();
        MainExecutor::install(loop);
    }
    void TearDown() override {
        finishQueues(*loop);
        MainExecutor::install(nullptr);
        installClock(nullptr);
    }
    std::shared_ptr<FakeClock> clock;
    std::shared_ptr<ManualRunLoop> loop;
};

}  // namespace platform::testing

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

namespace platform::testing {

// Polls `done` until it holds or `timeout` of real time has passed; for what
// other threads finish, never in place of a fake clock.
inline bool eventually(const std::function<bool()>& done,
                       std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return done();
}

// A fresh folder for one test, removed afterwards.
class TempDir {
public:
    TempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "tc-platform-XXXXXX").string();
        path_ = ::mkdtemp(tmpl.data()) ? tmpl : std::string();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace platform::testing
