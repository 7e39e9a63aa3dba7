#include <gtest/gtest.h>
#include <netdb.h>

#include <cerrno>

#include "support/socket_test_fixture.h"

namespace {

using support::GCDAsyncSocket;
using support::SocketError;
using testsupport::ClosedPort;
using testsupport::LoopbackServer;
using testsupport::SocketEvent;
using ConnectTest = testsupport::SocketTest;
using Kind = SocketEvent::Kind;

TEST_F(ConnectTest, RefusedChecksReturnErrorsWithoutCallbacks) {
    SocketError error;
    EXPECT_FALSE(sock->connectToHost("", 80, &error));
    EXPECT_EQ(error.domain, "GCDAsyncSocketErrorDomain");
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(error.message,
              "Invalid host parameter (nil or \"\"). Should be a domain name or IP address string.");

    auto bare = GCDAsyncSocket::create();
    EXPECT_FALSE(bare->connectToHost("127.0.0.1", 80, &error));
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.message, "Attempting to connect without a delegate. Set a delegate first.");
    bare->synchronouslySetDelegate(delegate);
    EXPECT_FALSE(bare->connectToHost("127.0.0.1", 80, &error));
    EXPECT_EQ(error.message, "Attempting to connect without a delegate queue. Set a delegate queue first.");

    sock->setIPv4Enabled(false);
    sock->setIPv6Enabled(false);
    EXPECT_FALSE(sock->connectToHost("127.0.0.1", 80, &error));
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.message,
              "Both IPv4 and IPv6 have been disabled. Must enable at least one protocol first.");
    sock->setIPv4Enabled(true);
    EXPECT_FALSE(sock->connectToHost("127.0.0.1", 80, "no-such-interface0", -1, &error));
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(error.message,
              "Unknown interface. Specify valid interface by name (e.g. \"en1\") or IP address.");

    EXPECT_TRUE(sock->isDisconnected());
    settle();
    delegateQueue->sync([] {});
    EXPECT_TRUE(delegate->events().empty());
}

TEST_F(ConnectTest, SecondConnectIsRefusedAndDisconnectReportsOnce) {
    LoopbackServer server;
    connectTo(server);
    EXPECT_TRUE(sock->isConnected());
    SocketError error;
    EXPECT_FALSE(sock->connectToHost("127.0.0.1", server.port(), &error));
    EXPECT_EQ(error.code, 1);
    EXPECT_EQ(error.message,
              "Attempting to connect while connected or accepting connections. Disconnect first.");

    auto connect = delegate->eventsOf(Kind::Connect);
    ASSERT_EQ(connect.size(), 1u);
    EXPECT_EQ(connect[0].host, "127.0.0.1");
    EXPECT_EQ(connect[0].port, server.port());

    sock->disconnect();
    sock->disconnect();  // not started any more: nothing
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    delegateQueue->sync([] {});
    auto disconnects = delegate->eventsOf(Kind::Disconnect);
    ASSERT_EQ(disconnects.size(), 1u);
    EXPECT_FALSE(disconnects[0].error.has_value());
    EXPECT_TRUE(disconnects[0].hadSocket);
    EXPECT_FALSE(sock->isConnected());

    // A closed socket connects again with its settings kept.
    LoopbackServer second;
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", second.port(), &error));
    ASSERT_TRUE(second.accept());
    ASSERT_TRUE(delegate->waitFor(Kind::Connect, 2));
}

TEST(GCDAsyncSocketLookup, LocalhostNeedsNoResolver) {
    SocketError error;
    auto addresses = GCDAsyncSocket::lookupHost("localhost", 8080, &error);
    ASSERT_EQ(addresses.size(), 2u);
    EXPECT_EQ(addresses[0].size(), sizeof(sockaddr_in));
    EXPECT_EQ(GCDAsyncSocket::hostFromAddress(addresses[0]), "127.0.0.1");
    EXPECT_EQ(GCDAsyncSocket::portFromAddress(addresses[0]), 8080);
    EXPECT_EQ(addresses[1].size(), sizeof(sockaddr_in6));
    EXPECT_EQ(GCDAsyncSocket::hostFromAddress(addresses[1]), "::1");
    EXPECT_EQ(GCDAsyncSocket::portFromAddress(addresses[1]), 8080);
    EXPECT_EQ(GCDAsyncSocket::lookupHost("loopback", 1, &error).size(), 2u);

    auto numeric = GCDAsyncSocket::lookupHost("127.0.0.1", 9, &error);
    ASSERT_EQ(numeric.size(), 1u);
    EXPECT_EQ(GCDAsyncSocket::portFromAddress(numeric[0]), 9);
}

