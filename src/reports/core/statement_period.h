#pragma once
// The statement window's period: today's default from midnight to noon, and
// the range the two pickers may take. The range always holds the default
// period, so setting the defaults never shrinks the period the request carries.
#include <cstdint>
#include <string>

#include "model/formatter.h"

namespace state {
class SessionView;
}

namespace reports {

struct StatementPeriod {
    model::Date start;
    model::Date end;
};

// Today (local time) at 00:00:00 and at 12:00:00.
StatementPeriod defaultPeriod(model::Date now);

// The earliest date a picker can hold (1 January of the year 100, local time).
model::Date earliestPickerDate();

// `days` calendar days before `now`, at the same time of day; never before
// earliestPickerDate(). A negative count counts as 0.
model::Date daysBefore(model::Date now, std::int64_t days);

// From the earlier of (now - limit days) and the period's start to the later
// of now and the period's end.
StatementPeriod pickerRange(model::Date now, std::int64_t limitDays, const StatementPeriod& period);

// The report history limit of the account named by the text: its group's
// ReportHistoryDaysLimit; 0 when the account or the group is unknown.
std::int64_t reportHistoryDaysLimit(const state::SessionView& view, const std::string& accountText);

}  // namespace reports
