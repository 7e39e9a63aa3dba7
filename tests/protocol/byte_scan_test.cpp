// The byte scans' portable and SSE2 forms give the same answers: on every
// length up to 64 at every alignment, with the bytes they look for at each
// place, and on every input of the fuzz corpora.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "protocol/byte_scan.h"
#include "protocol/separator_bytes.h"

namespace protocol::bytes {
namespace {

// The answers of one form over one text: offsets of the scans the readers make, and counts.
struct Answers {
    std::array<std::ptrdiff_t, 5> offsets{};
    std::array<std::size_t, 4> counts{};
    bool operator==(const Answers&) const = default;
};

template <bool Sse2>
Answers scan(const char* p, const char* end) {
    Answers a;
    std::size_t n = 0;
    auto at = [&](const char* q) { a.offsets[n++] = q - p; };
#if defined(__SSE2__)
    if constexpr (Sse2) {
        at(firstOfSse2<'<'>(p, end));
        at(firstOfSse2<'<', '&', '\0'>(p, end));
        at(firstOfSse2<'>', '<', '\0', ' ', '/'>(p, end));
        at(firstOfSse2<TickFieldByte>(p, end));
        at(skipWhiteSse2(p, end));
        a.counts = {countOfSse2(p, end, ByteSet<'"', '\''>{}), countOfSse2(p, end, ByteSet<'<'>{}),
                    countOfSse2(p, end, ByteSet<'\xff'>{}), countOfSse2(p, end, ByteSet<'<'>{}, ByteSet<'/', '!', '?'>{})};
        return a;
    }
#endif
    at(firstOfPortable<'<'>(p, end));
    at(firstOfPortable<'<', '&', '\0'>(p, end));
    at(firstOfPortable<'>', '<', '\0', ' ', '/'>(p, end));
    at(firstOfPortable<TickFieldByte>(p, end));
    at(skipWhitePortable(p, end));
    a.counts = {countOfPortable(p, end, ByteSet<'"', '\''>{}), countOfPortable(p, end, ByteSet<'<'>{}),
                countOfPortable(p, end, ByteSet<'\xff'>{}), countOfPortable(p, end, ByteSet<'<'>{}, ByteSet<'/', '!', '?'>{})};
    return a;
}

// Whether both forms answer alike on [p, end).
bool sameAnswers(const char* p, const char* end) {
#if defined(__SSE2__)
    return scan<true>(p, end) == scan<false>(p, end);
#else
    (void)p, (void)end;
    return true;
#endif
}

TEST(ByteScan, BothFormsAgreeAtEveryLengthAlignmentAndPlace) {
    // Bytes the scans look for, white space of each kind and bytes that only look near them.
    const std::string marks = std::string("<&>/ \"'\t\n\v\f\r\x04\xff", 15) + std::string(1, '\0') + "a=;\x08\x0e";
    for (std::size_t align = 0; align < 16; ++align)
        for (std::size_t length = 0; length <= 64; ++length) {
            // The text ends its allocation: AddressSanitizer sees a read past it.
            std::vector<char> buffer(align + length);
            char* const p = buffer.data() + align;
            // One filler byte with each mark at each place: plain text, white
            // space (where skipWhite stops at the mark) and "<" (a mark after one).
            for (const char filler : {'x', ' ', '<'})
                for (std::size_t place = 0; place < length; ++place)
                    for (const char mark : filler == '<' ? std::string("/!?x") : marks) {
                        std::fill(p, p + length, filler);
                        p[place] = mark;
                        if (!sameAnswers(p, p + length)) {
                            ADD_FAILURE() << "alignment " << align << ", length " << length << ", byte "
                                          << int(mark) << " at " << place << " among '" << filler << "'";
                            return;
                        }
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
            EXPECT_TRUE(sameAnswers(text.data() + from, text.data() + text.size())) << entry.path() << " from " << from;
        ++files;
    }
    EXPECT_GT(files, 100u);
}

}  // namespace
}  // namespace protocol::bytes
