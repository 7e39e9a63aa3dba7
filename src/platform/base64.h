#pragma once
// The Base64 codec (standard alphabet, "=" padding), on OpenSSL's block coder.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace platform::base64 {

// A line break follows every `lineLength` characters, rounded up to whole
// four-character groups; 0 writes one line.
std::string encode(std::string_view data, std::size_t lineLength = 0);

// Strict: white space (tab, line feed, form feed, carriage return, space) is
// skipped and the text ends at a zero byte. nullopt for any other character
// outside the alphabet, a non-ASCII byte, or "=" after a lone character of a
// group. "=" does not end the text: what follows fills the next positions.
// The bits of an unfinished byte are dropped.
std::optional<std::string> decode(std::string_view text);

// Lenient: characters outside the alphabet are ignored and the text ends at
// the first "="; a lone last character still yields a byte.
std::string decodeLenient(std::string_view text);

}  // namespace platform::base64
