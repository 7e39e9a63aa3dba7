#include "model/text_value.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

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

// Ten to the powers a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// A decimal without exponent of at most 15 digits ("1800.25", "0.01", "5."):
// its digits and its power of ten are exact doubles, so one division rounds
// as from_chars does. Anything else is left to from_chars.
std::optional<double> plainDecimal(std::string_view text) {
    constexpr std::size_t kMaxDigits = 15;
    std::uint64_t mantissa = 0;
    std::size_t digits = 0;
    std::size_t fraction = 0;
    std::size_t i = 0;
    for (; i < text.size() && isDigit(text[i]); ++i, ++digits) mantissa = mantissa * 10 + static_cast<std::uint64_t>(text[i] - '0');
    if (i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && isDigit(text[i]); ++i, ++digits, ++fraction)
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(text[i] - '0');
    }
    if (digits == 0 || digits > kMaxDigits) return std::nullopt;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) return std::nullopt;
    return static_cast<double>(mantissa) / kExactPowersOfTen[fraction];
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
    if (const auto plain = plainDecimal(text)) return negative ? -*plain : *plain;
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
