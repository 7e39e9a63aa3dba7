#include "views/core/status_words.h"

#include <array>
#include <utility>

namespace views {

namespace {

constexpr const char* kUnknown = "90860";

template <std::size_t N>
std::string keyOf(const std::array<std::pair<std::int64_t, const char*>, N>& table, std::int64_t value) {
    for (const auto& [known, key] : table)
        if (known == value) return key;
    return "";
}

}  // namespace

std::string instrumentTradingStatusKey(std::int32_t status) {
    static constexpr std::array<std::pair<std::int64_t, const char*>, 5> keys{
        {{0, kUnknown}, {1, "90861"}, {2, "90890"}, {3, "90863"}, {4, "90864"}}};
    return keyOf(keys, status);
}

std::string accountStatusKey(std::int32_t status) {
    static constexpr std::array<std::pair<std::int64_t, const char*>, 6> keys{
        {{1, "90865"}, {2, "90866"}, {3, "90867"}, {4, "90868"}, {5, "90869"}, {6, "90870"}}};
    return keyOf(keys, status);
}

std::string accountTypeKey(std::int64_t type) {
    // Unknown, then "Trade Client" (90871) to "Error Account" (90883) in value order.
    if (type == 0) return kUnknown;
    return type >= 1 && type <= 13 ? std::to_string(90870 + type) : std::string();
}

std::string accountAccessKey(std::int64_t access) {
    static constexpr std::array<std::pair<std::int64_t, const char*>, 6> keys{
        {{0, kUnknown}, {1, "90884"}, {2, "90862"}, {3, "90885"}, {4, "90886"}, {10, "90609"}}};
    return keyOf(keys, access);
}

std::string statusWordText(const std::string& key, const KeyText& text) {
    if (key.empty()) return "";
    return text ? text(key) : key;
}

}  // namespace views
