#include <gtest/gtest.h>
#include <zmq.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_exception.h"
#include "support/zmq/zmq_socket.h"

// The test links with --wrap=zmq_close, so every close that reaches libzmq passes here.
namespace {
std::atomic<int> zmqCloseCalls{0};
}
extern "C" int __real_zmq_close(void* socket);
extern "C" int __wrap_zmq_close(void* socket) {
    ++zmqCloseCalls;
    return __real_zmq_close(socket);
}

namespace {

using support::ZMQContext;
using support::ZMQException;
using support::ZMQSocket;

// Keeps every log line written during a test.
class ZMQTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::Log::setSink([this](platform::LogLevel level, const std::string& line) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back({level, line});
        });
    }
    void TearDown() override { platform::Log::setSink(nullptr); }

    std::vector<std::pair<platform::LogLevel, std::string>> lines() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

    std::shared_ptr<ZMQContext> context_ = std::make_shared<ZMQContext>(1);

  private:
    std::mutex mutex_;
    std::vector<std::pair<platform::LogLevel, std::string>> lines_;
};

// Waits up to two seconds for a message to be readable.
bool readable(ZMQSocket& socket) {
    zmq_pollitem_t item;
    socket.getPollItem(item, ZMQ_POLLIN);
    return ZMQContext::pollWithItems(&item, 1, 2'000'000) == 1 && (item.revents & ZMQ_POLLIN);
}

TEST_F(ZMQTest, CloseTwiceReachesLibzmqOnce) {
    auto socket = context_->socketWithType(ZMQ_REQ);
    const int before = zmqCloseCalls;
    socket->close();
    EXPECT_TRUE(socket->isClosed());
    EXPECT_EQ(socket->socket(), nullptr);
    socket->close();
    socket.reset();  // releasing a closed socket closes nothing either
    EXPECT_EQ(zmqCloseCalls - before, 1);
    EXPECT_TRUE(lines().empty());
}

TEST_F(ZMQTest, ClosedSocketRefusesWorkInsteadOfUsingAFreedHandle) {
    auto socket = context_->socketWithType(ZMQ_SUB);
    socket->close();
    try {
        socket->connectToEndpoint("inproc://closed");
        FAIL() << "no exception";
    } catch (const ZMQException& e) {
        EXPECT_EQ(e.code(), ENOTSOCK);
    }
    EXPECT_FALSE(socket->subscribe("IS;"));
    EXPECT_FALSE(socket->sendData("x", 0));
}

TEST(ZMQSocketNames, ByType) {
    const char* expected[] = {"ZMQ_PAIR", "ZMQ_PUB",  "ZMQ_SUB",  "ZMQ_REQ", "ZMQ_REP",
                              "ZMQ_XREQ", "ZMQ_XREP", "ZMQ_PULL", "ZMQ_PUSH"};
    for (int t = 0; t < 9; ++t) EXPECT_EQ(ZMQSocket::nameForSocketType(t), expected[t]);
    EXPECT_EQ(ZMQSocket::nameForSocketType(9), "UNKNOWN");
    EXPECT_EQ(ZMQSocket::nameForSocketType(1000), "UNKNOWN");
    EXPECT_EQ(ZMQSocket::nameForSocketType(-1), "UNKNOWN");
}

TEST_F(ZMQTest, ReceiveOnRequestSocketWithoutSendRaisesWithErrorCode) {
    auto socket = context_->socketWithType(ZMQ_REQ);
    socket->connectToEndpoint("inproc://nobody");
    try {
        socket->receiveDataWithFlags(0);
        FAIL() << "no exception";
    } catch (const ZMQException& e) {
        EXPECT_EQ(e.name(), "ZMQException");
        ASSERT_EQ(e.userInfo().count("errorCode"), 1u);
        EXPECT_EQ(e.userInfo().at("errorCode"), EFSM);
        EXPECT_EQ(e.reason(), zmq_strerror(EFSM));
    }
    const std::string prefix = "ZMQLogError: *** <ZMQSocket: ";
    const std::string suffix =
        "type=ZMQ_REQ, endpoint=inproc://nobody, closed=0)>: zmq_recvmsg: " + std::string(zmq_strerror(EFSM));
    auto logged = lines();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].first, platform::LogLevel::Error);
    EXPECT_EQ(logged[0].second.rfind(prefix, 0), 0u) << logged[0].second;
    EXPECT_NE(logged[0].second.find(suffix), std::string::npos) << logged[0].second;

    // The buffer receive logs and returns the failure instead of raising.
    char buffer[8];
    EXPECT_EQ(socket->receiveWithBuffer(buffer, sizeof buffer, 0), -1);
    EXPECT_EQ(lines().size(), 2u);
}

