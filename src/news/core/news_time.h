#pragma once
// An item's publication time ("Mon, 07 Dec 2026 09:15:00 GMT", RFC 822 with
// a four-digit year) read and shown as the other windows show times.
#include <optional>
#include <string>
#include <string_view>

#include "model/formatter.h"

namespace news {

// The instant of an RFC 822 date: optional weekday, day, month name, year,
// hours and minutes, optional seconds, and a zone (GMT, UT, UTC, Z, +hhmm,
// -hhmm or a North American zone name), in the years 1900 to 9000. Nothing for
// any other text.
std::optional<model::Date> rfc822Date(std::string_view text);

// The date in local "MM/dd/yyyy HH:mm:ss"; the text itself when it does not read.
std::string displayTime(std::string_view text);

}  // namespace news
