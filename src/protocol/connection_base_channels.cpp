// The ZeroMQ side of the connection: the subscription feed and the request channel.
#include <zmq.h>

#include <exception>

#include "platform/log.h"
#include "protocol/connection_base.h"
#include "support/zmq/zmq_context.h"

namespace protocol {

namespace {

bool usablePort(std::int64_t port) { return port > 0 && port <= 65535; }

}  // namespace

bool ConnectionBase::ConnectToZMQSubServer(const std::string& address, std::int64_t port) {
    support::ZMQContext::logZMQVersion();
    std::lock_guard<std::mutex> lock(channelsMutex_);
    try {
        if (!zmqContext_) {
            zmqContext_ = std::make_shared<support::ZMQContext>(1);
            zmqContext_->setMaxMessageSize(ZMQ_SUB, ZMQSubscriptionFeed::kMaxMessageSize);
        }
    } catch (const std::exception& e) {
        platform::Log::error(std::string("No ZeroMQ context: ") + e.what());
        return false;
    }
    if (!usablePort(port)) {
        platform::Log::error("Subscription feed port out of range: " + std::to_string(port));
        return false;
    }
    if (!subFeed_) subFeed_ = std::make_shared<ZMQSubscriptionFeed>(zmqContext_, onFeedMessage);
    return subFeed_->connect(address, static_cast<int>(port));
}

bool ConnectionBase::ConnectToZMQReqServer(const std::string& address, std::int64_t port) {
    std::lock_guard<std::mutex> lock(channelsMutex_);
    if (!zmqContext_) {
        platform::Log::error("Request channel before the subscription feed: no ZeroMQ context");
        return false;
    }
    if (!usablePort(port)) {
        platform::Log::error("Request channel port out of range: " + std::to_string(port));
        return false;
    }
    if (!reqChannel_) reqChannel_ = std::make_shared<ZMQRequestChannel>(zmqContext_, onZMQReply, buildKeepAlive);
    return reqChannel_->connect(address, static_cast<int>(port));
}

void ConnectionBase::SubscribeandUnsubscribe(const std::string& topic, int option) {
    std::shared_ptr<ZMQSubscriptionFeed> feed;
    {
        std::lock_guard<std::mutex> lock(channelsMutex_);
        feed = subFeed_;
    }
    if (feed) feed->SubscribeandUnsubscribe(topic, option);
}

void ConnectionBase::ProcessSubscribeandUnSubscribeItems(const std::vector<std::string>& codes, bool subscribe) {
    const int option = subscribe ? ZMQSubscriptionFeed::kSubscribe : ZMQSubscriptionFeed::kUnsubscribe;
    for (const std::string& code : codes) {
        SubscribeandUnsubscribe(code, option);
        SubscribeandUnsubscribe("MD_" + code + ";", option);
    }
}

bool ConnectionBase::sendZMQRequestMessage(RequestMessage request) {
    std::shared_ptr<ZMQRequestChannel> channel;
    {
        std::lock_guard<std::mutex> lock(channelsMutex_);
        channel = reqChannel_;
    }
    if (!channel) {
        platform::Log::debug("Request channel not connected: request dropped");
        return false;
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
    if (feed) feed->stop();
    if (channel) channel->stop();
}

}  // namespace protocol
