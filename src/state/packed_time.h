#pragma once
// "yyyyMMddHHmmss", the server's time format.
#include <optional>
#include <string>

#include "platform/clock.h"

namespace state {

// In UTC or in the machine's zone.
std::string packedTime(platform::WallTime t, bool utc);
// Read in the machine's zone, as the server's clock is meant; nullopt when it
// does not parse or lies outside what the clock holds.
std::optional<platform::WallTime> parsePackedTime(const std::string& text);

}  // namespace state
