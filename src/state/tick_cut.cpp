#include "state/tick_cut.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "protocol/separator_bytes.h"

namespace state::tick {

namespace {

FieldKind kindOf(std::size_t size, bool other, bool nonZero) {
    // Longer integers are left to the decoder: a very long one is no price.
    if (size == 0) return kEmpty;
    if (other || size > kMaxPlainDigits) return kOther;
    return nonZero ? kNonZero : kZero;
}

// The field that ends at `stop` (after `size` bytes) has been read.
void endField(Cut& t, std::size_t size, bool other, bool nonZero, std::size_t stop) {
    if (t.count >= 3 && t.count <= 10) t.kind[t.count - 1] = kindOf(size, other, nonZero);
    ++t.count;
    t.lastStart = stop + 1;
}

}  // namespace

Cut cutPortable(std::string_view text) {
    Cut t;
    bool other = false, nonZero = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == protocol::TickFieldByte) {
            endField(t, i - t.lastStart, other, nonZero, i);
            other = nonZero = false;
        } else {
            other = other || c < '0' || c > '9';
            nonZero = nonZero || c != '0';
        }
    }
    return t;
}

#if defined(__SSE2__)
// One bit a byte for the separators, the bytes that are no digit and those
// that are no "0"; each field is then a range of bits between two separators.
Cut cutSse2(std::string_view text) {
    Cut t;
    const __m128i separator = _mm_set1_epi8(protocol::TickFieldByte);
    const __m128i zero = _mm_set1_epi8('0');
    const __m128i nine = _mm_set1_epi8(9);
    bool other = false, nonZero = false;  // of the open field, in the blocks before
    for (std::size_t base = 0; base < text.size(); base += 16) {
        char tail[16];
        const char* p = text.data() + base;
        if (text.size() - base < 16) {
            // Padding of "0" is a digit and a zero: it changes no field.
            std::memset(tail, '0', sizeof tail);
            std::memcpy(tail, p, text.size() - base);
            p = tail;
        }
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const __m128i digit = _mm_sub_epi8(v, zero);
        std::uint32_t separators = static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, separator)));
        const std::uint32_t others =
            ~static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(digit, nine), digit))) & 0xFFFFu;
        const std::uint32_t nonZeros = ~static_cast<std::uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, zero))) & 0xFFFFu;
        std::uint32_t from = 0;  // the open field's first bit in this block
        for (; separators != 0; separators &= separators - 1) {
            const std::uint32_t at = static_cast<std::uint32_t>(std::countr_zero(separators));
            const std::uint32_t range = ((1u << at) - 1) & ~((1u << from) - 1);
            endField(t, base + at - t.lastStart, other || (others & range) != 0, nonZero || (nonZeros & range) != 0,
                     base + at);
            from = at + 1;
            other = nonZero = false;
        }
        const std::uint32_t rest = 0xFFFFu & ~((1u << from) - 1);
        other = other || (others & rest) != 0;
        nonZero = nonZero || (nonZeros & rest) != 0;
    }
    return t;
}
#endif

}  // namespace state::tick
