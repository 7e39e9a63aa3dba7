#include "state/text_conversions.h"

#include <cstring>
#include <limits>

#include "model/formatter.h"
#include "model/text_value.h"

namespace state::TextConversion {

std::int32_t intValue(std::string_view text) { return model::TextValue::intValue(text); }

std::int64_t integerValue(std::string_view text) { return model::TextValue::longLongValue(text); }

double doubleValue(std::string_view text) { return model::TextValue::doubleValue(text); }

bool boolValue(std::string_view text) { return model::TextValue::boolValue(text); }

std::uint64_t unsignedFromInt(std::string_view text) {
    return static_cast<std::uint64_t>(static_cast<std::int64_t>(intValue(text)));
}

std::uint64_t unsignedFromInteger(std::string_view text) { return static_cast<std::uint64_t>(integerValue(text)); }

std::uint64_t wholeFromDouble(std::string_view text) {
    const double value = doubleValue(text);
    if (!(value > 0.0)) return 0;  // negative, zero and NaN
    // 2^64 is the first double past the range.
    if (value >= 18446744073709551616.0) return std::numeric_limits<std::uint64_t>::max();
    return static_cast<std::uint64_t>(value);
}

namespace {
// The rule of Formatter::formatDateandTimeFromString with its patterns read once:
// a statement converts tens of thousands of dates.
std::string isoRewritten(std::string_view text, const model::DateFormatter& destination) {
    static const model::DateFormatter millis(model::Formatter::kISOFormatMillis);
    static const model::DateFormatter seconds(model::Formatter::kISOFormat);
    std::string source(text);
    if (source.empty()) return source;
    auto fields = millis.fieldsFromString(source);
    if (!fields) fields = seconds.fieldsFromString(source);
    return fields ? destination.stringFromFields(*fields) : source;
}

// The last texts rewritten to a destination: the rows of a table mostly
// repeat the dates of their few date columns.
struct LastRewrites {
    struct Entry {
        std::string text, rewritten;
        bool held = false;
    };
    Entry entries[4];
    std::size_t next = 0;
};

std::string rememberedRewrite(std::string_view text, const model::DateFormatter& destination, LastRewrites& last) {
    for (const auto& entry : last.entries)
        if (entry.held && entry.text == text) return entry.rewritten;
    auto& entry = last.entries[last.next];
    last.next = (last.next + 1) % std::size(last.entries);
    entry.text.assign(text);
    entry.rewritten = isoRewritten(text, destination);
    entry.held = true;
    return entry.rewritten;
}
}  // namespace

std::string dateTimeText(std::string_view text) {
    static const model::DateFormatter display(model::Formatter::kDisplayFormat);
    thread_local LastRewrites last;
    return rememberedRewrite(text, display, last);
}

std::string dateText(std::string_view text) {
    static const model::DateFormatter day(model::Formatter::kDateFormat);
    thread_local LastRewrites last;
    return rememberedRewrite(text, day, last);
}

namespace {
constexpr std::size_t kQuotedLength = 32;

[[noreturn]] void refuseNegative(std::string_view text) {
    throw NegativeValue("negative number \"" + std::string(text.substr(0, kQuotedLength)) +
                        "\" in an unsigned field");
}
}  // namespace

std::uint64_t nonNegativeInt(std::string_view text) {
    if (intValue(text) < 0) refuseNegative(text);
    return unsignedFromInt(text);
}

std::uint64_t nonNegativeInteger(std::string_view text) {
    if (integerValue(text) < 0) refuseNegative(text);
    return unsignedFromInteger(text);
}

std::size_t countByte(std::string_view text, char byte) {
    std::size_t count = 0;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p != end) {
        const void* at = std::memchr(p, byte, static_cast<std::size_t>(end - p));
        if (!at) break;
        ++count;
        p = static_cast<const char*>(at) + 1;
    }
    return count;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + 1;
    }
}

std::string_view recordZero(std::string_view section, char separator) {
    return section.substr(0, section.find(separator));
}

}  // namespace state::TextConversion
