#include "protocol/message_cracker.h"

#include <limits>

#include "platform/log.h"

namespace protocol {

std::optional<std::string> MessageCracker::GetMessageValue(std::string_view text, std::string_view separator) {
    if (!separator.empty()) {
        const std::size_t pos = text.find(separator);
        if (pos != std::string_view::npos) return std::string(text.substr(pos + separator.size()));
    }
    if (platform::Log::enabled(platform::LogLevel::Debug)) {
        platform::Log::debug("GetMessageValue Exception: separator \"" + std::string(separator) + "\" not found in \"" +
                             std::string(text.substr(0, 64)) + "\"");
    }
    return std::nullopt;
}

bool MessageCracker::splitField(std::string_view field, std::int64_t& tag, std::string_view& value) {
    const std::size_t eq = field.find('=');
    if (eq == std::string_view::npos || eq == 0 || eq > 18) return false;
    std::int64_t t = 0;
    for (std::size_t i = 0; i < eq; ++i) {
        const char c = field[i];
        if (c < '0' || c > '9') return false;
        t = t * 10 + (c - '0');
    }
    tag = t;
    value = field.substr(eq + 1);
    return true;
}

std::int64_t MessageCracker::integerValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    std::int64_t v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        const int d = text[i] - '0';
        if (v > (kMax - d) / 10) return negative ? std::numeric_limits<std::int64_t>::min() : kMax;
        v = v * 10 + d;
    }
    return negative ? -v : v;
}

std::int32_t MessageCracker::int32Value(std::string_view text) {
    const std::int64_t v = integerValue(text);
    if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

}  // namespace protocol
