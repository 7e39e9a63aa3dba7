// The TCP session against a scripted server on 127.0.0.1: connect, frames
// cut anywhere, the read time-out under the fake clock, the three ways of
// ending, and connects refused at once.
#include "protocol/connection_base.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <future>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/main_executor.h"
#include "platform/test_env.h"

namespace protocol {
namespace {

using namespace std::chrono_literals;

class Recorder : public ConnectionDelegate {
public:
    void connectionDidConnect(bool demo) override {
        std::lock_guard<std::mutex> lock(m);
        connects.push_back(demo);
    }
    void connectionDidReceiveFrame(std::string frame) override {
        std::lock_guard<std::mutex> lock(m);
        frames.push_back(std::move(frame));
    }
    void connectionDidFail(const std::string& error) override {
        std::lock_guard<std::mutex> lock(m);
        failures.push_back(error);
    }
    // Frames arrive on the connection's queue, connects and failures through the main loop.
    template <typename Pred>
    bool waitFor(Pred pred, std::chrono::milliseconds timeout = 5000ms) {
        return platform::testing::eventually(
            [&] {
                loop->runUntilIdle();
                std::lock_guard<std::mutex> lock(m);
                return pred();
            },
            timeout);
    }
    std::size_t frameCount() {
        std::lock_guard<std::mutex> lock(m);
        return frames.size();
    }
    std::size_t failureCount() {
        std::lock_guard<std::mutex> lock(m);
        return failures.size();
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::mutex m;
    std::vector<bool> connects;
    std::vector<std::string> frames;
    std::vector<std::string> failures;
};

using platform::testing::eventually;

// One-connection server on an ephemeral port.
class ScriptedServer {
public:
    ScriptedServer() {
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        int one = 1;
        ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        ::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(listener_, 1);
        socklen_t len = sizeof addr;
        ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
    }
    ~ScriptedServer() {
        closeClient();
        ::close(listener_);
    }
    std::uint16_t port() const { return port_; }
    bool accept() {
        client_ = ::accept(listener_, nullptr, nullptr);
        return client_ >= 0;
    }
    void send(const std::string& bytes) {
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::send(client_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) return;
            done += static_cast<std::size_t>(n);
        }
    }
    // Reads what the client has written so far (waits up to `ms` for the first byte).
    std::string receive(int ms = 2000) {
        timeval tv{ms / 1000, (ms % 1000) * 1000};
        ::setsockopt(client_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        char buf[4096];
        ssize_t n = ::recv(client_, buf, sizeof buf, 0);
        return n > 0 ? std::string(buf, static_cast<std::size_t>(n)) : std::string();
    }
    void closeClient() {
        if (client_ >= 0) ::close(client_);
        client_ = -1;
    }

private:
    int listener_ = -1;
    int client_ = -1;
    std::uint16_t port_ = 0;
};

class ConnectionBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        clock = std::make_shared<platform::FakeClock>();
        platform::installClock(clock);
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        delegate = std::make_shared<Recorder>();
        delegate->loop = loop;
    }
    void TearDown() override {
        conn.reset();
        platform::testing::finishQueues(*loop);  // queued socket work ends before the clock goes
        platform::MainExecutor::install(nullptr);
        platform::installClock(nullptr);
    }
    // Every queue has run what was handed to it so far, and the main loop too:
    // an event that was on its way has been recorded.
    void settle() {
        (void)conn->Socket()->isIPv4Enabled();  // a getter that waits for the socket's queue
        conn->queue()->sync([] {});
        loop->runUntilIdle();
    }
    void connect(bool demo = false, std::size_t maxFrame = FrameDecoder::kDefaultMaxFrame) {
        conn = ConnectionBase::create(delegate, maxFrame);
        ASSERT_TRUE(conn->ConnectToServer(demo, "127.0.0.1", server.port()));
        ASSERT_TRUE(server.accept());
        ASSERT_TRUE(delegate->waitFor([&] { return !delegate->connects.empty(); }));
    }

