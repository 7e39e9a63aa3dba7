// Listening on TCP and Unix-domain sockets, and accepting connections.
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "support/async_socket/gcd_async_socket.h"
#include "support/async_socket/gcd_async_socket_errors.h"

namespace support {

using namespace socket_detail;

namespace {

constexpr int kListenBacklog = 1024;
// Linux reports readiness, not a count: one event accepts until the queue is empty, at most this many.
constexpr int kMaxAcceptsPerEvent = kListenBacklog;

SocketAddress anyAddress(int family, std::uint16_t port) {
    if (family == AF_INET) {
        sockaddr_in sin{};
        sin.sin_family = AF_INET;
        sin.sin_port = htons(port);
        sin.sin_addr.s_addr = htonl(INADDR_ANY);
        SocketAddress out(sizeof(sin));
        std::memcpy(out.data(), &sin, sizeof(sin));
        return out;
    }
    sockaddr_in6 sin6{};
    sin6.sin6_family = AF_INET6;
    sin6.sin6_port = htons(port);
    sin6.sin6_addr = in6addr_any;
    SocketAddress out(sizeof(sin6));
    std::memcpy(out.data(), &sin6, sizeof(sin6));
    return out;
}

void setPortOf(SocketAddress& address, std::uint16_t port) {
    const std::uint16_t net = htons(port);
    if (GCDAsyncSocket::isIPv4Address(address)) {
        std::memcpy(address.data() + offsetof(sockaddr_in, sin_port), &net, sizeof(net));
    } else if (GCDAsyncSocket::isIPv6Address(address)) {
        std::memcpy(address.data() + offsetof(sockaddr_in6, sin6_port), &net, sizeof(net));
    }
}

int familyOfAddress(const SocketAddress& address) {
    if (address.size() < sizeof(sa_family_t)) return AF_UNSPEC;
    sa_family_t family = 0;
    std::memcpy(&family, address.data(), sizeof(family));
    return family;
}

}  // namespace

// ---------------------------------------------------------------------------
// Delegate defaults

std::shared_ptr<platform::SerialQueue> GCDAsyncSocketDelegate::newSocketQueueForConnectionFromAddress(
    const std::vector<std::uint8_t>&, GCDAsyncSocket*) {
    return nullptr;
}
void GCDAsyncSocketDelegate::didAcceptNewSocket(GCDAsyncSocket*, std::shared_ptr<GCDAsyncSocket>) {}
void GCDAsyncSocketDelegate::socketDidConnectToUrl(GCDAsyncSocket*, const std::string&) {}

// ---------------------------------------------------------------------------
// Listening

bool GCDAsyncSocket::preAcceptChecks(bool checkFamilies, SocketError* error) const {
    if (delegate_.expired()) {
        *error = badConfigError("Attempting to accept without a delegate. Set a delegate first.");
        return false;
    }
    if (!delegateQueue_) {
        *error = badConfigError("Attempting to accept without a delegate queue. Set a delegate queue first.");
        return false;
    }
    if (checkFamilies && (config_ & kIPv4Disabled) && (config_ & kIPv6Disabled)) {
        *error = badConfigError("Both IPv4 and IPv6 have been disabled. Must enable at least one protocol first.");
        return false;
    }
    if (flags_ & kSocketStarted) {
        *error = badConfigError("Attempting to accept while connected or accepting connections. Disconnect first.");
        return false;
    }
    return true;
}

int GCDAsyncSocket::createListeningSocket(const SocketAddress& address, SocketError* error) {
    const int family = familyOfAddress(address);
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = errnoErrorWithReason(errno, "Error in socket() function");
        return -1;
    }
    auto fail = [&](const char* reason) {
        *error = errnoErrorWithReason(errno, reason);
        ::close(fd);
        return -1;
    };
    const int fl = fcntl(fd, F_GETFL, 0);
    if (fl < 0 || fcntl(fd, F_SETFL, fl | O_NONBLOCK) != 0)
        return fail("Error enabling non-blocking IO on socket (fcntl)");
    int on = 1;
    if (family != AF_UNIX && setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof(on)) != 0)
        return fail("Error enabling address reuse (setsockopt)");
    // Linux lets an IPv6 wildcard take the IPv4 port too; each family keeps a socket of its own.
    if (family == AF_INET6) setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof(on));
    if (::bind(fd, reinterpret_cast<const sockaddr*>(address.data()), static_cast<socklen_t>(address.size())) != 0)
        return fail("Error in bind() function");
    if (::listen(fd, kListenBacklog) != 0) return fail("Error in listen() function");
    return fd;
}

