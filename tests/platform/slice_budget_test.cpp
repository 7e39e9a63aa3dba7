// A step's time budget: spent once its time passed, noticed at the next reading of the clock.
#include <gtest/gtest.h>

#include <memory>

#include "platform/clock.h"
#include "platform/slice_budget.h"

namespace platform {
namespace {

struct Case {
    const char* what;
    Duration passed;
    std::size_t perCall, calls;  // items counted after the time passed
    bool spent;
};

TEST(SliceBudget, SpentOnlyOnceItsTimePassedAndTheClockWasRead) {
    constexpr std::size_t kCheck = SliceBudget::kItemsPerCheck;
    const Case cases[] = {
        {"time left, clock read", SliceBudget::kStepTime / 2, 1, kCheck, false},
        {"time spent, clock read", SliceBudget::kStepTime, 1, kCheck, true},
        {"time spent, clock not read yet", SliceBudget::kStepTime * 2, 1, kCheck - 1, false},
        {"time spent, a range passing a reading", SliceBudget::kStepTime * 2, kCheck * 3, 1, true},
        {"time spent, a range short of a reading", SliceBudget::kStepTime * 2, kCheck - 1, 1, false},
    };
    for (const Case& c : cases) {
        auto clock = std::make_shared<FakeClock>();
        installClock(clock);
        SliceBudget budget;
        clock->advance(c.passed);
        bool spent = false;
        for (std::size_t n = 0; n < c.calls; ++n) spent = budget.spent(c.perCall);
        EXPECT_EQ(spent, c.spent) << c.what;
        installClock(nullptr);
    }
}

}  // namespace
}  // namespace platform