TEST_F(ZMQTest, FailuresRaiseTheLibzmqError) {
    try {
        context_->socketWithType(9999);
        FAIL() << "no exception";
    } catch (const ZMQException& e) {
        EXPECT_EQ(e.code(), EINVAL);
    }
    EXPECT_TRUE(context_->sockets().empty());

    auto socket = context_->socketWithType(ZMQ_SUB);
    try {
        socket->connectToEndpoint("nonsense://x");
        FAIL() << "no exception";
    } catch (const ZMQException& e) {
        EXPECT_EQ(e.code(), EPROTONOSUPPORT);
    }
    EXPECT_EQ(socket->endpoint(), "nonsense://x");
    EXPECT_THROW(socket->setData("x", 123456), ZMQException);
    EXPECT_THROW(socket->dataForOption(123456), ZMQException);
    EXPECT_THROW(ZMQContext(-1), ZMQException);
}

TEST_F(ZMQTest, RequestReplyWithMultipartReply) {
    auto rep = context_->socketWithType(ZMQ_REP);
    auto req = context_->socketWithType(ZMQ_REQ);
    ASSERT_TRUE(rep->bindToEndpoint("inproc://history"));
    ASSERT_TRUE(req->connectToEndpoint("inproc://history"));

    ASSERT_TRUE(
        req->sendData("\x01"
                      "10=1023\x03\x02",
                      0));
    ASSERT_TRUE(readable(*rep));
    EXPECT_EQ(rep->receiveDataWithFlags(0),
              "\x01"
              "10=1023\x03\x02");
    EXPECT_FALSE(rep->hasMoreDataForOption(ZMQ_RCVMORE));
    ASSERT_TRUE(rep->sendData("part1", ZMQ_SNDMORE));
    ASSERT_TRUE(rep->sendData("", ZMQ_SNDMORE));
    ASSERT_TRUE(rep->sendData("part3", 0));

    ASSERT_TRUE(readable(*req));
    std::vector<std::string> parts;
    do {
        parts.push_back(req->receiveDataWithFlags(0));
    } while (req->hasMoreDataForOption(ZMQ_RCVMORE));
    EXPECT_EQ(parts, (std::vector<std::string>{"part1", "", "part3"}));

    // A second exchange on the same pair: the socket is back in its send state.
    ASSERT_TRUE(req->sendData("again", 0));
    ASSERT_TRUE(readable(*rep));
    char buffer[16] = {};
    EXPECT_EQ(rep->receiveWithBuffer(buffer, sizeof buffer, 0), 5);
    EXPECT_EQ(std::string(buffer, 5), "again");
}

// A part above the cap never reaches the reader: libzmq drops the connection
// (a protocol error, so it is not made again).
TEST_F(ZMQTest, SocketsOfACappedTypeRefuseLargerParts) {
    constexpr std::size_t kCap = 100;
    context_->setMaxMessageSize(ZMQ_PULL, kCap);
    auto push = context_->socketWithType(ZMQ_PUSH);
    ASSERT_TRUE(push->bindToEndpoint("tcp://127.0.0.1:*"));
    auto pull = context_->socketWithType(ZMQ_PULL);
    ASSERT_EQ(zmq_socket_monitor(pull->socket(), "inproc://pull-events", ZMQ_EVENT_DISCONNECTED), 0);
    auto events = context_->socketWithType(ZMQ_PAIR);
    ASSERT_TRUE(events->connectToEndpoint("inproc://pull-events"));
    ASSERT_TRUE(pull->connectToEndpoint(push->dataForOption(ZMQ_LAST_ENDPOINT).c_str()));

    ASSERT_TRUE(push->sendData(std::string(kCap, 'a'), 0));
    ASSERT_TRUE(readable(*pull));
    EXPECT_EQ(pull->receiveDataWithFlags(0), std::string(kCap, 'a'));
    ASSERT_TRUE(push->sendData(std::string(kCap + 1, 'b'), 0));
    ASSERT_TRUE(readable(*events));
    zmq_pollitem_t item;
    pull->getPollItem(item, ZMQ_POLLIN);
    EXPECT_EQ(ZMQContext::pollWithItems(&item, 1, 0), 0);
}

