#include "support/async_socket/gcd_async_socket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netdb.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <thread>

#include "platform/log.h"
#include "support/async_socket/gcd_async_socket_errors.h"
#include "support/async_socket/gcd_async_socket_tls_session.h"

namespace support {

// ---------------------------------------------------------------------------
// Delegate defaults

void GCDAsyncSocketDelegate::socketDidConnectToHost(GCDAsyncSocket*, const std::string&, std::uint16_t) {}
void GCDAsyncSocketDelegate::socketDidReadData(GCDAsyncSocket*, std::span<const std::uint8_t>, std::int64_t) {
}
void GCDAsyncSocketDelegate::socketDidReadPartialDataOfLength(GCDAsyncSocket*, std::size_t, std::int64_t) {}
void GCDAsyncSocketDelegate::socketDidWriteDataWithTag(GCDAsyncSocket*, std::int64_t) {}
void GCDAsyncSocketDelegate::socketDidWritePartialDataOfLength(GCDAsyncSocket*, std::size_t, std::int64_t) {}
double GCDAsyncSocketDelegate::shouldTimeoutReadWithTag(GCDAsyncSocket*, std::int64_t, double, std::size_t) {
    return 0.0;
}
double GCDAsyncSocketDelegate::shouldTimeoutWriteWithTag(GCDAsyncSocket*, std::int64_t, double, std::size_t) {
    return 0.0;
}
void GCDAsyncSocketDelegate::socketDidCloseReadStream(GCDAsyncSocket*) {}
void GCDAsyncSocketDelegate::socketDidDisconnect(GCDAsyncSocket*, const std::optional<SocketError>&) {}

// ---------------------------------------------------------------------------
// Errors

using namespace socket_detail;

namespace {

SocketError connectTimeoutError() {
    return socketError(GCDAsyncSocketConnectTimeoutError, "Attempt to connect to host timed out");
}
SocketError readTimeoutError() {
    return socketError(GCDAsyncSocketReadTimeoutError, "Read operation timed out");
}
SocketError writeTimeoutError() {
    return socketError(GCDAsyncSocketWriteTimeoutError, "Write operation timed out");
}
SocketError readMaxedOutError() {
    return socketError(GCDAsyncSocketReadMaxedOutError, "Read operation reached set maximum length");
}
SocketError connectionClosedError() {
    return socketError(GCDAsyncSocketClosedError, "Socket closed by remote peer");
}
// The resolver's "non-recoverable failure" code, reported when nothing usable came back.
constexpr int kNoUsableAddressCode = 4;

platform::Duration toDuration(double seconds) {
    if (!(seconds > 0)) return platform::Duration::zero();
    const double capped = std::min(seconds, 1.0e9);
    return std::chrono::duration_cast<platform::Duration>(std::chrono::duration<double>(capped));
}

bool wouldBlock(int err) {
    return err == EWOULDBLOCK || err == EAGAIN || err == EINTR;
}

int familyOf(const SocketAddress& address) {
    if (address.size() < sizeof(sa_family_t)) return AF_UNSPEC;
    sockaddr sa{};
    std::memcpy(&sa, address.data(), std::min(address.size(), sizeof(sa)));
    return sa.sa_family;
}

SocketAddress address4(const char* text, std::uint16_t port) {
    sockaddr_in sin{};
    sin.sin_family = AF_INET;
    sin.sin_port = htons(port);
    inet_pton(AF_INET, text, &sin.sin_addr);
    SocketAddress out(sizeof(sin));
    std::memcpy(out.data(), &sin, sizeof(sin));
    return out;
}

SocketAddress address6(const char* text, std::uint16_t port) {
    sockaddr_in6 sin6{};
    sin6.sin6_family = AF_INET6;
    sin6.sin6_port = htons(port);
    inet_pton(AF_INET6, text, &sin6.sin6_addr);
    SocketAddress out(sizeof(sin6));
    std::memcpy(out.data(), &sin6, sizeof(sin6));
    return out;
}

SocketAddress fromSockaddr(const sockaddr* sa) {
    if (sa->sa_family == AF_INET) {
        SocketAddress out(sizeof(sockaddr_in));
        std::memcpy(out.data(), sa, sizeof(sockaddr_in));
        return out;
    }
    if (sa->sa_family == AF_INET6) {
        SocketAddress out(sizeof(sockaddr_in6));
        std::memcpy(out.data(), sa, sizeof(sockaddr_in6));
        return out;
    }
    return {};
}

void setPort(SocketAddress& address, std::uint16_t port) {
    const std::uint16_t net = htons(port);
    if (familyOf(address) == AF_INET && address.size() >= sizeof(sockaddr_in)) {
        std::memcpy(address.data() + offsetof(sockaddr_in, sin_port), &net, sizeof(net));
    } else if (familyOf(address) == AF_INET6 && address.size() >= sizeof(sockaddr_in6)) {
        std::memcpy(address.data() + offsetof(sockaddr_in6, sin6_port), &net, sizeof(net));
    }
}

}  // namespace

// ---------------------------------------------------------------------------
// Addresses

std::string GCDAsyncSocket::hostFromAddress(const SocketAddress& address) {
    char text[INET6_ADDRSTRLEN] = {};
    if (familyOf(address) == AF_INET && address.size() >= sizeof(sockaddr_in)) {
        sockaddr_in sin;
        std::memcpy(&sin, address.data(), sizeof(sin));
        if (!inet_ntop(AF_INET, &sin.sin_addr, text, sizeof(text))) return {};
        return text;
    }
    if (familyOf(address) == AF_INET6 && address.size() >= sizeof(sockaddr_in6)) {
        sockaddr_in6 sin6;
        std::memcpy(&sin6, address.data(), sizeof(sin6));
        if (!inet_ntop(AF_INET6, &sin6.sin6_addr, text, sizeof(text))) return {};
        return text;
    }
    return {};
}

std::uint16_t GCDAsyncSocket::portFromAddress(const SocketAddress& address) {
    std::uint16_t net = 0;
    if (familyOf(address) == AF_INET && address.size() >= sizeof(sockaddr_in)) {
        std::memcpy(&net, address.data() + offsetof(sockaddr_in, sin_port), sizeof(net));
    } else if (familyOf(address) == AF_INET6 && address.size() >= sizeof(sockaddr_in6)) {
        std::memcpy(&net, address.data() + offsetof(sockaddr_in6, sin6_port), sizeof(net));
    }
    return ntohs(net);
}

std::vector<SocketAddress> GCDAsyncSocket::lookupHost(const std::string& host, std::uint16_t port,
                                                      SocketError* error) {
    if (host == "localhost" || host == "loopback") {
        return {address4("127.0.0.1", port), address6("::1", port)};
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* res = nullptr;
    const std::string service = std::to_string(port);
    const int gai = getaddrinfo(host.c_str(), service.c_str(), &hints, &res);
    if (gai != 0) {
        if (error) *error = gaiError(gai);
        return {};
    }
    std::vector<SocketAddress> out;
    for (addrinfo* ai = res; ai; ai = ai->ai_next) {
        if (!ai->ai_addr) continue;
        if (ai->ai_family == AF_INET && ai->ai_addrlen >= sizeof(sockaddr_in)) {
            out.push_back(fromSockaddr(ai->ai_addr));
        } else if (ai->ai_family == AF_INET6 && ai->ai_addrlen >= sizeof(sockaddr_in6)) {
            SocketAddress a = fromSockaddr(ai->ai_addr);
            if (portFromAddress(a) == 0) setPort(a, port);
            out.push_back(std::move(a));
        }
    }
    freeaddrinfo(res);
    if (out.empty() && error) {
        *error = SocketError{kCFStreamErrorDomainNetDB, kNoUsableAddressCode, gai_strerror(EAI_FAIL), {}};
    }
    return out;
}

void GCDAsyncSocket::getInterfaceAddress(SocketAddress* address4Out, SocketAddress* address6Out,
                                         const std::string& description, std::uint16_t port) {
    SocketAddress a4, a6;
    std::string iface = description;
    // "name:port"; a text with several colons is an IPv6 address without a port.
    const auto colon = description.find(':');
    if (colon != std::string::npos && description.find(':', colon + 1) == std::string::npos) {
        iface = description.substr(0, colon);
        const std::string portText = description.substr(colon + 1);
        if (port == 0 && !portText.empty() && portText.size() <= 5 &&
            std::all_of(portText.begin(), portText.end(), [](char c) { return c >= '0' && c <= '9'; })) {
            const long value = std::stol(portText);
            if (value >= 1 && value <= 65535) port = static_cast<std::uint16_t>(value);
        }
    }
    if (iface.empty()) {
        a4 = address4("0.0.0.0", port);
        a6 = address6("::", port);
    } else if (iface == "localhost" || iface == "loopback") {
        a4 = address4("127.0.0.1", port);
        a6 = address6("::1", port);
    } else {
        ifaddrs* list = nullptr;
        if (getifaddrs(&list) == 0) {
            for (ifaddrs* ifa = list; ifa; ifa = ifa->ifa_next) {
                if (!ifa->ifa_addr) continue;
                const int family = ifa->ifa_addr->sa_family;
                if (family != AF_INET && family != AF_INET6) continue;
                SocketAddress candidate = fromSockaddr(ifa->ifa_addr);
                const bool matches =
                    (ifa->ifa_name && iface == ifa->ifa_name) || iface == hostFromAddress(candidate);
                if (!matches) continue;
                setPort(candidate, port);
                if (family == AF_INET && a4.empty()) a4 = std::move(candidate);
                if (family == AF_INET6 && a6.empty()) a6 = std::move(candidate);
            }
            freeifaddrs(list);
        }
    }
    if (address4Out) *address4Out = std::move(a4);
    if (address6Out) *address6Out = std::move(a6);
}

const ByteBuffer& GCDAsyncSocket::CRLFData() {
    static const ByteBuffer data{0x0D, 0x0A};
    return data;
}
const ByteBuffer& GCDAsyncSocket::CRData() {
    static const ByteBuffer data{0x0D};
    return data;
}
const ByteBuffer& GCDAsyncSocket::LFData() {
    static const ByteBuffer data{0x0A};
    return data;
}
const ByteBuffer& GCDAsyncSocket::ZeroData() {
    static const ByteBuffer data{0x00};
    return data;
}

// ---------------------------------------------------------------------------
// Creation, teardown, queues

std::shared_ptr<GCDAsyncSocket> GCDAsyncSocket::create(DelegatePtr delegate, QueuePtr delegateQueue,
                                                       QueuePtr socketQueue) {
    return std::shared_ptr<GCDAsyncSocket>(
        new GCDAsyncSocket(std::move(delegate), std::move(delegateQueue), std::move(socketQueue)));
}

GCDAsyncSocket::GCDAsyncSocket(DelegatePtr delegate, QueuePtr delegateQueue, QueuePtr socketQueue)
    : delegate_(std::move(delegate)),
      delegateQueue_(std::move(delegateQueue)),
      socketQueue_(socketQueue ? std::move(socketQueue) : platform::SerialQueue::create("GCDAsyncSocket")) {}

GCDAsyncSocket::~GCDAsyncSocket() {
    // Every task on the socket queue holds the socket while it runs, so none
    // runs now: closing here needs no wait on the queue.
    flags_ |= kDealloc;
    closeWithError(std::nullopt);
}

void GCDAsyncSocket::publishState() {
    published_.store(flags_ & (kSocketStarted | kConnected | kSocketSecure), std::memory_order_release);
}

void GCDAsyncSocket::onQueueSync(const std::function<void()>& fn) const {
    socketQueue_->sync(fn);
}

void GCDAsyncSocket::onQueueAsync(std::function<void(GCDAsyncSocket&)> fn) {
    std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
    socketQueue_->async([weak, fn = std::move(fn)] {
        if (auto self = weak.lock()) fn(*self);
    });
}

void GCDAsyncSocket::postToDelegate(std::function<void(GCDAsyncSocketDelegate&, GCDAsyncSocket*)> call) {
    if (!delegateQueue_ || delegate_.expired()) return;
    // Null while the socket is being destroyed.
    std::shared_ptr<GCDAsyncSocket> self = weak_from_this().lock();
    delegateQueue_->async([delegate = delegate_, self, call = std::move(call)] {
        if (auto d = delegate.lock()) call(*d, self.get());
    });
}

// ---------------------------------------------------------------------------
// Configuration

std::shared_ptr<GCDAsyncSocketDelegate> GCDAsyncSocket::delegate() const {
    std::shared_ptr<GCDAsyncSocketDelegate> result;
    onQueueSync([&] { result = delegate_.lock(); });
    return result;
}

GCDAsyncSocket::QueuePtr GCDAsyncSocket::delegateQueue() const {
    QueuePtr result;
    onQueueSync([&] { result = delegateQueue_; });
    return result;
}

void GCDAsyncSocket::setDelegate(DelegatePtr delegate) {
    onQueueAsync([delegate](GCDAsyncSocket& s) { s.delegate_ = delegate; });
}
void GCDAsyncSocket::synchronouslySetDelegate(DelegatePtr delegate) {
    onQueueSync([&] { delegate_ = delegate; });
}
void GCDAsyncSocket::setDelegateQueue(QueuePtr queue) {
    onQueueAsync([queue](GCDAsyncSocket& s) { s.delegateQueue_ = queue; });
}
void GCDAsyncSocket::synchronouslySetDelegateQueue(QueuePtr queue) {
    onQueueSync([&] { delegateQueue_ = queue; });
}
void GCDAsyncSocket::setDelegate(DelegatePtr delegate, QueuePtr queue) {
    onQueueAsync([delegate, queue](GCDAsyncSocket& s) {
        s.delegate_ = delegate;
        s.delegateQueue_ = queue;
    });
}
void GCDAsyncSocket::synchronouslySetDelegate(DelegatePtr delegate, QueuePtr queue) {
    onQueueSync([&] {
        delegate_ = delegate;
        delegateQueue_ = queue;
    });
}

namespace {
void setBit(std::uint16_t& config, std::uint16_t bit, bool on) {
    if (on)
        config |= bit;
    else
        config &= static_cast<std::uint16_t>(~bit);
}
}  // namespace

bool GCDAsyncSocket::isIPv4Enabled() const {
    bool result = false;
    onQueueSync([&] { result = !(config_ & kIPv4Disabled); });
    return result;
}
void GCDAsyncSocket::setIPv4Enabled(bool flag) {
    onQueueAsync([flag](GCDAsyncSocket& s) { setBit(s.config_, kIPv4Disabled, !flag); });
}
bool GCDAsyncSocket::isIPv6Enabled() const {
    bool result = false;
    onQueueSync([&] { result = !(config_ & kIPv6Disabled); });
    return result;
}
void GCDAsyncSocket::setIPv6Enabled(bool flag) {
    onQueueAsync([flag](GCDAsyncSocket& s) { setBit(s.config_, kIPv6Disabled, !flag); });
}
bool GCDAsyncSocket::isIPv4PreferredOverIPv6() const {
    bool result = false;
    onQueueSync([&] { result = !(config_ & kPreferIPv6); });
    return result;
}
void GCDAsyncSocket::setIPv4PreferredOverIPv6(bool flag) {
    onQueueAsync([flag](GCDAsyncSocket& s) { setBit(s.config_, kPreferIPv6, !flag); });
}
double GCDAsyncSocket::alternateAddressDelay() const {
    double result = 0;
    onQueueSync([&] { result = alternateAddressDelay_; });
    return result;
}
void GCDAsyncSocket::setAlternateAddressDelay(double seconds) {
    onQueueAsync([seconds](GCDAsyncSocket& s) { s.alternateAddressDelay_ = seconds; });
}
bool GCDAsyncSocket::autoDisconnectOnClosedReadStream() const {
    bool result = false;
    onQueueSync([&] { result = !(config_ & kAllowHalfDuplexConnection); });
    return result;
}
void GCDAsyncSocket::setAutoDisconnectOnClosedReadStream(bool flag) {
    onQueueAsync([flag](GCDAsyncSocket& s) { setBit(s.config_, kAllowHalfDuplexConnection, !flag); });
}

bool GCDAsyncSocket::isDisconnected() const {
    return !(published_.load(std::memory_order_acquire) & kSocketStarted);
}

bool GCDAsyncSocket::isConnected() const {
    return (published_.load(std::memory_order_acquire) & kConnected) != 0;
}

// ---------------------------------------------------------------------------
// Timers

void GCDAsyncSocket::armTimer(OneShot& timer, double seconds,
                              void (GCDAsyncSocket::*handler)(std::uint64_t)) {
    cancelTimer(timer);
    timer.armed = true;
    const std::uint64_t generation = timer.generation;
    std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
    timer.id = socketQueue_->after(toDuration(seconds), [weak, generation, handler] {
        if (auto self = weak.lock()) (self.get()->*handler)(generation);
    });
}

void GCDAsyncSocket::cancelTimer(OneShot& timer) {
    if (timer.armed) socketQueue_->cancel(timer.id);
    timer.armed = false;
    timer.id = 0;
    timer.generation = ++timerGeneration_;
}

// ---------------------------------------------------------------------------
// Connecting

bool GCDAsyncSocket::preConnectWithInterface(const std::string& interface, SocketError* error) {
    // A bind address left by an attempt that failed before starting must not leak into this one.
    connectInterface4_.clear();
    connectInterface6_.clear();
    if (delegate_.expired()) {
        *error = badConfigError("Attempting to connect without a delegate. Set a delegate first.");
        return false;
    }
    if (!delegateQueue_) {
        *error =
            badConfigError("Attempting to connect without a delegate queue. Set a delegate queue first.");
        return false;
    }
    if (flags_ & kSocketStarted) {
        *error = badConfigError(
            "Attempting to connect while connected or accepting connections. Disconnect first.");
        return false;
    }
    const bool v4Disabled = config_ & kIPv4Disabled;
    const bool v6Disabled = config_ & kIPv6Disabled;
    if (v4Disabled && v6Disabled) {
        *error =
            badConfigError("Both IPv4 and IPv6 have been disabled. Must enable at least one protocol first.");
        return false;
    }
    if (!interface.empty()) {
        SocketAddress i4, i6;
        getInterfaceAddress(&i4, &i6, interface, 0);
        if (i4.empty() && i6.empty()) {
            *error = badParamError(
                "Unknown interface. Specify valid interface by name (e.g. \"en1\") or IP address.");
            return false;
        }
        if (v4Disabled && i6.empty()) {
            *error = badParamError("IPv4 has been disabled and specified interface doesn't support IPv6.");
            return false;
        }
        if (v6Disabled && i4.empty()) {
            *error = badParamError("IPv6 has been disabled and specified interface doesn't support IPv4.");
            return false;
        }
        connectInterface4_ = std::move(i4);
        connectInterface6_ = std::move(i6);
    }
    readQueue_.clear();
    writeQueue_.clear();
    return true;
}

bool GCDAsyncSocket::connectToHost(const std::string& host, std::uint16_t port, SocketError* error) {
    return connectToHost(host, port, std::string(), -1.0, error);
}

bool GCDAsyncSocket::connectToHost(const std::string& host, std::uint16_t port, double timeout,
                                   SocketError* error) {
    return connectToHost(host, port, std::string(), timeout, error);
}

bool GCDAsyncSocket::connectToHost(const std::string& host, std::uint16_t port, const std::string& interface,
                                   double timeout, SocketError* error) {
    bool result = false;
    SocketError failure;
    onQueueSync([&] {
        if (host.empty()) {
            failure = badParamError(
                "Invalid host parameter (nil or \"\"). Should be a domain name or IP address string.");
            return;
        }
        if (!preConnectWithInterface(interface, &failure)) return;
        flags_ |= kSocketStarted;
        publishState();
        const int aStateIndex = stateIndex_;
        std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
        // The resolver blocks, so it runs on a thread of its own.
        std::thread([weak, host, port, aStateIndex] {
            SocketError lookupError;
            std::vector<SocketAddress> addresses = lookupHost(host, port, &lookupError);
            auto self = weak.lock();
            if (!self) return;
            if (addresses.empty()) {
                self->onQueueAsync([aStateIndex, lookupError](GCDAsyncSocket& s) {
                    s.lookupDidFail(aStateIndex, lookupError);
                });
                return;
            }
            SocketAddress a4, a6;
            for (auto& a : addresses) {
                if (familyOf(a) == AF_INET && a4.empty()) a4 = a;
                if (familyOf(a) == AF_INET6 && a6.empty()) a6 = a;
            }
            self->onQueueAsync(
                [aStateIndex, a4, a6](GCDAsyncSocket& s) { s.lookupDidSucceed(aStateIndex, a4, a6); });
        }).detach();
        startConnectTimeout(timeout);
        result = true;
    });
    if (!result && error) *error = failure;
    return result;
}

void GCDAsyncSocket::lookupDidFail(int aStateIndex, const SocketError& error) {
    if (aStateIndex != stateIndex_) return;
    endConnectTimeout();
    closeWithError(error);
}

void GCDAsyncSocket::lookupDidSucceed(int aStateIndex, SocketAddress a4, SocketAddress a6) {
    if (aStateIndex != stateIndex_) return;
    const bool v4Disabled = config_ & kIPv4Disabled;
    const bool v6Disabled = config_ & kIPv6Disabled;
    if (v4Disabled && a6.empty()) {
        closeWithError(otherError("IPv4 has been disabled and DNS lookup found no IPv6 address."));
        return;
    }
    if (v6Disabled && a4.empty()) {
        closeWithError(otherError("IPv6 has been disabled and DNS lookup found no IPv4 address."));
        return;
    }
    if (v4Disabled) a4.clear();
    if (v6Disabled) a6.clear();
    SocketError error;
    if (!connectWithAddress(std::move(a4), std::move(a6), &error)) closeWithError(error);
}

bool GCDAsyncSocket::connectToAddress(const SocketAddress& address, SocketError* error) {
    return connectToAddress(address, std::string(), -1.0, error);
}

bool GCDAsyncSocket::connectToAddress(const SocketAddress& address, double timeout, SocketError* error) {
    return connectToAddress(address, std::string(), timeout, error);
}

bool GCDAsyncSocket::connectToAddress(const SocketAddress& address, const std::string& interface,
                                      double timeout, SocketError* error) {
    bool result = false;
    SocketError failure;
    onQueueSync([&] {
        const int family = familyOf(address);
        const bool isV4 = family == AF_INET && address.size() == sizeof(sockaddr_in);
        const bool isV6 = family == AF_INET6 && address.size() == sizeof(sockaddr_in6);
        if (!isV4 && !isV6) {
            failure = badParamError("A valid IPv4 or IPv6 address was not given");
            return;
        }
        if (isV4 && (config_ & kIPv4Disabled)) {
            failure = badParamError("IPv4 has been disabled and an IPv4 address was passed.");
            return;
        }
        if (isV6 && (config_ & kIPv6Disabled)) {
            failure = badParamError("IPv6 has been disabled and an IPv6 address was passed.");
            return;
        }
        if (!preConnectWithInterface(interface, &failure)) return;
        if (!connectWithAddress(isV4 ? address : SocketAddress(), isV6 ? address : SocketAddress(),
                                &failure)) {
            return;
        }
        flags_ |= kSocketStarted;
        publishState();
        startConnectTimeout(timeout);
        result = true;
    });
    if (!result && error) *error = failure;
    return result;
}

int GCDAsyncSocket::createSocket(int family, const SocketAddress& connectInterface, SocketError* error) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = errnoErrorWithReason(errno, "Error in socket() function");
        return -1;
    }
    if (!connectInterface.empty()) {
        if (portFromAddress(connectInterface) > 0) {
            int reuseOn = 1;
            setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuseOn, sizeof(reuseOn));
        }
        if (::bind(fd, reinterpret_cast<const sockaddr*>(connectInterface.data()),
                   static_cast<socklen_t>(connectInterface.size())) != 0) {
            *error = errnoErrorWithReason(errno, "Error in bind() function");
            ::close(fd);
            return -1;
        }
    }
    // The connect itself waits for writability, so the descriptor is non-blocking from the start.
    const int fl = fcntl(fd, F_GETFL, 0);
    if (fl < 0 || fcntl(fd, F_SETFL, fl | O_NONBLOCK) != 0) {
        *error = otherError("Error enabling non-blocking IO on socket (fcntl)");
        ::close(fd);
        return -1;
    }
    return fd;
}

