#include "reports/core/statement_period.h"

#include <algorithm>
#include <chrono>

#include "state/session_view.h"

namespace reports {

namespace {

using Fields = model::DateFormatter::Fields;
constexpr auto kLocal = model::DateFormatter::Zone::Local;

model::Date atTime(model::Date day, int hour) {
    Fields f = model::DateFormatter::fieldsFromDate(day, kLocal);
    f.hour = hour;
    f.minute = 0;
    f.second = 0;
    f.millisecond = 0;
    f.offsetSeconds.reset();
    return model::DateFormatter::dateFromFields(f, kLocal).value_or(day);
}

}  // namespace

StatementPeriod defaultPeriod(model::Date now) { return {atTime(now, 0), atTime(now, 12)}; }

model::Date earliestPickerDate() {
    static const model::Date earliest = [] {
        Fields f;
        f.year = 100;
        return model::DateFormatter::dateFromFields(f, kLocal).value_or(model::Date{});
    }();
    return earliest;
}

model::Date daysBefore(model::Date now, std::int64_t days) {
    const model::Date earliest = earliestPickerDate();
    if (days <= 0) return std::max(now, earliest);
    Fields f = model::DateFormatter::fieldsFromDate(now, kLocal);
    const std::chrono::sys_days today = std::chrono::year_month_day{
        std::chrono::year{f.year}, std::chrono::month{static_cast<unsigned>(f.month)},
        std::chrono::day{static_cast<unsigned>(f.day)}};
    const std::chrono::sys_days floor = std::chrono::year_month_day{std::chrono::year{100}, std::chrono::January,
                                                                    std::chrono::day{1}};
    // Counted in days (a 32-bit limit reaches millions of years): past the floor, the floor.
    if (days >= (today - floor).count()) return earliest;
    const std::chrono::year_month_day back{today - std::chrono::days{days}};
    f.year = static_cast<int>(back.year());
    f.month = static_cast<int>(static_cast<unsigned>(back.month()));
    f.day = static_cast<int>(static_cast<unsigned>(back.day()));
    f.offsetSeconds.reset();
    const auto date = model::DateFormatter::dateFromFields(f, kLocal);
    return date ? std::max(*date, earliest) : earliest;
}

StatementPeriod pickerRange(model::Date now, std::int64_t limitDays, const StatementPeriod& period) {
    return {std::min(daysBefore(now, limitDays), period.start), std::max(now, period.end)};
}

std::int64_t reportHistoryDaysLimit(const state::SessionView& view, const std::string& accountText) {
    const auto account = view.account(accountText);
    if (!account) return 0;
    const auto group = view.group(account->GroupId);
    return group ? static_cast<std::int64_t>(group->ReportHistoryDaysLimit) : 0;
}

}  // namespace reports
