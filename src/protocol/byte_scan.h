#pragma once
// The byte scans the readers share: the first of some bytes, the first byte
// that is not white space, a count of some bytes (those followed by certain
// others left out), and the masks of sixteen bytes, one bit a byte, that are
// some bytes or lie in a range. Each has a portable
// form and, where SSE2 exists, a form that reads sixteen bytes at a time;
// both are compiled wherever they can be, and a test holds them equal. The
// plain names are the forms the readers call.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace protocol::bytes {

// " ", "\t", "\n", "\v", "\f" and "\r".
constexpr bool isWhite(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// --- Portable forms ----------------------------------------------------------

// The first byte in [p, end) that is one of `Stops`; `end` when none is.
template <char... Stops>
const char* firstOfPortable(const char* p, const char* end) {
    if constexpr (sizeof...(Stops) == 1) {
        const char stops[] = {Stops...};
        const void* hit = p < end ? std::memchr(p, stops[0], static_cast<std::size_t>(end - p)) : nullptr;
        return hit ? static_cast<const char*>(hit) : end;
    } else {
        for (; p < end; ++p)
            if (((*p == Stops) || ...)) return p;
        return end;
    }
}

// The first byte in [p, end) that is not white space; `end` when none is.
inline const char* skipWhitePortable(const char* p, const char* end) {
    while (p < end && isWhite(*p)) ++p;
    return p;
}

// A set of bytes to count, or to count before.
template <char... Bytes>
struct ByteSet {
    static constexpr bool has(char c) { return ((c == Bytes) || ...); }
};

// The bytes in [p, end) that are one of `Bytes` and not followed by one of
// `Nexts` (the last byte counts when it is one of `Bytes`).
template <char... Bytes, char... Nexts>
std::size_t countOfPortable(const char* p, const char* end, ByteSet<Bytes...>, ByteSet<Nexts...> = {}) {
    std::size_t n = 0;
    for (; p < end; ++p) n += ByteSet<Bytes...>::has(*p) && (p + 1 == end || !ByteSet<Nexts...>::has(p[1]));
    return n;
}

// Bytes in a block of sixteen, one bit a byte: bit i for p[i].
inline constexpr std::size_t kBlock = 16;

// The bytes of the block at p that are one of `Bytes`.
template <char... Bytes>
std::uint32_t blockMaskOfPortable(const char* p) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i) mask |= std::uint32_t{ByteSet<Bytes...>::has(p[i])} << i;
    return mask;
}

// The bytes of the block at p from `Low` to `High` (as unsigned bytes).
template <char Low, char High>
std::uint32_t blockMaskInPortable(const char* p) {
    std::uint32_t mask = 0;
    for (std::size_t i = 0; i < kBlock; ++i) {
        const auto c = static_cast<unsigned char>(p[i]);
        mask |= std::uint32_t{c >= static_cast<unsigned char>(Low) && c <= static_cast<unsigned char>(High)} << i;
    }
    return mask;
}

// --- SSE2 forms --------------------------------------------------------------

#if defined(__SSE2__)
namespace sse2 {

inline __m128i load(const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

template <char... Bytes>
__m128i matches(__m128i v) {
    __m128i hit = _mm_setzero_si128();
    ((hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, _mm_set1_epi8(Bytes)))), ...);
    return hit;
}

}  // namespace sse2

template <char... Stops>
const char* firstOfSse2(const char* p, const char* end) {
    for (; end - p >= 16; p += 16)
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(sse2::matches<Stops...>(sse2::load(p)))))
            return p + std::countr_zero(mask);
    return firstOfPortable<Stops...>(p, end);
}

