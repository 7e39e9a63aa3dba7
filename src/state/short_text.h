#pragma once
// Equality of short texts (column and tag names) compared in line: a call
// to memcmp costs more than the compare itself at these lengths.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace state {

// The `n` bytes at `a` and at `b` are the same.
inline bool sameBytes(const char* a, const char* b, std::size_t n) {
    auto load8 = [](const char* p) {
        std::uint64_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    };
    auto load4 = [](const char* p) {
        std::uint32_t v;
        std::memcpy(&v, p, sizeof v);
        return v;
    };
    if (n >= 8) {
        for (; n > 8; n -= 8, a += 8, b += 8)
            if (load8(a) != load8(b)) return false;
        // The last eight bytes, overlapping those compared before.
        return load8(a + n - 8) == load8(b + n - 8);
    }
    if (n >= 4) return load4(a) == load4(b) && load4(a + n - 4) == load4(b + n - 4);
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i]) return false;
    return true;
}

inline bool sameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && (a.data() == b.data() || sameBytes(a.data(), b.data(), a.size()));
}

}  // namespace state
