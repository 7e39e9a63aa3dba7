#include "protocol/zmq_request_channel.h"

#include <zmq.h>

#include <algorithm>
#include <cerrno>
#include <exception>
#include <string_view>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/message_cracker.h"
#include "protocol/msg_type.h"
#include "protocol/tags.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_exception.h"
#include "support/zmq/zmq_socket.h"

namespace protocol {

namespace {

// The value of a field "<tag>=" of a frame, fields ending in 0x03.
std::string_view fieldValue(std::string_view frame, std::string_view tagEq) {
    std::size_t at = 0;
    while ((at = frame.find(tagEq, at)) != std::string_view::npos) {
        if (at > 0 && frame[at - 1] == '\x03') {
            std::size_t start = at + tagEq.size();
            std::size_t end = frame.find_first_of("\x03\x02", start);
            return frame.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
        }
        at += tagEq.size();
    }
    return {};
}

void closeQuietly(std::shared_ptr<support::ZMQSocket>& socket) {
    if (!socket) return;
    try {
        socket->close();
    } catch (const std::exception&) {
        // Logged by the wrapper.
    }
    socket.reset();
}

}  // namespace

RequestKind RequestKind::of(const RequestMessage& request) {
    RequestKind kind;
    kind.type = static_cast<std::int32_t>(MessageCracker::integerValue(fieldValue(request.message, std::to_string(tag::MessageType) + "=")));
    kind.name = std::string(fieldValue(request.message, std::to_string(tag::DataServiceRequestName) + "="));
    kind.receivingStrategy = request.receivingStrategy;
    kind.dsrequestType = request.dsrequestType;
    kind.sequence = request.sequence;
    if (msgType(kind.type) == MsgType::ChartDataRequest)
        kind.name = std::string(fieldValue(request.message, std::to_string(tag::ItemCode) + "=")) + "^" +
                        std::string(fieldValue(request.message, std::to_string(tag::ChartInterval) + "="));
    return kind;
}

ZMQRequestChannel::ZMQRequestChannel(std::shared_ptr<support::ZMQContext> context, ReplyHandler onReply,
                                     KeepAliveBuilder keepAlive, platform::Duration replyTimeout,
                                     std::size_t maxReplySize)
    : context_(std::move(context)),
      onReply_(std::move(onReply)),
      keepAlive_(std::move(keepAlive)),
      replyTimeout_(replyTimeout),
      maxReplySize_(maxReplySize),
      wake_(std::make_shared<WakeSignal>()) {}

ZMQRequestChannel::~ZMQRequestChannel() { stop(); }

bool ZMQRequestChannel::connect(const std::string& address, int port) {
    return connectToEndpoint("tcp://" + address + ":" + std::to_string(port));
}

bool ZMQRequestChannel::connectToEndpoint(const std::string& endpoint) {
    std::lock_guard<std::mutex> lock(lifecycle_);
    // Only one worker uses the channel: the previous one ends first.
    if (receivingThread_.joinable()) {
        cancelled_ = true;
        wake_->wake();
        receivingThread_.join();
    }
    running_ = false;
    endpoint_ = endpoint;
    std::shared_ptr<support::ZMQSocket> socket = newSocket();
    if (!socket) return false;
    wake_->clear();
    cancelled_ = false;
    running_ = true;
    receivingThread_ = std::thread([this, socket = std::move(socket)]() mutable { RecieveZMQData(std::move(socket)); });
    return true;
}

std::shared_ptr<support::ZMQSocket> ZMQRequestChannel::newSocket() {
    try {
        auto socket = context_->socketWithType(ZMQ_REQ);
        // The socket admits more than the cap, so that a larger reply is told apart from none.
        socket->setMaxMessageSize(static_cast<std::int64_t>(maxReplySize_ * kAnswerReadFactor));
        socket->connectToEndpoint(endpoint_);
        return socket;
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Request channel not connected: ") + e.what());
        return nullptr;
    }
}

std::uint64_t nextRequestSequence() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

std::uint64_t ZMQRequestChannel::sendZMQRequestMessage(RequestMessage request) {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (dataQueue_.size() >= kMaxQueuedRequests) {
        platform::Log::error("Request channel queue full (" + std::to_string(kMaxQueuedRequests) +
                             " requests): request dropped");
        return 0;
    }
    request.sequence = nextRequestSequence();
    const std::uint64_t sequence = request.sequence;
    dataQueue_.push_back(std::move(request));
    if (sleepingIdle_) wake_->wake();
    return sequence;
}

void ZMQRequestChannel::stop() {
    std::lock_guard<std::mutex> lock(lifecycle_);
    running_ = false;
    if (!receivingThread_.joinable()) return;
    cancelled_ = true;
    wake_->wake();
    receivingThread_.join();
}

bool ZMQRequestChannel::isRunning() const { return running_; }

std::size_t ZMQRequestChannel::queuedRequests() const {
    std::lock_guard<std::mutex> lock(queueMutex_);
    return dataQueue_.size();
}

std::optional<RequestMessage> ZMQRequestChannel::takeRequest() {
    std::lock_guard<std::mutex> lock(queueMutex_);
    if (dataQueue_.empty()) return std::nullopt;
    RequestMessage request = std::move(dataQueue_.front());
    dataQueue_.pop_front();
    // setQueueEmptyTime: the idle period starts when the last request is taken.
    if (dataQueue_.empty()) queueEmptyTime_ = platform::defaultClock().now();
    return request;
}

void ZMQRequestChannel::pingZMQRequestSocket() {
    {
        std::lock_guard<std::mutex> lock(queueMutex_);
        if (!queueEmptyTime_ || !dataQueue_.empty()) return;
        if (platform::defaultClock().now() - *queueEmptyTime_ <= kKeepAliveAfter) return;
    }
    std::optional<RequestMessage> keepAlive = keepAlive_ ? keepAlive_() : std::nullopt;
    if (!keepAlive) {
        platform::Log::debug("Keep-alive not built");
        return;
    }
    if (sendZMQRequestMessage(std::move(*keepAlive))) ++keepAlivesQueued_;
}

ZMQRequestChannel::WaitEnd ZMQRequestChannel::waitUntil(std::optional<platform::TimePoint> deadline,
                                                       support::ZMQSocket* socket, bool endOnRequest) {
    std::shared_ptr<platform::Clock> clock = platform::sharedDefaultClock();
    auto due = std::make_shared<std::atomic<bool>>(false);
    std::shared_ptr<WakeSignal> wake = wake_;
    std::optional<platform::Clock::TimerId> timer;
    if (deadline) timer = clock->schedule(*deadline, [due, wake] {
        *due = true;
        wake->wake();
    });
    ++waitsArmed_;
    if (!socket) waitingForPass_ = true;
    WaitEnd end = WaitEnd::Deadline;
    while (!cancelled_ && !*due) {
        zmq_pollitem_t items[2];
        int count = 0;
        items[count++] = {nullptr, wake->fd(), ZMQ_POLLIN, 0};
        if (socket) socket->getPollItem(items[count++], ZMQ_POLLIN);
        int rc = support::ZMQContext::pollWithItems(items, count, -1);
        if (rc < 0) {
            if (zmq_errno() == EINTR) continue;
            if (timer) clock->cancel(*timer);
            throw support::ZMQException(zmq_strerror(zmq_errno()), zmq_errno());
        }
        if (items[0].revents & ZMQ_POLLIN) wake->clear();
        if (socket && (items[1].revents & ZMQ_POLLIN)) {
            end = WaitEnd::Readable;
            break;
        }
        if (endOnRequest && !*due && queuedRequests() > 0) {
            end = WaitEnd::RequestQueued;
            break;
        }
    }
    if (timer) clock->cancel(*timer);
    waitingForPass_ = false;
    return end;
}

void ZMQRequestChannel::sleepUntilNextPass(platform::TimePoint firstPass) {
    // Passes keep the grid of the first one.
    const auto nextPassAfter = [firstPass](platform::TimePoint t) {
        return firstPass + ((t - firstPass) / kPassInterval + 1) * kPassInterval;
    };
    for (;;) {
        std::optional<platform::TimePoint> due;
        bool idle = false;
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            const platform::TimePoint now = platform::defaultClock().now();
            idle = dataQueue_.empty();
            // Idle: no pass until the keep-alive's, or until a request is queued.
            if (!idle)
                due = nextPassAfter(now);
            else if (queueEmptyTime_)
                due = nextPassAfter(std::max(now, *queueEmptyTime_ + kKeepAliveAfter));
            sleepingIdle_ = idle;
        }
        const WaitEnd end = waitUntil(due, nullptr, idle);
        {
            std::lock_guard<std::mutex> lock(queueMutex_);
            sleepingIdle_ = false;
        }
        if (end != WaitEnd::RequestQueued) return;
    }
}