bool GCDAsyncSocket::connectWithAddress(SocketAddress a4, SocketAddress a6, SocketError* error) {
    SocketError createError;
    int fd4 = -1;
    int fd6 = -1;
    if (!a4.empty()) fd4 = createSocket(AF_INET, connectInterface4_, &createError);
    if (!a6.empty()) fd6 = createSocket(AF_INET6, connectInterface6_, &createError);
    if (fd4 < 0 && fd6 < 0) {
        *error = createError;
        return false;
    }
    socket4FD_ = fd4;
    socket6FD_ = fd6;
    const bool v6First = ((config_ & kPreferIPv6) && fd6 >= 0) || fd4 < 0;
    const int firstFamily = v6First ? AF_INET6 : AF_INET;
    const int alternateFamily = v6First ? AF_INET : AF_INET6;
    SocketAddress firstAddress = v6First ? a6 : a4;
    SocketAddress alternateAddress = v6First ? a4 : a6;
    const bool hasAlternate = (v6First ? fd4 : fd6) >= 0;

    const int aStateIndex = stateIndex_;
    connectSocket(firstFamily, std::move(firstAddress), aStateIndex);
    if (hasAlternate) {
        std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
        socketQueue_->after(toDuration(alternateAddressDelay_),
                            [weak, alternateFamily, alternateAddress, aStateIndex] {
                                if (auto self = weak.lock())
                                    self->connectSocket(alternateFamily, alternateAddress, aStateIndex);
                            });
    }
    return true;
}