    std::shared_ptr<platform::FakeClock> clock;
    std::shared_ptr<platform::ManualRunLoop> loop;
    std::shared_ptr<Recorder> delegate;
    ScriptedServer server;
    std::shared_ptr<ConnectionBase> conn;
};

TEST_F(ConnectionBaseTest, FramesCutAnywhereArriveWhole) {
    connect();
    EXPECT_EQ(delegate->connects, std::vector<bool>{false});
    // A read that ends right after 0x01, then one that splits a UTF-8 character.
    server.send("\x01" "9\x03" "10=1019\x03\x02\x01");
    ASSERT_TRUE(delegate->waitFor([&] { return delegate->frames.size() == 1; }));
    std::this_thread::sleep_for(50ms);
    server.send("7\x03" "17=\xC3");
    std::this_thread::sleep_for(50ms);
    server.send("\xA9\x03\x02" "junk");
    ASSERT_TRUE(delegate->waitFor([&] { return delegate->frames.size() == 2; }));
    EXPECT_EQ(delegate->frames[0], "9\x03" "10=1019\x03");
    EXPECT_EQ(delegate->frames[1], "7\x03" "17=\xC3\xA9\x03");
}

TEST_F(ConnectionBaseTest, ARelogInWhileTheConnectIsPendingIsNoFailure) {
    conn = ConnectionBase::create(delegate);
    ASSERT_TRUE(conn->ConnectToServer(false, "127.0.0.1", server.port()));
    conn->reloginToServer();  // the connect has not finished yet
    ASSERT_TRUE(server.accept());
    ASSERT_TRUE(delegate->waitFor([&] { return !delegate->connects.empty(); }));
    settle();
    EXPECT_EQ(delegate->failureCount(), 0u);
    EXPECT_EQ(delegate->connects.size(), 1u);
}

TEST_F(ConnectionBaseTest, SendWritesTheFrame) {
    connect();
    conn->sendMessage("\x01" "9\x03" "10=1018\x03\x02");
    EXPECT_EQ(server.receive(), "\x01" "9\x03" "10=1018\x03\x02");
}

TEST_F(ConnectionBaseTest, EveryReadTimesOutAfterThirtySecondsTheFirstToo) {
    const platform::TimePoint first = clock->now() + 30s;
    connect();
    // The login's answer is awaited 30 s, like any read.
    ASSERT_TRUE(eventually([&] { return clock->isPending(first); }));
    clock->advance(29s);
    server.send("\x01" "A\x02");
    ASSERT_TRUE(delegate->waitFor([&] { return delegate->frames.size() == 1; }));
    settle();
    EXPECT_EQ(delegate->failureCount(), 0u);
    // The next read is armed with its time-out 30 s from now.
    const platform::TimePoint timeout = clock->now() + 30s;
    ASSERT_TRUE(eventually([&] { return clock->isPending(timeout); }));
    clock->advance(29s);
    EXPECT_TRUE(clock->isPending(timeout));
    settle();
    EXPECT_EQ(delegate->failureCount(), 0u);
    clock->advance(1s + 1ms);
    EXPECT_TRUE(delegate->waitFor([&] { return delegate->failures.size() == 1; }));
    EXPECT_FALSE(conn->isNetworkAvailable);
}

TEST_F(ConnectionBaseTest, ServerClosingIsAFailure) {
    connect();
    server.closeClient();
    EXPECT_TRUE(delegate->waitFor([&] { return delegate->failures.size() == 1; }));
}

TEST_F(ConnectionBaseTest, ManualDisconnectIsNoFailureAndTheFlagIsConsumed) {
    connect();
    conn->DisconnectServer();
    // The disconnect is recorded when the connection consumes the flag.
    ASSERT_TRUE(eventually([&] { return !conn->isManualServerDisconnect; }));
    settle();
    EXPECT_EQ(delegate->failureCount(), 0u);
    EXPECT_FALSE(conn->isManualServerDisconnect);
}

TEST_F(ConnectionBaseTest, ReloginDisconnectIsReportedAsAFailure) {
    connect();
    conn->ReloginRequestDisconnectServer();
    EXPECT_TRUE(delegate->waitFor([&] { return delegate->failures.size() == 1; }));
}

TEST_F(ConnectionBaseTest, DemoRegistrationConnectionClosedByTheServerIsNoFailure) {
    connect(true);
    EXPECT_EQ(delegate->connects, std::vector<bool>{true});
    EXPECT_EQ(server.receive(300), "");  // no login request
    server.closeClient();
    ASSERT_TRUE(eventually([&] { return !conn->isManualServerDisconnect; }));  // the close has been seen
    settle();
    EXPECT_EQ(delegate->failureCount(), 0u);
}

TEST_F(ConnectionBaseTest, OversizedFrameEndsTheSessionAsAFailure) {
    connect(false, 1024);
    const platform::TimePoint timeout = clock->now() + 30s;
    server.send("\x01" + std::string(1000, 'x'));
    // The bytes were read and the next read armed: the session goes on.
    ASSERT_TRUE(eventually([&] { return clock->isPending(timeout); }));
    settle();
    EXPECT_EQ(delegate->failureCount(), 0u);
    server.send(std::string(100, 'y'));
    EXPECT_TRUE(delegate->waitFor([&] { return delegate->failures.size() == 1; }));
    EXPECT_EQ(delegate->frameCount(), 0u);
}

TEST_F(ConnectionBaseTest, ConnectRefusedAtOnceReachesTheFailurePath) {
    conn = ConnectionBase::create(delegate);
    EXPECT_FALSE(conn->ConnectToServer(false, "", 17001));
    ASSERT_EQ(delegate->failureCount(), 1u);
    EXPECT_FALSE(conn->ConnectToServer(false, "127.0.0.1", 70000));
    ASSERT_EQ(delegate->failureCount(), 2u);
    EXPECT_NE(delegate->failures[1].find("70000"), std::string::npos);
    EXPECT_FALSE(conn->ConnectToServer(false, "127.0.0.1", 0));
    EXPECT_EQ(delegate->failureCount(), 3u);
}

}  // namespace
}  // namespace protocol

