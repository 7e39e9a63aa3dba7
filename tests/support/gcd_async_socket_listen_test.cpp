#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "support/socket_test_fixture.h"

namespace {

using support::GCDAsyncSocket;
using support::SocketError;
using testsupport::RecordingSocketDelegate;
using testsupport::SocketEvent;
using Kind = SocketEvent::Kind;

constexpr int kBurst = 5;
constexpr std::size_t kSunPathSize = 108;

// A listening socket (sock) plus a client socket with a delegate of its own.
class ListenTest : public testsupport::SocketTest {
  protected:
    void SetUp() override {
        SocketTest::SetUp();
        clientQueue = platform::SerialQueue::create("client delegate");
        clientDelegate = std::make_shared<RecordingSocketDelegate>(clientQueue);
        client = GCDAsyncSocket::create(clientDelegate, clientQueue);
        char pattern[] = "/tmp/tc_sock_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override {
        client.reset();
        clientQueue->sync([] {});
        EXPECT_TRUE(clientDelegate->allOnDelegateQueue());
        delegateQueue->sync([] {});
        delegate->releaseAccepted();
        std::filesystem::remove_all(dir);
        SocketTest::TearDown();
    }

    std::shared_ptr<GCDAsyncSocket> acceptedAt(std::size_t i) { return delegate->accepted().at(i); }

    std::shared_ptr<platform::SerialQueue> clientQueue;
    std::shared_ptr<RecordingSocketDelegate> clientDelegate;
    std::shared_ptr<GCDAsyncSocket> client;
    std::string dir;
};

TEST_F(ListenTest, RefusedChecksGiveTheirErrors) {
    SocketError error;
    auto bare = GCDAsyncSocket::create();
    EXPECT_FALSE(bare->acceptOnPort(0, &error));
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.message, "Attempting to accept without a delegate. Set a delegate first.");
    bare->synchronouslySetDelegate(delegate);
    EXPECT_FALSE(bare->acceptOnPort(0, &error));
    EXPECT_EQ(error.message, "Attempting to accept without a delegate queue. Set a delegate queue first.");

    sock->setIPv4Enabled(false);
    sock->setIPv6Enabled(false);
    EXPECT_FALSE(sock->acceptOnPort(0, &error));
    EXPECT_EQ(error.message, "Both IPv4 and IPv6 have been disabled. Must enable at least one protocol first.");
    sock->setIPv4Enabled(true);
    sock->setIPv6Enabled(true);

    EXPECT_FALSE(sock->acceptOnInterface("no-such-interface0", 0, &error));
    EXPECT_EQ(error.code, 2);

    ASSERT_TRUE(sock->acceptOnPort(0, &error)) << error.message;
    EXPECT_FALSE(sock->acceptOnPort(0, &error));
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.message, "Attempting to accept while connected or accepting connections. Disconnect first.");
}

TEST_F(ListenTest, PortZeroListensOnTheSamePortOnBothFamilies) {
    SocketError error;
    ASSERT_TRUE(sock->acceptOnPort(0, &error)) << error.message;
    EXPECT_NE(sock->localPort4(), 0);
    EXPECT_EQ(sock->localPort4(), sock->localPort6());
    EXPECT_TRUE(sock->isIPv4());
    EXPECT_TRUE(sock->isIPv6());

    // Both families reach it.
    ASSERT_TRUE(client->connectToHost("::1", sock->localPort6(), &error)) << error.message;
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Connect));
    ASSERT_TRUE(delegate->waitFor(Kind::Accept));
    auto client4 = GCDAsyncSocket::create(clientDelegate, clientQueue);
    ASSERT_TRUE(client4->connectToHost("127.0.0.1", sock->localPort4(), &error));
    ASSERT_TRUE(delegate->waitFor(Kind::Accept, 2));
    client4.reset();
}

TEST_F(ListenTest, BurstOfConnectionsGivesOneAcceptEach) {
    ASSERT_TRUE(sock->acceptOnInterface("127.0.0.1", 0));
    const std::uint16_t port = sock->localPort();
    std::vector<int> fds;
    for (int i = 0; i < kBurst; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_port = htons(port);
        sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&sin), sizeof(sin)), 0);
        fds.push_back(fd);
    }
    ASSERT_TRUE(delegate->waitFor(Kind::Accept, kBurst));
    for (const auto& accepted : delegate->accepted()) {
        EXPECT_TRUE(accepted->isConnected());
        EXPECT_EQ(accepted->connectedHost(), "127.0.0.1");
        EXPECT_EQ(accepted->localPort(), port);
    }
    for (int fd : fds) ::close(fd);
}

TEST_F(ListenTest, AcceptedSocketReadsAndWritesOnTheQueueTheDelegateGave) {
    delegate->acceptedSocketQueue = platform::SerialQueue::create("accepted");
    ASSERT_TRUE(sock->acceptOnInterface("localhost", 0));
    ASSERT_TRUE(client->connectToHost("127.0.0.1", sock->localPort4(), 5.0, nullptr));
    ASSERT_TRUE(delegate->waitFor(Kind::Accept));
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Connect));
    auto accepted = acceptedAt(0);
    EXPECT_EQ(accepted->connectedPort(), client->localPort());
    EXPECT_EQ(client->connectedPort(), sock->localPort());

    accepted->writeData(testsupport::bytes("ping\n"), -1, 1);
    client->readDataToData(GCDAsyncSocket::LFData(), -1, 2);
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Read));
    EXPECT_EQ(clientDelegate->events().back().data, "ping\n");

    int inside = -1;
    accepted->performBlock([&] { inside = accepted->socketFD(); });
    EXPECT_GE(inside, 0);
    EXPECT_EQ(accepted->socketFD(), -1);
    accepted.reset();
}

