#pragma once
// The 12-hour clock in the selected language: the table's word for the half of
// the day placed as the language places it (keys 90780 "{0} AM" and 90781
// "{0} PM": "03:04:05 PM", "03:04:05 пп", "下午03:04:05").
#include <functional>
#include <string>

namespace model {

inline constexpr const char* kMorningKey = "90780";
inline constexpr const char* kAfternoonKey = "90781";

// `clock` ("hh:mm:ss") of the hour `hour24` (0 to 23) with its half of the day; `text`
// answers a key with the table's entry or the key itself. Without the entry the clock
// stands alone.
std::string withDayPeriod(const std::string& clock, int hour24,
                          const std::function<std::string(const std::string&)>& text);

}  // namespace model
