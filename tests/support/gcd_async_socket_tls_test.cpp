#include <gtest/gtest.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/socket_test_fixture.h"

namespace {

using support::GCDAsyncSocket;
using support::SocketError;
using support::TlsSettings;
using testsupport::LoopbackServer;
using testsupport::RecordingSocketDelegate;
using testsupport::SocketEvent;
using Kind = SocketEvent::Kind;

constexpr std::size_t kBulkBytes = 1u << 20;
constexpr std::size_t kFinalBytes = 8u << 20;
constexpr int kServerStartAttempts = 100;
constexpr int kConnectWaitMs = 300;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A listening socket (sock, whose accepted sockets act as TLS servers) and a client with a
// delegate of its own; a self-signed certificate for "localhost" made for the suite.
class TlsTest : public testsupport::SocketTest {
  protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/tc_tls_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        const std::string command = "openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes -days 1 "
                                    "-subj /CN=localhost -addext subjectAltName=DNS:localhost -keyout " +
                                    dir + "/key.pem -out " + dir + "/cert.pem >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0);
        identity.certificateChainPem = readFile(dir + "/cert.pem");
        identity.privateKeyPem = readFile(dir + "/key.pem");
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(dir); }

    void SetUp() override {
        SocketTest::SetUp();
        clientQueue = platform::SerialQueue::create("client delegate");
        clientDelegate = std::make_shared<RecordingSocketDelegate>(clientQueue);
        client = GCDAsyncSocket::create(clientDelegate, clientQueue);
    }
    void TearDown() override {
        client.reset();
        clientQueue->sync([] {});
        EXPECT_TRUE(clientDelegate->allOnDelegateQueue());
        delegateQueue->sync([] {});
        delegate->releaseAccepted();
        SocketTest::TearDown();
    }

    static TlsSettings serverSettings() {
        return {{support::kCFStreamSSLIsServer, true}, {support::kCFStreamSSLCertificates, identity}};
    }
    static TlsSettings manualTrust(const std::string& peerName = "localhost") {
        return {{support::GCDAsyncSocketManuallyEvaluateTrust, true}, {support::kCFStreamSSLPeerName, peerName}};
    }

    // Listens, connects the client and returns the accepted end.
    std::shared_ptr<GCDAsyncSocket> connectPair() {
        EXPECT_TRUE(sock->acceptOnInterface("127.0.0.1", 0));
        EXPECT_TRUE(client->connectToHost("127.0.0.1", sock->localPort(), nullptr));
        EXPECT_TRUE(delegate->waitFor(Kind::Accept));
        EXPECT_TRUE(clientDelegate->waitFor(Kind::Connect));
        return delegate->accepted().at(0);
    }

    std::optional<SocketError> clientDisconnectError() {
        EXPECT_TRUE(clientDelegate->waitFor(Kind::Disconnect));
        for (const auto& e : clientDelegate->events())
            if (e.kind == Kind::Disconnect) return e.error;
        return std::nullopt;
    }

    static inline std::string dir;
    static inline support::TlsIdentity identity;
    std::shared_ptr<platform::SerialQueue> clientQueue;
    std::shared_ptr<RecordingSocketDelegate> clientDelegate;
    std::shared_ptr<GCDAsyncSocket> client;
};

TEST_F(TlsTest, PlaintextBeforeTheStartThenBulkBothWaysOverTls) {
    clientDelegate->trustAnswer = true;
    auto server = connectPair();
    client->writeData(testsupport::bytes("plain\n"), -1, 1);
    client->startTLS(manualTrust());
    server->readDataToData(GCDAsyncSocket::LFData(), -1, 1);
    server->startTLS(serverSettings());
    client->startTLS({{support::kCFStreamSSLAllowsAnyRoot, true}});  // ignored: TLS already queued

    ASSERT_TRUE(clientDelegate->waitFor(Kind::Secure));
    ASSERT_TRUE(delegate->waitFor(Kind::Secure));
    EXPECT_EQ(delegate->events().at(1).kind, Kind::Read);  // the plaintext came before the handshake
    EXPECT_EQ(delegate->events().at(1).data, "plain\n");
    EXPECT_TRUE(client->isSecure());
    EXPECT_TRUE(server->isSecure());
    EXPECT_EQ(clientDelegate->count(Kind::Trust), 1u);

    std::string bulk(kBulkBytes, 'x');
    for (std::size_t i = 0; i < bulk.size(); i += 997) bulk[i] = static_cast<char>('a' + i % 26);
    client->writeData(testsupport::bytes(bulk), -1, 2);
    server->readDataToLength(bulk.size(), -1, 2);
    server->writeData(testsupport::bytes("pong\n"), -1, 3);
    client->readDataToData(GCDAsyncSocket::LFData(), -1, 3);
    ASSERT_TRUE(delegate->waitFor(Kind::Read, 2, 20000));
    std::string received;
    for (const auto& e : delegate->events())
        if (e.kind == Kind::Read && e.tag == 2) received = e.data;
    EXPECT_TRUE(received == bulk) << received.size();
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Read));
    EXPECT_EQ(clientDelegate->events().back().data, "pong\n");

    int inside = 0;
    bool hasContext = false;
    client->performBlock([&] { hasContext = client->sslContext() != nullptr; inside = 1; });
    EXPECT_TRUE(hasContext && inside);
    EXPECT_EQ(client->sslContext(), nullptr);

    // More than the descriptor takes at once, then a disconnect after writing: the client,
    // reading only now, still gets every byte before the close.
    const std::string last(kFinalBytes, 'z');
    server->writeData(testsupport::bytes(last), -1, 4);
    server->disconnectAfterWriting();
    client->readDataToLength(last.size(), -1, 4);
    // The close follows the read at once: wait for both, then pick the read by its tag.
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Disconnect, 1, 20000));
    std::size_t received4 = 0;
    for (const auto& e : clientDelegate->eventsOf(Kind::Read))
        if (e.tag == 4) received4 = e.data.size();
    EXPECT_EQ(received4, last.size());
}

