#pragma once
// Numeric readings of a text field, as the server's texts are read: leading
// blanks skipped, the longest numeric prefix taken, anything that does not
// parse reads as 0.
#include <cstdint>
#include <string_view>

namespace model {

namespace TextValue {
// Integer prefix ("12.7" -> 12, "x" -> 0); clamped to the 32-bit range.
std::int32_t intValue(std::string_view text);
// Integer prefix clamped to the 64-bit range.
std::int64_t longLongValue(std::string_view text);
// Unsigned reading of the integer prefix; a negative text reads as 0.
std::uint64_t unsignedLongLongValue(std::string_view text);
// True on "Y", "y", "T", "t" or a digit 1-9 after blanks, an optional sign and leading zeros.
bool boolValue(std::string_view text);
// Floating-point prefix ("1.5e2x" -> 150); no value, infinity and NaN read as 0.
double doubleValue(std::string_view text);
}  // namespace TextValue

}  // namespace model