void GCDAsyncSocket::connectSocket(int family, SocketAddress address, int aStateIndex) {
    // An attempt of an abandoned connection, or one whose descriptor is already gone.
    if (aStateIndex != stateIndex_) return;
    const int fd = family == AF_INET ? socket4FD_ : socket6FD_;
    if (fd < 0) return;
    if (flags_ & kConnected) {
        closeSocketOfFamily(family);
        return;
    }
    const int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(address.data()),
                             static_cast<socklen_t>(address.size()));
    const int err = rc == 0 ? 0 : errno;
    if (rc != 0 && (err == EINPROGRESS || err == EINTR)) {
        // Registered only now: an unconnected socket reports a hang-up that would end the wait early.
        std::unique_ptr<Descriptor>& descriptor = family == AF_INET ? descriptor4_ : descriptor6_;
        descriptor = std::make_unique<Descriptor>(platform::ioContext(), fd);
        waitForConnect(family, fd, aStateIndex);
        return;
    }
    if (rc == 0) {
        std::unique_ptr<Descriptor>& descriptor = family == AF_INET ? descriptor4_ : descriptor6_;
        descriptor = std::make_unique<Descriptor>(platform::ioContext(), fd);
    }
    // Finished at once: report it the same way, from a task of its own.
    onQueueAsync([family, fd, aStateIndex, err](GCDAsyncSocket& s) {
        s.connectAttemptFinished(family, fd, aStateIndex, err);
    });
}

