#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>

#include "platform/log_file.h"

namespace platform {

namespace {

struct LogState {
    std::mutex mutex;
    // Null: the default sink. Shared, so that a message takes the sink under
    // the lock without copying it, and a sink replaced meanwhile lives on.
    std::shared_ptr<const Log::Sink> sink;
    std::unique_ptr<LogFile> file;  // the default sink's file, once opened
    int minimum = -1;  // -1: not set (Info for the file, Warning for stderr, everything for an installed sink)
    // The lowest level written, read without the lock.
    std::atomic<int> lowest{static_cast<int>(LogLevel::Info)};

    // Call with the mutex held.
    void update() {
        const LogLevel byDefault = sink ? LogLevel::Debug : file ? LogLevel::Info : LogLevel::Warning;
        lowest.store(minimum >= 0 ? minimum : static_cast<int>(byDefault), std::memory_order_relaxed);
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

std::string timestamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[32] = "";
    if (::localtime_r(&now, &local)) std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
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

bool openFile(const std::string& path, std::uintmax_t maxBytes, int oldFiles) {
    auto file = std::make_unique<LogFile>(path, maxBytes, oldFiles);
    if (!file->open()) {
        error("Log file cannot be opened: " + path);
        return false;
    }
    std::lock_guard<std::mutex> lock(state().mutex);
    state().file = std::move(file);
    state().update();
    return true;
}

void closeFile() {
    std::lock_guard<std::mutex> lock(state().mutex);
    state().file.reset();
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
            // With a file, stderr keeps what needs a look; without, it takes what the level lets through.
            if (!state().file || level >= LogLevel::Warning)
                std::fprintf(stderr, "[%s] %s\n", levelText(level), message.c_str());
            if (state().file)
                state().file->write(timestamp() + " [" + levelText(level) + "] " + message);
            return;
        }
        sink = state().sink;
    }
    (*sink)(level, message);
}

}  // namespace Log

}  // namespace platform
