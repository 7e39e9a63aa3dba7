#include "support/zmq/zmq_socket.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/log.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_exception.h"

namespace support {

namespace {

std::string pointerText(const void* p) {
    if (!p) return "0x0";
    char text[32];
    std::snprintf(text, sizeof text, "%p", p);
    return text;
}

}  // namespace

ZMQSocket::ZMQSocket(ZMQContext& context, int type) : type_(type), context_(context.weak_from_this()) {
    socket_ = zmq_socket(context.context(), type);
    if (!socket_) raise("zmq_socket");
}

ZMQSocket::~ZMQSocket() {
    try {
        close();
    } catch (const ZMQException&) {
        // Logged by close.
    }
}

std::string ZMQSocket::nameForSocketType(int type) {
    static const char* const kNames[] = {"ZMQ_PAIR", "ZMQ_PUB",  "ZMQ_SUB",  "ZMQ_REQ", "ZMQ_REP",
                                         "ZMQ_XREQ", "ZMQ_XREP", "ZMQ_PULL", "ZMQ_PUSH"};
    if (type < 0 || type >= static_cast<int>(std::size(kNames))) return "UNKNOWN";
    return kNames[type];
}

void ZMQSocket::close() {
    if (closed_) return;
    int linger = 0;
    zmq_setsockopt(socket_, ZMQ_LINGER, &linger, sizeof linger);
    if (zmq_close(socket_) != 0) raise("zmq_close");
    socket_ = nullptr;
    closed_ = true;
}

std::string ZMQSocket::description() const {
    return "<ZMQSocket: " + pointerText(this) + " (ctx=" + pointerText(context_.lock().get()) +
           ", type=" + nameForSocketType(type_) + ", endpoint=" + endpoint_.value_or("(null)") +
           ", closed=" + (closed_ ? "1" : "0") + ")>";
}

int ZMQSocket::logError(const char* call) const {
    int code = zmq_errno();
    platform::Log::error(std::string("ZMQLogError: *** ") + description() + ": " + call + ": " +
                         zmq_strerror(code));
    return code;
}

void ZMQSocket::raise(const char* call) const {
    throw ZMQException::fromErrno(logError(call));
}

bool ZMQSocket::setData(std::string_view data, int option) {
    if (zmq_setsockopt(socket_, option, data.data(), data.size()) != 0) raise("zmq_setsockopt");
    return true;
}

bool ZMQSocket::setMaxMessageSize(std::int64_t bytes) {
    if (zmq_setsockopt(socket_, ZMQ_MAXMSGSIZE, &bytes, sizeof bytes) != 0) raise("zmq_setsockopt");
    return true;
}

std::string ZMQSocket::dataForOption(int option) {
    char buffer[255];
    std::size_t length = sizeof buffer;
    if (zmq_getsockopt(socket_, option, buffer, &length) != 0) raise("zmq_getsockopt");
    return std::string(buffer, length);
}

bool ZMQSocket::hasMoreDataForOption(int option) {
    // libzmq 2 wrote an 8-byte value here, later versions an int.
    std::int64_t value = 0;
    std::size_t length = sizeof value;
    if (zmq_getsockopt(socket_, option, &value, &length) != 0) raise("zmq_getsockopt");
    if (length == sizeof(int)) {
        int narrow = 0;
        std::memcpy(&narrow, &value, sizeof narrow);
        return narrow != 0;
    }
    return value != 0;
}

bool ZMQSocket::bindToEndpoint(const std::string& endpoint) {
    endpoint_ = endpoint;
    if (zmq_bind(socket_, endpoint.c_str()) != 0) raise("zmq_bind");
    return true;
}

bool ZMQSocket::connectToEndpoint(const std::string& endpoint) {
    endpoint_ = endpoint;
    if (zmq_connect(socket_, endpoint.c_str()) != 0) raise("zmq_connect");
    return true;
}

bool ZMQSocket::sendData(std::string_view data, int flags) {
    zmq_msg_t message;
    if (zmq_msg_init_size(&message, data.size()) != 0) raise("zmq_msg_init_size");
    if (!data.empty()) std::memcpy(zmq_msg_data(&message), data.data(), data.size());
    bool sent = zmq_sendmsg(socket_, &message, flags) >= 0;
    if (!sent) logError("zmq_sendmsg");
    if (zmq_msg_close(&message) != 0) logError("zmq_msg_close");
    return sent;
}

int ZMQSocket::receiveWithBuffer(void* buffer, std::size_t length, int flags) {
    int received = zmq_recv(socket_, buffer, length, flags);
    if (received < 0) logError("zmq_recv");
    return received;
}

std::string ZMQSocket::receiveDataWithFlags(int flags) {
    zmq_msg_t message;
    if (zmq_msg_init(&message) != 0) raise("zmq_msg_init");
    if (zmq_recvmsg(socket_, &message, flags) < 0) {
        int code = logError("zmq_recvmsg");
        zmq_msg_close(&message);
        throw ZMQException::fromErrno(code);
    }
    std::string data(static_cast<const char*>(zmq_msg_data(&message)), zmq_msg_size(&message));
    if (zmq_msg_close(&message) != 0) logError("zmq_msg_close");
    return data;
}

bool ZMQSocket::subscribe(std::string_view topic) {
    return zmq_setsockopt(socket_, ZMQ_SUBSCRIBE, topic.data(), topic.size()) == 0;
}

bool ZMQSocket::subscribeAll() {
    return zmq_setsockopt(socket_, ZMQ_SUBSCRIBE, "", 0) == 0;
}

void ZMQSocket::getPollItem(zmq_pollitem_t& outItem, short events) const {
    outItem.socket = socket_;
    outItem.fd = 0;
    outItem.events = events;
    outItem.revents = 0;
}

}  // namespace support
