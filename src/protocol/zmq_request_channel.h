#pragma once
// The request channel: a REQ socket, a bounded queue of requests and the
// worker thread that sends them one at a time and reads each reply.
//
// The worker makes its passes on a 0.5 s grid (platform clock): it queues a
// keep-alive when the queue was left empty more than 60 s ago, then sends the
// queued requests back to back, each followed by its reply. While the queue
// is empty it sleeps through the passes that would find nothing to do: until
// the keep-alive's pass, or until a request is queued, which then goes out at
// the next pass of the grid. A reply that does
// not come within the reply time-out, and a send that fails, cost the
// request; the socket is made anew (a REQ socket is stuck after either) and
// the next request goes out. Replies are handed to the main thread with the
// kind of request they answer. Only the worker touches the socket.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "platform/clock.h"
#include "protocol/frame_decoder.h"
#include "protocol/login_data_limits.h"
#include "protocol/request_message.h"
#include "protocol/wake_signal.h"

namespace support {
class ZMQContext;
class ZMQSocket;
}  // namespace support

namespace protocol {

// What a reply answers: the request's message type (tag 10) and, for
// data-service requests, its request name (tag 151) and kind. A chart
// request's name is the key its answer is kept under, "item^interval".
struct RequestKind {
    std::int32_t type = 0;
    std::string name;
    std::int64_t receivingStrategy = 0;
    std::int32_t dsrequestType = 0;
    // The number the channel gave the request when it queued it (unique in the process).
    std::uint64_t sequence = 0;

    static RequestKind of(const RequestMessage& request);
};

// The next request number: 1, 2, ... for the whole process, from any thread.
std::uint64_t nextRequestSequence();

struct ZMQReply {
    std::string text;  // the parts joined in order (strategy 1) or the one part
    RequestKind kind;
    // The request was dropped without an answer (not sent, no reply in time,
    // unreadable or too large): its owner is told, and the queue goes on.
    bool unanswered = false;
};

class ZMQRequestChannel {
public:
    static constexpr std::size_t kMaxQueuedRequests = 1000;
    static constexpr platform::Duration kPassInterval = std::chrono::milliseconds(500);
    static constexpr platform::Duration kKeepAliveAfter = std::chrono::seconds(60);
    static constexpr platform::Duration kDefaultReplyTimeout = std::chrono::seconds(30);
    // A reply, its parts joined, may not be larger: a larger one is dropped
    // (logged with its size) and the socket made anew. The socket itself reads
    // parts up to kAnswerReadFactor times the cap and drops larger ones (libzmq
    // closes the connection: the request times out). The reply's frames are
    // read with the same cap.
    static constexpr std::size_t kMaxReplySize = kMaxAnswerSize;

    // Called on the main thread with each reply.
    using ReplyHandler = std::function<void(ZMQReply reply)>;
    // Reads a reply (answered or not) on the worker thread and returns what the
    // main thread runs for it, in place of the handler; an empty task posts nothing.
    using ReplyReader = std::function<std::function<void()>(ZMQReply reply)>;
    // Builds the keep-alive (type 1002) on the worker thread; nullopt when it cannot.
    using KeepAliveBuilder = std::function<std::optional<RequestMessage>()>;

    ZMQRequestChannel(std::shared_ptr<support::ZMQContext> context, ReplyHandler onReply, KeepAliveBuilder keepAlive,
                      platform::Duration replyTimeout = kDefaultReplyTimeout,
                      std::size_t maxReplySize = kMaxReplySize);
    virtual ~ZMQRequestChannel();
    ZMQRequestChannel(const ZMQRequestChannel&) = delete;
    ZMQRequestChannel& operator=(const ZMQRequestChannel&) = delete;

    // Set before the first connect.
    void setReplyReader(ReplyReader reader) { reader_ = std::move(reader); }

    // ConnectToZMQReqServer: stops and joins the previous worker, makes a new
    // socket connected to "tcp://<address>:<port>" and starts a worker. Queued
    // requests stay queued. False (logged) when the socket cannot be made.
    bool connect(const std::string& address, int port);
    bool connectToEndpoint(const std::string& endpoint);

    // sendZMQRequestMessage: queues the request (any thread) and returns the
    // number it gave it; 0 (logged) when the queue is full.
    std::uint64_t sendZMQRequestMessage(RequestMessage request);

    // Stops and joins the worker, also while it waits for a reply. Any thread
    // except the worker's own.
    void stop();
    bool isRunning() const;

    std::size_t queuedRequests() const;
    // Passes the worker has finished, requests sent, keep-alives queued (tests wait on them).
    std::uint64_t passes() const { return passes_; }
    std::uint64_t requestsSent() const { return requestsSent_; }
    std::uint64_t keepAlivesQueued() const { return keepAlivesQueued_; }
    // The builder the worker asks for each keep-alive.
    const KeepAliveBuilder& keepAliveBuilder() const { return keepAlive_; }
    // Clock waits the worker has armed: one per pass and one per reply awaited
    // (tests advance a fake clock once it has moved on).
    std::uint64_t waitsArmed() const { return waitsArmed_; }
    // Whether the worker sleeps until its next pass (or, idle, for a request).
    bool isWaitingForPass() const { return waitingForPass_; }

protected:
    // One send on the worker; false when it fails. A subclass that overrides
    // it calls stop() in its own destructor.
    virtual bool sendRequestData(support::ZMQSocket& socket, const std::string& message);

private:
    void RecieveZMQData(std::shared_ptr<support::ZMQSocket> socket);
    void pingZMQRequestSocket();
    std::optional<RequestMessage> takeRequest();
    // Sends one request and reads its reply; false when the worker must end.
    bool exchange(std::shared_ptr<support::ZMQSocket>& socket, const RequestMessage& request);
    // Hands the main thread the news that a request was dropped unanswered.
    void tellUnanswered(RequestKind kind);
    // Posts the reply's handler, or what the reader made of it, on the main thread.
    void handOver(ZMQReply reply);
    std::shared_ptr<support::ZMQSocket> newSocket();
    enum class WaitEnd { Deadline, Readable, RequestQueued };
    // Waits on the clock until `deadline` (none: without limit), for the socket
    // to become readable, or (`endOnRequest`) for a request to be queued.
    // Deadline also when cancelled.
    WaitEnd waitUntil(std::optional<platform::TimePoint> deadline, support::ZMQSocket* socket, bool endOnRequest);
    // Until the next pass that has work: queued requests or the keep-alive.
    void sleepUntilNextPass(platform::TimePoint firstPass);

    std::shared_ptr<support::ZMQContext> context_;
    ReplyHandler onReply_;
    ReplyReader reader_;
    KeepAliveBuilder keepAlive_;
    platform::Duration replyTimeout_;
    std::size_t maxReplySize_;
    std::shared_ptr<WakeSignal> wake_;

    std::mutex lifecycle_;
    std::thread receivingThread_;
    std::string endpoint_;  // worker only while it runs
    std::atomic<bool> cancelled_{false};
    std::atomic<bool> running_{false};
    std::atomic<std::uint64_t> waitsArmed_{0};
    std::atomic<bool> waitingForPass_{false};
    std::atomic<std::uint64_t> passes_{0};
    std::atomic<std::uint64_t> requestsSent_{0};
    std::atomic<std::uint64_t> keepAlivesQueued_{0};

    mutable std::mutex queueMutex_;
    std::deque<RequestMessage> dataQueue_;
    std::optional<platform::TimePoint> queueEmptyTime_;
    bool sleepingIdle_ = false;  // the worker waits for a request: queuing one wakes it
};

}  // namespace protocol
