// The byte scans' portable and SSE2 forms (block masks too) give the same answers: on every
// length up to 64 at every alignment, with the bytes they look for at each
// place, and on every input of the fuzz corpora.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "protocol/byte_scan.h"
#include "protocol/separator_bytes.h"

#if defined(__SSE2__)
namespace protocol::bytes {
namespace {

// Each scan the readers make, in the form `Form` names: the offsets of firstOf and skipWhite, then the counts.
#define SCANS(Form)                                                                                                   \
    std::vector<std::ptrdiff_t> {                                                                                     \
        firstOf##Form<'<'>(p, end) - p, firstOf##Form<'<', '&', '\0'>(p, end) - p,                                    \
            firstOf##Form<'>', '<', '\0', ' ', '/'>(p, end) - p, firstOf##Form<TickFieldByte>(p, end) - p,            \
            skipWhite##Form(p, end) - p, std::ptrdiff_t(countOf##Form(p, end, ByteSet<'"', '\''>{})),                 \
            std::ptrdiff_t(countOf##Form(p, end, ByteSet<'<'>{})), std::ptrdiff_t(countOf##Form(p, end, ByteSet<'\xff'>{})), \
            std::ptrdiff_t(countOf##Form(p, end, ByteSet<'<'>{}, ByteSet<'/', '!', '?'>{}))                           \
    }

// The block masks the tick cut takes, of the first and the last sixteen bytes.
#define BLOCKS(Form, q)                                                                                               \
    blockMaskOf##Form<TickFieldByte>(q), blockMaskOf##Form<'0'>(q), blockMaskOf##Form<'<', '&', '\xff'>(q),         \
        blockMaskIn##Form<'0', '9'>(q), blockMaskIn##Form<'\t', '\r'>(q), blockMaskIn##Form<'\x80', '\xff'>(q)

// "" when both forms answer alike on [p, end); both answers otherwise.
std::string disagreement(const char* p, const char* end) {
    auto sse2 = SCANS(Sse2), portable = SCANS(Portable);
    if (end - p >= 16) {
        sse2.insert(sse2.end(), {BLOCKS(Sse2, p), BLOCKS(Sse2, end - 16)});
        portable.insert(portable.end(), {BLOCKS(Portable, p), BLOCKS(Portable, end - 16)});
    }
    return sse2 == portable ? "" : "SSE2 " + ::testing::PrintToString(sse2) + ", portable " + ::testing::PrintToString(portable);
}

TEST(ByteScan, BothFormsAgreeAtEveryLengthAlignmentAndPlace) {
    // Bytes the scans look for, white space of each kind and bytes that only look near them.
    const std::string marks("<&>/ \"'\t\n\v\f\r\x04\xff\0a=;\x08\x0e" "09:\x80\x7f", 25);
    for (std::size_t align = 0; align < 16; ++align)
        for (std::size_t length = 0; length <= 64; ++length) {
            // The text ends its allocation: AddressSanitizer sees a read past it.
            std::vector<char> buffer(align + length);
            char* const p = buffer.data() + align;
            // Each mark at each place among plain text, white space (where
            // skipWhite stops at the mark) and "<" (a mark after one).
            for (const char filler : {'x', ' ', '<'})
                for (const char mark : filler == '<' ? std::string("/!?x") : marks)
                    for (std::size_t place = 0; place < length; ++place) {
                        std::fill(p, p + length, filler);
                        p[place] = mark;
                        ASSERT_EQ(disagreement(p, p + length), "") << "alignment " << align << ", length " << length
                                                                    << ", byte " << int(mark) << " at " << place
                                                                    << " among '" << filler << "'";
                    }
        }
}

// Each corpus file from each of its first 16 bytes on (every alignment).
TEST(ByteScan, BothFormsAgreeOnTheFuzzCorpora) {
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(TC_SOURCE_DIR "/tests/fuzz/corpus")) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        for (std::size_t from = 0; from < std::min<std::size_t>(text.size(), 16) + 1; ++from)
            EXPECT_EQ(disagreement(text.data() + from, text.data() + text.size()), "") << entry.path() << " from " << from;
        ++files;
    }
    EXPECT_GT(files, 100u);
}

}  // namespace
}  // namespace protocol::bytes
#endif
