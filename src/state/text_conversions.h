#pragma once
// Readings of the texts of the login reference data (XML columns and compact
// fields), and the splitting of the compact form.
#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/log.h"
#include "protocol/separator_bytes.h"

namespace state {

namespace TextConversion {
// Leading decimal integer after blanks, optional sign; 0 when none; clamped to 32 bits.
std::int32_t intValue(std::string_view text);
// The same, 64-bit.
std::int64_t integerValue(std::string_view text);
// Leading decimal floating-point number; 0.0 when none.
double doubleValue(std::string_view text);
// True when the first character after blanks, a sign and leading zeros is
// "Y", "y", "T", "t" or a digit 1 to 9.
bool boolValue(std::string_view text);
// int, sign-extended to 64 bits and kept as its unsigned pattern.
std::uint64_t unsignedFromInt(std::string_view text);
// integer (64-bit), kept as its unsigned pattern.
std::uint64_t unsignedFromInteger(std::string_view text);
// double cut towards zero to 64 bits unsigned: negative and NaN give 0, a
// number past the range the largest value.
std::uint64_t wholeFromDouble(std::string_view text);
// ISO date-time text (with or without milliseconds) rewritten
// "MM/dd/yyyy HH:mm:ss", or "MM/dd/yyyy" for dateText; the empty text stays
// empty and other text is kept unchanged.
std::string dateTimeText(std::string_view text);
std::string dateText(std::string_view text);

// A negative number in a field stored unsigned (ids, counts): the record is
// refused rather than stored with the number wrapped to 2^64 - 1.
class NegativeValue : public std::range_error {
public:
    using std::range_error::range_error;
};
// The readings of unsignedFromInt and unsignedFromInteger for fields stored
// unsigned; NegativeValue for a negative number.
std::uint64_t nonNegativeInt(std::string_view text);
std::uint64_t nonNegativeInteger(std::string_view text);

// Cuts at every separator and keeps empty pieces: "a\x06\x06" gives "a", "", "".
// The views point into `text`.
std::vector<std::string_view> split(std::string_view text, char separator);
// How many times `byte` occurs in `text` (a memchr walk: the separators of a
// compact text are sparse).
std::size_t countByte(std::string_view text, char byte);
// The text before the first separator, or the whole text when it has none.
std::string_view recordZero(std::string_view section, char separator);

// Calls `fill` with the fields of every record of a compact section that is
// not the empty text; a record whose fill throws is skipped (logged under
// `what`) and the next one is read.
template <typename F>
void eachRecord(std::string_view section, const char* what, F&& fill) {
    // One pass over the bytes; the field list is reused by every record.
    std::vector<std::string_view> fields;
    const char* const end = section.data() + section.size();
    const char* recordStart = section.data();
    const char* fieldStart = recordStart;
    for (const char* p = recordStart;; ++p) {
        if (p == end || *p == protocol::RowByte) {
            if (p != recordStart) {
                fields.emplace_back(fieldStart, static_cast<std::size_t>(p - fieldStart));
                try {
                    fill(static_cast<const std::vector<std::string_view>&>(fields));
                } catch (const std::exception& e) {
                    platform::Log::debug(std::string(what) + " record not stored: " + e.what());
                }
                fields.clear();
            }
            if (p == end) return;
            recordStart = fieldStart = p + 1;
        } else if (*p == protocol::ColumnByte) {
            fields.emplace_back(fieldStart, static_cast<std::size_t>(p - fieldStart));
            fieldStart = p + 1;
        }
    }
}
}  // namespace TextConversion

}  // namespace state
