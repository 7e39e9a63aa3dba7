#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cmath>
#include <csignal>
#include <thread>

#include "support/socket_test_fixture.h"

namespace {

using support::ByteBuffer;
using support::GCDAsyncSocket;
using support::SocketError;
using testsupport::bytes;
using testsupport::LoopbackServer;
using testsupport::SocketEvent;
using IoTest = testsupport::SocketTest;
using Kind = SocketEvent::Kind;

std::vector<std::string> readData(const std::vector<SocketEvent>& reads) {
    std::vector<std::string> out;
    for (auto& r : reads) out.push_back(r.data);
    return out;
}

TEST_F(IoTest, EchoServesEveryReadKindInOrder) {
    LoopbackServer server;
    connectTo(server);
    server.startEcho();
    sock->writeData(bytes("hello\r\nworld"), -1, 1);
    sock->readDataToData(GCDAsyncSocket::CRLFData(), -1, 10);
    sock->readDataToLength(3, -1, 11);
    sock->readDataWithTimeout(-1, nullptr, 0, 2, 12);
    ASSERT_TRUE(delegate->waitFor(Kind::Read, 3));
    auto reads = delegate->eventsOf(Kind::Read);
    EXPECT_EQ(readData(reads), (std::vector<std::string>{"hello\r\n", "wor", "ld"}));
    EXPECT_EQ(reads[0].tag, 10);
    EXPECT_EQ(reads[1].tag, 11);
    EXPECT_EQ(reads[2].tag, 12);
    EXPECT_EQ(delegate->eventsOf(Kind::Write).at(0).tag, 1);
    // The connect call came first of all.
    EXPECT_EQ(delegate->events().front().kind, Kind::Connect);
}

TEST_F(IoTest, ReadIssuedFromReadCallbackSeesLaterBytes) {
    LoopbackServer server;
    connectTo(server);
    std::atomic<int> seen{0};
    delegate->onRead = [&](GCDAsyncSocket* s, const std::string&, std::int64_t tag) {
        if (++seen < 3) s->readDataWithTimeout(30.0, tag + 1);
    };
    sock->readDataWithTimeout(-1, 0);
    for (int i = 0; i < 3; ++i) {
        server.send("chunk" + std::to_string(i));
        ASSERT_TRUE(delegate->waitFor(Kind::Read, static_cast<std::size_t>(i + 1)));
    }
    auto reads = delegate->eventsOf(Kind::Read);
    EXPECT_EQ(readData(reads), (std::vector<std::string>{"chunk0", "chunk1", "chunk2"}));
    EXPECT_EQ(reads[2].tag, 2);
}

TEST_F(IoTest, ReadQueuedBeforeConnectIsDiscarded) {
    LoopbackServer server;
    sock->readDataWithTimeout(-1, 99);
    connectTo(server);
    server.send("abc");
    sock->readDataWithTimeout(-1, 1);
    ASSERT_TRUE(delegate->waitFor(Kind::Read));
    auto reads = delegate->eventsOf(Kind::Read);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].tag, 1);
    EXPECT_EQ(reads[0].data, "abc");
}

TEST_F(IoTest, TerminatorReads) {
    LoopbackServer server;
    connectTo(server);
    // Two lines in one segment.
    server.send("A\r\nB\r\n");
    sock->readDataToData(GCDAsyncSocket::CRLFData(), -1, 1);
    sock->readDataToData(GCDAsyncSocket::CRLFData(), -1, 2);
    ASSERT_TRUE(delegate->waitFor(Kind::Read, 2));
    EXPECT_EQ(readData(delegate->eventsOf(Kind::Read)), (std::vector<std::string>{"A\r\n", "B\r\n"}));

    // A terminator split across two segments.
    sock->readDataToData(GCDAsyncSocket::CRLFData(), -1, 3);
    server.send("C\r");
    ASSERT_TRUE(delegate->waitFor(Kind::ReadPartial));
    EXPECT_EQ(delegate->eventsOf(Kind::ReadPartial)[0].length, 2u);
    server.send("\nD");
    ASSERT_TRUE(delegate->waitFor(Kind::Read, 3));
    EXPECT_EQ(delegate->eventsOf(Kind::Read)[2].data, "C\r\n");
    // The byte after the terminator waits in the pre-buffer for the next read.
    sock->readDataToLength(1, -1, 4);
    ASSERT_TRUE(delegate->waitFor(Kind::Read, 4));
    EXPECT_EQ(delegate->eventsOf(Kind::Read)[3].data, "D");
}