bool ZMQRequestChannel::sendRequestData(support::ZMQSocket& socket, const std::string& message) {
    return socket.sendData(message, ZMQ_DONTWAIT);
}

void ZMQRequestChannel::tellUnanswered(RequestKind kind) {
    ZMQReply reply;
    reply.kind = std::move(kind);
    reply.unanswered = true;
    handOver(std::move(reply));
}

void ZMQRequestChannel::handOver(ZMQReply reply) {
    if (!reader_) {
        platform::MainExecutor::post([handler = onReply_, reply = std::move(reply)]() mutable { handler(std::move(reply)); });
        return;
    }
    if (std::function<void()> task = reader_(std::move(reply))) platform::MainExecutor::post(std::move(task));
}

bool ZMQRequestChannel::exchange(std::shared_ptr<support::ZMQSocket>& socket, const RequestMessage& request) {
    RequestKind kind = RequestKind::of(request);
    bool sent = false;
    // A failed send leaves the socket unusable: one more try on a fresh one.
    for (int attempt = 0; attempt < 2 && !sent; ++attempt) {
        if (!socket) socket = newSocket();
        if (!socket) break;
        sent = sendRequestData(*socket, request.message);
        if (!sent) {
            platform::Log::error("FAIL: Couldn't send request");
            closeQuietly(socket);
        }
    }
    if (!sent) {
        platform::Log::error("Request of type " + std::to_string(kind.type) + " not sent: dropped");
        tellUnanswered(std::move(kind));
        return true;
    }
    ++requestsSent_;

    if (waitUntil(platform::defaultClock().now() + replyTimeout_, socket.get(), false) != WaitEnd::Readable) {
        if (cancelled_) return false;
        platform::Log::error("No reply to request of type " + std::to_string(kind.type) + " " + kind.name +
                             " (none in time, or one over " + std::to_string(maxReplySize_ * kAnswerReadFactor) +
                             " bytes): request dropped, socket made anew");
        closeQuietly(socket);
        tellUnanswered(std::move(kind));
        return true;
    }

    ZMQReply reply;
    bool tooLarge = false;
    std::size_t size = 0;  // the reply's bytes read so far
    try {
        reply.text = socket->receiveDataWithFlags(0);
        size = reply.text.size();
        tooLarge = size > maxReplySize_;
        // Parts of one message arrive together: the rest is ready.
        while (!tooLarge && socket->hasMoreDataForOption(ZMQ_RCVMORE)) {
            std::string part = socket->receiveDataWithFlags(0);
            // One-part strategies read the first part; the rest is read and
            // dropped so that the socket can send again.
            if (request.receivingStrategy != 1) continue;
            size = reply.text.size() + part.size();
            tooLarge = size > maxReplySize_;
            if (!tooLarge) reply.text += part;
        }
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Reply not received: ") + e.what());
        closeQuietly(socket);
        tellUnanswered(std::move(kind));
        return true;
    }
    if (tooLarge) {
        platform::Log::error("Reply to request of type " + std::to_string(kind.type) + " " + kind.name +
                             " reaches " + std::to_string(size) +
                             " bytes, over the answer limit of " + std::to_string(maxReplySize_) +
                             " bytes: dropped, socket made anew");
        closeQuietly(socket);
        tellUnanswered(std::move(kind));
        return true;
    }
    reply.kind = std::move(kind);
    handOver(std::move(reply));
    return true;
}

void ZMQRequestChannel::RecieveZMQData(std::shared_ptr<support::ZMQSocket> socket) {
    const platform::TimePoint firstPass = platform::defaultClock().now();
    try {
        while (!cancelled_) {
            pingZMQRequestSocket();
            while (!cancelled_) {
                std::optional<RequestMessage> request = takeRequest();
                if (!request) break;
                if (!exchange(socket, *request)) break;
            }
            if (cancelled_) break;
            ++passes_;
            sleepUntilNextPass(firstPass);
        }
    } catch (const std::exception& e) {
        platform::Log::error(std::string("Request worker ended: ") + e.what());
    }
    closeQuietly(socket);
    running_ = false;
}

}  // namespace protocol