TEST_F(ListenTest, DisconnectedSocketHasNoAddresses) {
    EXPECT_EQ(client->connectedHost(), std::nullopt);
    EXPECT_EQ(client->connectedPort(), 0);
    EXPECT_EQ(client->localHost(), std::nullopt);
    EXPECT_EQ(client->connectedUrl(), std::nullopt);
    EXPECT_TRUE(client->connectedAddress().empty());
    EXPECT_EQ(client->socketFD(), -1);
    int inside = 0;
    client->performBlock([&] { inside = client->socketFD(); });
    EXPECT_EQ(inside, -1);

    ASSERT_TRUE(sock->acceptOnPort(0));
    sock->disconnect();
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    EXPECT_EQ(sock->localPort(), 0);
}

TEST_F(ListenTest, MarkedQueueCountsAsTheSocketQueue) {
    ASSERT_TRUE(sock->acceptOnInterface("127.0.0.1", 0));
    auto other = platform::SerialQueue::create("marked");
    auto fdOnOther = [&] {
        int fd = 0;
        other->sync([&] { fd = sock->socketFD(); });
        return fd;
    };
    EXPECT_EQ(fdOnOther(), -1);
    sock->markSocketQueueTargetQueue(other);
    EXPECT_GE(fdOnOther(), 0);
    sock->unmarkSocketQueueTargetQueue(other);
    EXPECT_EQ(fdOnOther(), -1);
}

// ---------------------------------------------------------------------------
// Unix-domain sockets

TEST_F(ListenTest, UnixSocketReplacesAStaleFileConnectsAndRemovesItOnClose) {
    const std::string path = dir + "/s";
    { std::FILE* stale = std::fopen(path.c_str(), "w"); ASSERT_NE(stale, nullptr); std::fclose(stale); }
    SocketError error;
    ASSERT_TRUE(sock->acceptOnUrl("file://" + path, &error)) << error.message;
    struct stat st{};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_TRUE(S_ISSOCK(st.st_mode));

    ASSERT_TRUE(client->connectToUrl("file://" + path, 5.0, &error)) << error.message;
    ASSERT_TRUE(clientDelegate->waitFor(Kind::ConnectUrl));
    EXPECT_EQ(clientDelegate->events().back().host, "file://" + path);
    EXPECT_EQ(client->connectedUrl(), "file://" + path);
    EXPECT_EQ(client->connectedHost(), std::nullopt);
    ASSERT_TRUE(delegate->waitFor(Kind::Accept));

    client->writeData(testsupport::bytes("over unix\n"), -1, 3);
    acceptedAt(0)->readDataToData(GCDAsyncSocket::LFData(), -1, 4);
    ASSERT_TRUE(delegate->waitFor(Kind::Read));

    sock->disconnect();
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    EXPECT_NE(::stat(path.c_str(), &st), 0);
}

TEST_F(ListenTest, UnixPathsThatDoNotFitAreRefused) {
    const std::string longest = dir + "/" + std::string(kSunPathSize - 2 - dir.size(), 'a');
    const std::string tooLong = longest + "b";
    ASSERT_EQ(longest.size(), kSunPathSize - 1);
    EXPECT_FALSE(GCDAsyncSocket::getInterfaceAddressFromUrl(longest).empty());
    EXPECT_TRUE(GCDAsyncSocket::getInterfaceAddressFromUrl(tooLong).empty());
    EXPECT_TRUE(GCDAsyncSocket::getInterfaceAddressFromUrl("").empty());

    SocketError error;
    EXPECT_FALSE(sock->acceptOnUrl(tooLong, &error));
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(error.message,
              "Invalid unix domain url. Specify a valid file url that does not exist (e.g. \"file:///tmp/socket\")");
    EXPECT_FALSE(client->connectToUrl(tooLong, 1.0, &error));
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(error.message, "Invalid unix domain socket url.");
    EXPECT_FALSE(client->connectToUrl("", 1.0, &error));
    EXPECT_EQ(error.message, "Invalid unix domain socket url.");
    // Neither the cut path nor anything else was created.
    EXPECT_FALSE(std::filesystem::exists(tooLong.substr(0, kSunPathSize - 1)));

    ASSERT_TRUE(sock->acceptOnUrl(longest, &error)) << error.message;
    EXPECT_TRUE(std::filesystem::exists(longest));
}

TEST_F(ListenTest, UnixConnectToNothingReportsTheConnectError) {
    SocketError error;
    ASSERT_TRUE(client->connectToUrl(dir + "/missing", 5.0, &error));
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Disconnect));
    const auto e = clientDelegate->events().back().error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->code, ENOENT);
    EXPECT_EQ(e->failureReason, "Error in connect() function");
}

}  // namespace