TEST_F(IoTest, TerminatorReadIntoCallerBufferKeepsSurplus) {
    LoopbackServer server;
    connectTo(server);
    auto buffer = std::make_shared<ByteBuffer>(bytes("#####"));
    buffer->reserve(64);
    buffer->resize(32, 'z');  // room to read straight into the buffer
    server.send("xy\nrest");
    sock->readDataToData(GCDAsyncSocket::LFData(), -1, buffer, 5, 1);
    ASSERT_TRUE(delegate->waitFor(Kind::Read));
    EXPECT_EQ(delegate->eventsOf(Kind::Read)[0].data, "xy\n");
    delegateQueue->sync([] {});
    EXPECT_EQ(std::string(buffer->begin(), buffer->begin() + 8), "#####xy\n");
    EXPECT_EQ(buffer->size(), 32u);  // never cut below its original length
    sock->readDataToLength(4, -1, 2);
    ASSERT_TRUE(delegate->waitFor(Kind::Read, 2));
    EXPECT_EQ(delegate->eventsOf(Kind::Read)[1].data, "rest");
}

TEST_F(IoTest, AnyAmountIntoCallerBufferAtOffset) {
    LoopbackServer server;
    connectTo(server);
    auto buffer = std::make_shared<ByteBuffer>(bytes("ab"));
    server.send("cdef");
    sock->readDataWithTimeout(-1, buffer, 2, 3);
    ASSERT_TRUE(delegate->waitFor(Kind::Read));
    delegateQueue->sync([] {});
    EXPECT_EQ(delegate->eventsOf(Kind::Read)[0].data, "cdef");
    EXPECT_EQ(std::string(buffer->begin(), buffer->end()), "abcdef");

    // An offset past the end drops the request.
    sock->readDataWithTimeout(-1, buffer, 7, 4);
    sock->readDataToLength(0, -1, 5);
    sock->readDataToData(ByteBuffer(), -1, 6);
    sock->readDataToData(GCDAsyncSocket::CRLFData(), -1, 1, 7);  // maximum below terminator length
    settle();
    float p = sock->progressOfReadReturningTag(nullptr, nullptr, nullptr);
    EXPECT_TRUE(std::isnan(p));
}

TEST_F(IoTest, TerminatorMaximumWithoutTerminatorGivesCode6) {
    LoopbackServer server;
    connectTo(server);
    server.send("0123456789");
    sock->readDataToData(GCDAsyncSocket::CRLFData(), -1, 10, 1);
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->code, 6);
    EXPECT_EQ(e->message, "Read operation reached set maximum length");
    EXPECT_EQ(delegate->count(Kind::Read), 0u);
}

TEST_F(IoTest, AnyAmountWithMaximumGivesMaximumThenRest) {
    LoopbackServer server;
    connectTo(server);
    server.send("0123456789");
    sock->readDataWithTimeout(-1, nullptr, 0, 4, 1);
    sock->readDataWithTimeout(-1, 2);
    ASSERT_TRUE(delegate->waitFor(Kind::Read, 2));
    EXPECT_EQ(readData(delegate->eventsOf(Kind::Read)), (std::vector<std::string>{"0123", "456789"}));
}