bool GCDAsyncSocket::acceptOnPort(std::uint16_t port, SocketError* error) {
    return acceptOnInterface("", port, error);
}

bool GCDAsyncSocket::acceptOnInterface(const std::string& interface, std::uint16_t port, SocketError* error) {
    SocketError ignored;
    SocketError* err = error ? error : &ignored;
    bool ok = false;
    onQueueSync([&] {
        if (!preAcceptChecks(true, err)) return;
        readQueue_.clear();
        writeQueue_.clear();
        SocketAddress a4, a6;
        if (interface.empty()) {
            a4 = anyAddress(AF_INET, port);
            a6 = anyAddress(AF_INET6, port);
        } else {
            getInterfaceAddress(&a4, &a6, interface, port);
        }
        const bool v4Disabled = config_ & kIPv4Disabled;
        const bool v6Disabled = config_ & kIPv6Disabled;
        if (a4.empty() && a6.empty()) {
            *err = badParamError("Unknown interface. Specify valid interface by name (e.g. \"en1\") or IP address.");
            return;
        }
        if (v4Disabled && a6.empty()) {
            *err = badParamError("IPv4 has been disabled and specified interface doesn't support IPv6.");
            return;
        }
        if (v6Disabled && a4.empty()) {
            *err = badParamError("IPv6 has been disabled and specified interface doesn't support IPv4.");
            return;
        }
        const bool use4 = !v4Disabled && !a4.empty();
        const bool use6 = !v6Disabled && !a6.empty();
        if (use4) {
            socket4FD_ = createListeningSocket(a4, err);
            if (socket4FD_ < 0) return;
        }
        if (use6) {
            if (use4 && port == 0) {
                // The IPv6 socket takes the port the system gave the IPv4 one.
                sockaddr_in bound{};
                socklen_t len = sizeof(bound);
                if (getsockname(socket4FD_, reinterpret_cast<sockaddr*>(&bound), &len) == 0)
                    setPortOf(a6, ntohs(bound.sin_port));
            }
            socket6FD_ = createListeningSocket(a6, err);
            if (socket6FD_ < 0) {
                if (socket4FD_ >= 0) ::close(socket4FD_);
                socket4FD_ = -1;
                return;
            }
        }
        if (socket4FD_ >= 0) startAcceptSource(AF_INET);
        if (socket6FD_ >= 0) startAcceptSource(AF_INET6);
        flags_ |= kSocketStarted;
        publishState();
        publishAddresses();
        ok = true;
    });
    return ok;
}

bool GCDAsyncSocket::acceptOnUrl(const std::string& url, SocketError* error) {
    SocketError ignored;
    SocketError* err = error ? error : &ignored;
    bool ok = false;
    onQueueSync([&] {
        if (!preAcceptChecks(false, err)) return;
        readQueue_.clear();
        writeQueue_.clear();
        // Built before anything is removed: a path that does not fit must not touch another file.
        const SocketAddress address = getInterfaceAddressFromUrl(url);
        if (address.empty()) {
            *err = badParamError(
                "Invalid unix domain url. Specify a valid file url that does not exist (e.g. \"file:///tmp/socket\")");
            return;
        }
        sockaddr_un sun{};
        std::memcpy(&sun, address.data(), std::min(address.size(), sizeof(sun)));
        const std::string path = sun.sun_path;
        struct stat st{};
        if (::lstat(path.c_str(), &st) == 0 && ::unlink(path.c_str()) != 0) {
            *err = otherError("Could not remove previous unix domain socket at given url.");
            return;
        }
        socketUN_ = createListeningSocket(address, err);
        if (socketUN_ < 0) return;
        socketPath_ = path;
        startAcceptSource(AF_UNIX);
        flags_ |= kSocketStarted;
        publishState();
        ok = true;
    });
    return ok;
}

