#pragma once
// Reads values out of received tag=value text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace protocol {

class MessageCracker {
public:
    // The text after the first `separator`, to the end of `text`, wherever it
    // stands ("112=abc" with "12=" gives "abc"). nullopt, logged
    // "GetMessageValue Exception: ...", when the separator is not found.
    static std::optional<std::string> GetMessageValue(std::string_view text, std::string_view separator);

    // Splits one field at its first "=": the tag is the digits before it.
    // False for a field without "=" or whose tag is not a decimal number.
    static bool splitField(std::string_view field, std::int64_t& tag, std::string_view& value);

    // Integer value of leading text as the type field is read: optional
    // spaces and sign, then digits; 0 when there are none.
    static std::int64_t integerValue(std::string_view text);
    // The same, clamped to 32 bits.
    static std::int32_t int32Value(std::string_view text);
};

}  // namespace protocol
