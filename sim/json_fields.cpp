#include "json_fields.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <stdexcept>

namespace sim {

namespace {

const Json& nullJson() {
    static const Json null;
    return null;
}

// Room for any double in fixed notation.
constexpr std::size_t kNumberTextSize = 512;

std::string plainNumber(double value) {
    char buf[kNumberTextSize];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed);
    std::string s(buf, r.ptr);
    if (s.find('.') == std::string::npos) s += ".0";
    return s;
}

long long clampToInteger(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 0x1p63) return std::numeric_limits<long long>::max();
    if (value < -0x1p63) return std::numeric_limits<long long>::min();
    return static_cast<long long>(value);
}

}  // namespace

Json parseJson(const std::string& text) {
    const Json::parser_callback_t limitDepth = [](int depth, Json::parse_event_t event, Json&) {
        if ((event == Json::parse_event_t::object_start || event == Json::parse_event_t::array_start) &&
            depth >= kMaxJsonDepth)
            throw std::runtime_error("JSON: nesting deeper than " + std::to_string(kMaxJsonDepth));
        return true;
    };
    try {
        return Json::parse(text, limitDepth);
    } catch (const Json::exception& e) {
        throw std::runtime_error(std::string("JSON: ") + e.what());
    }
}

const Json& jsonMember(const Json& v, std::string_view key) {
    if (!v.is_object()) return nullJson();
    const auto it = v.find(key);
    return it == v.end() ? nullJson() : *it;
}

const Json::array_t& jsonItems(const Json& v) {
    static const Json::array_t none;
    return v.is_array() ? v.get_ref<const Json::array_t&>() : none;
}

std::string jsonText(const Json& v) {
    switch (v.type()) {
        case Json::value_t::string: return v.get_ref<const std::string&>();
        case Json::value_t::boolean: return v.get<bool>() ? "true" : "false";
        case Json::value_t::number_integer: return std::to_string(v.get<std::int64_t>());
        case Json::value_t::number_unsigned: return std::to_string(v.get<std::uint64_t>());
        case Json::value_t::number_float: return plainNumber(v.get<double>());
        default: return {};
    }
}

double jsonNumber(const Json& v, double fallback) {
    if (v.is_boolean()) return v.get<bool>() ? 1 : 0;
    if (v.is_number()) return v.get<double>();
    if (!v.is_string()) return fallback;
    const std::string& s = v.get_ref<const std::string&>();
    char* end = nullptr;
    const double d = std::strtod(s.c_str(), &end);
    return end == s.c_str() ? fallback : d;
}

long long jsonInteger(const Json& v, long long fallback) {
    if (v.is_boolean()) return v.get<bool>() ? 1 : 0;
    if (v.is_number_integer()) {
        constexpr auto kMax = std::numeric_limits<long long>::max();
        if (v.is_number_unsigned() && v.get<std::uint64_t>() > static_cast<std::uint64_t>(kMax)) return kMax;
        return v.get<long long>();
    }
    if (v.is_number_float()) return clampToInteger(v.get<double>());
    if (!v.is_string()) return fallback;
    const std::string& s = v.get_ref<const std::string&>();
    char* end = nullptr;
    const long long n = std::strtoll(s.c_str(), &end, 10);
    return end == s.c_str() ? fallback : n;
}

bool jsonBool(const Json& v, bool fallback) {
    if (v.is_boolean()) return v.get<bool>();
    if (v.is_number()) return jsonNumber(v) != 0;
    return fallback;
}

}  // namespace sim
