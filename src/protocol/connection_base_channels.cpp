// The ZeroMQ side of the connection: the subscription feed and the request channel.
#include <zmq.h>

#include <exception>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/runtime.h"
#include "protocol/connection_base.h"
#include "support/zmq/zmq_context.h"

namespace protocol {

namespace {

bool usablePort(std::int64_t port) { return port > 0 && port <= 65535; }

}  // namespace

bool ConnectionBase::haveZMQContext() {
    if (zmqContext_) return true;
    try {
        zmqContext_ = std::make_shared<support::ZMQContext>(1);
        zmqContext_->setMaxMessageSize(ZMQ_SUB, ZMQSubscriptionFeed::kMaxMessageSize);
        return true;
    } catch (const std::exception& e) {
        platform::Log::error(std::string("No ZeroMQ context: ") + e.what());
        return false;
    }
}

bool ConnectionBase::ConnectToZMQSubServer(const std::string& address, std::int64_t port) {
    platform::assertMainThread();
    support::ZMQContext::logZMQVersion();
    std::lock_guard<std::mutex> lock(channelsMutex_);
    if (!haveZMQContext()) return false;
    if (!usablePort(port)) {
        platform::Log::error("Subscription feed port out of range: " + std::to_string(port));
        return false;
    }
    if (!subFeed_) subFeed_ = std::make_shared<ZMQSubscriptionFeed>(zmqContext_, onFeedMessages, tickFields);
    platform::ioQueue()->async([feed = subFeed_, address, port] { feed->connect(address, static_cast<int>(port)); });
    return true;
}

bool ConnectionBase::ConnectToZMQReqServer(const std::string& address, std::int64_t port) {
    platform::assertMainThread();
    std::lock_guard<std::mutex> lock(channelsMutex_);
    if (!haveZMQContext()) return false;
    if (!usablePort(port)) {
        platform::Log::error("Request channel port out of range: " + std::to_string(port));
        return false;
    }
    if (!reqChannel_) {
        reqChannel_ = std::make_shared<ZMQRequestChannel>(zmqContext_, onZMQReply, buildKeepAlive);
        if (readZMQReply) reqChannel_->setReplyReader(readZMQReply);
    }
    platform::ioQueue()->async(
        [channel = reqChannel_, address, port] { channel->connect(address, static_cast<int>(port)); });
    return true;
}

void ConnectionBase::SubscribeandUnsubscribe(const std::string& topic, int option) {
    changeTopics([topic, option](ZMQSubscriptionFeed& feed) { feed.SubscribeandUnsubscribe(topic, option); });
}

// The codes go over as they are and each one's two topics are made by the
// feed's reader as it applies them: a login's whole list is held once, not as
// twice as many topics.
void ConnectionBase::ProcessSubscribeandUnSubscribeItems(std::vector<std::string> codes, bool subscribe) {
    if (codes.empty()) return;
    const int option = subscribe ? ZMQSubscriptionFeed::kSubscribe : ZMQSubscriptionFeed::kUnsubscribe;
    changeTopics([codes = std::move(codes), option](ZMQSubscriptionFeed& feed) mutable {
        feed.SubscribeandUnsubscribeItems(std::move(codes), option);
    });
}

void ConnectionBase::changeTopics(std::function<void(ZMQSubscriptionFeed& feed)> change) {
    std::shared_ptr<ZMQSubscriptionFeed> feed;
    {
        std::lock_guard<std::mutex> lock(channelsMutex_);
        feed = subFeed_;
    }
    if (!feed) return;
    // Behind the feed's connect on the io queue, so that a change made right after it is kept.
    platform::ioQueue()->async([feed, change = std::move(change)] { change(*feed); });
}

std::uint64_t ConnectionBase::sendZMQRequestMessage(RequestMessage request) {
    std::shared_ptr<ZMQRequestChannel> channel;
    {
        std::lock_guard<std::mutex> lock(channelsMutex_);
        channel = reqChannel_;
    }
    if (!channel) {
        platform::Log::debug("Request channel not connected: request dropped");
        return 0;
    }
    return channel->sendZMQRequestMessage(std::move(request));
}

void ConnectionBase::cancelChannelThreads() {
    std::shared_ptr<ZMQSubscriptionFeed> feed;
    std::shared_ptr<ZMQRequestChannel> channel;
    {
        std::lock_guard<std::mutex> lock(channelsMutex_);
        feed = subFeed_;
        channel = reqChannel_;
    }
    if (!feed && !channel) return;
    platform::ioQueue()->async([feed, channel] {
        if (feed) feed->stop();
        if (channel) channel->stop();
    });
}

void ConnectionBase::retireChannels() {
    std::lock_guard<std::mutex> lock(channelsMutex_);
    if (!subFeed_ && !reqChannel_ && !zmqContext_) return;
    // The threads are joined before the context ends: its end waits for their sockets.
    platform::ioQueue()->async([feed = std::move(subFeed_), channel = std::move(reqChannel_),
                                context = std::move(zmqContext_)]() mutable {
        feed.reset();
        channel.reset();
        context.reset();
    });
}

}  // namespace protocol
