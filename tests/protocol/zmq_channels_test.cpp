// The subscription reader and the request worker against sockets made in the
// test (XPUB shows the subscriptions, REP answers the requests).
#include <gtest/gtest.h>
#include <zmq.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/log.h"
#include "platform/test_env.h"
#include "support/xpub_subscriptions.h"
#include "protocol/zmq_request_channel.h"
#include "protocol/zmq_subscription_feed.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_socket.h"

namespace protocol {
namespace {

using namespace std::chrono_literals;

// Waits in real time for work done by another thread.
using platform::testing::eventually;

using support::testing::drainSubscriptions;

class FeedTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        context = std::make_shared<support::ZMQContext>(1);
        pub = context->socketWithType(ZMQ_XPUB);
        int verbose = 1;
        zmq_setsockopt(pub->socket(), ZMQ_XPUB_VERBOSER, &verbose, sizeof verbose);
        pub->bindToEndpoint("tcp://127.0.0.1:*");
        endpoint = pub->dataForOption(ZMQ_LAST_ENDPOINT);
        endpoint = endpoint.c_str();  // without the terminating NUL
        feed = std::make_unique<ZMQSubscriptionFeed>(context, [this](const std::string& t) { received.push_back(t); });
    }
    void TearDown() override {
        feed.reset();
        pub.reset();
        context.reset();
        FakeTimeTest::TearDown();
    }
    // Publishes `text` until the main loop has it (the subscriber may still be joining).
    bool publishUntilReceived(const std::string& text) {
        return eventually([&] {
            pub->sendData(text, 0);
            std::this_thread::sleep_for(5ms);
            loop->runUntilIdle();
            return std::find(received.begin(), received.end(), text) != received.end();
        });
    }

    // Publishes `count` texts (`prefix` and a number) `gap` apart, the main
    // loop running between them, and checks that all reach it in order: the
    // hand-offs they took. Late copies of the text published until received
    // are passed over.
    std::size_t publishPaced(const std::string& prefix, std::size_t count, std::chrono::milliseconds gap) {
        std::size_t handOffs = 0;
        for (std::size_t i = 0; i < count; ++i) {
            pub->sendData(prefix + std::to_string(i), 0);
            std::this_thread::sleep_for(gap);
            handOffs += loop->runUntilIdle();
        }
        std::vector<std::string> paced;
        EXPECT_TRUE(eventually([&] {
            handOffs += loop->runUntilIdle();
            paced.clear();
            std::copy_if(received.begin(), received.end(), std::back_inserter(paced),
                         [&](const std::string& t) { return t.starts_with(prefix); });
            return paced.size() >= count;
        }));
        EXPECT_EQ(paced.size(), count);
        for (std::size_t i = 0; i < std::min(count, paced.size()); ++i) EXPECT_EQ(paced[i], prefix + std::to_string(i));
        return handOffs;
    }

    std::shared_ptr<support::ZMQContext> context;
    std::shared_ptr<support::ZMQSocket> pub;
    std::string endpoint;
    std::unique_ptr<ZMQSubscriptionFeed> feed;
    std::vector<std::string> received;
};

TEST_F(FeedTest, ConnectSubscribesStatusAndBroadcastAndItemsGoThroughTheReader) {
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    EXPECT_EQ(drainSubscriptions(*pub, 2), (std::vector<std::string>{"+IS;", "+*#bm#*:"}));

    // A list of codes gives each code's two topics, in order with the single changes.
    feed->SubscribeandUnsubscribeItems({"EURUSD", "GOLD"}, ZMQSubscriptionFeed::kSubscribe);
    feed->SubscribeandUnsubscribe("EURUSD", ZMQSubscriptionFeed::kUnsubscribe);
    EXPECT_EQ(drainSubscriptions(*pub, 5),
              (std::vector<std::string>{"+EURUSD", "+MD_EURUSD;", "+GOLD", "+MD_GOLD;", "-EURUSD"}));

    ASSERT_TRUE(publishUntilReceived("IS;x"));
    ASSERT_TRUE(publishUntilReceived("MD_EURUSD;1,2;3,4"));
    pub->sendData("EURUSD\x04tick", 0);  // unsubscribed
    pub->sendData("*#bm#*:hello", 0);
    ASSERT_TRUE(publishUntilReceived("*#bm#*:hello"));
    EXPECT_EQ(std::count(received.begin(), received.end(), "EURUSD\x04tick"), 0);
}