TEST_F(ZMQTest, PublishSubscribeOverLoopbackTcpFiltersByPrefix) {
    auto pub = context_->socketWithType(ZMQ_PUB);
    ASSERT_TRUE(pub->bindToEndpoint("tcp://127.0.0.1:*"));
    std::string endpoint = pub->dataForOption(ZMQ_LAST_ENDPOINT);
    if (!endpoint.empty() && endpoint.back() == '\0') endpoint.pop_back();
    ASSERT_EQ(endpoint.rfind("tcp://127.0.0.1:", 0), 0u) << endpoint;

    auto sub = context_->socketWithType(ZMQ_SUB);
    ASSERT_TRUE(sub->connectToEndpoint(endpoint));
    EXPECT_TRUE(sub->subscribe("IS;"));
    EXPECT_TRUE(sub->subscribe("EURUSD"));

    // The subscription reaches the publisher asynchronously: publish until it arrives.
    std::string first;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (first.empty() && std::chrono::steady_clock::now() < deadline) {
        pub->sendData(
            "GOLD\x04"
            "1",
            0);
        pub->sendData("IS;10=1049", 0);
        zmq_pollitem_t item;
        sub->getPollItem(item, ZMQ_POLLIN);
        if (ZMQContext::pollWithItems(&item, 1, 20'000) == 1) first = sub->receiveDataWithFlags(0);
    }
    EXPECT_EQ(first, "IS;10=1049");

    // Drain what the warm-up left, then check the prefix filter once more.
    while (sub->receiveWithBuffer(nullptr, 0, ZMQ_DONTWAIT) >= 0) {
    }
    pub->sendData(
        "GOLD\x04"
        "2",
        0);
    pub->sendData(
        "EURUSD\x04"
        "1.0835",
        0);
    ASSERT_TRUE(readable(*sub));
    EXPECT_EQ(sub->receiveDataWithFlags(0),
              "EURUSD\x04"
              "1.0835");

    // Unsubscribing goes through the option 7 (the wrapper has no call of its own).
    EXPECT_TRUE(sub->setData("EURUSD", ZMQ_UNSUBSCRIBE));
}

TEST_F(ZMQTest, ContextTracksLiveSocketsAndClosesThemBeforeTerminating) {
    auto a = context_->socketWithType(ZMQ_SUB);
    auto b = context_->socketWithType(ZMQ_REQ);
    EXPECT_EQ(a->context(), context_);
    EXPECT_EQ(context_->sockets().size(), 2u);
    b.reset();  // the context does not keep a replaced socket alive
    EXPECT_EQ(context_->sockets().size(), 1u);

    // A request queued for a server that never answers must not hold up terminating.
    auto req = context_->socketWithType(ZMQ_REQ);
    req->connectToEndpoint("tcp://127.0.0.1:9");
    EXPECT_TRUE(req->sendData("pending", ZMQ_DONTWAIT));

    context_->closeSockets();
    EXPECT_TRUE(a->isClosed());
    EXPECT_TRUE(req->isClosed());
    context_->terminate();
    EXPECT_TRUE(context_->isTerminated());
    EXPECT_EQ(context_->context(), nullptr);
    context_->terminate();  // a second terminate does nothing
}

TEST_F(ZMQTest, ReleasingTheContextWithOpenSocketsDoesNotHang) {
    auto sub = context_->socketWithType(ZMQ_SUB);
    sub->connectToEndpoint("tcp://127.0.0.1:9");
    auto req = context_->socketWithType(ZMQ_REQ);
    req->connectToEndpoint("tcp://127.0.0.1:9");
    req->sendData("pending", ZMQ_DONTWAIT);
    context_.reset();
    EXPECT_TRUE(sub->isClosed());
    EXPECT_TRUE(req->isClosed());
    EXPECT_EQ(sub->context(), nullptr);
}

TEST_F(ZMQTest, DescriptionAndVersionLine) {
    auto sub = context_->socketWithType(ZMQ_SUB);
    const std::string d = sub->description();
    EXPECT_EQ(d.rfind("<ZMQSocket: 0x", 0), 0u) << d;
    EXPECT_NE(d.find("type=ZMQ_SUB, endpoint=(null), closed=0)>"), std::string::npos) << d;

    int major = -1, minor = -1, patch = -1;
    ZMQContext::getZMQVersionMajor(&major, &minor, &patch);
    EXPECT_EQ(major, ZMQ_VERSION_MAJOR);
    EXPECT_EQ(minor, ZMQ_VERSION_MINOR);
    EXPECT_EQ(patch, ZMQ_VERSION_PATCH);
    ZMQContext::logZMQVersion();
    auto logged = lines();
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].first, platform::LogLevel::Info);
    EXPECT_EQ(logged[0].second, "Current \xC3\x98MQ version is " + std::to_string(major) + "." +
                                    std::to_string(minor) + "." + std::to_string(patch) + ".");
}

TEST_F(ZMQTest, PollTimeoutIsInMicroseconds) {
    auto sub = context_->socketWithType(ZMQ_SUB);
    zmq_pollitem_t item;
    sub->getPollItem(item, ZMQ_POLLIN);
    EXPECT_EQ(item.socket, sub->socket());
    EXPECT_EQ(item.events, ZMQ_POLLIN);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ZMQContext::pollWithItems(&item, 1, 50'000), 0);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(40));
    EXPECT_LT(waited, std::chrono::seconds(5));
}

}  // namespace