void GCDAsyncSocket::waitForConnect(int family, int fd, int aStateIndex) {
    Descriptor* descriptor = family == AF_INET ? descriptor4_.get() : descriptor6_.get();
    if (!descriptor) return;
    std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
    descriptor->async_wait(
        asio::posix::descriptor_base::wait_write,
        asio::bind_executor(socketQueue_->strand(), [weak, family, fd,
                                                     aStateIndex](const asio::error_code& ec) {
            if (ec == asio::error::operation_aborted) return;
            auto self = weak.lock();
            if (!self || aStateIndex != self->stateIndex_) return;
            if ((family == AF_INET ? self->socket4FD_ : self->socket6FD_) != fd) return;
            int soError = 0;
            socklen_t len = sizeof(soError);
            if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &soError, &len) != 0) soError = errno;
            if (soError == 0) {
                sockaddr_storage peer{};
                socklen_t peerLen = sizeof(peer);
                if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLen) != 0 && errno == ENOTCONN) {
                    self->waitForConnect(family, fd, aStateIndex);  // still in progress
                    return;
                }
            }
            self->connectAttemptFinished(family, fd, aStateIndex, soError);
        }));
}

void GCDAsyncSocket::connectAttemptFinished(int family, int fd, int aStateIndex, int errorNumber) {
    if (aStateIndex != stateIndex_) return;
    const int current = family == AF_INET ? socket4FD_ : socket6FD_;
    if (current != fd || fd < 0) return;
    if (flags_ & kConnected) {
        closeSocketOfFamily(family);
        return;
    }
    if (errorNumber != 0) {
        closeSocketOfFamily(family);
        // Only the last failing attempt is reported.
        if (socket4FD_ < 0 && socket6FD_ < 0) {
            didNotConnect(aStateIndex, errnoErrorWithReason(errorNumber, "Error in connect() function"));
        }
        return;
    }
    closeSocketOfFamily(family == AF_INET ? AF_INET6 : AF_INET);
    didConnect(aStateIndex);
}

void GCDAsyncSocket::didConnect(int aStateIndex) {
    if (aStateIndex != stateIndex_) return;
    flags_ |= kConnected;
    publishState();
    endConnectTimeout();
    // Published before the delegate hears of the connection.
    publishAddresses();

    const int fd = connectedFD();
    sockaddr_storage peer{};
    socklen_t len = sizeof(peer);
    if (fd >= 0 && getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0) {
        const SocketAddress address = fromSockaddr(reinterpret_cast<const sockaddr*>(&peer));
        const std::string host = hostFromAddress(address);
        const std::uint16_t port = portFromAddress(address);
        if (!host.empty()) {
            postToDelegate([host, port](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) {
                d.socketDidConnectToHost(s, host, port);
            });
        }
    }
    if (socketUN_ >= 0) {
        const std::optional<std::string> url = connectedUrl();
        postToDelegate([url = url.value_or("")](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) {
            d.socketDidConnectToUrl(s, url);
        });
    }
    setupReadAndWriteSources();
    maybeDequeueRead();
    maybeDequeueWrite();
}

void GCDAsyncSocket::didNotConnect(int aStateIndex, const SocketError& error) {
    if (aStateIndex != stateIndex_) return;
    closeWithError(error);
}