TEST_F(FeedTest, EveryChangeOfABurstFromTwoThreadsIsApplied) {
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    ASSERT_TRUE(publishUntilReceived("IS;1"));
    const std::size_t before = feed->changesApplied();
    constexpr int kPerThread = 2000;
    auto burst = [&](const std::string& prefix) {
        for (int i = 0; i < kPerThread; ++i) feed->SubscribeandUnsubscribe(prefix + std::to_string(i), ZMQSubscriptionFeed::kSubscribe);
    };
    std::thread other(burst, "B");
    burst("A");
    other.join();
    EXPECT_TRUE(eventually([&] { return feed->changesApplied() == before + 2 * kPerThread; }));
}

TEST_F(FeedTest, ReconnectStopsThePreviousReaderFirst) {
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    ASSERT_TRUE(publishUntilReceived("IS;1"));
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    EXPECT_EQ(feed->readersStarted(), 2u);
    received.clear();
    ASSERT_TRUE(publishUntilReceived("IS;2"));
    // Every message once more: exactly one reader receives.
    for (int i = 0; i < 20; ++i) pub->sendData("IS;n" + std::to_string(i), 0);
    ASSERT_TRUE(eventually([&] {
        loop->runUntilIdle();
        return std::count(received.begin(), received.end(), "IS;n19") == 1;
    }));
    for (int i = 0; i < 20; ++i) EXPECT_EQ(std::count(received.begin(), received.end(), "IS;n" + std::to_string(i)), 1);
}

// A quiet feed wakes the main thread once for a burst of texts, not once a
// text: paced a millisecond apart, a hand-off a drain would take one each.
TEST_F(FeedTest, ALightBurstReachesTheMainThreadInFewHandOffs) {
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    ASSERT_TRUE(publishUntilReceived("IS;ready"));
    EXPECT_LT(publishPaced("IS;g", 20, 1ms), 10u);
}

// A steady light feed is drained at the gathering pace, in order and whole;
// a connection dropped while it flows is made again.
TEST_F(FeedTest, ASteadyLightFeedArrivesWholeAtTheGatheringPaceAndOutlivesADrop) {
    context->setMaxMessageSize(ZMQ_SUB, ZMQSubscriptionFeed::kMaxMessageSize);
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    ASSERT_TRUE(publishUntilReceived("IS;ready"));
    const auto start = std::chrono::steady_clock::now();
    const std::size_t handOffs = publishPaced("IS;s", 100, 3ms);
    // At most one hand-off a gathering window.
    EXPECT_LE(handOffs, std::size_t((std::chrono::steady_clock::now() - start) /
                                    (ZMQSubscriptionFeed::kGatherLightFeed - 2ms)) + 2);

    pub->sendData("IS;" + std::string(ZMQSubscriptionFeed::kMaxMessageSize, 'x'), 0);
    ASSERT_TRUE(eventually([&] {
        pub->sendData("IS;during", 0);
        std::this_thread::sleep_for(3ms);
        loop->runUntilIdle();
        return feed->reconnects() == 1;
    }));
    ASSERT_TRUE(publishUntilReceived("IS;after"));
}

TEST_F(FeedTest, StopReturnsWithoutWaitingForAMessageAndDropsLaterChanges) {
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    ASSERT_TRUE(publishUntilReceived("IS;1"));
    auto before = std::chrono::steady_clock::now();
    feed->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_FALSE(feed->isRunning());
    feed->SubscribeandUnsubscribe("GOLD", ZMQSubscriptionFeed::kSubscribe);  // no reader: dropped
    EXPECT_EQ(feed->changesApplied(), 2u);
}

