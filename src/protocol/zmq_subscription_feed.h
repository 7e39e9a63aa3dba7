#pragma once
// The subscription feed: a SUB socket and the reader thread that owns it.
//
// Only the reader thread touches the socket once it runs. Subscription
// changes are queued and applied by the reader, in order, between receives;
// a wake signal interrupts its wait, so stop() returns at once instead of
// after the next published message. The reader drains the socket into a
// FeedConflator and posts one hand-off to the main thread
// (platform::MainExecutor) at a time, which passes the held texts to the
// handler in the conflator's order. The hand-offs are paced by the main
// thread's cost (FeedPace): each gathers at least 50 ms (prices are shown once
// a second) and until the cost of the last one, spread to the feed's share of
// the main thread, has passed; at most a frame. While a light feed flows it is
// drained at the gathering pace, so that it wakes the reader and the main
// thread at most twenty times a second, not once a message; a busy one is
// drained as it comes and conflated meanwhile. With nothing arriving the
// reader waits on its sockets and wake signal without limit.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "protocol/feed_conflator.h"
#include "protocol/feed_pace.h"
#include "protocol/wake_signal.h"

namespace support {
class ZMQContext;
class ZMQSocket;
}  // namespace support

namespace protocol {

class ZMQSubscriptionFeed {
public:
    static constexpr int kSubscribe = 6;    // ZMQ_SUBSCRIBE
    static constexpr int kUnsubscribe = 7;  // ZMQ_UNSUBSCRIBE
    static constexpr const char* kStatusTopic = "IS;";
    static constexpr const char* kBroadcastTopic = "*#bm#*:";
    // A code's depth topic: "MD_<code>;".
    static constexpr const char* kDepthTopicPrefix = "MD_";
    static constexpr char kDepthTopicEnd = ';';
    // Longer messages are dropped (logged) before they reach the main thread.
    static constexpr std::size_t kMaxMessageSize = 1024 * 1024;
    // How long the texts of a light drain wait for more before they are handed off.
    static constexpr std::chrono::milliseconds kGatherLightFeed = FeedPace::kGatherLightFeed;

    // Called on the main thread with each message text.
    using MessageHandler = std::function<void(const std::string& text)>;
    // Called on the main thread with the texts of each hand-off's slice, in order.
    using MessagesHandler = std::function<void(std::span<const std::string> texts)>;

    // `tickFields` tells the conflator which prices a tick carries (see FeedConflator).
    ZMQSubscriptionFeed(std::shared_ptr<support::ZMQContext> context, MessageHandler handler,
                        FeedConflator::TickFields tickFields = nullptr);
    ZMQSubscriptionFeed(std::shared_ptr<support::ZMQContext> context, MessagesHandler handler,
                        FeedConflator::TickFields tickFields = nullptr);
    ~ZMQSubscriptionFeed();
    ZMQSubscriptionFeed(const ZMQSubscriptionFeed&) = delete;
    ZMQSubscriptionFeed& operator=(const ZMQSubscriptionFeed&) = delete;

    // ConnectToZMQSubServer: stops and joins the previous reader, makes a new
    // socket connected to "tcp://<address>:<port>", starts its reader and
    // subscribes the status and broadcast topics. False (logged) when the
    // socket cannot be made or connected; no reader runs then.
    bool connect(const std::string& address, int port);
    // Connects to any endpoint (tests, inproc).
    bool connectToEndpoint(const std::string& endpoint);

    // SubscribeandUnsubscribe: option 6 subscribes, 7 unsubscribes. Queued
    // for the reader; dropped when no reader runs (the next connect
    // subscribes again). Any thread.
    void SubscribeandUnsubscribe(const std::string& topic, int option);
    // The same for each code's two topics, the code and "MD_<code>;", queued
    // as one change: the reader makes each topic as it applies it.
    void SubscribeandUnsubscribeItems(std::vector<std::string> codes, int option);

    // Stops and joins the reader; the socket is closed by the reader. Any
    // thread except the reader's own.
    void stop();
    bool isRunning() const;
    // Readers started so far.
    std::uint64_t readersStarted() const { return readersStarted_; }
    // Subscription changes the reader has applied (tests wait on it).
    std::uint64_t changesApplied() const { return changesApplied_; }
    // Message parts the readers have received so far (tests wait on it).
    std::uint64_t textsReceived() const { return textsReceived_; }
    // Connections made again after the publisher's side dropped.
    std::uint64_t reconnects() const { return reconnects_; }

private:
    // What the reader owns: the socket, the endpoint it connects to and the
    // socket that reports its disconnects.
    struct Reader {
        std::shared_ptr<support::ZMQSocket> socket;
        std::string endpoint;
        std::shared_ptr<support::ZMQSocket> monitor;
    };
    void readSubUpdateFromSocket(Reader reader);
    // A connection the library ended (a message over the size limit ends it
    // for good) is made again; the socket keeps its subscriptions.
    void reconnectAfterDisconnect(Reader& reader);
    // A topic, or a list of codes (`topic` empty) whose two topics each are changed.
    struct Change {
        std::string topic;
        int option = kSubscribe;
        std::vector<std::string> codes;
    };
    void queue(Change change);
    void applyChanges(support::ZMQSocket& socket);
    void apply(support::ZMQSocket& socket, const std::string& topic, int option);
    // Receives what is ready, at most a pass's worth, into the conflator.
    // The messages received.
    std::size_t drain(support::ZMQSocket& socket);
    // Posts a hand-off of the held texts when none is pending. `last`: the
    // reader ends, and this hand-off or the pending one takes everything held.
    FeedConflator::Claim handOff(bool last = false);

    std::shared_ptr<support::ZMQContext> context_;
    MessagesHandler handler_;
    std::shared_ptr<FeedConflator> conflator_;
    std::shared_ptr<FeedPace> pace_;
    WakeSignal wake_;

    std::mutex lifecycle_;  // connect and stop
    std::thread readThread_;
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> running_{false};
    std::atomic<std::uint64_t> readersStarted_{0};
    std::atomic<std::uint64_t> changesApplied_{0};
    std::atomic<std::uint64_t> textsReceived_{0};
    std::atomic<std::uint64_t> reconnects_{0};

    std::mutex changesMutex_;
    std::deque<Change> changes_;
};

}  // namespace protocol