inline const char* skipWhiteSse2(const char* p, const char* end) {
    for (; end - p >= 16; p += 16) {
        const __m128i v = sse2::load(p);
        // "\t" to "\r" are 9 to 13: at most 4 once 9 is taken away.
        const __m128i fromTab = _mm_sub_epi8(v, _mm_set1_epi8(9));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(fromTab, _mm_set1_epi8(4)), fromTab);
        const __m128i white = _mm_or_si128(control, _mm_cmpeq_epi8(v, _mm_set1_epi8(' ')));
        if (const auto mask = ~static_cast<unsigned>(_mm_movemask_epi8(white)) & 0xFFFFu)
            return p + std::countr_zero(mask);
    }
    return skipWhitePortable(p, end);
}

template <char... Bytes, char... Nexts>
std::size_t countOfSse2(const char* p, const char* end, ByteSet<Bytes...> bytes, ByteSet<Nexts...> nexts = {}) {
    std::size_t n = 0;
    const __m128i zero = _mm_setzero_si128();
    // Each block also reads the byte after it when some are not counted before.
    const std::ptrdiff_t block = sizeof...(Nexts) ? 17 : 16;
    while (end - p >= block) {
        // Byte counters, summed before any can wrap.
        __m128i counters = zero;
        for (int round = 0; round < 255 && end - p >= block; ++round, p += 16) {
            __m128i hits = sse2::matches<Bytes...>(sse2::load(p));
            if constexpr (sizeof...(Nexts) > 0) hits = _mm_andnot_si128(sse2::matches<Nexts...>(sse2::load(p + 1)), hits);
            counters = _mm_sub_epi8(counters, hits);  // a match is 0xFF
        }
        const __m128i halves = _mm_sad_epu8(counters, zero);
        n += static_cast<std::size_t>(_mm_cvtsi128_si32(halves)) +
             static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(halves, halves)));
    }
    return n + countOfPortable(p, end, bytes, nexts);
}

template <char... Bytes>
std::uint32_t blockMaskOfSse2(const char* p) {
    return static_cast<std::uint32_t>(_mm_movemask_epi8(sse2::matches<Bytes...>(sse2::load(p))));
}

template <char Low, char High>
std::uint32_t blockMaskInSse2(const char* p) {
    // Below `Low` wraps high: in range when at most High - Low once Low is taken away.
    const __m128i from = _mm_sub_epi8(sse2::load(p), _mm_set1_epi8(Low));
    const __m128i width = _mm_set1_epi8(static_cast<char>(static_cast<unsigned char>(High) - static_cast<unsigned char>(Low)));
    return static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(from, width), from)));
}
#endif

// --- The forms the readers call ----------------------------------------------

#if defined(__SSE2__)
template <char... Stops>
const char* firstOf(const char* p, const char* end) { return firstOfSse2<Stops...>(p, end); }
inline const char* skipWhite(const char* p, const char* end) { return skipWhiteSse2(p, end); }
template <char... Bytes, char... Nexts>
std::size_t countOf(const char* p, const char* end, ByteSet<Bytes...> bytes, ByteSet<Nexts...> nexts = {}) {
    return countOfSse2(p, end, bytes, nexts);
}
template <char... Bytes>
std::uint32_t blockMaskOf(const char* p) { return blockMaskOfSse2<Bytes...>(p); }
template <char Low, char High>
std::uint32_t blockMaskIn(const char* p) { return blockMaskInSse2<Low, High>(p); }
#else
template <char... Stops>
const char* firstOf(const char* p, const char* end) { return firstOfPortable<Stops...>(p, end); }
inline const char* skipWhite(const char* p, const char* end) { return skipWhitePortable(p, end); }
template <char... Bytes, char... Nexts>
std::size_t countOf(const char* p, const char* end, ByteSet<Bytes...> bytes, ByteSet<Nexts...> nexts = {}) {
    return countOfPortable(p, end, bytes, nexts);
}
template <char... Bytes>
std::uint32_t blockMaskOf(const char* p) { return blockMaskOfPortable<Bytes...>(p); }
template <char Low, char High>
std::uint32_t blockMaskIn(const char* p) { return blockMaskInPortable<Low, High>(p); }
#endif

}  // namespace protocol::bytes