TEST_F(FeedTest, OversizedAndNonTextMessagesAreDropped) {
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    ASSERT_TRUE(publishUntilReceived("IS;first"));
    pub->sendData("IS;" + std::string(ZMQSubscriptionFeed::kMaxMessageSize, 'x'), 0);
    pub->sendData("IS;\xff\xfe", 0);
    ASSERT_TRUE(publishUntilReceived("IS;last"));
    for (const auto& t : received) EXPECT_TRUE(t == "IS;first" || t == "IS;last") << t.size();
}

TEST_F(FeedTest, AMessageOverTheSocketsLimitDropsTheConnectionAndTheFeedConnectsAgain) {
    context->setMaxMessageSize(ZMQ_SUB, ZMQSubscriptionFeed::kMaxMessageSize);
    ASSERT_TRUE(feed->connectToEndpoint(endpoint));
    ASSERT_TRUE(publishUntilReceived("IS;first"));
    pub->sendData("IS;" + std::string(ZMQSubscriptionFeed::kMaxMessageSize, 'x'), 0);
    ASSERT_TRUE(eventually([&] { return feed->reconnects() == 1; }));
    ASSERT_TRUE(publishUntilReceived("IS;after"));
    EXPECT_EQ(feed->reconnects(), 1u);
}

TEST_F(FeedTest, ConnectToAnUnusableEndpointStartsNoReader) {
    EXPECT_FALSE(feed->connectToEndpoint("nonsense://"));
    EXPECT_FALSE(feed->isRunning());
}

// ---------------------------------------------------------------------------
// Request channel

RequestMessage request(const std::string& name, std::int64_t strategy = 0) {
    RequestMessage r;
    r.message = std::string("\x01") + "40\x03" + "10=1023\x03" + "151=" + name + "\x03" + "20=1\x03\x02";
    r.isZMQ = true;
    r.receivingStrategy = strategy;
    return r;
}

class RequestChannelTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        context = std::make_shared<support::ZMQContext>(1);
        rep = context->socketWithType(ZMQ_REP);
        rep->bindToEndpoint("tcp://127.0.0.1:*");
        endpoint = rep->dataForOption(ZMQ_LAST_ENDPOINT).c_str();
    }
    void TearDown() override {
        if (channel) channel->stop();
        stopServer = true;
        if (server.joinable()) server.join();
        channel.reset();
        rep.reset();
        context.reset();
        FakeTimeTest::TearDown();
    }
    template <typename Channel = ZMQRequestChannel>
    void makeChannel(std::size_t maxReplySize = ZMQRequestChannel::kMaxReplySize) {
        channel = std::make_unique<Channel>(
            context, [this](ZMQReply r) { replies.push_back(std::move(r)); },
            [this]() -> std::optional<RequestMessage> {
                ++keepAlivesBuilt;
                RequestMessage r;
                r.message = "\x01" "20\x03" "10=1002\x03\x02";
                r.isZMQ = true;
                return r;
            },
            ZMQRequestChannel::kDefaultReplyTimeout, maxReplySize);
    }
    // The server: answers each request with `answer(request)` (parts), or not at all when empty.
    void serve(std::function<std::vector<std::string>(const std::string&)> answer) {
        server = std::thread([this, answer] {
            while (!stopServer) {
                zmq_pollitem_t item;
                rep->getPollItem(item, ZMQ_POLLIN);
                if (zmq_poll(&item, 1, 10) <= 0) continue;
                std::string req = rep->receiveDataWithFlags(0);
                requestsSeen.push_back(req);
                ++requestCount;
                std::vector<std::string> parts = answer(req);
                while (parts.empty() && !stopServer) {
                    // Holds the reply back until told.
                    std::this_thread::sleep_for(2ms);
                    if (releaseHeld) {
                        releaseHeld = false;
                        parts = {"late"};
                    }
                }
                for (std::size_t i = 0; i < parts.size(); ++i)
                    rep->sendData(parts[i], i + 1 < parts.size() ? ZMQ_SNDMORE : 0);
            }
        });
    }
    // Lets the worker sleep, advances the fake clock by one pass and waits
    // until the worker has made that pass and sleeps again.
    void step() {
        ASSERT_TRUE(eventually([&] { return channel->isWaitingForPass(); }));
        std::uint64_t passes = channel->passes();
        clock->advance(ZMQRequestChannel::kPassInterval);
        ASSERT_TRUE(eventually([&] { return channel->passes() > passes && channel->isWaitingForPass(); }));
    }
    void waitForFirstWait() {
        ASSERT_TRUE(eventually([&] { return channel->waitsArmed() > 0; }));
    }
    bool pumpUntil(const std::function<bool()>& done) {
        return eventually([&] {
            loop->runUntilIdle();
            return done();
        });
    }

    std::shared_ptr<support::ZMQContext> context;
    std::shared_ptr<support::ZMQSocket> rep;
    std::string endpoint;
    std::unique_ptr<ZMQRequestChannel> channel;
    std::vector<ZMQReply> replies;
    std::atomic<int> keepAlivesBuilt{0};
    std::thread server;
    std::atomic<bool> stopServer{false};
    std::atomic<bool> releaseHeld{false};
    std::atomic<int> requestCount{0};
    std::vector<std::string> requestsSeen;  // server thread until joined
};

