#pragma once
// A small JSON reader for the scenario files. Numbers keep their source text so
// that they reach the wire exactly as written.
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace sim {

class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    JsonValue() = default;
    static JsonValue parse(const std::string& text);  // throws std::runtime_error with the offset

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isObject() const { return kind_ == Kind::Object; }
    bool isArray() const { return kind_ == Kind::Array; }

    // Text form: strings as they are, numbers as written, booleans "true"/"false", null "".
    std::string text() const;
    double number(double fallback = 0) const;
    long long integer(long long fallback = 0) const;
    bool boolean(bool fallback = false) const;

    const std::vector<JsonValue>& items() const { return items_; }
    const std::vector<std::pair<std::string, JsonValue>>& members() const { return members_; }
    // Member lookup; a shared null value when absent or not an object.
    const JsonValue& operator[](const std::string& key) const;
    bool has(const std::string& key) const;

private:
    friend class JsonParser;
    Kind kind_ = Kind::Null;
    std::string scalar_;
    std::vector<JsonValue> items_;
    std::vector<std::pair<std::string, JsonValue>> members_;
};

}  // namespace sim