TEST_F(IoTest, FloodAgainstTerminatorMaximumStopsAtMaximum) {
    LoopbackServer server;
    connectTo(server);
    constexpr std::size_t kMax = 64 * 1024;
    constexpr std::size_t kFlood = 100u * 1024 * 1024;
    std::atomic<std::size_t> sent{0};
    std::thread flood([&] {
        std::string chunk(1 << 16, 'x');
        while (sent < kFlood) {
            const ssize_t n = ::send(server.connection(), chunk.data(), chunk.size(), MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += static_cast<std::size_t>(n);
        }
    });
    sock->readDataToData(GCDAsyncSocket::CRLFData(), -1, kMax, 1);
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect, 1, 10000));
    flood.join();
    EXPECT_EQ(delegate->eventsOf(Kind::Disconnect)[0].error->code, 6);
    std::size_t partial = 0;
    for (auto& e : delegate->eventsOf(Kind::ReadPartial)) partial += e.length;
    EXPECT_LE(partial, kMax);
    // The socket stopped taking bytes at the maximum and closed long before the flood ended.
    EXPECT_LT(sent.load(), kFlood);
}

TEST_F(IoTest, ReadTimeoutClosesWithCode4) {
    LoopbackServer server;
    connectTo(server);
    sock->readDataWithTimeout(30.0, 7);
    ASSERT_TRUE(waitForTimerAt(std::chrono::seconds(30)));
    clock->advance(std::chrono::milliseconds(29900));
    EXPECT_FALSE(delegate->waitFor(Kind::ReadTimeout, 1, 50));
    clock->advance(std::chrono::milliseconds(100));
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    auto asked = delegate->eventsOf(Kind::ReadTimeout);
    ASSERT_EQ(asked.size(), 1u);
    EXPECT_EQ(asked[0].tag, 7);
    EXPECT_DOUBLE_EQ(asked[0].elapsed, 30.0);
    auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->code, 4);
    EXPECT_EQ(e->message, "Read operation timed out");
}

TEST_F(IoTest, ReadTimeoutExtensionLetsTheReadRunLonger) {
    LoopbackServer server;
    connectTo(server);
    delegate->readExtensions = {10.0};
    sock->readDataToLength(4, 30.0, 1);
    server.send("ab");
    ASSERT_TRUE(delegate->waitFor(Kind::ReadPartial));
    ASSERT_TRUE(waitForTimerAt(std::chrono::seconds(30)));
    clock->advance(std::chrono::seconds(30));
    ASSERT_TRUE(delegate->waitFor(Kind::ReadTimeout));
    ASSERT_TRUE(waitForTimerAt(std::chrono::seconds(10)));
    EXPECT_EQ(delegate->count(Kind::Disconnect), 0u);
    clock->advance(std::chrono::milliseconds(9900));
    EXPECT_FALSE(delegate->waitFor(Kind::ReadTimeout, 2, 50));
    clock->advance(std::chrono::milliseconds(100));
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    auto asked = delegate->eventsOf(Kind::ReadTimeout);
    ASSERT_EQ(asked.size(), 2u);
    EXPECT_DOUBLE_EQ(asked[1].elapsed, 40.0);
    EXPECT_EQ(asked[1].length, 2u);
    EXPECT_EQ(delegate->eventsOf(Kind::Disconnect)[0].error->code, 4);
}

TEST_F(IoTest, ReadCompletingBeforeTimeoutCancelsIt) {
    LoopbackServer server;
    connectTo(server);
    sock->readDataWithTimeout(30.0, 1);
    server.send("x");
    ASSERT_TRUE(delegate->waitFor(Kind::Read));
    settle();
    clock->advance(std::chrono::seconds(60));
    settle();
    delegateQueue->sync([] {});
    EXPECT_EQ(delegate->count(Kind::Disconnect), 0u);
    EXPECT_TRUE(sock->isConnected());
}

TEST_F(IoTest, PeerCloseGivesCode7AndHalfDuplexKeepsWriting) {
    {
        LoopbackServer server;
        connectTo(server);
        sock->readDataWithTimeout(-1, 1);
        server.closeConnection();
        ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
        auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(e->code, 7);
        EXPECT_EQ(e->message, "Socket closed by remote peer");
    }
    LoopbackServer server;
    sock->setAutoDisconnectOnClosedReadStream(false);
    connectTo(server);
    server.send("last");
    server.shutdownWrite();
    sock->readDataWithTimeout(-1, 1);
    ASSERT_TRUE(delegate->waitFor(Kind::CloseReadStream));
    EXPECT_EQ(delegate->eventsOf(Kind::Read).back().data, "last");
    sock->writeData(bytes("still here"), -1, 2);
    EXPECT_EQ(server.receive(10), "still here");
    ASSERT_TRUE(delegate->waitFor(Kind::Write));
    EXPECT_EQ(delegate->count(Kind::Disconnect), 1u);
    EXPECT_TRUE(sock->isConnected());
}