TEST_F(RequestChannelTest, MultipartRepliesAreJoinedAndCarryTheirKind) {
    serve([](const std::string& req) -> std::vector<std::string> {
        if (req.find("151=download") != std::string::npos) return {"part1-", "part2-", "part3"};
        return {"single", "-extra"};
    });
    makeChannel();
    const std::uint64_t first = channel->sendZMQRequestMessage(request("download", 1));
    channel->sendZMQRequestMessage(request("getopenpositions", 0));
    const std::uint64_t third = channel->sendZMQRequestMessage(request("getpendingorders", 0));
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    ASSERT_TRUE(pumpUntil([&] { return replies.size() == 3; }));
    EXPECT_EQ(replies[0].text, "part1-part2-part3");
    EXPECT_EQ(replies[0].kind.type, 1023);
    EXPECT_EQ(replies[0].kind.name, "download");
    EXPECT_EQ(replies[0].kind.receivingStrategy, 1);
    // One part read, the rest dropped, and the socket goes on.
    EXPECT_EQ(replies[1].text, "single");
    EXPECT_EQ(replies[1].kind.name, "getopenpositions");
    EXPECT_EQ(replies[2].kind.name, "getpendingorders");
    // Each reply carries the number its request got when queued.
    EXPECT_NE(first, 0u);
    EXPECT_EQ(replies[0].kind.sequence, first);
    EXPECT_EQ(replies[2].kind.sequence, third);
    EXPECT_EQ(third, first + 2);
    EXPECT_EQ(channel->requestsSent(), 3u);
}

// Each part within the cap (which also bounds the handshake's own frames),
// the parts of "big" joined past it.
TEST_F(RequestChannelTest, RepliesJoiningPastTheCapAreDropped) {
    const std::string part(40, 'p');
    // A copy: the server thread outlives the test body.
    serve([part](const std::string& req) -> std::vector<std::string> {
        if (req.find("151=big") != std::string::npos) return {part, part, part};
        return {part, part};
    });
    makeChannel(100);
    channel->sendZMQRequestMessage(request("big", 1));
    channel->sendZMQRequestMessage(request("fits", 1));
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    ASSERT_TRUE(pumpUntil([&] { return replies.size() == 2; }));
    // The dropped request's owner is told; the next one is answered.
    EXPECT_EQ(replies[0].kind.name, "big");
    EXPECT_TRUE(replies[0].unanswered);
    EXPECT_EQ(replies[1].kind.name, "fits");
    EXPECT_EQ(replies[1].text, part + part);
    EXPECT_FALSE(replies[1].unanswered);
}