TEST_F(ConnectTest, ResolverFailureClosesWithItsDomainAndText) {
    SocketError error;
    ASSERT_TRUE(sock->connectToHost("no-such-host.invalid", 80, &error));
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect, 1, 30000));
    auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->domain, "kCFStreamErrorDomainNetDB");
    EXPECT_NE(e->code, 0);
    EXPECT_EQ(e->message, gai_strerror(e->code));
}

TEST(GCDAsyncSocketInterface, DescriptionsResolveToBindAddresses) {
    support::SocketAddress a4, a6;
    GCDAsyncSocket::getInterfaceAddress(&a4, &a6, "", 0);
    EXPECT_EQ(GCDAsyncSocket::hostFromAddress(a4), "0.0.0.0");
    EXPECT_EQ(GCDAsyncSocket::hostFromAddress(a6), "::");
    GCDAsyncSocket::getInterfaceAddress(&a4, &a6, "loopback:1234", 0);
    EXPECT_EQ(GCDAsyncSocket::hostFromAddress(a4), "127.0.0.1");
    EXPECT_EQ(GCDAsyncSocket::portFromAddress(a4), 1234);
    EXPECT_EQ(GCDAsyncSocket::portFromAddress(a6), 1234);
    // The port in the text is used only when none is given; out-of-range ports are ignored.
    GCDAsyncSocket::getInterfaceAddress(&a4, &a6, "localhost:1234", 99);
    EXPECT_EQ(GCDAsyncSocket::portFromAddress(a4), 99);
    GCDAsyncSocket::getInterfaceAddress(&a4, &a6, "localhost:70000", 0);
    EXPECT_EQ(GCDAsyncSocket::portFromAddress(a4), 0);
    // By interface name and by address.
    GCDAsyncSocket::getInterfaceAddress(&a4, &a6, "lo", 0);
    EXPECT_EQ(GCDAsyncSocket::hostFromAddress(a4), "127.0.0.1");
    GCDAsyncSocket::getInterfaceAddress(&a4, &a6, "127.0.0.1", 5);
    EXPECT_EQ(GCDAsyncSocket::hostFromAddress(a4), "127.0.0.1");
    EXPECT_TRUE(a6.empty());
    GCDAsyncSocket::getInterfaceAddress(&a4, &a6, "::1", 0);
    EXPECT_TRUE(a4.empty());
    EXPECT_EQ(GCDAsyncSocket::hostFromAddress(a6), "::1");
}

TEST_F(ConnectTest, BindsToTheGivenInterface) {
    LoopbackServer server;
    SocketError error;
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", server.port(), "lo", -1, &error)) << error.message;
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(delegate->waitFor(Kind::Connect));
}

TEST_F(ConnectTest, FailedBindLeavesNoBindAddressForTheNextConnect) {
    LoopbackServer busy;  // holds 127.0.0.1:<busy port>
    LoopbackServer server;
    SocketError error;
    auto address = GCDAsyncSocket::lookupHost("127.0.0.1", server.port(), &error)[0];
    const std::string iface = "127.0.0.1:" + std::to_string(busy.port());
    EXPECT_FALSE(sock->connectToAddress(address, iface, -1, &error));
    EXPECT_EQ(error.domain, "NSPOSIXErrorDomain");
    EXPECT_EQ(error.failureReason, "Error in bind() function");
    EXPECT_TRUE(sock->isDisconnected());
    ASSERT_TRUE(sock->connectToAddress(address, &error)) << error.failureReason;
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(delegate->waitFor(Kind::Connect));
}