TEST_F(IoTest, BytesLeftInPreBufferOutliveThePeerClose) {
    LoopbackServer server;
    connectTo(server);
    server.send("one\ntwo\n");
    server.closeConnection();
    sock->readDataToData(GCDAsyncSocket::LFData(), -1, 1);
    ASSERT_TRUE(delegate->waitFor(Kind::Read));
    sock->readDataToData(GCDAsyncSocket::LFData(), -1, 2);
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    EXPECT_EQ(readData(delegate->eventsOf(Kind::Read)), (std::vector<std::string>{"one\n", "two\n"}));
    EXPECT_EQ(delegate->eventsOf(Kind::Disconnect)[0].error->code, 7);
    // The disconnect follows the last read.
    EXPECT_EQ(delegate->events().back().kind, Kind::Disconnect);
}

TEST_F(IoTest, DisconnectAfterWritingSendsEverythingFirst) {
    LoopbackServer server;
    connectTo(server);
    const std::string big(1 << 20, 'b');
    sock->writeData(bytes("first"), -1, 1);
    sock->writeData(bytes(big), -1, 2);
    sock->disconnectAfterWriting();
    sock->writeData(bytes("ignored"), -1, 3);
    sock->readDataWithTimeout(-1, 4);
    EXPECT_EQ(server.receiveUntilClosed(), "first" + big);
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    delegateQueue->sync([] {});
    auto writes = delegate->eventsOf(Kind::Write);
    ASSERT_EQ(writes.size(), 2u);
    EXPECT_EQ(writes[0].tag, 1);
    EXPECT_EQ(writes[1].tag, 2);
    EXPECT_FALSE(delegate->eventsOf(Kind::Disconnect)[0].error.has_value());
    EXPECT_EQ(delegate->count(Kind::Read), 0u);
    EXPECT_EQ(delegate->events().back().kind, Kind::Disconnect);
}

TEST_F(IoTest, DisconnectAfterReadingWaitsForTheRead) {
    LoopbackServer server;
    connectTo(server);
    sock->readDataToLength(3, -1, 1);
    sock->disconnectAfterReading();
    sock->readDataToLength(1, -1, 2);  // refused
    settle();
    EXPECT_TRUE(sock->isConnected());
    server.send("xyzw");
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    auto reads = delegate->eventsOf(Kind::Read);
    ASSERT_EQ(reads.size(), 1u);
    EXPECT_EQ(reads[0].data, "xyz");
    EXPECT_FALSE(delegate->eventsOf(Kind::Disconnect)[0].error.has_value());
}

TEST_F(IoTest, DisconnectAfterReadingAndWritingWaitsForBoth) {
    LoopbackServer server;
    connectTo(server);
    sock->readDataToLength(2, -1, 1);
    sock->writeData(bytes("out"), -1, 2);
    sock->disconnectAfterReadingAndWriting();
    EXPECT_EQ(server.receive(3), "out");
    settle();
    EXPECT_TRUE(sock->isConnected());  // the read is still pending
    server.send("in");
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    EXPECT_EQ(delegate->eventsOf(Kind::Read)[0].data, "in");
}

