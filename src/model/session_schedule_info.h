#pragma once
// One row of a market's weekly session timetable.
#include <cstdint>
#include <string>

namespace model {

class SessionScheduleInfo {
public:
    std::uint64_t scheduleID = 0;
    std::uint64_t marketID = 0;
    std::uint64_t tradeSessionSettingID = 0;
    std::uint64_t dayOfTheWeekID = 0;
    std::string startTime;
    std::string stopTime;
};

}  // namespace model
