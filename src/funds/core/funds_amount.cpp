#include "funds/core/funds_amount.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "model/formatter.h"

namespace funds {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

// The integer part without its group commas; nothing when the groups are malformed.
std::optional<std::string> integerDigits(std::string_view part) {
    if (part.find(',') == std::string_view::npos) {
        for (char c : part)
            if (!isDigit(c)) return std::nullopt;
        return std::string(part);
    }
    std::string digits;
    std::size_t start = 0;
    bool first = true;
    while (true) {
        const std::size_t comma = part.find(',', start);
        const std::string_view group = part.substr(start, comma == std::string_view::npos ? part.size() - start
                                                                                           : comma - start);
        const bool sized = first ? (group.size() >= 1 && group.size() <= 3) : group.size() == 3;
        if (!sized) return std::nullopt;
        for (char c : group)
            if (!isDigit(c)) return std::nullopt;
        digits += group;
        if (comma == std::string_view::npos) return digits;
        start = comma + 1;
        first = false;
    }
}

}  // namespace

std::optional<double> readAmount(std::string_view text) {
    text = trimmed(text);
    std::string plain;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        if (text.front() == '-') plain = "-";
        text.remove_prefix(1);
    }
    const std::size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto digits = integerDigits(whole);
    if (!digits) return std::nullopt;
    if (point != std::string_view::npos) {
        if (fraction.empty()) return std::nullopt;
        for (char c : fraction)
            if (!isDigit(c)) return std::nullopt;
    }
    if (digits->empty() && fraction.empty()) return std::nullopt;
    plain += digits->empty() ? "0" : *digits;
    if (!fraction.empty()) plain += "." + std::string(fraction);
    double value = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (error != std::errc() || end != plain.data() + plain.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

bool isValidEmail(std::string_view text) {
    // "[A-Z0-9a-z._%+-]+@[A-Za-z0-9.-]+\.[A-Za-z]{2,4}", matched as a whole.
    const auto letter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    const auto domainChar = [&](char c) { return letter(c) || isDigit(c) || c == '.' || c == '-'; };
    const auto nameChar = [&](char c) {
        return domainChar(c) || c == '_' || c == '%' || c == '+';
    };
    const std::size_t at = text.find('@');
    if (at == std::string_view::npos || at == 0) return false;
    for (char c : text.substr(0, at))
        if (!nameChar(c)) return false;
    const std::string_view domain = text.substr(at + 1);
    for (char c : domain)
        if (!domainChar(c)) return false;
    // The letters after the domain's last dot are the ending; something must precede that dot.
    const std::size_t dot = domain.rfind('.');
    if (dot == std::string_view::npos || dot == 0) return false;
    const std::string_view ending = domain.substr(dot + 1);
    if (ending.size() < 2 || ending.size() > 4) return false;
    for (char c : ending)
        if (!letter(c)) return false;
    return true;
}

std::string twoPlaces(double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", value);
    return buffer;
}

std::string groupedTwoPlaces(double value) {
    const std::string plain = twoPlaces(value);
    return model::Formatter::formatDecimalWithString(plain).value_or(plain);
}

}  // namespace funds
