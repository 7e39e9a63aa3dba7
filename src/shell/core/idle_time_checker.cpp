#include "shell/core/idle_time_checker.h"

#include "model/language_string.h"
#include "platform/idle_time.h"
#include "platform/preferences.h"

namespace shell {

bool IdleTimeChecker::limitReached(std::int64_t limitSeconds, double idleSeconds) {
    return limitSeconds > 0 && idleSeconds >= static_cast<double>(limitSeconds);
}

void IdleTimeChecker::startCheckingIdleTime(const platform::Preferences& preferences,
                                            const std::function<void()>& terminate) {
    const std::int64_t limit = preferences.integerForKey(kIdleTimeKey);
    if (limitReached(limit, platform::IdleTime::secondsIdle()) && terminate) terminate();
}

std::array<std::string, 5> idleTimeoutChoices(std::int64_t language) {
    const std::string minutes = model::LanguageString::stringforSelectedLanguage(language, "0497");
    std::array<std::string, 5> choices;
    choices[0] = model::LanguageString::stringforSelectedLanguage(language, "0228");
    for (std::size_t i = 1; i < choices.size(); ++i)
        choices[i] = std::to_string(kIdleTimeoutSeconds[i] / 60) + " " + minutes;
    return choices;
}

int idleTimeoutPosition(std::int64_t storedSeconds) {
    for (std::size_t i = 1; i < kIdleTimeoutSeconds.size(); ++i)
        if (kIdleTimeoutSeconds[i] == storedSeconds) return static_cast<int>(i);
    return 0;
}

}  // namespace shell
