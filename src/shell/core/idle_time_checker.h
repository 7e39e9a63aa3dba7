#pragma once
// The idle quit: once a second the main window compares the seconds without
// keyboard or mouse activity with the limit stored under "IdleTime".
#include <array>
#include <cstdint>
#include <functional>
#include <string>

namespace platform {
class Preferences;
}

namespace shell {

class IdleTimeChecker {
public:
    static constexpr const char* kIdleTimeKey = "IdleTime";

    // True when a limit above 0 is set and `idleSeconds` has reached it. The
    // test is "at least", so a skipped tick does not miss the moment.
    static bool limitReached(std::int64_t limitSeconds, double idleSeconds);
    // One check with platform::IdleTime; calls `terminate` when the limit is reached.
    static void startCheckingIdleTime(const platform::Preferences& preferences, const std::function<void()>& terminate);
};

// The choices of the idle-timeout sheet, by position: never, 5, 10, 30, 60 minutes.
inline constexpr std::array<std::int64_t, 5> kIdleTimeoutSeconds = {0, 300, 600, 1800, 3600};
std::array<std::string, 5> idleTimeoutChoices(std::int64_t language);
// The position showing a stored limit; values not offered show "never".
int idleTimeoutPosition(std::int64_t storedSeconds);

}  // namespace shell
