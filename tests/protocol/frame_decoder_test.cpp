// The byte de-framer of the TCP session, the unwrapped texts and the ZeroMQ
// replies: frames cut anywhere, bytes outside frames, the cap, re-entry.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/log.h"
#include "protocol/frame_decoder.h"
#include "protocol/message_base.h"

#define FS "\x01"
#define FE "\x03"
#define FX "\x02"

namespace protocol {
namespace {

struct Collect {
    std::vector<std::string> frames;
    bool feed(FrameDecoder& d, const std::string& bytes) {
        return d.feed(bytes, [this](std::string_view f) { frames.emplace_back(f); });
    }
};

TEST(FrameDecoder, SplitsChunksIntoFrames) {
    FrameDecoder dec;
    EXPECT_EQ(dec.feed(FS "A" FX FS "B"), std::vector<std::string>{"A"});
    EXPECT_EQ(dec.tail(), FS "B");
    EXPECT_TRUE(dec.insideFrame());
    EXPECT_EQ(dec.feed("C" FX), std::vector<std::string>{"BC"});
    EXPECT_EQ(dec.tail(), "");
    EXPECT_FALSE(dec.insideFrame());

    // Two frames in one chunk, then a frame cut in three.
    EXPECT_EQ(dec.feed(FS "1" FE "x" FX FS "2" FE "y" FX), (std::vector<std::string>{"1" FE "x", "2" FE "y"}));
    EXPECT_TRUE(dec.feed(FS "8" FE "10=").empty());
    EXPECT_TRUE(dec.feed("10").empty());
    EXPECT_EQ(dec.feed("18" FE FX), std::vector<std::string>{"8" FE "10=1018" FE});
}

TEST(FrameDecoder, ReadEndingRightAfterStartByteDoesNotMergeFrames) {
    FrameDecoder dec;
    // The complete frame is delivered; the lone start byte stays as the tail.
    EXPECT_EQ(dec.feed(FS "4" FE "10=18" FE FX FS), std::vector<std::string>{"4" FE "10=18" FE});
    EXPECT_EQ(dec.tail(), FS);
    EXPECT_EQ(dec.feed("4" FE "10=1019" FE FX), std::vector<std::string>{"4" FE "10=1019" FE});
    // A chunk that starts with a start byte after a tail of one.
    EXPECT_TRUE(dec.feed(FS).empty());
    EXPECT_EQ(dec.feed(FS "C" FX), std::vector<std::string>{"C"});
}

TEST(FrameDecoder, CharacterSplitAcrossReadsIsKept) {
    FrameDecoder dec;
    std::vector<MessageBase> got;
    auto sink = [&](MessageBase&& m) { got.push_back(std::move(m)); };
    const std::string frame = FS "0" FE "10=603" FE "17=caf\xC3\xA9" FE FX;
    // Cut inside the two-byte character.
    const std::size_t cut = frame.find('\xC3') + 1;
    EXPECT_TRUE(dec.feedMessages(frame.substr(0, cut), sink));
    EXPECT_TRUE(got.empty());
    EXPECT_TRUE(dec.feedMessages(frame.substr(cut), sink));
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].messagetype(), 603);
    EXPECT_EQ(*got[0].messageDataDictionary().find(17), "caf\xC3\xA9");
}

TEST(FrameDecoder, EveryByteAtATime) {
    FrameDecoder dec;
    Collect c;
    const std::string stream = FS "a" FX FS "bb" FX FS "ccc" FX;
    for (char ch : stream) c.feed(dec, std::string(1, ch));
    EXPECT_EQ(c.frames, (std::vector<std::string>{"a", "bb", "ccc"}));
}

