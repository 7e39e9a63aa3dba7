#pragma once
// Frames, fields and record values of the wire format.
//
// Frame: 0x01, the body length in decimal, 0x03, the body, 0x02. The length
// is the UTF-16 code-unit count of the body text, not its byte count.
// Body: fields "tag=value" each closed by 0x03; tag 10 (the type) first.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace protocol {

// Value written for a tag that was not supplied.
inline constexpr std::string_view kNullValue = "(null)";

// UTF-16 code units of UTF-8 text (bytes that are not valid UTF-8 count one each).
std::size_t utf16Length(std::string_view utf8);
bool isValidUtf8(std::string_view text);

// Appends "tag=value" and 0x03; a missing value is written "(null)".
void appendField(std::string& body, std::int64_t tag, const std::string* value);
void appendField(std::string& body, std::int64_t tag, std::string_view value);

// 0x01, length, 0x03, body, 0x02. `length` receives the body length when given.
std::string frameMessage(std::string_view body, std::uint64_t* length = nullptr);

// True when `text` holds a byte in [lo, hi].
bool containsByteInRange(std::string_view text, char lo, char hi);
// A plain value may hold none of 0x01-0x07.
inline bool isSafePlainValue(std::string_view v) { return !containsByteInRange(v, 0x01, 0x07); }
// A record value may carry its own 0x05-0x07 but none of 0x01-0x04.
inline bool isSafeRecordValue(std::string_view v) { return !containsByteInRange(v, 0x01, 0x04); }
// Tags whose values are lists of records (91, 159, 505, 583, 1059).
bool isRecordTag(std::int64_t tag);

// Assembles a record-carrying value. Each field is checked for 0x01-0x07 (and
// numbers for being finite); once a field is refused the writer stays failed
// and `error()` says why.
class RecordWriter {
public:
    RecordWriter& field(std::string_view text);
    RecordWriter& field(long long number);
    RecordWriter& field(unsigned long long number);
    RecordWriter& field(int number) { return field(static_cast<long long>(number)); }
    RecordWriter& field(long number) { return field(static_cast<long long>(number)); }
    RecordWriter& field(unsigned number) { return field(static_cast<unsigned long long>(number)); }
    RecordWriter& field(unsigned long number) { return field(static_cast<unsigned long long>(number)); }
    // Six decimals ("%f"); NaN and infinities are refused like separators.
    RecordWriter& fixed6(double number);
    // Two decimals ("%.2f"), refused the same way.
    RecordWriter& fixed2(double number);
    RecordWriter& column();   // 0x05
    RecordWriter& row();      // 0x06
    RecordWriter& section();  // 0x07

    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    // The value, or nullopt when a field was refused.
    std::optional<std::string> value() const;

private:
    std::string text_;
    std::string error_;
};

// Tag 505 of an acknowledgement: room name, 0x05, message id.
std::optional<std::string> chatAcknowledgementValue(std::string_view roomName, std::string_view messageId);
// Tag 159 of the account-access edit: user, 0x05, account, 0x05, access type, 0x05, 0x06.
std::string userAccountAccessRow(unsigned long long userId, unsigned long long accountId,
                                 unsigned long long accessTypeId);

// The compressed payload of a tag-1050 field: only a leading "1050=" is removed.
std::string_view compressedPayloadOfField(std::string_view field);

}  // namespace protocol
