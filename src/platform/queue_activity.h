#pragma once
// Count of serial-queue work in flight, so that a fake-clock run loop can let
// the queues settle before it moves time on.
#include <chrono>

namespace platform::detail {

void queueWorkAdded();
void queueWorkDone();
// Waits (real time, at most `limit`) until no queue work is in flight; true when idle.
bool waitForQueuesIdle(std::chrono::milliseconds limit);

}  // namespace platform::detail