void GCDAsyncSocket::startConnectTimeout(double timeout) {
    if (timeout >= 0.0) armTimer(connectTimer_, timeout, &GCDAsyncSocket::connectTimerFired);
}

void GCDAsyncSocket::connectTimerFired(std::uint64_t generation) {
    if (!connectTimer_.armed || generation != connectTimer_.generation) return;
    connectTimer_.armed = false;
    doConnectTimeout();
}

void GCDAsyncSocket::doConnectTimeout() {
    endConnectTimeout();
    closeWithError(connectTimeoutError());
}

void GCDAsyncSocket::endConnectTimeout() {
    cancelTimer(connectTimer_);
    ++stateIndex_;
    connectInterface4_.clear();
    connectInterface6_.clear();
}

// ---------------------------------------------------------------------------
// Closing

void GCDAsyncSocket::closeSocketOfFamily(int family) {
    int& fd = family == AF_INET ? socket4FD_ : family == AF_INET6 ? socket6FD_ : socketUN_;
    std::unique_ptr<Descriptor>& descriptor =
        family == AF_INET ? descriptor4_ : family == AF_INET6 ? descriptor6_ : descriptorUN_;
    if (descriptor) {
        asio::error_code ignored;
        descriptor->close(ignored);  // cancels pending waits, closes fd
        descriptor.reset();
    } else if (fd >= 0) {
        ::close(fd);
    }
    fd = -1;
}

void GCDAsyncSocket::closeWithError(const std::optional<SocketError>& error) {
    endConnectTimeout();
    if (currentRead_) endCurrentRead();
    if (currentWrite_) endCurrentWrite();
    readQueue_.clear();
    writeQueue_.clear();
    preBuffer_.reset();

    tlsClose();
    ++sourceGeneration_;
    sourcesExist_ = false;
    readWaitPending_ = false;
    writeWaitPending_ = false;
    closeSocketOfFamily(AF_INET);
    closeSocketOfFamily(AF_INET6);
    closeSocketOfFamily(AF_UNIX);
    if (!socketPath_.empty()) {
        ::unlink(socketPath_.c_str());
        socketPath_.clear();
    }
    connectInterfaceUN_.clear();
    publishAddresses();

    const bool started = flags_ & kSocketStarted;
    const bool deallocating = flags_ & kDealloc;
    socketFDBytesAvailable_ = 0;
    flags_ = deallocating ? static_cast<std::uint32_t>(kDealloc) : 0u;
    publishState();

    if (started) {
        postToDelegate([error, deallocating](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) {
            d.socketDidDisconnect(deallocating ? nullptr : s, error);
        });
    }
}

void GCDAsyncSocket::disconnect() {
    onQueueAsync([](GCDAsyncSocket& s) {
        if (s.flags_ & kSocketStarted) s.closeWithError(std::nullopt);
    });
}

void GCDAsyncSocket::disconnectAfterReading() {
    onQueueAsync([](GCDAsyncSocket& s) {
        if (!(s.flags_ & kSocketStarted)) return;
        s.flags_ |= kForbidReadsWrites | kDisconnectAfterReads;
        s.maybeClose();
    });
}

void GCDAsyncSocket::disconnectAfterWriting() {
    onQueueAsync([](GCDAsyncSocket& s) {
        if (!(s.flags_ & kSocketStarted)) return;
        s.flags_ |= kForbidReadsWrites | kDisconnectAfterWrites;
        s.maybeClose();
    });
}

void GCDAsyncSocket::disconnectAfterReadingAndWriting() {
    onQueueAsync([](GCDAsyncSocket& s) {
        if (!(s.flags_ & kSocketStarted)) return;
        s.flags_ |= kForbidReadsWrites | kDisconnectAfterReads | kDisconnectAfterWrites;
        s.maybeClose();
    });
}

void GCDAsyncSocket::maybeClose() {
    const bool readsIdle = readQueue_.empty() && !currentRead_;
    const bool writesIdle = writeQueue_.empty() && !currentWrite_;
    bool shouldClose = false;
    if (flags_ & kDisconnectAfterReads) {
        shouldClose = readsIdle && (!(flags_ & kDisconnectAfterWrites) || writesIdle);
    } else if (flags_ & kDisconnectAfterWrites) {
        shouldClose = writesIdle;
    }
    // Encrypted bytes still waiting for the descriptor go out first.
    if (shouldClose && !tlsOutputPending()) closeWithError(std::nullopt);
}

// ---------------------------------------------------------------------------
// Readiness of the connected descriptor

int GCDAsyncSocket::connectedFD() const {
    if (socket4FD_ >= 0) return socket4FD_;
    return socket6FD_ >= 0 ? socket6FD_ : socketUN_;
}

GCDAsyncSocket::Descriptor* GCDAsyncSocket::connectedDescriptor() const {
    if (socket4FD_ >= 0) return descriptor4_.get();
    return socket6FD_ >= 0 ? descriptor6_.get() : descriptorUN_.get();
}

void GCDAsyncSocket::setupReadAndWriteSources() {
    sourcesExist_ = true;
    ++sourceGeneration_;
    readWaitPending_ = false;
    writeWaitPending_ = false;
    socketFDBytesAvailable_ = 0;
    flags_ &= ~static_cast<std::uint32_t>(kReadSourceSuspended);
    flags_ |= kSocketCanAcceptBytes | kWriteSourceSuspended;
    armReadWait();
}

void GCDAsyncSocket::suspendReadSource() {
    flags_ |= kReadSourceSuspended;
}

void GCDAsyncSocket::resumeReadSource() {
    if (flags_ & kReadSourceSuspended) flags_ &= ~static_cast<std::uint32_t>(kReadSourceSuspended);
    armReadWait();
}

void GCDAsyncSocket::suspendWriteSource() {
    flags_ |= kWriteSourceSuspended;
}

void GCDAsyncSocket::resumeWriteSource() {
    if (flags_ & kWriteSourceSuspended) flags_ &= ~static_cast<std::uint32_t>(kWriteSourceSuspended);
    armWriteWait();
}

void GCDAsyncSocket::armReadWait() {
    if (!sourcesExist_ || readWaitPending_ || (flags_ & kReadSourceSuspended)) return;
    Descriptor* descriptor = connectedDescriptor();
    if (!descriptor) return;
    readWaitPending_ = true;
    std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
    const std::uint64_t generation = sourceGeneration_;
    descriptor->async_wait(
        asio::posix::descriptor_base::wait_read,
        asio::bind_executor(socketQueue_->strand(), [weak, generation](const asio::error_code&) {
            if (auto self = weak.lock()) self->readSourceFired(generation);
        }));
}

void GCDAsyncSocket::armWriteWait() {
    if (!sourcesExist_ || writeWaitPending_ || (flags_ & kWriteSourceSuspended)) return;
    Descriptor* descriptor = connectedDescriptor();
    if (!descriptor) return;
    writeWaitPending_ = true;
    std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
    const std::uint64_t generation = sourceGeneration_;
    descriptor->async_wait(
        asio::posix::descriptor_base::wait_write,
        asio::bind_executor(socketQueue_->strand(), [weak, generation](const asio::error_code&) {
            if (auto self = weak.lock()) self->writeSourceFired(generation);
        }));
}

