#pragma once
// A clock each reading of which finds a step's time gone by: every step
// spread over slices ends at its first look at the clock.
#include "platform/clock.h"
#include "platform/slice_budget.h"

namespace testing {

class SpentClock : public platform::FakeClock {
public:
    platform::TimePoint now() const override { return FakeClock::now() + platform::SliceBudget::kStepTime * ++reads_; }

private:
    mutable int reads_ = 0;
};

}  // namespace testing
