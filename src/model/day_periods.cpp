#include "model/day_periods.h"

#include "model/formatter.h"

namespace model {

std::string withDayPeriod(const std::string& clock, int hour24,
                          const std::function<std::string(const std::string&)>& text) {
    const char* key = hour24 < 12 ? kMorningKey : kAfternoonKey;
    const std::string format = text ? text(key) : std::string();
    if (format.empty() || format == key) return clock;
    return Formatter::fillIndexedText(format, {clock});
}

}  // namespace model