void GCDAsyncSocket::readSourceFired(std::uint64_t generation) {
    if (generation != sourceGeneration_) return;
    readWaitPending_ = false;
    if (flags_ & kReadSourceSuspended) return;
    if (tls_) {
        tlsReadSourceFired();
        if (generation == sourceGeneration_) armReadWait();
        return;
    }
    const int fd = connectedFD();
    int available = 0;
    if (ioctl(fd, FIONREAD, &available) != 0 || available < 0) available = 0;
    if (available == 0) {
        // A readiness event can be stale; only a peek that sees the end means end of stream.
        std::uint8_t probe;
        const ssize_t n = ::recv(fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n < 0 && wouldBlock(errno)) {
            armReadWait();
            return;
        }
        if (n > 0) available = 1;
    }
    socketFDBytesAvailable_ = static_cast<std::size_t>(available);
    if (socketFDBytesAvailable_ > 0)
        doReadData();
    else
        doReadEOF();
    // Level-triggered like a dispatch source: keep listening while resumed.
    if (generation == sourceGeneration_) armReadWait();
}

void GCDAsyncSocket::writeSourceFired(std::uint64_t generation) {
    if (generation != sourceGeneration_) return;
    writeWaitPending_ = false;
    if (flags_ & kWriteSourceSuspended) return;
    flags_ |= kSocketCanAcceptBytes;
    if (tls_) {
        std::optional<SocketError> error;
        const bool flushed = tlsFlushOutgoing(&error);
        if (error) {
            closeWithError(error);
            return;
        }
        // A disconnect after writing waited for these bytes.
        if (flushed && !currentWrite_ && (flags_ & kForbidReadsWrites)) {
            maybeDequeueWrite();
            maybeClose();
            if (generation != sourceGeneration_) return;
        }
    }
    doWriteData();
    if (generation == sourceGeneration_) armWriteWait();
}

// ---------------------------------------------------------------------------
// Read requests

void GCDAsyncSocket::addReadPacket(std::shared_ptr<GCDAsyncReadPacket> packet) {
    onQueueAsync([packet = std::move(packet)](GCDAsyncSocket& s) {
        if (!(s.flags_ & kSocketStarted) || (s.flags_ & kForbidReadsWrites)) return;
        s.readQueue_.push_back(packet);
        s.maybeDequeueRead();
    });
}

void GCDAsyncSocket::readDataWithTimeout(double timeout, std::int64_t tag) {
    readDataWithTimeout(timeout, nullptr, 0, 0, tag);
}

void GCDAsyncSocket::readDataWithTimeout(double timeout, SharedBuffer buffer, std::size_t offset,
                                         std::int64_t tag) {
    readDataWithTimeout(timeout, std::move(buffer), offset, 0, tag);
}

void GCDAsyncSocket::readDataWithTimeout(double timeout, SharedBuffer buffer, std::size_t offset,
                                         std::size_t maxLength, std::int64_t tag) {
    if (buffer && offset > buffer->size()) {
        platform::Log::debug("Socket read dropped: buffer offset beyond the buffer");
        return;
    }
    addReadPacket(std::make_shared<GCDAsyncReadPacket>(std::move(buffer), offset, maxLength, timeout, 0,
                                                       ByteBuffer(), tag));
}

void GCDAsyncSocket::readDataToLength(std::size_t length, double timeout, std::int64_t tag) {
    readDataToLength(length, timeout, nullptr, 0, tag);
}

void GCDAsyncSocket::readDataToLength(std::size_t length, double timeout, SharedBuffer buffer,
                                      std::size_t offset, std::int64_t tag) {
    if (length == 0 || (buffer && offset > buffer->size())) {
        platform::Log::debug("Socket read dropped: zero length or buffer offset beyond the buffer");
        return;
    }
    addReadPacket(std::make_shared<GCDAsyncReadPacket>(std::move(buffer), offset, 0, timeout, length,
                                                       ByteBuffer(), tag));
}

void GCDAsyncSocket::readDataToData(const ByteBuffer& data, double timeout, std::int64_t tag) {
    readDataToData(data, timeout, nullptr, 0, 0, tag);
}

void GCDAsyncSocket::readDataToData(const ByteBuffer& data, double timeout, std::size_t maxLength,
                                    std::int64_t tag) {
    readDataToData(data, timeout, nullptr, 0, maxLength, tag);
}

void GCDAsyncSocket::readDataToData(const ByteBuffer& data, double timeout, SharedBuffer buffer,
                                    std::size_t offset, std::int64_t tag) {
    readDataToData(data, timeout, std::move(buffer), offset, 0, tag);
}

void GCDAsyncSocket::readDataToData(const ByteBuffer& data, double timeout, SharedBuffer buffer,
                                    std::size_t offset, std::size_t maxLength, std::int64_t tag) {
    if (data.empty() || (buffer && offset > buffer->size()) || (maxLength > 0 && maxLength < data.size())) {
        platform::Log::debug("Socket read dropped: empty terminator, maximum below its length or bad offset");
        return;
    }
    addReadPacket(
        std::make_shared<GCDAsyncReadPacket>(std::move(buffer), offset, maxLength, timeout, 0, data, tag));
}

float GCDAsyncSocket::progressOfReadReturningTag(std::int64_t* tag, std::size_t* done,
                                                 std::size_t* total) const {
    float result = NAN;
    onQueueSync([&] {
        if (!currentRead_) {
            if (tag) *tag = 0;
            if (done) *done = 0;
            if (total) *total = 0;
            return;
        }
        if (tag) *tag = currentRead_->tag;
        if (done) *done = currentRead_->bytesDone;
        if (total) *total = currentRead_->readLength;
        result = currentRead_->readLength > 0
                     ? static_cast<float>(static_cast<double>(currentRead_->bytesDone) /
                                          static_cast<double>(currentRead_->readLength))
                     : 1.0f;
    });
    return result;
}

float GCDAsyncSocket::progressOfWriteReturningTag(std::int64_t* tag, std::size_t* done,
                                                  std::size_t* total) const {
    float result = NAN;
    onQueueSync([&] {
        if (!currentWrite_) {
            if (tag) *tag = 0;
            if (done) *done = 0;
            if (total) *total = 0;
            return;
        }
        const std::size_t length = currentWrite_->buffer->size();
        if (tag) *tag = currentWrite_->tag;
        if (done) *done = currentWrite_->bytesDone;
        if (total) *total = length;
        result =
            static_cast<float>(static_cast<double>(currentWrite_->bytesDone) / static_cast<double>(length));
    });
    return result;
}

// ---------------------------------------------------------------------------
// Read engine

void GCDAsyncSocket::maybeDequeueRead() {
    if (currentRead_ || !(flags_ & kConnected)) return;
    if (!readQueue_.empty()) {
        currentRead_ = readQueue_.front();
        readQueue_.pop_front();
        if (currentRead_->tlsSettings) {
            flags_ |= kStartingReadTLS;
            maybeStartTLS();
            return;
        }
        setupReadTimerWithTimeout(currentRead_->timeout);
        doReadData();
    } else if ((flags_ & kDisconnectAfterReads) && !tlsOutputPending()) {
        if (!(flags_ & kDisconnectAfterWrites) || (writeQueue_.empty() && !currentWrite_)) {
            closeWithError(std::nullopt);
        }
    }
}

