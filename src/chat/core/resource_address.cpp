#include "chat/core/resource_address.h"

#include <cctype>

namespace chat {

namespace {

bool beginsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != prefix[i]) return false;
    return true;
}

bool isSchemeCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '-' || c == '.';
}

// A letter, then scheme characters, then ":" that does not start a port
// number ("host:8080", "host:8080/path" are hosts).
bool namesScheme(std::string_view text) {
    if (text.empty() || !std::isalpha(static_cast<unsigned char>(text[0]))) return false;
    std::size_t i = 1;
    while (i < text.size() && isSchemeCharacter(text[i])) ++i;
    if (i == text.size() || text[i] != ':') return false;
    std::size_t digits = i + 1;
    while (digits < text.size() && std::isdigit(static_cast<unsigned char>(text[digits]))) ++digits;
    const bool port = digits > i + 1 &&
                      (digits == text.size() || text[digits] == '/' || text[digits] == '?' || text[digits] == '#');
    return !port;
}

}  // namespace

std::optional<std::string> resourceAddress(std::string_view text) {
    if (beginsWithNoCase(text, "http://") || beginsWithNoCase(text, "https://")) return std::string(text);
    if (namesScheme(text)) return std::nullopt;
    return "http://" + std::string(text);
}

}  // namespace chat