struct RefusedCase {
    const char* name;
    TlsSettings settings;
    const char* text;
};

TEST_F(TlsTest, RefusedSettingsCloseWithCodeEight) {
    const support::TlsSettingValue number = std::int64_t{1};
    const RefusedCase cases[] = {
        {"any root", {{support::kCFStreamSSLAllowsAnyRoot, true}}, "Security option unavailable - kCFStreamSSLAllowsAnyRoot"},
        {"level", {{support::kCFStreamSSLLevel, std::string("TLSv1.2")}}, "Security option unavailable - kCFStreamSSLLevel"},
        {"peer name type", {{support::kCFStreamSSLPeerName, number}}, "Invalid value for kCFStreamSSLPeerName."},
        {"certificates type", {{support::kCFStreamSSLCertificates, true}}, "Invalid value for kCFStreamSSLCertificates."},
        {"bad certificate", {{support::kCFStreamSSLCertificates, support::TlsIdentity{"junk", "junk"}}}, "Error in SSLSetCertificate"},
        {"version", {{support::GCDAsyncSocketSSLProtocolVersionMin, std::int64_t{99}}}, "Error in SSLSetProtocolVersionMin"},
        {"ciphers", {{support::GCDAsyncSocketSSLCipherSuites, std::vector<std::int64_t>{0}}}, "Error in SSLSetEnabledCiphers"},
        {"server manual trust",
         {{support::kCFStreamSSLIsServer, true}, {support::GCDAsyncSocketManuallyEvaluateTrust, true}},
         "Manual trust validation is not supported for server sockets"},
    };
    for (const RefusedCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        auto s = GCDAsyncSocket::create(clientDelegate, clientQueue);
        const std::size_t before = clientDelegate->count(Kind::Disconnect);
        ASSERT_TRUE(s->connectToHost("127.0.0.1", server.port(), nullptr));
        ASSERT_TRUE(server.accept());
        s->startTLS(c.settings);
        ASSERT_TRUE(clientDelegate->waitFor(Kind::Disconnect, before + 1));
        const auto error = clientDelegate->events().back().error;
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->code, 8);
        EXPECT_EQ(error->message, c.text);
    }
}

TEST_F(TlsTest, ManualTrustWithoutTheDelegateMethodCloses) {
    auto server = connectPair();
    server->startTLS(serverSettings());
    client->startTLS(manualTrust());
    const auto error = clientDisconnectError();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, 8);
    EXPECT_EQ(error->message,
              "GCDAsyncSocketManuallyEvaluateTrust specified in tlsSettings, but delegate doesn't implement "
              "socket:shouldTrustPeer:");
}

TEST_F(TlsTest, CertificateForAnotherHostIsRefusedUnlessTrustedManually) {
    auto server = connectPair();
    server->startTLS(serverSettings());
    client->startTLS({{support::kCFStreamSSLPeerName, std::string("other.example")}});
    const auto error = clientDisconnectError();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->domain, "kCFStreamErrorDomainSSL");
    EXPECT_EQ(error->code, support::errSSLXCertChainInvalid);
}

TEST_F(TlsTest, ManualTrustSeesTheFailedCheckAndMayAcceptIt) {
    clientDelegate->trustAnswer = true;
    auto server = connectPair();
    server->startTLS(serverSettings());
    client->startTLS(manualTrust("other.example"));
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Secure));
    const auto trust = clientDelegate->events().at(1);
    EXPECT_EQ(trust.kind, Kind::Trust);
    EXPECT_NE(trust.length, 0u);  // the engine's own check failed
    EXPECT_NE(trust.data.find("BEGIN CERTIFICATE"), std::string::npos);
}

