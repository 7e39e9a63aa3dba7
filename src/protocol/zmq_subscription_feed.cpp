#include "protocol/zmq_subscription_feed.h"

#include <pthread.h>
#include <zmq.h>

#include <cerrno>
#include <chrono>
#include <algorithm>
#include <cstring>
#include <exception>
#include <span>
#include <string_view>
#include <vector>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/slice_budget.h"
#include "protocol/feed_pace.h"
#include "protocol/wire_format.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_exception.h"
#include "support/zmq/zmq_socket.h"

namespace protocol {

namespace {
// Messages received before the reader looks at its wake signal again.
constexpr std::size_t kMaxDrain = 4096;
// Messages received before the conflator takes them.
constexpr std::size_t kBatch = 64;
// Messages the library holds for the reader. Past the default 1,000 the
// library's thread stops reading the connection and waits for a command
// from the reader every few hundred messages; on a busy machine each such
// hand-off costs a wake-up of a thread that lost its core. The conflator
// bounds what is held past the reader; the size cap of a message bounds
// what the library holds.
constexpr int kReceiveHighWater = 8192;
// Texts one main-thread slice applies at most; the rest stays held (and conflated) for the next.
constexpr std::size_t kHandOffSlice = 512;
// Texts taken and applied between two readings of the clock: a slice also
// ends once its time (platform::SliceBudget) is spent.
constexpr std::size_t kHandOffPart = 64;

// One slice of a hand-off; the next is posted while the hand-off's texts
// remain. The last tells `pace` what the slices took together.
void postHandOff(const ZMQSubscriptionFeed::MessagesHandler& handler,
                 const std::shared_ptr<FeedConflator>& conflator, const std::shared_ptr<FeedPace>& pace,
                 FeedPace::Clock::duration cost) {
    platform::MainExecutor::post([handler, conflator, pace, cost] {
        const auto start = FeedPace::Clock::now();
        bool more = true;
        platform::SliceBudget budget;
        for (std::size_t applied = 0; more && applied < kHandOffSlice; applied += kHandOffPart) {
            std::vector<std::string> texts = conflator->take(kHandOffPart, &more);
            handler(texts);
            conflator->recycle(std::move(texts));
            if (budget.spent(platform::SliceBudget::kItemsPerCheck)) break;
        }
        const auto end = FeedPace::Clock::now();
        if (more) postHandOff(handler, conflator, pace, cost + (end - start));
        else pace->applied(end, cost + (end - start));
    });
}
}  // namespace

ZMQSubscriptionFeed::ZMQSubscriptionFeed(std::shared_ptr<support::ZMQContext> context, MessageHandler handler,
                                         FeedConflator::TickFields tickFields)
    : ZMQSubscriptionFeed(
          std::move(context),
          MessagesHandler([handler = std::move(handler)](std::span<const std::string> texts) {
              for (const std::string& text : texts) handler(text);
          }),
          std::move(tickFields)) {}

ZMQSubscriptionFeed::ZMQSubscriptionFeed(std::shared_ptr<support::ZMQContext> context, MessagesHandler handler,
                                         FeedConflator::TickFields tickFields)
    : context_(std::move(context)),
      handler_(std::move(handler)),
      conflator_(std::make_shared<FeedConflator>(FeedConflator::Limits{}, std::move(tickFields))),
      pace_(std::make_shared<FeedPace>()) {}

ZMQSubscriptionFeed::~ZMQSubscriptionFeed() { stop(); }

bool ZMQSubscriptionFeed::connect(const std::string& address, int port) {
    return connectToEndpoint("tcp://" + address + ":" + std::to_string(port));
}

bool ZMQSubscriptionFeed::connectToEndpoint(const std::string& endpoint) {
    std::lock_guard<std::mutex> lock(lifecycle_);
    // The previous reader owns the previous socket: it ends before the next starts.
    if (readThread_.joinable()) {
        cancelled_ = true;
        wake_.wake();
        readThread_.join();
    }
    running_ = false;
    Reader reader;
    reader.endpoint = endpoint;
    try {
        reader.socket = context_->socketWithType(ZMQ_SUB);
        const std::string monitorEndpoint = "inproc://feed-monitor-" +
                                            std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" +
                                            std::to_string(readersStarted_.load());
        if (zmq_socket_monitor(reader.socket->socket(), monitorEndpoint.c_str(), ZMQ_EVENT_DISCONNECTED) != 0)
            throw support::ZMQException(zmq_strerror(zmq_errno()), zmq_errno());
        reader.monitor = context_->socketWithType(ZMQ_PAIR);
        reader.monitor->connectToEndpoint(monitorEndpoint);
        int highWater = kReceiveHighWater;
        if (zmq_setsockopt(reader.socket->socket(), ZMQ_RCVHWM, &highWater, sizeof highWater) != 0)
            throw support::ZMQException(zmq_strerror(zmq_errno()), zmq_errno());
        reader.socket->connectToEndpoint(endpoint);
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Subscription feed not connected: ") + e.what());
        if (reader.monitor) reader.monitor->close();
        if (reader.socket) reader.socket->close();
        return false;
    }
    {
        std::lock_guard<std::mutex> changes(changesMutex_);
        changes_.clear();
        changes_.push_back({kStatusTopic, kSubscribe, {}});
        changes_.push_back({kBroadcastTopic, kSubscribe, {}});
    }
    wake_.clear();
    cancelled_ = false;
    running_ = true;
    ++readersStarted_;
    readThread_ = std::thread([this, reader = std::move(reader)]() mutable { readSubUpdateFromSocket(std::move(reader)); });
    return true;
}

void ZMQSubscriptionFeed::SubscribeandUnsubscribe(const std::string& topic, int option) {
    queue({topic, option, {}});
}

void ZMQSubscriptionFeed::SubscribeandUnsubscribeItems(std::vector<std::string> codes, int option) {
    if (!codes.empty()) queue({{}, option, std::move(codes)});
}

void ZMQSubscriptionFeed::queue(Change change) {
    if (change.option != kSubscribe && change.option != kUnsubscribe) return;
    if (!running_) {
        platform::Log::debug("Subscription feed not running: topic change dropped");
        return;
    }
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(changesMutex_);
        first = changes_.empty();
        changes_.push_back(std::move(change));
    }
    // A queue already holding changes has its wake pending: the reader clears
    // the wake before it takes the queue.
    if (first) wake_.wake();
}

