#include "platform/idle_time.h"

#include <mutex>

namespace platform {

namespace {

std::mutex& idleMutex() {
    static std::mutex m;
    return m;
}

std::function<double()>& idleSource() {
    static std::function<double()> source;
    return source;
}

}  // namespace

namespace IdleTime {

void setSource(std::function<double()> secondsIdle) {
    std::lock_guard<std::mutex> lock(idleMutex());
    idleSource() = std::move(secondsIdle);
}

double secondsIdle() {
    std::function<double()> source;
    {
        std::lock_guard<std::mutex> lock(idleMutex());
        source = idleSource();
    }
    if (!source) return 0;
    double s = source();
    return s > 0 ? s : 0;  // NaN and negative readings count as "just now"
}

}  // namespace IdleTime

}  // namespace platform
