#include "support/zmq/zmq_context.h"

#include <cerrno>
#include <cstdio>

#include "platform/log.h"
#include "support/zmq/zmq_exception.h"
#include "support/zmq/zmq_socket.h"

namespace support {

void ZMQContext::getZMQVersionMajor(int* major, int* minor, int* patch) {
    int a = 0, b = 0, c = 0;
    zmq_version(&a, &b, &c);
    if (major) *major = a;
    if (minor) *minor = b;
    if (patch) *patch = c;
}

void ZMQContext::logZMQVersion() {
    int major = 0, minor = 0, patch = 0;
    getZMQVersionMajor(&major, &minor, &patch);
    char line[64];
    std::snprintf(line, sizeof line, "Current \xC3\x98MQ version is %d.%d.%d.", major, minor, patch);
    platform::Log::info(line);
}

int ZMQContext::pollWithItems(zmq_pollitem_t* items, int count, long timeoutAfterUsec) {
    // libzmq 3 and later count the timeout in milliseconds.
    long timeoutMs = timeoutAfterUsec < 0 ? -1 : (timeoutAfterUsec + 999) / 1000;
    return zmq_poll(items, count, timeoutMs);
}

namespace {

// libzmq sets up and tears down its multicast library's globals (libpgm's) at
// every context's start and end, unguarded: contexts start and end one at a
// time. Sockets are closed without lingering first, so an end is short.
std::mutex& startAndEndLock() {
    static std::mutex lock;
    return lock;
}

}  // namespace

ZMQContext::ZMQContext(int ioThreads) {
    {
        std::lock_guard<std::mutex> lock(startAndEndLock());
        context_ = zmq_init(ioThreads);
    }
    if (!context_) {
        int code = zmq_errno();
        char line[256];
        std::snprintf(line, sizeof line, "%s: *** Error creating ZMQContext: zmq_init: %s", "ZMQLogError",
                      zmq_strerror(code));
        platform::Log::error(line);
        throw ZMQException::fromErrno(code);
    }
}

ZMQContext::~ZMQContext() {
    closeSockets();
    terminate();
}

std::shared_ptr<ZMQSocket> ZMQContext::socketWithType(int type) {
    auto socket = std::make_shared<ZMQSocket>(*this, type);
    std::lock_guard<std::mutex> lock(socketsLock_);
    if (auto cap = maxMessageSizes_.find(type); cap != maxMessageSizes_.end())
        socket->setMaxMessageSize(cap->second);
    std::erase_if(sockets_, [](const std::weak_ptr<ZMQSocket>& s) { return s.expired(); });
    sockets_.push_back(socket);
    return socket;
}

void ZMQContext::setMaxMessageSize(int type, std::int64_t bytes) {
    std::lock_guard<std::mutex> lock(socketsLock_);
    maxMessageSizes_[type] = bytes;
}

std::vector<std::shared_ptr<ZMQSocket>> ZMQContext::sockets() const {
    std::lock_guard<std::mutex> lock(socketsLock_);
    std::vector<std::shared_ptr<ZMQSocket>> live;
    for (const auto& weak : sockets_) {
        if (auto s = weak.lock()) live.push_back(std::move(s));
    }
    return live;
}

void ZMQContext::closeSockets() {
    for (const auto& socket : sockets()) {
        try {
            socket->close();
        } catch (const ZMQException&) {
            // Logged by the socket.
        }
    }
}

void ZMQContext::terminate() {
    if (!context_) {
        terminated_ = true;
        return;
    }
    std::lock_guard<std::mutex> lock(startAndEndLock());
    while (zmq_term(context_) != 0 && zmq_errno() == EINTR) {
    }
    context_ = nullptr;
    terminated_ = true;
}

bool ZMQContext::isTerminated() const {
    return terminated_;
}

void* ZMQContext::context() const {
    return context_;
}

}  // namespace support
