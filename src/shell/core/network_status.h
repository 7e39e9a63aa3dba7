#pragma once
// What the main window shows for the session's network speed grade and the
// server time of "NetworkSpeedNotification".
#include <cstdint>
#include <optional>
#include <string>

#include "model/month_names.h"

namespace shell {

struct NetworkStatus {
    const char* speedImage;       // resource name under images/, without ".png"
    const char* connectionImage;
    const char* textKey;
};

// Grades 0 to 3; any other grade: nothing (the status stays as it was).
std::optional<NetworkStatus> networkStatusFor(std::int32_t grade);

// "yyyyMMddHHmmss" as "Jan 05, 2024 14:30:00" (the calendar year), the month
// as `months` names it; nothing when the text is not such a time.
std::optional<std::string> serverTimeText(const std::string& serverTime,
                                          const model::MonthNames& months = model::englishMonthNames());

}  // namespace shell