void GCDAsyncSocket::doReadData() {
    if (currentRead_ && currentRead_->tlsSettings) {
        // The TLS start waits for the write side; the handshake reads for itself.
        if (!tls_) suspendReadSource();
        return;
    }
    // Under TLS the descriptor is read only by the engine's side: what is readable here is
    // what the pre-buffer holds.
    if (tls_) socketFDBytesAvailable_ = 0;
    if (!currentRead_ || (flags_ & kReadsPaused)) {
        if (socketFDBytesAvailable_ > 0) suspendReadSource();
        return;
    }
    const std::size_t estimate = socketFDBytesAvailable_;
    const bool hasBytesAvailable = estimate > 0;
    if (!hasBytesAvailable && preBuffer_.availableBytes() == 0) {
        resumeReadSource();
        return;
    }

    const std::shared_ptr<GCDAsyncReadPacket> packet = currentRead_;
    const std::uint64_t generation = sourceGeneration_;
    const bool termRead = packet->isTermRead();
    bool done = false;
    std::optional<SocketError> error;
    std::size_t totalBytesRead = 0;

    // Bytes read earlier come first.
    if (preBuffer_.availableBytes() > 0) {
        std::size_t bytesToCopy;
        if (termRead)
            bytesToCopy = packet->readLengthForTermWithPreBuffer(preBuffer_, &done);
        else
            bytesToCopy = packet->readLengthForNonTermWithHint(preBuffer_.availableBytes());
        packet->ensureCapacityForAdditionalDataOfLength(bytesToCopy);
        std::memcpy(packet->writePosition(), preBuffer_.readBuffer(), bytesToCopy);
        preBuffer_.didRead(bytesToCopy);
        packet->bytesDone += bytesToCopy;
        totalBytesRead += bytesToCopy;
        if (packet->readLength > 0) {
            done = packet->bytesDone == packet->readLength;
        } else if (termRead) {
            if (!done && packet->maxLength > 0 && packet->bytesDone >= packet->maxLength)
                error = readMaxedOutError();
        } else {
            done = packet->maxLength > 0 && packet->bytesDone >= packet->maxLength;
        }
    }

    bool socketEOF = (flags_ & kSocketHasReadEOF) != 0;
    bool waiting = !done && !error && !socketEOF && !hasBytesAvailable;

    if (!done && !error && !socketEOF && hasBytesAvailable && preBuffer_.availableBytes() == 0) {
        bool readIntoPreBuffer = false;
        const std::size_t bytesToRead = termRead
                                            ? packet->readLengthForTermWithHint(estimate, &readIntoPreBuffer)
                                            : packet->readLengthForNonTermWithHint(estimate);
        std::uint8_t* target;
        if (readIntoPreBuffer) {
            preBuffer_.ensureCapacityForWrite(bytesToRead);
            target = preBuffer_.writeBuffer();
        } else {
            packet->ensureCapacityForAdditionalDataOfLength(bytesToRead);
            target = packet->writePosition();
        }

        std::size_t bytesRead = 0;
        const ssize_t result = ::read(connectedFD(), target, bytesToRead);
        if (result < 0) {
            if (wouldBlock(errno))
                waiting = true;
            else
                error = errnoErrorWithReason(errno, "Error in read() function");
            socketFDBytesAvailable_ = 0;
        } else if (result == 0) {
            socketEOF = true;
            socketFDBytesAvailable_ = 0;
        } else {
            bytesRead = static_cast<std::size_t>(result);
            if (bytesRead < bytesToRead)
                socketFDBytesAvailable_ = 0;
            else
                socketFDBytesAvailable_ -= std::min(bytesRead, socketFDBytesAvailable_);
            if (socketFDBytesAvailable_ == 0) waiting = true;
        }

        if (bytesRead > 0) {
            if (packet->readLength > 0) {
                packet->bytesDone += bytesRead;
                totalBytesRead += bytesRead;
                done = packet->bytesDone == packet->readLength;
            } else if (termRead) {
                if (readIntoPreBuffer) {
                    preBuffer_.didWrite(bytesRead);
                    const std::size_t bytesToCopy = packet->readLengthForTermWithPreBuffer(preBuffer_, &done);
                    packet->ensureCapacityForAdditionalDataOfLength(bytesToCopy);
                    std::memcpy(packet->writePosition(), preBuffer_.readBuffer(), bytesToCopy);
                    preBuffer_.didRead(bytesToCopy);
                    packet->bytesDone += bytesToCopy;
                    totalBytesRead += bytesToCopy;
                } else {
                    const ssize_t overflow = packet->searchForTermAfterPreBuffering(bytesRead);
                    if (overflow == 0) {
                        packet->bytesDone += bytesRead;
                        totalBytesRead += bytesRead;
                        done = true;
                    } else if (overflow > 0) {
                        // Keep what follows the terminator for the next read.
                        const std::size_t surplus = static_cast<std::size_t>(overflow);
                        const std::size_t underflow = bytesRead - surplus;
                        preBuffer_.ensureCapacityForWrite(surplus);
                        std::memcpy(preBuffer_.writeBuffer(), target + underflow, surplus);
                        preBuffer_.didWrite(surplus);
                        packet->bytesDone += underflow;
                        totalBytesRead += underflow;
                        done = true;
                    } else {
                        packet->bytesDone += bytesRead;
                        totalBytesRead += bytesRead;
                    }
                }
                if (!done && packet->maxLength > 0 && packet->bytesDone >= packet->maxLength) {
                    error = readMaxedOutError();
                }
            } else {
                packet->bytesDone += bytesRead;
                totalBytesRead += bytesRead;
                done = true;
            }
        }
    }

    if (!done && packet->readLength == 0 && !termRead && totalBytesRead > 0) done = true;

    if (done) {
        completeCurrentRead();
        if (!error && (!socketEOF || preBuffer_.availableBytes() > 0)) maybeDequeueRead();
    } else if (totalBytesRead > 0) {
        const std::int64_t tag = packet->tag;
        postToDelegate([totalBytesRead, tag](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) {
            d.socketDidReadPartialDataOfLength(s, totalBytesRead, tag);
        });
    }

    // A read started above may already have closed this connection.
    if (generation != sourceGeneration_) return;
    if (error)
        closeWithError(error);
    else if (socketEOF)
        doReadEOF();
    else if (waiting)
        resumeReadSource();
}

void GCDAsyncSocket::doReadEOF() {
    flags_ |= kSocketHasReadEOF;
    if (flags_ & kReadStreamClosed) {
        suspendReadSource();
        return;
    }
    if (flags_ & (kStartingReadTLS | kStartingWriteTLS)) {
        closeWithError(sslError(errSSLClosedAbort));
        return;
    }
    if (preBuffer_.availableBytes() > 0) {
        suspendReadSource();
        return;
    }
    if (config_ & kAllowHalfDuplexConnection) {
        pollfd pfd{connectedFD(), POLLOUT, 0};
        const int n = ::poll(&pfd, 1, 0);
        if (n > 0 && (pfd.revents & POLLOUT) && !(pfd.revents & (POLLERR | POLLHUP | POLLNVAL))) {
            flags_ |= kReadStreamClosed;
            postToDelegate(
                [](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) { d.socketDidCloseReadStream(s); });
            suspendReadSource();
            return;
        }
    }
    if (sslErrCode_ != 0 && sslErrCode_ != errSSLClosedGraceful)
        closeWithError(sslError(sslErrCode_));
    else
        closeWithError(connectionClosedError());
}

void GCDAsyncSocket::completeCurrentRead() {
    const std::shared_ptr<GCDAsyncReadPacket> packet = currentRead_;
    SharedBuffer buffer = packet->buffer;
    std::size_t offset = 0;
    const std::size_t length = packet->bytesDone;
    if (packet->bufferOwner) {
        buffer->resize(packet->bytesDone);
    } else {
        if (buffer->size() > packet->originalBufferLength) {
            buffer->resize(std::max(packet->startOffset + packet->bytesDone, packet->originalBufferLength));
        }
        offset = packet->startOffset;
    }
    const std::int64_t tag = packet->tag;
    postToDelegate([buffer, offset, length, tag](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) {
        d.socketDidReadData(s, std::span<const std::uint8_t>(buffer->data() + offset, length), tag);
    });
    endCurrentRead();
}

void GCDAsyncSocket::endCurrentRead() {
    cancelTimer(readTimer_);
    currentRead_.reset();
}

void GCDAsyncSocket::setupReadTimerWithTimeout(double timeout) {
    if (timeout >= 0.0) armTimer(readTimer_, timeout, &GCDAsyncSocket::doReadTimeout);
}

