// The stream de-framer of the TCP session.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "protocol/connection_base.h"

namespace protocol {
namespace {

struct Collect {
    std::vector<std::string> frames;
    bool feed(FrameReader& r, const std::string& bytes) {
        return r.append(bytes, [this](std::string&& f) { frames.push_back(std::move(f)); });
    }
};

TEST(FrameReader, ReadEndingRightAfterStartByteDoesNotMergeFrames) {
    FrameReader r;
    Collect c;
    c.feed(r, "\x01" "4\x03" "10=18\x03\x02\x01");
    ASSERT_EQ(c.frames.size(), 1u);
    c.feed(r, "4\x03" "10=1019\x03\x02");
    ASSERT_EQ(c.frames.size(), 2u);
    EXPECT_EQ(c.frames[0], "4\x03" "10=18\x03");
    EXPECT_EQ(c.frames[1], "4\x03" "10=1019\x03");
}

TEST(FrameReader, CharacterSplitAcrossReadsIsKept) {
    FrameReader r;
    Collect c;
    const std::string body = "4\x03" "17=\xC3\xA9t\xC3\xA9\x03";  // "été"
    const std::string frame = "\x01" + body + "\x02";
    // Cut inside the first two-byte character.
    std::size_t cut = frame.find('\xC3') + 1;
    c.feed(r, frame.substr(0, cut));
    EXPECT_TRUE(c.frames.empty());
    c.feed(r, frame.substr(cut));
    ASSERT_EQ(c.frames.size(), 1u);
    EXPECT_EQ(c.frames[0], body);
}

TEST(FrameReader, EveryByteAtATime) {
    FrameReader r;
    Collect c;
    std::string stream = "\x01" "a\x02" "\x01" "bb\x02" "\x01" "ccc\x02";
    for (char ch : stream) c.feed(r, std::string(1, ch));
    EXPECT_EQ(c.frames, (std::vector<std::string>{"a", "bb", "ccc"}));
}

TEST(FrameReader, GarbageBetweenFramesIsDropped) {
    FrameReader r;
    Collect c;
    c.feed(r, "junk\x01" "A\x02" "noise\x03\x01" "B\x02" "tail");
    EXPECT_EQ(c.frames, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(r.droppedBytes(), 4u + 6u + 4u);
    EXPECT_FALSE(r.insideFrame());
}

TEST(FrameReader, StartByteInsideAFrameBeginsTheNextOne) {
    FrameReader r;
    Collect c;
    c.feed(r, "\x01" "A\x01" "B\x02");
    EXPECT_EQ(c.frames, (std::vector<std::string>{"A", "B"}));
}

TEST(FrameReader, EmptyFramesAreDropped) {
    FrameReader r;
    Collect c;
    c.feed(r, "\x01\x02\x01\x01" "A\x02");
    EXPECT_EQ(c.frames, (std::vector<std::string>{"A"}));
}

TEST(FrameReader, UnfinishedFrameWaitsForTheRest) {
    FrameReader r;
    Collect c;
    c.feed(r, "\x01" "10=1");
    EXPECT_TRUE(c.frames.empty());
    EXPECT_EQ(r.tail(), "10=1");
    c.feed(r, "8\x03\x02");
    EXPECT_EQ(c.frames, (std::vector<std::string>{"10=18\x03"}));
    EXPECT_EQ(r.tail(), "");
}

TEST(FrameReader, TailCapJustUnderAndOver) {
    {
        FrameReader r(8);
        Collect c;
        EXPECT_TRUE(c.feed(r, "\x01" "1234"));
        EXPECT_TRUE(c.feed(r, "5678\x02"));  // exactly at the cap
        EXPECT_EQ(c.frames, (std::vector<std::string>{"12345678"}));
    }
    {
        FrameReader r(8);
        Collect c;
        EXPECT_TRUE(c.feed(r, "\x01" "1234"));
        EXPECT_FALSE(c.feed(r, "56789"));  // one over
        EXPECT_TRUE(c.frames.empty());
        EXPECT_EQ(r.tail(), "");
    }
}

TEST(FrameReader, LargeStreamWithoutEndByteIsRefused) {
    FrameReader r;  // default cap
    Collect c;
    std::string chunk(1 << 20, 'x');
    bool ok = c.feed(r, "\x01");
    int reads = 0;
    while (ok && reads < 64) {
        ok = c.feed(r, chunk);
        ++reads;
    }
    EXPECT_FALSE(ok);
    EXPECT_LE(reads, 17);
    EXPECT_TRUE(c.frames.empty());
}

}  // namespace
}  // namespace protocol
