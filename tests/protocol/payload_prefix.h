#pragma once
// The 4-byte little-endian inflated-size prefix of a compressed payload.
#include <cstddef>
#include <string>

namespace protocol::testing {

inline std::string payloadPrefix(std::size_t inflatedSize) {
    std::string prefix(4, '\0');
    for (std::size_t i = 0; i < prefix.size(); ++i) prefix[i] = static_cast<char>((inflatedSize >> (8 * i)) & 0xFF);
    return prefix;
}

}  // namespace protocol::testing
