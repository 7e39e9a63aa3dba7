#pragma once
// The process's queue threads and their orderly end. Serial queues run on a
// shared pool started on first use; the "io" queue takes the work the main
// thread must not wait for (joins, fsyncs, blocking connects).
#include <memory>

namespace platform {

class SerialQueue;

// The serial queue for blocking work, in the order it was handed over.
std::shared_ptr<SerialQueue> ioQueue();

// Main thread: lets every queue finish its work (the io queue included, so
// no write is lost), then stops and joins the pool threads. Work handed to a
// queue afterwards starts a new pool. Called at exit and by tests in place
// of sleeping.
void shutdown();

}  // namespace platform