TEST_F(ConnectTest, PreferredIPv6WithIPv4OnlyHostConnectsAtOnce) {
    LoopbackServer server;
    sock->setIPv4PreferredOverIPv6(false);
    EXPECT_FALSE(sock->isIPv4PreferredOverIPv6());
    connectTo(server, "127.0.0.1");  // no clock movement needed
    EXPECT_EQ(delegate->eventsOf(Kind::Connect)[0].host, "127.0.0.1");
}

TEST_F(ConnectTest, IPv4DisabledTriesOnlyIPv6) {
    LoopbackServer server(true, true);
    sock->setIPv4Enabled(false);
    connectTo(server, "localhost");
    EXPECT_EQ(delegate->eventsOf(Kind::Connect)[0].host, "::1");
}

TEST_F(ConnectTest, IPv6DisabledWithIPv6OnlyHostFailsWithCode8) {
    sock->setIPv6Enabled(false);
    SocketError error;
    ASSERT_TRUE(sock->connectToHost("::1", 9, &error));
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->code, 8);
    EXPECT_EQ(e->message, "IPv6 has been disabled and DNS lookup found no IPv4 address.");

    // With an IPv4 address present the same setting simply uses it.
    LoopbackServer server;
    connectTo(server, "localhost");
    EXPECT_EQ(delegate->eventsOf(Kind::Connect)[0].host, "127.0.0.1");
}

TEST_F(ConnectTest, IPv4DisabledWithIPv4OnlyHostFailsWithCode8) {
    sock->setIPv4Enabled(false);
    SocketError error;
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", 9, &error));
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->code, 8);
    EXPECT_EQ(e->message, "IPv4 has been disabled and DNS lookup found no IPv6 address.");
}

TEST_F(ConnectTest, AlternateFamilyStartsAfterDelayAndWins) {
    LoopbackServer server(false, true);  // only ::1 listens
    SocketError error;
    ASSERT_TRUE(sock->connectToHost("localhost", server.port(), &error));
    // The IPv4 attempt is refused silently; IPv6 waits for its 0.3 s.
    ASSERT_TRUE(waitForTimerAt(std::chrono::milliseconds(300)));
    EXPECT_FALSE(delegate->waitFor(Kind::Disconnect, 1, 100));
    clock->advance(std::chrono::milliseconds(300));
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(delegate->waitFor(Kind::Connect));
    EXPECT_EQ(delegate->eventsOf(Kind::Connect)[0].host, "::1");
    EXPECT_EQ(delegate->count(Kind::Disconnect), 0u);
}

TEST_F(ConnectTest, DisconnectDropsThePendingAlternateAttempt) {
    LoopbackServer server(false, true);  // only ::1 listens
    SocketError error;
    ASSERT_TRUE(sock->connectToHost("localhost", server.port(), &error));
    ASSERT_TRUE(waitForTimerAt(std::chrono::milliseconds(300)));
    sock->disconnect();
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    EXPECT_FALSE(delegate->eventsOf(Kind::Disconnect)[0].error.has_value());
    // A new attempt is under way when the old alternate's time comes; that one must not run.
    LoopbackServer other;
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", other.port(), &error));
    ASSERT_TRUE(other.accept());
    ASSERT_TRUE(delegate->waitFor(Kind::Connect));
    clock->advance(std::chrono::milliseconds(300));
    EXPECT_FALSE(server.accept(100));
    settle();
    delegateQueue->sync([] {});
    EXPECT_EQ(delegate->count(Kind::Connect), 1u);
    EXPECT_EQ(delegate->count(Kind::Disconnect), 1u);
    EXPECT_TRUE(sock->isConnected());
}

TEST_F(ConnectTest, ConnectionRefusedGivesExactlyOneDisconnect) {
    ClosedPort closed;
    SocketError error;
    // Both families refused: only the last failure is reported.
    ASSERT_TRUE(sock->connectToHost("localhost", closed.port(), &error));
    ASSERT_TRUE(waitForTimerAt(std::chrono::milliseconds(300)));
    clock->advance(std::chrono::milliseconds(300));
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    clock->advance(std::chrono::seconds(5));
    settle();
    delegateQueue->sync([] {});
    auto disconnects = delegate->eventsOf(Kind::Disconnect);
    ASSERT_EQ(disconnects.size(), 1u);
    ASSERT_TRUE(disconnects[0].error.has_value());
    EXPECT_EQ(disconnects[0].error->domain, "NSPOSIXErrorDomain");
    EXPECT_EQ(disconnects[0].error->code, ECONNREFUSED);
    EXPECT_EQ(disconnects[0].error->failureReason, "Error in connect() function");
    EXPECT_EQ(delegate->count(Kind::Connect), 0u);
    EXPECT_TRUE(sock->isDisconnected());
}

