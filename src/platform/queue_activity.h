#pragma once
// The pool under the serial queues, as the queues and the run loop see it:
// the count of queue work in flight (so that a fake-clock run loop can let
// the queues settle before it moves time on) and the pool's threads.
#include <chrono>

#include <asio.hpp>

namespace platform::detail {

// The context the pool threads run; it lives as long as the process.
asio::io_context& poolContext();
// Counts work handed to a queue; starts the pool threads when none run.
void queueWorkAdded();
void queueWorkDone();
// Waits (real time, at most `limit`) until no queue work is in flight; true when idle.
bool waitForQueuesIdle(std::chrono::milliseconds limit);
// Whether the calling thread is one of the pool's.
bool onPoolThread();

}  // namespace platform::detail
