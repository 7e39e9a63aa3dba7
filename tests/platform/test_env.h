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
