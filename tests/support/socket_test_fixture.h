#pragma once
#include <gtest/gtest.h>

#include <memory>

#include "platform/clock.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "support/async_socket/gcd_async_socket.h"
#include "support/loopback_server.h"
#include "support/recording_socket_delegate.h"

namespace testsupport {

// A socket with a recording delegate on its own queue, timed by a fake clock.
class SocketTest : public ::testing::Test {
  protected:
    using Kind = SocketEvent::Kind;

    void SetUp() override {
        clock = std::make_shared<platform::FakeClock>();
        platform::installClock(clock);
        delegateQueue = platform::SerialQueue::create("delegate");
        delegate = std::make_shared<RecordingSocketDelegate>(delegateQueue);
        sock = support::GCDAsyncSocket::create(delegate, delegateQueue);
    }

    void TearDown() override {
        sock.reset();
        delegateQueue->sync([] {});
        EXPECT_TRUE(delegate->allOnDelegateQueue());
        platform::shutdown();
        platform::installClock(nullptr);
    }

    // Connects to the server over IPv4 and waits for both ends.
    void connectTo(LoopbackServer& server, const std::string& host = "127.0.0.1") {
        support::SocketError error;
        ASSERT_TRUE(sock->connectToHost(host, server.port(), &error)) << error.message;
        ASSERT_TRUE(server.accept());
        ASSERT_TRUE(delegate->waitFor(Kind::Connect));
    }

    // Returns once every request posted to the socket so far has run (a getter that waits for the queue).
    void settle() { (void)sock->isIPv4Enabled(); }

    // Advances the fake clock once the socket has armed a timer due at now + d.
    bool waitForTimerAt(platform::Duration d, int timeoutMs = 5000) {
        const auto target = clock->now() + d;
        for (int i = 0; i < timeoutMs; ++i) {
            platform::TimePoint when;
            if (clock->nextDue(&when) && when == target) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return false;
    }

    std::shared_ptr<platform::FakeClock> clock;
    std::shared_ptr<platform::SerialQueue> delegateQueue;
    std::shared_ptr<RecordingSocketDelegate> delegate;
    std::shared_ptr<support::GCDAsyncSocket> sock;
};

inline support::ByteBuffer bytes(const std::string& s) {
    return support::ByteBuffer(s.begin(), s.end());
}

}  // namespace testsupport