void ZMQSubscriptionFeed::stop() {
    std::lock_guard<std::mutex> lock(lifecycle_);
    running_ = false;
    if (!readThread_.joinable()) return;
    cancelled_ = true;
    wake_.wake();
    readThread_.join();
    std::lock_guard<std::mutex> changes(changesMutex_);
    changes_.clear();
}

bool ZMQSubscriptionFeed::isRunning() const { return running_; }

void ZMQSubscriptionFeed::applyChanges(support::ZMQSocket& socket) {
    std::unique_lock<std::mutex> lock(changesMutex_);
    // Checked before a queue is made: an empty deque allocates, and the reader passes here every turn.
    if (changes_.empty()) return;
    std::deque<Change> pending;
    pending.swap(changes_);
    lock.unlock();
    std::string depth;  // one buffer for every code's depth topic
    for (const Change& change : pending) {
        if (change.codes.empty()) apply(socket, change.topic, change.option);
        for (const std::string& code : change.codes) {
            apply(socket, code, change.option);
            depth.assign(kDepthTopicPrefix).append(code).push_back(kDepthTopicEnd);
            apply(socket, depth, change.option);
        }
    }
}

void ZMQSubscriptionFeed::apply(support::ZMQSocket& socket, const std::string& topic, int option) {
    try {
        socket.setData(topic, option);
    } catch (const std::exception& e) {
        platform::Log::error("Topic \"" + topic + "\" not changed: " + e.what());
    }
    ++changesApplied_;
}

std::size_t ZMQSubscriptionFeed::drain(support::ZMQSocket& socket) {
    // Up to kBatch messages are received before the conflator takes them under one lock.
    zmq_msg_t messages[kBatch];
    for (zmq_msg_t& m : messages) zmq_msg_init(&m);
    std::string_view texts[kBatch];
    std::size_t received = 0, batched = 0;
    int failure = 0;
    while (received < kMaxDrain) {
        zmq_msg_t& message = messages[batched];
        if (zmq_msg_recv(&message, socket.socket(), ZMQ_DONTWAIT) < 0) {
            const int error = zmq_errno();
            if (error == EINTR) continue;
            if (error != EAGAIN) failure = error;
            break;
        }
        ++received;
        // A publisher's message may come in parts: each part is a text of its own.
        const std::string_view text(static_cast<const char*>(zmq_msg_data(&message)), zmq_msg_size(&message));
        if (text.size() > kMaxMessageSize) {
            platform::Log::error("Feed message of " + std::to_string(text.size()) + " bytes: dropped");
        } else if (!isValidUtf8(text)) {
            platform::Log::error("Feed message that is not UTF-8 text: dropped");
        } else {
            texts[batched++] = text;
            if (batched == kBatch) {
                conflator_->add(std::span<const std::string_view>(texts, batched));
                batched = 0;
            }
        }
    }
    conflator_->add(std::span<const std::string_view>(texts, batched));
    for (zmq_msg_t& m : messages) zmq_msg_close(&m);
    textsReceived_ += received;
    if (failure != 0) {
        // What was received before a failure still reaches the main thread.
        handOff(true);
        throw support::ZMQException(zmq_strerror(failure), failure);
    }
    return received;
}

FeedConflator::Claim ZMQSubscriptionFeed::handOff(bool last) {
    const FeedConflator::Claim claim = conflator_->claim(last);
    if (claim == FeedConflator::Claim::Made) postHandOff(handler_, conflator_, pace_, {});
    return claim;
}

