#pragma once
// Installs a fake clock and a manual main loop for one test, and restores the real ones after.
#include <gtest/gtest.h>

#include <memory>

#include "platform/clock.h"
#include "platform/main_executor.h"

namespace platform::testing {

class FakeTimeTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<FakeClock>();
        installClock(clock);
        loop = std::make_shared<ManualRunLoop>();
        MainExecutor::install(loop);
    }
    void TearDown() override {
        loop->runUntilIdle();
        MainExecutor::install(nullptr);
        installClock(nullptr);
    }
    std::shared_ptr<FakeClock> clock;
    std::shared_ptr<ManualRunLoop> loop;
};

}  // namespace platform::testing

#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform::testing {

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
