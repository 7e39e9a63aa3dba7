#pragma once
// The cut of a tick that the conflation mask reads: its fields counted at
// 0x04, fields 2 to 9 told apart as empty, zero, another plain integer or
// anything else. One form reads byte by byte; the other reads sixteen bytes
// at a time through the block masks of protocol/byte_scan.h and answers all
// three questions for them at once. A test holds them equal; cut() is the
// form the mask calls.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace state::tick {

// Plain integers at most this long are exact in a double.
inline constexpr std::size_t kMaxPlainDigits = 15;

enum FieldKind : std::uint8_t { kEmpty, kZero, kNonZero, kOther };

struct Cut {
    FieldKind kind[10] = {};  // fields 2 to 9; kEmpty for the last field and those missing
    std::size_t count = 1;    // fields
    std::size_t lastStart = 0;
    bool operator==(const Cut&) const = default;
};

Cut cutPortable(std::string_view text);
Cut cutByBlocks(std::string_view text);
inline Cut cut(std::string_view text) { return cutByBlocks(text); }

}  // namespace state::tick
