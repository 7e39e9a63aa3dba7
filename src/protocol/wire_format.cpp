#include "protocol/wire_format.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "protocol/separator_bytes.h"
#include "protocol/tags.h"

namespace protocol {

namespace {

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not valid.
std::size_t sequenceLength(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) return 1;
    std::size_t n;
    std::uint32_t cp;
    if ((b0 & 0xE0) == 0xC0) {
        n = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
    if ((n == 2 && cp < 0x80) || (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000)) return 0;
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

}  // namespace

std::size_t utf16Length(std::string_view s) {
    std::size_t units = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++units;
            ++i;
            continue;
        }
        const std::size_t n = sequenceLength(s, i);
        if (n == 0) {
            ++units;
            ++i;
        } else {
            units += (n == 4) ? 2 : 1;
            i += n;
        }
    }
    return units;
}

bool isValidUtf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        // ASCII runs eight bytes at a time, also after a multi-byte character.
        std::uint64_t word;
        if (i + 8 <= s.size() && (std::memcpy(&word, s.data() + i, 8), (word & 0x8080808080808080ull) == 0)) {
            i += 8;
            continue;
        }
        if (static_cast<unsigned char>(s[i]) < 0x80) {
            ++i;
            continue;
        }
        const std::size_t n = sequenceLength(s, i);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

void appendField(std::string& body, std::int64_t tag, std::string_view value) {
    char digits[24];
    const int n = std::snprintf(digits, sizeof digits, "%lld=", static_cast<long long>(tag));
    body.append(digits, static_cast<std::size_t>(n));
    body.append(value);
    body.push_back(FieldEndByte);
}

void appendField(std::string& body, std::int64_t tag, const std::string* value) {
    appendField(body, tag, value ? std::string_view(*value) : kNullValue);
}

std::string frameMessage(std::string_view body, std::uint64_t* length) {
    const std::size_t units = utf16Length(body);
    if (length) *length = units;
    const std::string digits = std::to_string(units);
    std::string frame;
    frame.reserve(body.size() + digits.size() + 3);
    frame.push_back(FrameStartByte);
    frame.append(digits);
    frame.push_back(FieldEndByte);
    frame.append(body);
    frame.push_back(FrameEndByte);
    return frame;
}

bool containsByteInRange(std::string_view text, char lo, char hi) {
    for (char c : text)
        if (c >= lo && c <= hi) return true;
    return false;
}

bool isRecordTag(std::int64_t number) {
    return number == tag::AccountOrders || number == tag::DataServiceResult || number == tag::AcknowledgedMessage ||
           number == tag::PositionList || number == tag::ApprovalRecord;
}

RecordWriter& RecordWriter::field(std::string_view text) {
    if (!ok()) return *this;
    if (!isSafePlainValue(text)) {
        error_ = "record field holds a separator byte";
        return *this;
    }
    text_.append(text);
    return *this;
}

RecordWriter& RecordWriter::field(long long number) { return field(std::to_string(number)); }

RecordWriter& RecordWriter::field(unsigned long long number) { return field(std::to_string(number)); }

namespace {
// A fixed-point field; the widest finite double takes 309 digits before the point.
std::optional<std::string> fixedText(double number, const char* format) {
    if (!std::isfinite(number)) return std::nullopt;
    char buf[512];
    std::snprintf(buf, sizeof buf, format, number);
    return std::string(buf);
}
}  // namespace

RecordWriter& RecordWriter::fixed6(double number) {
    if (!ok()) return *this;
    const auto text = fixedText(number, "%f");
    if (!text) {
        error_ = "record field is not a finite number";
        return *this;
    }
    return field(*text);
}

RecordWriter& RecordWriter::fixed2(double number) {
    if (!ok()) return *this;
    const auto text = fixedText(number, "%.2f");
    if (!text) {
        error_ = "record field is not a finite number";
        return *this;
    }
    return field(*text);
}

RecordWriter& RecordWriter::column() {
    text_.push_back(ColumnByte);
    return *this;
}

RecordWriter& RecordWriter::row() {
    text_.push_back(RowByte);
    return *this;
}

RecordWriter& RecordWriter::section() {
    text_.push_back(SectionByte);
    return *this;
}

std::optional<std::string> RecordWriter::value() const {
    if (!ok()) return std::nullopt;
    return text_;
}

std::optional<std::string> chatAcknowledgementValue(std::string_view roomName, std::string_view messageId) {
    return RecordWriter().field(roomName).column().field(messageId).value();
}

std::string userAccountAccessRow(unsigned long long userId, unsigned long long accountId,
                                 unsigned long long accessTypeId) {
    return *RecordWriter().field(userId).column().field(accountId).column().field(accessTypeId).column().row().value();
}

std::string_view compressedPayloadOfField(std::string_view field) {
    static const std::string prefix = std::to_string(tag::CompressedPayload) + "=";
    if (field.substr(0, prefix.size()) == prefix) field.remove_prefix(prefix.size());
    return field;
}

}  // namespace protocol