void ZMQSubscriptionFeed::reconnectAfterDisconnect(Reader& reader) {
    // Each event is two parts: the event number and value, then the endpoint.
    bool disconnected = false;
    for (;;) {
        zmq_msg_t part;
        zmq_msg_init(&part);
        if (zmq_msg_recv(&part, reader.monitor->socket(), ZMQ_DONTWAIT) < 0) {
            zmq_msg_close(&part);
            break;
        }
        if (zmq_msg_size(&part) >= sizeof(std::uint16_t)) {
            std::uint16_t event = 0;
            std::memcpy(&event, zmq_msg_data(&part), sizeof event);
            disconnected = disconnected || event == ZMQ_EVENT_DISCONNECTED;
        }
        zmq_msg_close(&part);
    }
    if (!disconnected) return;
    platform::Log::warning("Subscription feed dropped by " + reader.endpoint + ": connecting again");
    // Disconnecting first leaves one connection, whether or not the library
    // would have made the next one itself.
    zmq_disconnect(reader.socket->socket(), reader.endpoint.c_str());
    if (zmq_connect(reader.socket->socket(), reader.endpoint.c_str()) != 0)
        throw support::ZMQException(zmq_strerror(zmq_errno()), zmq_errno());
    ++reconnects_;
}

void ZMQSubscriptionFeed::readSubUpdateFromSocket(Reader reader) {
    using Clock = FeedPace::Clock;
    // Named for profilers and the per-thread figures of the benchmarks.
    pthread_setname_np(pthread_self(), "feed-reader");
    support::ZMQSocket* socket = reader.socket.get();
    // Set while texts are held or a feed flows: a hand-off is due, paced by
    // the main thread's cost (FeedPace), counted from `gatherStart`. After a
    // light drain the socket is left out of the poll for a light feed's
    // gather, so that a light feed wakes the reader once a gather, not once a
    // message; after a busy one it stays in until a drain finds nothing, so
    // that the library's queue never fills. A gathering ends when a hand-off
    // finds the feed paused.
    bool gathering = false;
    bool busy = false;
    Clock::time_point gatherStart{}, lastDrain{}, retryAt{};
    auto handOffDue = [&] { return std::max(pace_->due(gatherStart), retryAt); };
    try {
        while (!cancelled_) {
            applyChanges(*socket);
            zmq_pollitem_t items[3];
            items[0] = {nullptr, wake_.fd(), ZMQ_POLLIN, 0};
            reader.monitor->getPollItem(items[1], ZMQ_POLLIN);
            socket->getPollItem(items[2], ZMQ_POLLIN);
            const bool watchSocket = !gathering || busy;
            // Until the next message, or while gathering until the next drain or hand-off is due.
            long timeoutUs = -1;
            if (gathering) {
                const Clock::time_point wakeAt =
                    watchSocket ? handOffDue() : std::min(handOffDue(), lastDrain + kGatherLightFeed);
                const auto wait = std::chrono::ceil<std::chrono::microseconds>(wakeAt - Clock::now());
                timeoutUs = std::max<long>(0, wait.count());
            }
            const int rc = support::ZMQContext::pollWithItems(items, watchSocket ? 3 : 2, timeoutUs);
            if (rc < 0) {
                if (zmq_errno() == EINTR) continue;
                throw support::ZMQException(zmq_strerror(zmq_errno()), zmq_errno());
            }
            if (rc > 0 && (items[0].revents & ZMQ_POLLIN)) wake_.clear();
            if (cancelled_) break;
            if (rc > 0 && (items[1].revents & ZMQ_POLLIN)) reconnectAfterDisconnect(reader);
            const Clock::time_point now = Clock::now();
            const bool handOffNow = gathering && now >= handOffDue();
            const bool readable = watchSocket && (items[2].revents & ZMQ_POLLIN);
            if (!readable && !handOffNow && !(gathering && now >= lastDrain + kGatherLightFeed)) continue;

            const std::size_t received = drain(*socket);
            lastDrain = now;
            // Busy from a full drain on, until a drain finds nothing.
            busy = received >= kBatch || (busy && received > 0);
            if (!gathering) {
                if (received == 0) continue;
                gathering = true;
                gatherStart = now;
                retryAt = {};
                continue;
            }
            if (!handOffNow) continue;
            if (handOff() == FeedConflator::Claim::Pending) {
                // The main thread is still taking the last one.
                retryAt = now + kGatherLightFeed;
                continue;
            }
            // Paused: the next message wakes the reader. Flowing: the next gathering begins.
            gathering = received > 0;
            gatherStart = now;
            retryAt = {};
        }
        // Texts gathered before the stop still reach the main thread.
        handOff(true);
    } catch (const std::exception& e) {
        // The feed stays silent until the next connect.
        platform::Log::error(std::string("Subscription reader ended: ") + e.what());
    }
    try {
        zmq_socket_monitor(socket->socket(), nullptr, 0);
        reader.monitor->close();
        socket->close();
    } catch (const std::exception&) {
        // Logged by the wrapper.
    }
    running_ = false;
}

}  // namespace protocol