TEST_F(TlsTest, DistrustedPeerClosesAndALaterAnswerIsIgnored) {
    clientDelegate->trustAnswer = false;
    auto server = connectPair();
    server->startTLS(serverSettings());
    client->startTLS(manualTrust());
    const auto error = clientDisconnectError();
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->code, support::errSSLPeerBadCert);
    clientDelegate->trustHandler()(true);  // stale
    client->isIPv4Enabled();               // lets the answer's task run
    clientQueue->sync([] {});
    EXPECT_EQ(clientDelegate->count(Kind::Secure), 0u);
    EXPECT_EQ(clientDelegate->count(Kind::Disconnect), 1u);
}

TEST_F(TlsTest, GarbageOrEndOfStreamDuringTheHandshakeCloses) {
    struct Case {
        const char* name;
        bool garbage;
        int code;
    };
    for (const Case c : {Case{"garbage", true, support::errSSLProtocol}, Case{"end of stream", false, support::errSSLClosedAbort}}) {
        SCOPED_TRACE(c.name);
        LoopbackServer server;
        auto s = GCDAsyncSocket::create(clientDelegate, clientQueue);
        const std::size_t before = clientDelegate->count(Kind::Disconnect);
        ASSERT_TRUE(s->connectToHost("127.0.0.1", server.port(), nullptr));
        ASSERT_TRUE(server.accept());
        s->startTLS(manualTrust());
        if (c.garbage)
            server.send(std::string(64, '\x7f') + "this is no TLS record\r\n");
        else
            server.closeConnection();
        ASSERT_TRUE(clientDelegate->waitFor(Kind::Disconnect, before + 1));
        const auto error = clientDelegate->events().back().error;
        ASSERT_TRUE(error.has_value());
        EXPECT_EQ(error->domain, "kCFStreamErrorDomainSSL");
        EXPECT_EQ(error->code, c.code);
    }
}

TEST_F(TlsTest, ServerTalksToTheOpensslClient) {
    ASSERT_TRUE(sock->acceptOnInterface("127.0.0.1", 0));
    const std::string command = "timeout 20 openssl s_client -quiet -connect 127.0.0.1:" +
                                std::to_string(sock->localPort()) + " >/dev/null 2>&1";
    std::FILE* peer = ::popen(command.c_str(), "w");
    ASSERT_NE(peer, nullptr);
    ASSERT_TRUE(delegate->waitFor(Kind::Accept));
    auto server = delegate->accepted().at(0);
    server->startTLS(serverSettings());
    server->readDataToData(GCDAsyncSocket::LFData(), -1, 1);
    std::fputs("hello from openssl\n", peer);
    std::fflush(peer);
    ASSERT_TRUE(delegate->waitFor(Kind::Secure, 1, 20000));
    ASSERT_TRUE(delegate->waitFor(Kind::Read, 1, 20000));
    EXPECT_EQ(delegate->events().back().data, "hello from openssl\n");
    server->disconnect();
    ::pclose(peer);
}

std::uint16_t freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&sin), sizeof(sin));
    socklen_t len = sizeof(sin);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&sin), &len);
    ::close(fd);
    return ntohs(sin.sin_port);
}

TEST_F(TlsTest, ClientTalksToTheOpensslServer) {
    clientDelegate->trustAnswer = true;
    const std::string port = std::to_string(freePort());
    const std::string cert = dir + "/cert.pem";
    const std::string key = dir + "/key.pem";
    const char* argv[] = {"openssl", "s_server", "-accept", port.c_str(), "-cert", cert.c_str(), "-key", key.c_str(),
                          "-naccept", "1", "-rev", "-quiet", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawnp(&pid, "openssl", &actions, nullptr, const_cast<char* const*>(argv), environ), 0);
    posix_spawn_file_actions_destroy(&actions);

    // Connects once the server listens (a refused attempt ends in a disconnect).
    std::shared_ptr<GCDAsyncSocket> s;
    bool connected = false;
    for (int attempt = 0; attempt < kServerStartAttempts && !connected; ++attempt) {
        const std::size_t failures = clientDelegate->count(Kind::Disconnect);
        s = GCDAsyncSocket::create(clientDelegate, clientQueue);
        ASSERT_TRUE(s->connectToHost("127.0.0.1", static_cast<std::uint16_t>(std::stoi(port)), nullptr));
        connected = clientDelegate->waitFor(Kind::Connect, 1, kConnectWaitMs);
        if (!connected) {
            ASSERT_TRUE(clientDelegate->waitFor(Kind::Disconnect, failures + 1));
        }
    }
    ASSERT_TRUE(connected);
    s->startTLS(manualTrust());
    s->writeData(testsupport::bytes("hello\n"), -1, 1);
    s->readDataToData(GCDAsyncSocket::LFData(), -1, 2);
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Secure));
    ASSERT_TRUE(clientDelegate->waitFor(Kind::Read));
    EXPECT_NE(clientDelegate->events().back().data.find("olleh"), std::string::npos);
    s.reset();
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
}

}  // namespace