// A reply over the cap but within what the socket reads is refused with its size named.
TEST_F(RequestChannelTest, AnAnswerOverTheLimitIsRefusedWithItsSize) {
    std::vector<std::string> logged;
    platform::Log::setSink([&logged](platform::LogLevel, const std::string& m) { logged.push_back(m); });
    serve([](const std::string&) -> std::vector<std::string> { return {std::string(150, 'p')}; });
    makeChannel(100);
    channel->sendZMQRequestMessage(request("big", 0));
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    ASSERT_TRUE(pumpUntil([&] { return replies.size() == 1; }));
    platform::Log::setSink(nullptr);
    EXPECT_EQ(replies[0].kind.name, "big");
    EXPECT_TRUE(replies[0].unanswered);
    EXPECT_EQ(std::count_if(logged.begin(), logged.end(),
                            [](const std::string& m) {
                                return m.find("big reaches 150 bytes, over the answer limit of 100 bytes") !=
                                       std::string::npos;
                            }),
              1);
}

TEST_F(RequestChannelTest, RequestsWaitForTheNextPass) {
    serve([](const std::string&) -> std::vector<std::string> { return {"ok"}; });
    makeChannel();
    const platform::TimePoint firstPass = clock->now();
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    waitForFirstWait();
    // Idle, the worker sleeps with no pass armed; a request wakes it, and it
    // goes out at the next pass of the 0.5 s grid, which only the clock ends.
    ASSERT_TRUE(eventually([&] { return channel->isWaitingForPass(); }));
    clock->advance(1200ms);
    const platform::TimePoint nextPass = firstPass + 3 * ZMQRequestChannel::kPassInterval;
    EXPECT_FALSE(clock->isPending(nextPass));
    channel->sendZMQRequestMessage(request("a"));
    ASSERT_TRUE(eventually([&] { return clock->isPending(nextPass); }));
    EXPECT_EQ(channel->requestsSent(), 0u);
    clock->advance(200ms);
    EXPECT_TRUE(clock->isPending(nextPass));
    EXPECT_EQ(channel->requestsSent(), 0u);
    clock->advance(100ms);
    ASSERT_TRUE(pumpUntil([&] { return replies.size() == 1; }));
}

TEST_F(RequestChannelTest, KeepAliveOnlyAfterTheFirstRequestAndEverySixtySecondsOfSilence) {
    serve([](const std::string&) -> std::vector<std::string> { return {"ok"}; });
    makeChannel();
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    waitForFirstWait();
    // Before the first request nothing is armed: 75 s pass without a pass.
    ASSERT_TRUE(eventually([&] { return channel->isWaitingForPass(); }));
    clock->advance(75s);
    EXPECT_EQ(channel->passes(), 1u);
    EXPECT_EQ(channel->keepAlivesQueued(), 0u);
    EXPECT_EQ(requestCount.load(), 0);

    channel->sendZMQRequestMessage(request("a"));
    ASSERT_TRUE(eventually([&] { return clock->isPending(clock->now() + ZMQRequestChannel::kPassInterval); }));
    step();
    ASSERT_TRUE(pumpUntil([&] { return replies.size() == 1; }));
    // The idle period starts when the request is taken: 60 s is not yet more
    // than 60 s, so the keep-alive waits for the pass after.
    const platform::TimePoint taken = clock->now();
    ASSERT_TRUE(eventually([&] { return clock->isPending(taken + 60500ms); }));
    const std::uint64_t passes = channel->passes();
    clock->advance(60s);
    EXPECT_EQ(channel->passes(), passes);
    EXPECT_EQ(channel->keepAlivesQueued(), 0u);
    step();
    ASSERT_TRUE(eventually([&] { return requestCount.load() == 2; }));
    EXPECT_EQ(channel->keepAlivesQueued(), 1u);
    // The keep-alive restarts the idle period.
    ASSERT_TRUE(eventually([&] { return clock->isPending(taken + 121000ms); }));
    clock->advance(60s);
    EXPECT_EQ(channel->keepAlivesQueued(), 1u);
    step();
    ASSERT_TRUE(eventually([&] { return requestCount.load() == 3; }));
    stopServer = true;
    server.join();
    EXPECT_NE(requestsSeen[1].find("10=1002"), std::string::npos);
    EXPECT_NE(requestsSeen[2].find("10=1002"), std::string::npos);
}

