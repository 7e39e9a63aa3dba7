#include "support/async_socket/gcd_async_socket_packets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/async_socket/gcd_async_socket.h"
#include "support/async_socket/gcd_async_socket_pre_buffer.h"

namespace {

using support::ByteBuffer;
using support::GCDAsyncReadPacket;
using support::GCDAsyncSocketPreBuffer;

const ByteBuffer kCRLF{0x0D, 0x0A};

void fill(GCDAsyncSocketPreBuffer& pre, const ByteBuffer& data) {
    pre.ensureCapacityForWrite(data.size());
    std::memcpy(pre.writeBuffer(), data.data(), data.size());
    pre.didWrite(data.size());
}

// Moves n bytes from the pre-buffer into the packet, as the read engine does.
void move(GCDAsyncReadPacket& packet, GCDAsyncSocketPreBuffer& pre, std::size_t n) {
    packet.ensureCapacityForAdditionalDataOfLength(n);
    std::memcpy(packet.writePosition(), pre.readBuffer(), n);
    pre.didRead(n);
    packet.bytesDone += n;
}

TEST(GCDAsyncSocketConstants, TerminatorBytes) {
    EXPECT_EQ(support::GCDAsyncSocket::CRLFData(), (ByteBuffer{0x0D, 0x0A}));
    EXPECT_EQ(support::GCDAsyncSocket::CRData(), (ByteBuffer{0x0D}));
    EXPECT_EQ(support::GCDAsyncSocket::LFData(), (ByteBuffer{0x0A}));
    EXPECT_EQ(support::GCDAsyncSocket::ZeroData(), (ByteBuffer{0x00}));
}

TEST(GCDAsyncSocketPreBuffer, GrowsKeepsOffsetsAndRewindsWhenDrained) {
    GCDAsyncSocketPreBuffer pre(4);
    fill(pre, {1, 2, 3});
    pre.didRead(1);
    fill(pre, {4, 5, 6});  // needs 2 more than the 1 byte left at the end
    EXPECT_EQ(pre.size(), 6u);
    ASSERT_EQ(pre.availableBytes(), 5u);
    EXPECT_EQ(pre.readBuffer()[0], 2);
    EXPECT_EQ(pre.readBuffer()[4], 6);
    pre.didRead(5);
    EXPECT_EQ(pre.availableBytes(), 0u);
    EXPECT_EQ(pre.availableSpace(), 6u);
}

TEST(GCDAsyncReadPacket, TwoLinesInOnePreBufferGiveTwoReads) {
    GCDAsyncSocketPreBuffer pre(4096);
    fill(pre, {0x41, 0x0D, 0x0A, 0x42, 0x0D, 0x0A});
    GCDAsyncReadPacket first(nullptr, 0, 0, -1, 0, kCRLF, 1);
    bool found = false;
    EXPECT_EQ(first.readLengthForTermWithPreBuffer(pre, &found), 3u);
    EXPECT_TRUE(found);
    move(first, pre, 3);
    GCDAsyncReadPacket second(nullptr, 0, 0, -1, 0, kCRLF, 2);
    EXPECT_EQ(second.readLengthForTermWithPreBuffer(pre, &found), 3u);
    EXPECT_TRUE(found);
    move(second, pre, 3);
    EXPECT_EQ(*second.buffer, (ByteBuffer{0x42, 0x0D, 0x0A}));
}

TEST(GCDAsyncReadPacket, TerminatorStraddlingPacketAndPreBuffer) {
    GCDAsyncSocketPreBuffer pre(4096);
    GCDAsyncReadPacket packet(nullptr, 0, 0, -1, 0, kCRLF, 0);
    fill(pre, {0x41, 0x0D});
    bool found = true;
    EXPECT_EQ(packet.readLengthForTermWithPreBuffer(pre, &found), 2u);
    EXPECT_FALSE(found);
    move(packet, pre, 2);
    fill(pre, {0x0A, 0x42});
    EXPECT_EQ(packet.readLengthForTermWithPreBuffer(pre, &found), 1u);  // only the 0A belongs to this read
    EXPECT_TRUE(found);

    // A three-byte terminator split two ways: "ab" already read, "c" arriving.
    GCDAsyncReadPacket abc(nullptr, 0, 0, -1, 0, ByteBuffer{'a', 'b', 'c'}, 0);
    GCDAsyncSocketPreBuffer pre2(16);
    fill(pre2, {'x', 'a', 'b'});
    EXPECT_EQ(abc.readLengthForTermWithPreBuffer(pre2, &found), 3u);
    EXPECT_FALSE(found);
    move(abc, pre2, 3);
    fill(pre2, {'c', 'y'});
    EXPECT_EQ(abc.readLengthForTermWithPreBuffer(pre2, &found), 1u);
    EXPECT_TRUE(found);
}

TEST(GCDAsyncReadPacket, PreBufferSearchStopsAtMaximum) {
    GCDAsyncSocketPreBuffer pre(4096);
    fill(pre, ByteBuffer(12, 'x'));
    GCDAsyncReadPacket packet(nullptr, 0, 10, -1, 0, kCRLF, 0);
    bool found = true;
    EXPECT_EQ(packet.readLengthForTermWithPreBuffer(pre, &found), 10u);
    EXPECT_FALSE(found);

    // The terminator just past the maximum is not taken.
    GCDAsyncSocketPreBuffer pre2(4096);
    fill(pre2, {'1', '2', '3', 0x0D, 0x0A});
    GCDAsyncReadPacket small(nullptr, 0, 4, -1, 0, kCRLF, 0);
    EXPECT_EQ(small.readLengthForTermWithPreBuffer(pre2, &found), 4u);
    EXPECT_FALSE(found);
    // Within the maximum it is found.
    GCDAsyncReadPacket exact(nullptr, 0, 5, -1, 0, kCRLF, 0);
    EXPECT_EQ(exact.readLengthForTermWithPreBuffer(pre2, &found), 5u);
    EXPECT_TRUE(found);
}

TEST(GCDAsyncReadPacket, SearchAfterReadingIntoPacketCountsSurplus) {
    auto buffer = std::make_shared<ByteBuffer>(ByteBuffer{'#', 'A', 'B', 0x0D});
    // Caller's buffer, data from offset 1; "AB\r" already read.
    GCDAsyncReadPacket packet(buffer, 1, 0, -1, 0, kCRLF, 0);
    packet.bytesDone = 3;
    packet.ensureCapacityForAdditionalDataOfLength(3);
    EXPECT_EQ(buffer->size(), 7u);
    const ByteBuffer incoming{0x0A, 'C', 'D'};
    std::memcpy(packet.writePosition(), incoming.data(), incoming.size());
    EXPECT_EQ(packet.searchForTermAfterPreBuffering(3), 2);  // "CD" follows the terminator
    EXPECT_EQ((*buffer)[0], '#');                            // bytes before the offset untouched
    EXPECT_EQ(packet.originalBufferLength, 4u);

    GCDAsyncReadPacket none(nullptr, 0, 0, -1, 0, kCRLF, 0);
    none.ensureCapacityForAdditionalDataOfLength(4);
    std::memcpy(none.writePosition(), "ab\rc", 4);
    EXPECT_EQ(none.searchForTermAfterPreBuffering(4), -1);
}

TEST(GCDAsyncReadPacket, NonTerminatorLengths) {
    GCDAsyncReadPacket exact(nullptr, 0, 0, -1, 10, {}, 0);
    EXPECT_EQ(exact.buffer->size(), 10u);
    exact.bytesDone = 4;
    EXPECT_EQ(exact.readLengthForNonTermWithHint(100), 6u);
    EXPECT_EQ(exact.readLengthForNonTermWithHint(3), 3u);

    GCDAsyncReadPacket capped(nullptr, 0, 4, -1, 0, {}, 0);
    EXPECT_EQ(capped.readLengthForNonTermWithHint(10), 4u);
    GCDAsyncReadPacket open(nullptr, 0, 0, -1, 0, {}, 0);
    EXPECT_EQ(open.readLengthForNonTermWithHint(70000), 70000u);

    bool preBuffer = false;
    GCDAsyncReadPacket term(nullptr, 0, 8, -1, 0, kCRLF, 0);
    EXPECT_EQ(term.readLengthForTermWithHint(100, &preBuffer), 8u);
    EXPECT_TRUE(preBuffer);  // an own buffer has no room yet
}

}  // namespace