namespace protocol {
namespace {

// Holds the frame's thread until the test has let the delegate go, and notes
// where the delegate ends.
class LastReferenceOnQueue : public Recorder {
public:
    ~LastReferenceOnQueue() override { *endedOnMain = platform::MainExecutor::isMainThread(); }
    void connectionDidReceiveFrame(std::string) override {
        entered.set_value();
        released.get_future().wait();
    }
    std::promise<void> entered;
    std::promise<void> released;
    std::shared_ptr<bool> endedOnMain = std::make_shared<bool>(false);
};

TEST_F(ConnectionBaseTest, TheDelegateDroppedWhileAFrameIsDecodedEndsOnTheMainThread) {
    auto holder = std::make_shared<LastReferenceOnQueue>();
    holder->loop = loop;
    auto entered = holder->entered.get_future();
    auto endedOnMain = holder->endedOnMain;
    std::weak_ptr<LastReferenceOnQueue> weak = holder;
    delegate = holder;
    connect();
    server.send("\x01" "9\x03" "10=1019\x03\x02");
    ASSERT_EQ(entered.wait_for(5s), std::future_status::ready);
    // The window lets its session go while "NewQueue" still holds it.
    delegate.reset();
    holder->released.set_value();
    holder.reset();
    conn->queue()->sync([] {});
    ASSERT_FALSE(weak.expired());  // the queue handed its reference to the main thread
    loop->runUntilIdle();
    EXPECT_TRUE(weak.expired());
    EXPECT_TRUE(*endedOnMain);
}

}  // namespace
}  // namespace protocol