TEST_F(RequestChannelTest, AReplyThatNeverComesTimesOutAndTheNextRequestGoesOut) {
    auto n = std::make_shared<std::atomic<int>>(0);  // the server thread outlives the test body
    serve([n](const std::string&) -> std::vector<std::string> {
        if ((*n)++ == 0) return {};  // the first request is never answered in time
        return {"second answer"};
    });
    makeChannel();
    channel->sendZMQRequestMessage(request("first"));
    channel->sendZMQRequestMessage(request("second"));
    const platform::TimePoint replyDue = clock->now() + ZMQRequestChannel::kDefaultReplyTimeout;
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    ASSERT_TRUE(eventually([&] { return requestCount.load() == 1 && channel->waitsArmed() == 1; }));
    clock->advance(29s);
    // The reply wait has not ended, so the worker is still on the first request.
    EXPECT_TRUE(clock->isPending(replyDue));
    EXPECT_EQ(channel->requestsSent(), 1u);
    EXPECT_EQ(requestCount.load(), 1);
    clock->advance(1s);
    // The worker gives the first request up and sends the second on a new
    // socket; only then is the first answered, on the dead socket.
    ASSERT_TRUE(eventually([&] { return channel->requestsSent() == 2; }));
    releaseHeld = true;
    ASSERT_TRUE(pumpUntil([&] { return replies.size() == 2; }));
    EXPECT_EQ(replies[0].kind.name, "first");  // its owner learns it went unanswered
    EXPECT_TRUE(replies[0].unanswered);
    EXPECT_EQ(replies[1].text, "second answer");
    EXPECT_EQ(replies[1].kind.name, "second");
}

class FailingOnceChannel : public ZMQRequestChannel {
public:
    using ZMQRequestChannel::ZMQRequestChannel;
    ~FailingOnceChannel() override { stop(); }
    std::atomic<int> sends{0};

protected:
    bool sendRequestData(support::ZMQSocket& socket, const std::string& message) override {
        if (sends++ == 0) return false;
        return ZMQRequestChannel::sendRequestData(socket, message);
    }
};

TEST_F(RequestChannelTest, AFailedSendMakesTheSocketAnewAndTheWorkerGoesOn) {
    serve([](const std::string& req) -> std::vector<std::string> { return {"answer to " + req.substr(req.find("151="), 9)}; });
    makeChannel<FailingOnceChannel>();
    channel->sendZMQRequestMessage(request("first"));
    channel->sendZMQRequestMessage(request("second"));
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    ASSERT_TRUE(pumpUntil([&] { return replies.size() == 2; }));
    EXPECT_EQ(replies[0].kind.name, "first");
    EXPECT_EQ(replies[1].kind.name, "second");
    EXPECT_TRUE(channel->isRunning());
}

TEST_F(RequestChannelTest, StopEndsAWorkerThatWaitsForAReply) {
    serve([](const std::string&) -> std::vector<std::string> { return {}; });
    makeChannel();
    channel->sendZMQRequestMessage(request("never"));
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    ASSERT_TRUE(eventually([&] { return requestCount.load() == 1; }));
    auto before = std::chrono::steady_clock::now();
    channel->stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_FALSE(channel->isRunning());
}

TEST_F(RequestChannelTest, ReconnectReplacesTheWorkerAndKeepsTheQueue) {
    serve([](const std::string&) -> std::vector<std::string> { return {"ok"}; });
    makeChannel();
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    waitForFirstWait();
    channel->sendZMQRequestMessage(request("queued"));
    ASSERT_TRUE(channel->connectToEndpoint(endpoint));
    ASSERT_TRUE(pumpUntil([&] { return replies.size() == 1; }));
    EXPECT_EQ(replies[0].kind.name, "queued");
    EXPECT_EQ(channel->requestsSent(), 1u);
}

TEST_F(RequestChannelTest, TheQueueIsBounded) {
    makeChannel();
    for (std::size_t i = 0; i < ZMQRequestChannel::kMaxQueuedRequests; ++i)
        ASSERT_TRUE(channel->sendZMQRequestMessage(request("r")));
    EXPECT_FALSE(channel->sendZMQRequestMessage(request("one too many")));
    EXPECT_EQ(channel->queuedRequests(), ZMQRequestChannel::kMaxQueuedRequests);
}

}  // namespace
}  // namespace protocol
