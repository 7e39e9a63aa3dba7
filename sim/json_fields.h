#pragma once
// The scenario's JSON (nlohmann::json) and readings of it that never throw: a
// missing member or a value of another kind gives the fallback.
#include <nlohmann/json.hpp>

#include <string>
#include <string_view>

namespace sim {

using Json = nlohmann::json;

// Throws std::runtime_error with the line and column of the first fault, or
// when containers nest deeper than kMaxJsonDepth.
inline constexpr int kMaxJsonDepth = 64;
Json parseJson(const std::string& text);

// A member of an object; a null value when absent or not an object.
const Json& jsonMember(const Json& v, std::string_view key);
// The elements of an array; none for any other value.
const Json::array_t& jsonItems(const Json& v);

// Text form: strings as they are, booleans "true"/"false", null "". Numbers in
// plain notation, the shortest that reads back the same ("0.00001", not
// "1e-05"); a whole number written with a fraction or exponent keeps ".0".
std::string jsonText(const Json& v);
// Numbers, booleans (1 or 0) and strings that begin with a number.
double jsonNumber(const Json& v, double fallback = 0);
long long jsonInteger(const Json& v, long long fallback = 0);
// Booleans, and numbers (non-zero is true).
bool jsonBool(const Json& v, bool fallback = false);

// The same readings of a member.
inline const Json::array_t& jsonItems(const Json& v, std::string_view key) {
    return jsonItems(jsonMember(v, key));
}
inline std::string jsonText(const Json& v, std::string_view key) { return jsonText(jsonMember(v, key)); }
inline double jsonNumber(const Json& v, std::string_view key, double fallback = 0) {
    return jsonNumber(jsonMember(v, key), fallback);
}
inline long long jsonInteger(const Json& v, std::string_view key, long long fallback = 0) {
    return jsonInteger(jsonMember(v, key), fallback);
}
inline bool jsonBool(const Json& v, std::string_view key, bool fallback = false) {
    return jsonBool(jsonMember(v, key), fallback);
}

}  // namespace sim
