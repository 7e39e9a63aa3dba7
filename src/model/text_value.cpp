#include "model/text_value.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "platform/property_list.h"

namespace model {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view skipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i])) ++i;
    return text.substr(i);
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Sign and magnitude of the integer prefix; the magnitude saturates.
struct IntegerPrefix {
    bool negative = false;
    std::uint64_t magnitude = 0;
    bool saturated = false;
};

IntegerPrefix readIntegerPrefix(std::string_view text) {
    IntegerPrefix result;
    text = skipBlanks(text);
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        result.negative = text[i] == '-';
        ++i;
    }
    constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
    for (; i < text.size() && isDigit(text[i]); ++i) {
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (result.saturated || result.magnitude > (kMax - digit) / 10) {
            result.saturated = true;
            continue;
        }
        result.magnitude = result.magnitude * 10 + digit;
    }
    return result;
}

}  // namespace

namespace TextValue {

std::int64_t longLongValue(std::string_view text) { return platform::readInteger(text); }

std::int32_t intValue(std::string_view text) {
    const std::int64_t v = longLongValue(text);
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

std::uint64_t unsignedLongLongValue(std::string_view text) {
    const IntegerPrefix p = readIntegerPrefix(text);
    if (p.negative) return 0;
    if (p.saturated) return std::numeric_limits<std::uint64_t>::max();
    return p.magnitude;
}

bool boolValue(std::string_view text) { return platform::readBool(text); }

double doubleValue(std::string_view text) {
    text = skipBlanks(text);
    bool negative = false;
    if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    // Only decimal notation: digits or a point must come first (no "inf", "nan").
    if (text.empty() || !(isDigit(text[0]) || text[0] == '.')) return 0.0;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                           std::chars_format::general);
    if (ptr == text.data()) return 0.0;
    if (ec == std::errc::result_out_of_range) {
        // Underflow reads as 0; overflow is not a usable value either.
        return 0.0;
    }
    if (!std::isfinite(value)) return 0.0;
    return negative ? -value : value;
}

}  // namespace TextValue

}  // namespace model
