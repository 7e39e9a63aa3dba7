#pragma once
// An item's publication time ("Mon, 07 Dec 2026 09:15:00 GMT", RFC 822 with
// a four-digit year) read and shown as the other windows show times.
#include <chrono>
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

// The server's offset from GMT: its clock ("yyyyMMddHHmmss", the session's
// ServerTime) against `now`, to the nearest quarter hour; nothing when the text
// does not read or the offset passes 14 hours.
std::optional<std::chrono::minutes> serverOffset(std::string_view serverTime, model::Date now);

// The date in "MM/dd/yyyy HH:mm:ss" on the server's clock when its offset is
// known, else in local time; the text itself when it does not read.
std::string displayTime(std::string_view text, std::optional<std::chrono::minutes> server = std::nullopt);

}  // namespace news