// A listener whose accept queue is full: connecting to it never completes.
struct StalledServer {
    LoopbackServer server{true, false, 0, 0};
    int filler = -1;
    StalledServer() {
        filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_port = htons(server.port());
        sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(filler, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
        pollfd pfd{filler, POLLOUT, 0};
        ::poll(&pfd, 1, 2000);
    }
    ~StalledServer() { ::close(filler); }
};

TEST_F(ConnectTest, ConnectTimeoutClosesWithCode3) {
    StalledServer stalled;
    SocketError error;
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", stalled.server.port(), 5.0, &error));
    clock->advance(std::chrono::milliseconds(4900));
    EXPECT_FALSE(delegate->waitFor(Kind::Disconnect, 1, 100));
    clock->advance(std::chrono::milliseconds(100));
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect))
        << delegate->events().size() << " " << delegate->count(Kind::Connect);
    auto e = delegate->eventsOf(Kind::Disconnect)[0].error;
    ASSERT_TRUE(e.has_value());
    EXPECT_EQ(e->domain, "GCDAsyncSocketErrorDomain");
    EXPECT_EQ(e->code, 3);
    EXPECT_EQ(e->message, "Attempt to connect to host timed out");
}

TEST_F(ConnectTest, ConnectTimeoutZeroFiresAtOnce) {
    StalledServer stalled;
    SocketError error;
    ASSERT_TRUE(sock->connectToHost("127.0.0.1", stalled.server.port(), 0.0, &error));
    clock->advance(platform::Duration::zero());
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    EXPECT_EQ(delegate->eventsOf(Kind::Disconnect)[0].error->code, 3);
    EXPECT_EQ(delegate->count(Kind::Connect), 0u);
}

TEST_F(ConnectTest, ConnectToAddressChecksTheAddress) {
    SocketError error;
    EXPECT_FALSE(sock->connectToAddress(support::SocketAddress(5, 0), &error));
    EXPECT_EQ(error.code, 2);
    EXPECT_EQ(error.message, "A valid IPv4 or IPv6 address was not given");
    auto v4 = GCDAsyncSocket::lookupHost("127.0.0.1", 1, &error)[0];
    sock->setIPv4Enabled(false);
    EXPECT_FALSE(sock->connectToAddress(v4, &error));
    EXPECT_EQ(error.message, "IPv4 has been disabled and an IPv4 address was passed.");
    sock->setIPv4Enabled(true);

    LoopbackServer server;
    auto address = GCDAsyncSocket::lookupHost("127.0.0.1", server.port(), &error)[0];
    ASSERT_TRUE(sock->connectToAddress(address, &error));
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(delegate->waitFor(Kind::Connect));
}

TEST_F(ConnectTest, TeardownReportsDisconnectWithoutSocket) {
    LoopbackServer server;
    connectTo(server);
    sock.reset();
    ASSERT_TRUE(delegate->waitFor(Kind::Disconnect));
    auto e = delegate->eventsOf(Kind::Disconnect)[0];
    EXPECT_FALSE(e.hadSocket);
    EXPECT_FALSE(e.error.has_value());
    EXPECT_EQ(server.receiveUntilClosed(), "");
}

TEST_F(ConnectTest, DroppedDelegateGetsNoCallsAndBlocksConnect) {
    LoopbackServer server;
    connectTo(server);
    delegateQueue->sync([] {});  // the connect callback has let the delegate go
    delegate.reset();            // the socket holds it weakly
    delegate = std::make_shared<testsupport::RecordingSocketDelegate>(delegateQueue);
    sock->disconnect();
    SocketError error;
    EXPECT_FALSE(sock->connectToHost("127.0.0.1", server.port(), &error));
    EXPECT_EQ(error.code, 1);
}

}  // namespace
