#include "state/packed_time.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace state {

std::string packedTime(platform::WallTime t, bool utc) {
    std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    if (utc)
        gmtime_r(&tt, &tm);
    else
        localtime_r(&tt, &tm);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d%02d%02d%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::optional<platform::WallTime> parsePackedTime(const std::string& text) {
    if (text.size() != 14 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    auto number = [&](std::size_t at, std::size_t n) { return std::stoi(text.substr(at, n)); };
    std::tm tm{};
    tm.tm_year = number(0, 4) - 1900;
    tm.tm_mon = number(4, 2) - 1;
    tm.tm_mday = number(6, 2);
    tm.tm_hour = number(8, 2);
    tm.tm_min = number(10, 2);
    tm.tm_sec = number(12, 2);
    if (tm.tm_mon < 0 || tm.tm_mon > 11 || tm.tm_mday < 1 || tm.tm_mday > 31 || tm.tm_hour > 23 || tm.tm_min > 59 ||
        tm.tm_sec > 60)
        return std::nullopt;
    tm.tm_isdst = -1;  // the zone's rule for that day
    std::tm check = tm;
    std::time_t tt = std::mktime(&tm);
    if (tt == static_cast<std::time_t>(-1)) return std::nullopt;
    if (tm.tm_mday != check.tm_mday || tm.tm_mon != check.tm_mon) return std::nullopt;  // 31 April and the like
    // The clock counts nanoseconds from 1970 in 64 bits: about 1677 to 2262.
    using std::chrono::seconds;
    constexpr auto earliest = std::chrono::duration_cast<seconds>(platform::WallTime::min().time_since_epoch());
    constexpr auto latest = std::chrono::duration_cast<seconds>(platform::WallTime::max().time_since_epoch());
    if (tt < earliest.count() || tt > latest.count()) return std::nullopt;
    return std::chrono::system_clock::from_time_t(tt);
}

}  // namespace state
