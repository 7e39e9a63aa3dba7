#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <memory>
#include <mutex>

namespace platform {

namespace {

struct LogState {
    std::mutex mutex;
    // Null: the default sink. Shared, so that a message takes the sink under
    // the lock without copying it, and a sink replaced meanwhile lives on.
    std::shared_ptr<const Log::Sink> sink;
    int minimum = -1;  // -1: not set (Info for stderr, everything for an installed sink)
    // The lowest level written, read without the lock.
    std::atomic<int> lowest{static_cast<int>(LogLevel::Info)};

    // Call with the mutex held.
    void update() {
        lowest.store(minimum >= 0 ? minimum : sink ? static_cast<int>(LogLevel::Debug) : static_cast<int>(LogLevel::Info),
                     std::memory_order_relaxed);
    }
};

// Never destroyed: queue threads may log while statics go at exit.
LogState& state() {
    static auto* s = new LogState;
    return *s;
}

const char* levelText(LogLevel level) {
    switch (level) {
        case LogLevel::Debug: return "debug";
        case LogLevel::Info: return "info";
        case LogLevel::Warning: return "warning";
        case LogLevel::Error: return "error";
    }
    return "?";
}

}  // namespace

namespace Log {

void setSink(Sink sink) {
    auto shared = sink ? std::make_shared<const Sink>(std::move(sink)) : nullptr;
    std::lock_guard<std::mutex> lock(state().mutex);
    state().sink = std::move(shared);
    state().update();
}

void setMinimumLevel(LogLevel level) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().minimum = static_cast<int>(level);
    state().update();
}

bool enabled(LogLevel level) {
    return static_cast<int>(level) >= state().lowest.load(std::memory_order_relaxed);
}

void write(LogLevel level, const std::string& message) {
    if (!enabled(level)) return;
    std::shared_ptr<const Sink> sink;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        if (static_cast<int>(level) < state().lowest.load(std::memory_order_relaxed)) return;
        if (!state().sink) {
            std::fprintf(stderr, "[%s] %s\n", levelText(level), message.c_str());
            return;
        }
        sink = state().sink;
    }
    (*sink)(level, message);
}

}  // namespace Log

}  // namespace platform
