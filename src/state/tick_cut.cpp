#include "state/tick_cut.h"

#include <bit>
#include <cstring>

#include "protocol/byte_scan.h"
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

// One bit a byte for the separators, the bytes that are no digit and those
// that are no "0"; each field is then a range of bits between two separators.
Cut cutByBlocks(std::string_view text) {
    namespace bytes = protocol::bytes;
    constexpr std::size_t kBlock = bytes::kBlock;
    constexpr std::uint32_t kAll = (1u << kBlock) - 1;
    Cut t;
    bool other = false, nonZero = false;  // of the open field, in the blocks before
    for (std::size_t base = 0; base < text.size(); base += kBlock) {
        char tail[kBlock];
        const char* p = text.data() + base;
        if (text.size() - base < kBlock) {
            // Padding of "0" is a digit and a zero: it changes no field.
            std::memset(tail, '0', sizeof tail);
            std::memcpy(tail, p, text.size() - base);
            p = tail;
        }
        std::uint32_t separators = bytes::blockMaskOf<protocol::TickFieldByte>(p);
        const std::uint32_t others = ~bytes::blockMaskIn<'0', '9'>(p) & kAll;
        const std::uint32_t nonZeros = ~bytes::blockMaskOf<'0'>(p) & kAll;
        std::uint32_t from = 0;  // the open field's first bit in this block
        for (; separators != 0; separators &= separators - 1) {
            const std::uint32_t at = static_cast<std::uint32_t>(std::countr_zero(separators));
            const std::uint32_t range = ((1u << at) - 1) & ~((1u << from) - 1);
            endField(t, base + at - t.lastStart, other || (others & range) != 0, nonZero || (nonZeros & range) != 0,
                     base + at);
            from = at + 1;
            other = nonZero = false;
        }
        const std::uint32_t rest = kAll & ~((1u << from) - 1);
        other = other || (others & rest) != 0;
        nonZero = nonZero || (nonZeros & rest) != 0;
    }
    return t;
}

}  // namespace state::tick
