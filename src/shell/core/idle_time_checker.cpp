#include "shell/core/idle_time_checker.h"

#include "model/formatter.h"
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
    const auto text = [language](const char* key) { return model::LanguageString::stringforSelectedLanguage(language, key); };
    std::array<std::string, 5> choices;
    choices[0] = text("0228");
    for (std::size_t i = 1; i < choices.size(); ++i) {
        // Arabic counts minutes one way up to ten and another above.
        const std::int64_t minutes = kIdleTimeoutSeconds[i] / 60;
        choices[i] = model::Formatter::fillIndexedText(text(minutes <= 10 ? "90720" : "90721"), {std::to_string(minutes)});
    }
    return choices;
}

int idleTimeoutPosition(std::int64_t storedSeconds) {
    for (std::size_t i = 1; i < kIdleTimeoutSeconds.size(); ++i)
        if (kIdleTimeoutSeconds[i] == storedSeconds) return static_cast<int>(i);
    return 0;
}

}  // namespace shell