TEST(FrameDecoder, BytesOutsideFramesAreDroppedAndLogged) {
    std::vector<std::string> logged;
    platform::Log::setSink([&](platform::LogLevel, const std::string& m) { logged.push_back(m); });
    FrameDecoder dec;
    Collect c;
    EXPECT_TRUE(c.feed(dec, "junk" FS "A" FX "noise" FE FS "B" FX "tail"));
    platform::Log::setSink(nullptr);
    EXPECT_EQ(c.frames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(dec.droppedBytes(), 4u + 6u + 4u);
    EXPECT_FALSE(dec.insideFrame());
    EXPECT_EQ(logged, std::vector<std::string>{"Dropped 14 bytes outside any frame"});

    // Text without any start byte is not kept for later: it never joins a frame.
    EXPECT_TRUE(dec.feed("partial").empty());
    EXPECT_EQ(dec.tail(), "");
    EXPECT_TRUE(dec.feed(" text" FX).empty());
    EXPECT_EQ(dec.feed(FS "C" FX), std::vector<std::string>{"C"});
    EXPECT_EQ(dec.droppedBytes(), 14u + 7u + 6u);
    dec.reset();
    EXPECT_EQ(dec.droppedBytes(), 0u);
}

TEST(FrameDecoder, StartByteInsideAFrameBeginsTheNextOne) {
    FrameDecoder dec;
    EXPECT_EQ(dec.feed(FS "A" FS "B" FX), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(dec.feed(FS "C"), std::vector<std::string>{});
    EXPECT_EQ(dec.feed(FS "D" FX), (std::vector<std::string>{"C", "D"}));
}

TEST(FrameDecoder, EmptyFramesAndStrayEndBytesAreDropped) {
    FrameDecoder dec;
    EXPECT_EQ(dec.feed(FS FS "A" FX FX FS FX), std::vector<std::string>{"A"});
    EXPECT_EQ(dec.tail(), "");
    EXPECT_EQ(dec.feed(FS FX FS FS "A" FX), std::vector<std::string>{"A"});
}

TEST(FrameDecoder, UnfinishedFrameWaitsForTheRest) {
    FrameDecoder dec;
    EXPECT_TRUE(dec.feed(FS "10=1").empty());
    EXPECT_EQ(dec.tail(), FS "10=1");
    EXPECT_EQ(dec.feed("8" FE FX), std::vector<std::string>{"10=18" FE});
    EXPECT_EQ(dec.tail(), "");
}

TEST(FrameDecoder, FrameCapJustUnderAndOver) {
    {
        FrameDecoder dec(8);
        Collect c;
        EXPECT_TRUE(c.feed(dec, FS "1234"));
        EXPECT_TRUE(c.feed(dec, "5678"));  // exactly at the cap
        EXPECT_EQ(dec.tail().size(), 9u);
        EXPECT_TRUE(c.feed(dec, FX));
        EXPECT_TRUE(c.feed(dec, FS "abcdefgh" FX));  // at the cap in one chunk
        EXPECT_EQ(c.frames, (std::vector<std::string>{"12345678", "abcdefgh"}));
    }
    {
        FrameDecoder dec(8);
        Collect c;
        EXPECT_TRUE(c.feed(dec, FS "1234"));
        EXPECT_FALSE(c.feed(dec, "56789"));  // one over
        EXPECT_TRUE(c.frames.empty());
        EXPECT_EQ(dec.tail(), "");
        // The rest of the dropped frame is skipped up to the next start byte.
        EXPECT_TRUE(c.feed(dec, "ccc" FX "ddd" FS "E" FX));
        EXPECT_EQ(c.frames, std::vector<std::string>{"E"});
        // One over in a single chunk is refused alike; what follows still arrives.
        EXPECT_FALSE(c.feed(dec, FS "123456789" FX FS "F" FX));
        EXPECT_EQ(c.frames, (std::vector<std::string>{"E", "F"}));
    }
}

TEST(FrameDecoder, LargeStreamWithoutEndByteIsRefused) {
    FrameDecoder dec;  // default cap
    Collect c;
    const std::string chunk(1 << 20, 'x');
    bool ok = c.feed(dec, FS);
    int reads = 0;
    while (ok && reads < 64) {
        ok = c.feed(dec, chunk);
        ++reads;
    }
    EXPECT_FALSE(ok);
    EXPECT_LE(reads, 17);
    EXPECT_TRUE(c.frames.empty());
    EXPECT_EQ(dec.tail(), "");
}

TEST(FrameDecoder, LargeFrameInSmallChunks) {
    FrameDecoder dec;
    const std::string payload(200000, 'x');
    const std::string frame = FS "0" FE "1050=" + payload + FE FX;
    std::vector<std::string> out;
    for (std::size_t i = 0; i < frame.size(); i += 1000) {
        auto part = dec.feed(std::string_view(frame).substr(i, 1000));
        out.insert(out.end(), part.begin(), part.end());
    }
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].size(), frame.size() - 2);
    // The large frame's buffer went with it; a later split frame still joins.
    EXPECT_LE(dec.tail().capacity(), FrameDecoder::kKeptTailBytes);
    EXPECT_TRUE(dec.feed(FS "0" FE "1050=a").empty());
    EXPECT_EQ(dec.feed("b" FE FX), std::vector<std::string>{"0" FE "1050=ab" FE});
}

TEST(FrameDecoder, RefusesToBeFedFromItsOwnCallback) {
    FrameDecoder dec;
    std::vector<std::string> got;
    bool inner = true;
    EXPECT_TRUE(dec.feed(FS "A" FX FS "B" FX, [&](std::string_view f) {
        got.emplace_back(f);
        inner = dec.feed(FS "X" FX, [&](std::string_view g) { got.emplace_back(g); });
    }));
    EXPECT_FALSE(inner);
    EXPECT_EQ(got, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(dec.feed(FS "C" FX), std::vector<std::string>{"C"});
}

TEST(FrameDecoder, ChunkBoundariesDoNotChangeTheFrames) {
    // Well-formed streams, with bytes between the frames, cut at random places
    // give the frames of the whole stream.
    std::uint32_t seed = 12345;
    auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) & 0xFFFFu;
    };
    auto randomBytes = [&](int len, bool endByteAllowed) {
        std::string out;
        for (int i = 0; i < len; ++i) {
            char c = static_cast<char>(next() % 256);
            if (c == '\x01' || (c == '\x02' && !endByteAllowed)) c = 'z';
            out.push_back(c);
        }
        return out;
    };
    for (int round = 0; round < 200; ++round) {
        std::string stream;
        std::vector<std::string> expected;
        const int frames = 1 + static_cast<int>(next() % 6);
        for (int f = 0; f < frames; ++f) {
            if (round % 2) stream += randomBytes(static_cast<int>(next() % 5), true);
            const std::string body = randomBytes(1 + static_cast<int>(next() % 40), false);
            expected.push_back(body);
            stream += FS + body + FX;
        }
        FrameDecoder dec;
        std::vector<std::string> got;
        std::size_t pos = 0;
        while (pos < stream.size()) {
            const std::size_t n = std::min<std::size_t>(stream.size() - pos, 1 + next() % 17);
            for (auto& f : dec.feed(std::string_view(stream).substr(pos, n))) got.push_back(f);
            pos += n;
        }
        ASSERT_EQ(got, expected) << "round " << round;
        EXPECT_EQ(dec.tail(), "");
    }
}

}  // namespace
}  // namespace protocol
