#pragma once
// The TCP session to the trading server.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/deployment_constants.h"
#include "platform/serial_queue.h"
#include "protocol/frame_decoder.h"
#include "support/async_socket/gcd_async_socket.h"
#include "protocol/zmq_request_channel.h"
#include "protocol/zmq_subscription_feed.h"

namespace protocol {

class MessageBase;

// The session object as the connection reports to it. Frames arrive on the
// connection's queue "NewQueue" (the connection holds the delegate only for
// that call and lets it go on the main thread); the connect and the failure
// arrive on the main thread. The connection never keeps the delegate alive.
class ConnectionDelegate {
public:
    virtual ~ConnectionDelegate() = default;
    // The TCP session is up (the login request or the registration comes next).
    virtual void connectionDidConnect(bool demoRegistration) = 0;
    // One complete frame, start and end bytes removed, not yet checked as UTF-8.
    virtual void connectionDidReceiveFrame(std::string frame) = 0;
    // The session ended without a manual disconnect, or could not start.
    virtual void connectionDidFail(const std::string& error) = 0;
};

// The values of the login request (type 32).
struct LoginRequestValues {
    std::optional<std::string> userName;
    std::optional<std::string> password;
    std::optional<std::string> productName;
    std::optional<std::string> productVersion;
    std::string packedTime;  // "yyyyMMddHHmmss"
    std::string dataFormat = deployment::kPackedDataFormat;  // tag 160
};

// The TCP session: connect, read loop with time-out, de-framing, sending and
// the three ways of disconnecting. The ZeroMQ channels join it later.
class ConnectionBase : public support::GCDAsyncSocketDelegate, public std::enable_shared_from_this<ConnectionBase> {
public:
    static constexpr double kReadTimeout = 30.0;

    static std::shared_ptr<ConnectionBase> create(std::weak_ptr<ConnectionDelegate> delegate,
                                                  std::size_t maxFrame = FrameDecoder::kDefaultMaxFrame);
    ~ConnectionBase() override;

    // Connects to host:port; the outcome arrives through the delegate. A port
    // outside 1-65535, or a connect the socket refuses at once (an empty host,
    // say), is reported through connectionDidFail and answers false.
    bool ConnectToServer(bool demoRegistration, const std::string& host, std::int64_t port);
    // The same connect again with the last address. While connected nothing
    // happens then; after a relogin request the close that follows connects.
    void reloginToServer();
    // The server asked for a relogin ("NewQueue"): its close of this line is
    // no failure, and the relogin follows it.
    void expectRelogin() { reloginRequested_ = true; }
    // Fills `message` with the login request and builds it (main thread).
    static void LoginRequest(MessageBase& message, const LoginRequestValues& values);
    // Writes a framed text; no time-out.
    void sendMessage(const std::string& frame);
    // Disconnect asked for by the client: not reported as a failure.
    void DisconnectServer();
    // Disconnect that is reported as a failure.
    void ReloginRequestDisconnectServer();

    bool isConnected() const;
    std::atomic<bool> isNetworkAvailable{false};
    std::atomic<bool> isManualServerDisconnect{false};
    std::atomic<bool> DemoRegistration{false};

    const std::shared_ptr<support::GCDAsyncSocket>& Socket() const { return socket_; }
    const std::shared_ptr<platform::SerialQueue>& queue() const { return queue_; }

    // Socket delegate, on "NewQueue".
    void socketDidConnectToHost(support::GCDAsyncSocket* sock, const std::string& host, std::uint16_t port) override;
    void socketDidReadData(support::GCDAsyncSocket* sock, std::span<const std::uint8_t> data,
                           std::int64_t tag) override;
    void socketDidDisconnect(support::GCDAsyncSocket* sock,
                             const std::optional<support::SocketError>& error) override;

    // --- The two ZeroMQ channels (connection_base_channels.cpp) ------------
    // Handlers the session installs before the first connect: feed texts and
    // replies arrive on the main thread; the keep-alive is built on the worker.
    ZMQSubscriptionFeed::MessagesHandler onFeedMessages;
    // Read on the feed's reader thread: a pure function of the tick text.
    FeedConflator::TickFields tickFields;
    ZMQRequestChannel::ReplyHandler onZMQReply;
    // When set, reads each reply on the request worker in place of onZMQReply (see ZMQRequestChannel).
    ZMQRequestChannel::ReplyReader readZMQReply;
    ZMQRequestChannel::KeepAliveBuilder buildKeepAlive;
    // Main thread. The channels' connects, stops and joins, and the changes
    // of topics, run in order on the io queue, so the main thread never waits
    // for a channel thread.
    // Logs the libzmq version, makes the context once, then replaces the
    // feed's socket and reader on the io queue (the previous reader is stopped
    // first). False (logged) when there is no context or the port is unusable.
    bool ConnectToZMQSubServer(const std::string& address, std::int64_t port);
    // Replaces the request socket and worker on the io queue (the previous
    // worker is stopped first).
    bool ConnectToZMQReqServer(const std::string& address, std::int64_t port);
    void SubscribeandUnsubscribe(const std::string& topic, int option);
    // Option 6 (subscribe) or 7 for each code and its "MD_<code>;" topic.
    void ProcessSubscribeandUnSubscribeItems(std::vector<std::string> codes, bool subscribe);
    // Queues a request for the request channel and returns its number; 0
    // (logged) when it is not connected or its queue is full.
    std::uint64_t sendZMQRequestMessage(RequestMessage request);
    const std::shared_ptr<ZMQSubscriptionFeed>& subscriptionFeed() const { return subFeed_; }
    const std::shared_ptr<ZMQRequestChannel>& requestChannel() const { return reqChannel_; }

private:
    std::mutex channelsMutex_;
    std::shared_ptr<support::ZMQContext> zmqContext_;
    std::shared_ptr<ZMQSubscriptionFeed> subFeed_;
    std::shared_ptr<ZMQRequestChannel> reqChannel_;

    ConnectionBase(std::weak_ptr<ConnectionDelegate> delegate, std::size_t maxFrame);
    bool connect(const std::string& host, std::int64_t port);
    // The ZeroMQ reader and worker stop with the TCP session (on the io queue).
    void cancelChannelThreads();
    // Queues a change of the feed's topics behind its connect (io queue); nothing without a feed.
    void changeTopics(std::function<void(ZMQSubscriptionFeed& feed)> change);
    // Makes the channels' context once; false (logged) when it cannot. Under channelsMutex_.
    bool haveZMQContext();
    // Hands the channels and their context to the io queue, which stops and drops them.
    void retireChannels();
    // Calls the delegate on the main thread, if it still lives then.
    template <typename Call>
    void reportOnMain(Call call);

    std::weak_ptr<ConnectionDelegate> delegate_;
    std::atomic<bool> reloginRequested_{false};
    std::shared_ptr<platform::SerialQueue> queue_;
    std::shared_ptr<support::GCDAsyncSocket> socket_;
    FrameDecoder frames_;  // "NewQueue" only
    std::mutex addressMutex_;
    std::string host_;
    std::int64_t port_ = 0;
};

}  // namespace protocol
