#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace platform {

namespace {

struct LogState {
    std::mutex mutex;
    Log::Sink sink;           // empty: the default sink
    int minimum = -1;         // -1: not set (Info for stderr, everything for an installed sink)
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
    std::lock_guard<std::mutex> lock(state().mutex);
    state().sink = std::move(sink);
}

void setMinimumLevel(LogLevel level) {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().minimum = static_cast<int>(level);
}

void write(LogLevel level, const std::string& message) {
    Sink sink;
    {
        std::lock_guard<std::mutex> lock(state().mutex);
        int minimum = state().minimum;
        if (minimum < 0) minimum = state().sink ? static_cast<int>(LogLevel::Debug) : static_cast<int>(LogLevel::Info);
        if (static_cast<int>(level) < minimum) return;
        if (!state().sink) {
            std::fprintf(stderr, "[%s] %s\n", levelText(level), message.c_str());
            return;
        }
        sink = state().sink;
    }
    sink(level, message);
}

}  // namespace Log

}  // namespace platform