void GCDAsyncSocket::doReadTimeout(std::uint64_t generation) {
    if (!readTimer_.armed || generation != readTimer_.generation || !currentRead_) return;
    readTimer_.armed = false;
    flags_ |= kReadsPaused;
    auto delegate = delegate_.lock();
    if (!delegate || !delegateQueue_) {
        doReadTimeoutWithExtension(generation, 0.0);
        return;
    }
    const std::int64_t tag = currentRead_->tag;
    const double elapsed = currentRead_->timeout;
    const std::size_t bytesDone = currentRead_->bytesDone;
    std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
    delegateQueue_->async([weak, delegate = delegate_, tag, elapsed, bytesDone, generation] {
        auto self = weak.lock();
        auto d = delegate.lock();
        if (!self) return;
        const double extension = d ? d->shouldTimeoutReadWithTag(self.get(), tag, elapsed, bytesDone) : 0.0;
        self->onQueueAsync([generation, extension](GCDAsyncSocket& s) {
            s.doReadTimeoutWithExtension(generation, extension);
        });
    });
}

void GCDAsyncSocket::doReadTimeoutWithExtension(std::uint64_t generation, double extension) {
    // The answer belongs to the read whose timer fired, and only while it waits.
    if (!currentRead_ || generation != readTimer_.generation || !(flags_ & kReadsPaused)) return;
    if (extension > 0.0) {
        currentRead_->timeout += extension;
        armTimer(readTimer_, extension, &GCDAsyncSocket::doReadTimeout);
        flags_ &= ~static_cast<std::uint32_t>(kReadsPaused);
        doReadData();
    } else {
        closeWithError(readTimeoutError());
    }
}

// ---------------------------------------------------------------------------
// Writing

void GCDAsyncSocket::writeData(ByteBuffer data, double timeout, std::int64_t tag) {
    if (data.empty()) return;
    writeData(std::make_shared<const ByteBuffer>(std::move(data)), timeout, tag);
}

void GCDAsyncSocket::writeData(SharedConstBuffer data, double timeout, std::int64_t tag) {
    if (!data || data->empty()) return;
    auto packet = std::make_shared<GCDAsyncWritePacket>(std::move(data), timeout, tag);
    onQueueAsync([packet](GCDAsyncSocket& s) {
        if (!(s.flags_ & kSocketStarted) || (s.flags_ & kForbidReadsWrites)) return;
        s.writeQueue_.push_back(packet);
        s.maybeDequeueWrite();
    });
}

void GCDAsyncSocket::maybeDequeueWrite() {
    if (currentWrite_ || !(flags_ & kConnected)) return;
    if (!writeQueue_.empty()) {
        currentWrite_ = writeQueue_.front();
        writeQueue_.pop_front();
        if (currentWrite_->tlsSettings) {
            flags_ |= kStartingWriteTLS;
            maybeStartTLS();
            return;
        }
        setupWriteTimerWithTimeout(currentWrite_->timeout);
        doWriteData();
    } else if ((flags_ & kDisconnectAfterWrites) && !tlsOutputPending()) {
        if (!(flags_ & kDisconnectAfterReads) || (readQueue_.empty() && !currentRead_)) {
            closeWithError(std::nullopt);
        }
    }
}

void GCDAsyncSocket::doWriteData() {
    if (currentWrite_ && currentWrite_->tlsSettings) {
        if (flags_ & kSocketCanAcceptBytes) suspendWriteSource();
        return;
    }
    if (!currentWrite_ || (flags_ & kWritesPaused)) {
        if (flags_ & kSocketCanAcceptBytes) suspendWriteSource();
        return;
    }
    if (!(flags_ & kSocketCanAcceptBytes)) {
        resumeWriteSource();
        return;
    }
    if (flags_ & kSocketSecure) {
        doSecureWriteData();
        return;
    }

    const std::shared_ptr<GCDAsyncWritePacket> packet = currentWrite_;
    const ByteBuffer& data = *packet->buffer;
    bool waiting = false;
    std::optional<SocketError> error;
    std::size_t bytesWritten = 0;

    const ssize_t result =
        ::send(connectedFD(), data.data() + packet->bytesDone, data.size() - packet->bytesDone, MSG_NOSIGNAL);
    if (result < 0) {
        if (wouldBlock(errno))
            waiting = true;
        else
            error = errnoErrorWithReason(errno, "Error in write() function");
    } else {
        bytesWritten = static_cast<std::size_t>(result);
    }

    if (waiting) {
        flags_ &= ~static_cast<std::uint32_t>(kSocketCanAcceptBytes);
        resumeWriteSource();
    }

    packet->bytesDone += bytesWritten;
    const bool done = packet->bytesDone == data.size();
    if (done) {
        completeCurrentWrite();
        if (!error) onQueueAsync([](GCDAsyncSocket& s) { s.maybeDequeueWrite(); });
    } else {
        if (!waiting && !error) {
            flags_ &= ~static_cast<std::uint32_t>(kSocketCanAcceptBytes);
            resumeWriteSource();
        }
        if (bytesWritten > 0) {
            const std::int64_t tag = packet->tag;
            postToDelegate([bytesWritten, tag](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) {
                d.socketDidWritePartialDataOfLength(s, bytesWritten, tag);
            });
        }
    }
    if (error) closeWithError(error);
}

void GCDAsyncSocket::completeCurrentWrite() {
    const std::int64_t tag = currentWrite_->tag;
    postToDelegate(
        [tag](GCDAsyncSocketDelegate& d, GCDAsyncSocket* s) { d.socketDidWriteDataWithTag(s, tag); });
    endCurrentWrite();
}

void GCDAsyncSocket::endCurrentWrite() {
    cancelTimer(writeTimer_);
    currentWrite_.reset();
}

void GCDAsyncSocket::setupWriteTimerWithTimeout(double timeout) {
    if (timeout >= 0.0) armTimer(writeTimer_, timeout, &GCDAsyncSocket::doWriteTimeout);
}

void GCDAsyncSocket::doWriteTimeout(std::uint64_t generation) {
    if (!writeTimer_.armed || generation != writeTimer_.generation || !currentWrite_) return;
    writeTimer_.armed = false;
    flags_ |= kWritesPaused;
    auto delegate = delegate_.lock();
    if (!delegate || !delegateQueue_) {
        doWriteTimeoutWithExtension(generation, 0.0);
        return;
    }
    const std::int64_t tag = currentWrite_->tag;
    const double elapsed = currentWrite_->timeout;
    const std::size_t bytesDone = currentWrite_->bytesDone;
    std::weak_ptr<GCDAsyncSocket> weak = weak_from_this();
    delegateQueue_->async([weak, delegate = delegate_, tag, elapsed, bytesDone, generation] {
        auto self = weak.lock();
        auto d = delegate.lock();
        if (!self) return;
        const double extension = d ? d->shouldTimeoutWriteWithTag(self.get(), tag, elapsed, bytesDone) : 0.0;
        self->onQueueAsync([generation, extension](GCDAsyncSocket& s) {
            s.doWriteTimeoutWithExtension(generation, extension);
        });
    });
}

void GCDAsyncSocket::doWriteTimeoutWithExtension(std::uint64_t generation, double extension) {
    if (!currentWrite_ || generation != writeTimer_.generation || !(flags_ & kWritesPaused)) return;
    if (extension > 0.0) {
        currentWrite_->timeout += extension;
        armTimer(writeTimer_, extension, &GCDAsyncSocket::doWriteTimeout);
        flags_ &= ~static_cast<std::uint32_t>(kWritesPaused);
        doWriteData();
    } else {
        closeWithError(writeTimeoutError());
    }
}

}  // namespace support
