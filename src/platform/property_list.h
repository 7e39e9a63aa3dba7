#pragma once
// Reader of XML property lists (dict, array, string, integer, real, true/false,
// date, data). Values are kept as a small tree; lookups never throw.
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class PlistValue {
public:
    enum class Type { None, String, Integer, Real, Bool, Date, Data, Array, Dict };
    // Defined out of line: the containers hold this type while it is still incomplete.
    PlistValue();
    PlistValue(const PlistValue&);
    PlistValue(PlistValue&&) noexcept;
    PlistValue& operator=(const PlistValue&);
    PlistValue& operator=(PlistValue&&) noexcept;
    ~PlistValue();

    Type type = Type::None;
    std::string text;  // string, date, data (decoded bytes) and the original text of numbers
    std::int64_t integer = 0;
    double real = 0;
    bool boolean = false;
    std::vector<PlistValue> array;
    std::vector<std::pair<std::string, PlistValue>> dict;  // in document order

    bool isNone() const { return type == Type::None; }
    // Lookup in a dict; a missing key gives a None value.
    const PlistValue& operator[](const std::string& key) const;
    // The platform's readings: numbers and strings alike.
    std::string stringValue() const;
    bool boolValue() const;
    std::int64_t integerValue() const;
    double doubleValue() const;
};

class PropertyList {
public:
    // Parses a document; anything that is not a property list gives a None root.
    static PlistValue parse(const std::string& xml);
    static PlistValue readFile(const std::string& path);
    // Writes a value as an XML property list document (the reverse of parse()).
    static std::string serialize(const PlistValue& root);
};

// Text readings shared with the rest of the core.
// Boolean: leading white space, an optional sign and zeros skipped, then 1-9 or Y/y/T/t is true.
bool readBool(std::string_view text);
// Integer: leading white space, optional sign, digits; stops at the first non-digit; clamps to 64 bits.
std::int64_t readInteger(std::string_view text);
double readDouble(const std::string& text);

}  // namespace platform