void GCDAsyncSocket::startAcceptSource(int family) {
    std::unique_ptr<Descriptor>& descriptor =
        family == AF_INET ? descriptor4_ : family == AF_INET6 ? descriptor6_ : descriptorUN_;
    const int fd = family == AF_INET ? socket4FD_ : family == AF_INET6 ? socket6FD_ : socketUN_;
    if (!descriptor) descriptor = std::make_unique<Descriptor>(platform::ioContext(), fd);
    std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
    const std::uint64_t generation = sourceGeneration_;
    descriptor->async_wait(asio::posix::descriptor_base::wait_read,
                           asio::bind_executor(socketQueue_->strand(),
                                               [weak, family, generation](const asio::error_code& ec) {
                                                   if (ec == asio::error::operation_aborted) return;
                                                   if (auto self = weak.lock())
                                                       self->acceptSourceFired(family, generation);
                                               }));
}

void GCDAsyncSocket::acceptSourceFired(int family, std::uint64_t generation) {
    if (generation != sourceGeneration_) return;
    const int fd = family == AF_INET ? socket4FD_ : family == AF_INET6 ? socket6FD_ : socketUN_;
    if (fd < 0) return;
    for (int i = 0; i < kMaxAcceptsPerEvent && doAccept(fd); ++i) {
    }
    if (generation == sourceGeneration_) startAcceptSource(family);
}

bool GCDAsyncSocket::doAccept(int listenFD) {
    sockaddr_storage peer{};
    socklen_t peerLen = sizeof(peer);
    const int fd = ::accept4(listenFD, reinterpret_cast<sockaddr*>(&peer), &peerLen, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return false;
    const int family = peer.ss_family == AF_INET || peer.ss_family == AF_INET6 ? peer.ss_family : AF_UNIX;
    SocketAddress peerAddress(reinterpret_cast<const std::uint8_t*>(&peer),
                              reinterpret_cast<const std::uint8_t*>(&peer) + std::min<socklen_t>(peerLen, sizeof(peer)));
    QueuePtr delegateQueue = delegateQueue_;
    if (!delegateQueue) {
        // Nobody could keep the new socket.
        ::close(fd);
        return true;
    }
    DelegatePtr delegate = delegate_;
    std::shared_ptr<GCDAsyncSocket> self = shared_from_this();
    delegateQueue->async([self, delegate, delegateQueue, peerAddress, family, fd] {
        auto d = delegate.lock();
        QueuePtr childQueue = d ? d->newSocketQueueForConnectionFromAddress(peerAddress, self.get()) : nullptr;
        std::shared_ptr<GCDAsyncSocket> child = create(delegate, delegateQueue, std::move(childQueue));
        child->adoptAcceptedDescriptor(family, fd);
        child->onQueueAsync([](GCDAsyncSocket& s) { s.setupAcceptedSources(); });
        if (d) d->didAcceptNewSocket(self.get(), child);
    });
    return true;
}

void GCDAsyncSocket::adoptAcceptedDescriptor(int family, int fd) {
    (family == AF_INET ? socket4FD_ : family == AF_INET6 ? socket6FD_ : socketUN_) = fd;
    flags_ |= kSocketStarted | kConnected;
    publishState();
    publishAddresses();
}

void GCDAsyncSocket::setupAcceptedSources() {
    const int fd = connectedFD();
    if (fd < 0 || !(flags_ & kConnected)) return;
    std::unique_ptr<Descriptor>& descriptor =
        socket4FD_ >= 0 ? descriptor4_ : socket6FD_ >= 0 ? descriptor6_ : descriptorUN_;
    descriptor = std::make_unique<Descriptor>(platform::ioContext(), fd);
    publishAddresses();
    setupReadAndWriteSources();
    maybeDequeueRead();
    maybeDequeueWrite();
}

}  // namespace support
