#include "kit/core/input_filters.h"

#include <algorithm>
#include <string_view>

namespace kit {

namespace {

constexpr const char* kDigits = "1234567890";
constexpr const char* kDecimal = "1234567890.";

bool onlyFrom(const std::string& text, const char* set) {
    return text.find_first_not_of(set) == std::string::npos;
}

}  // namespace

TextEdit editAt(const std::string& before, std::size_t start, std::size_t length,
                const std::string& replacement) {
    start = std::min(start, before.size());
    length = std::min(length, before.size() - start);
    std::string after = before;
    after.replace(start, length, replacement);
    return {before, replacement, after};
}

TextEdit editBetween(const std::string& before, const std::string& after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) ++prefix;
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return {before, after.substr(prefix, after.size() - prefix - suffix), after};
}

std::size_t findNumberOfDecimalPlaces(const std::string& text) {
    const auto point = text.find('.');
    if (point == std::string::npos || text.find('.', point + 1) != std::string::npos) return 0;
    return text.size() - point - 1;
}

bool allowsEdit(InputFilter filter, const TextEdit& edit) {
    if (filter == InputFilter::Digits5)
        return onlyFrom(edit.replacement, kDigits) && edit.after.size() < 6;
    if (!onlyFrom(edit.replacement, kDecimal)) return false;
    // Judged on the result, so a paste cannot bring a second point.
    if (std::count(edit.after.begin(), edit.after.end(), '.') > 1) return false;
    if (filter == InputFilter::DecimalTwoPlaces && !edit.replacement.empty() &&
        findNumberOfDecimalPlaces(edit.before) >= 2)
        return false;
    return true;
}

std::string headerCellText(const std::string& text) {
    if (text.empty()) return text;
    const std::string head = text.substr(0, text.size() - 1);
    if (text.back() == '.' && head.find('.') != std::string::npos) return head;
    std::string cleaned;
    for (char c : text)
        if (std::string_view(kDecimal).find(c) != std::string_view::npos) cleaned += c;
    return cleaned;
}

bool holdsSeparatorByte(const std::string& text) {
    for (unsigned char c : text)
        if (c >= 0x01 && c <= 0x07) return true;
    return false;
}

}  // namespace kit
