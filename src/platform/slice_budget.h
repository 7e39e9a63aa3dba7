#pragma once
// The time one step of main-thread work spread over slices may take. A step
// counts the items it did; every kItemsPerCheck of them it reads the clock and
// ends once its time is spent, so that a step's length follows what its items
// cost, not only their count.
#include <chrono>
#include <cstddef>

#include "platform/clock.h"

namespace platform {

class SliceBudget {
public:
    // One step's time: the rest of a 16 ms frame is the event loop's.
    static constexpr std::chrono::milliseconds kStepTime{4};
    // Items done between two readings of the clock.
    static constexpr std::size_t kItemsPerCheck = 256;

    SliceBudget() : clock_(defaultClock()), end_(clock_.now() + kStepTime) {}
    // Counts `items` more done; true once the step's time is spent (the
    // clock read each time the count passes a multiple of kItemsPerCheck).
    bool spent(std::size_t items = 1) {
        const std::size_t before = done_ / kItemsPerCheck;
        done_ += items;
        return done_ / kItemsPerCheck != before && clock_.now() >= end_;
    }

private:
    Clock& clock_;
    TimePoint end_;
    std::size_t done_ = 0;
};

}  // namespace platform