TEST_F(IoTest, LargeWriteReportsPartialsAndProgress) {
    LoopbackServer server;
    connectTo(server);
    const std::size_t total = 32u << 20;  // more than the kernel buffers hold
    sock->writeData(ByteBuffer(total, 'w'), -1, 5);
    ASSERT_TRUE(delegate->waitFor(Kind::WritePartial));
    std::int64_t tag = 0;
    std::size_t done = 0, length = 0;
    const float progress = sock->progressOfWriteReturningTag(&tag, &done, &length);
    EXPECT_EQ(tag, 5);
    EXPECT_EQ(length, total);
    EXPECT_GT(done, 0u);
    EXPECT_LT(done, total);
    EXPECT_FLOAT_EQ(progress, static_cast<float>(static_cast<double>(done) / static_cast<double>(total)));

    EXPECT_EQ(server.receive(total).size(), total);
    ASSERT_TRUE(delegate->waitFor(Kind::Write));
    delegateQueue->sync([] {});
    std::size_t partialSum = 0;
    for (auto& e : delegate->eventsOf(Kind::WritePartial)) partialSum += e.length;
    EXPECT_LT(partialSum, total);
    auto events = delegate->events();
    EXPECT_EQ(events.back().kind, Kind::Write);  // partials come before completion
    EXPECT_TRUE(std::isnan(sock->progressOfWriteReturningTag(&tag, &done, &length)));
    EXPECT_EQ(done, 0u);
}

TEST_F(IoTest, ReadProgress) {
    LoopbackServer server;
    connectTo(server);
    std::int64_t tag = -1;
    std::size_t done = 9, total = 9;
    EXPECT_TRUE(std::isnan(sock->progressOfReadReturningTag(&tag, &done, &total)));
    EXPECT_EQ(done, 0u);

    sock->readDataWithTimeout(-1, 3);
    EXPECT_FLOAT_EQ(sock->progressOfReadReturningTag(&tag, &done, &total), 1.0f);
    EXPECT_EQ(tag, 3);
    server.send("a");
    ASSERT_TRUE(delegate->waitFor(Kind::Read));

    sock->readDataToLength(10, -1, 4);
    server.send("1234");
    ASSERT_TRUE(delegate->waitFor(Kind::ReadPartial));
    EXPECT_FLOAT_EQ(sock->progressOfReadReturningTag(&tag, &done, &total), 0.4f);
    EXPECT_EQ(done, 4u);
    EXPECT_EQ(total, 10u);
}

TEST_F(IoTest, WritingToClosedPeerIsAnErrorNotASignal) {
    auto previous = std::signal(SIGPIPE, SIG_DFL);
    LoopbackServer server;
    sock->setAutoDisconnectOnClosedReadStream(false);
    connectTo(server);
    server.shutdownWrite();
    ASSERT_TRUE(delegate->waitFor(Kind::CloseReadStream));
    server.closeConnection();
    for (int i = 0; i < 50 && delegate->count(Kind::Disconnect) == 0; ++i) {
        sock->writeData(ByteBuffer(65536, 'p'), -1, i);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->domain, "NSPOSIXErrorDomain");
    EXPECT_TRUE(e->code == EPIPE || e->code == ECONNRESET) << e->code;
    EXPECT_EQ(e->failureReason, "Error in write() function");
    std::signal(SIGPIPE, previous);
}

TEST_F(IoTest, WriteTimeoutClosesWithCode5) {
    LoopbackServer server;
    connectTo(server);
    sock->writeData(ByteBuffer(32u << 20, 'w'), 5.0, 9);
    ASSERT_TRUE(waitForTimerAt(std::chrono::seconds(5)));
    clock->advance(std::chrono::seconds(5));
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    EXPECT_EQ(delegate->eventsOf(Kind::WriteTimeout).at(0).tag, 9);
    auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->code, 5);
    EXPECT_EQ(e->message, "Write operation timed out");
    EXPECT_EQ(delegate->count(Kind::Write), 0u);
}

TEST_F(IoTest, EmptyWriteGivesNoCallback) {
    LoopbackServer server;
    connectTo(server);
    sock->writeData(ByteBuffer(), -1, 1);
    sock->writeData(bytes("z"), -1, 2);
    ASSERT_TRUE(delegate->waitFor(Kind::Write));
    delegateQueue->sync([] {});
    auto writes = delegate->eventsOf(Kind::Write);
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].tag, 2);
}

}  // namespace
