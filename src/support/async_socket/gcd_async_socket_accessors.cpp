// Address accessors, descriptor access and queue marking.
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <algorithm>
#include <cstring>

#include "support/async_socket/gcd_async_socket.h"

namespace support {

namespace {

constexpr std::string_view kFileScheme = "file://";
constexpr sa_family_t kIPv4Family = AF_INET;
constexpr sa_family_t kIPv6Family = AF_INET6;

sa_family_t familyByte(const SocketAddress& address) {
    if (address.size() < sizeof(sa_family_t)) return AF_UNSPEC;
    sa_family_t family = 0;
    std::memcpy(&family, address.data(), sizeof(family));
    return family;
}

SocketAddress nameOf(int fd, bool peer) {
    if (fd < 0) return {};
    sockaddr_storage storage{};
    socklen_t len = sizeof(storage);
    auto* sa = reinterpret_cast<sockaddr*>(&storage);
    if ((peer ? getpeername(fd, sa, &len) : getsockname(fd, sa, &len)) != 0) return {};
    const auto* begin = reinterpret_cast<const std::uint8_t*>(&storage);
    return SocketAddress(begin, begin + std::min<std::size_t>(len, sizeof(storage)));
}

std::optional<std::string> hostOf(const SocketAddress& address) {
    if (address.empty()) return std::nullopt;
    return GCDAsyncSocket::hostFromAddress(address);
}

std::string pathOf(const SocketAddress& address) {
    if (familyByte(address) != AF_UNIX || address.size() <= offsetof(sockaddr_un, sun_path)) return {};
    const char* path = reinterpret_cast<const char*>(address.data()) + offsetof(sockaddr_un, sun_path);
    const std::size_t room = address.size() - offsetof(sockaddr_un, sun_path);
    return std::string(path, strnlen(path, room));
}

}  // namespace

bool GCDAsyncSocket::isIPv4Address(const SocketAddress& address) {
    return address.size() >= sizeof(sockaddr_in) && familyByte(address) == kIPv4Family;
}

bool GCDAsyncSocket::isIPv6Address(const SocketAddress& address) {
    return address.size() >= sizeof(sockaddr_in6) && familyByte(address) == kIPv6Family;
}

void GCDAsyncSocket::publishAddresses() {
    PublishedAddresses next;
    next.peer4 = nameOf(socket4FD_, true);
    next.local4 = nameOf(socket4FD_, false);
    next.peer6 = nameOf(socket6FD_, true);
    next.local6 = nameOf(socket6FD_, false);
    next.hasUN = socketUN_ >= 0;
    if (socketUN_ >= 0) {
        next.peerPath = pathOf(nameOf(socketUN_, true));
        if (next.peerPath.empty()) next.peerPath = pathOf(connectInterfaceUN_);
    }
    std::lock_guard<std::mutex> lock(publishedMutex_);
    addresses_ = std::move(next);
}

std::optional<std::string> GCDAsyncSocket::connectedHost() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return hostOf(!addresses_.peer4.empty() ? addresses_.peer4 : addresses_.peer6);
}
std::uint16_t GCDAsyncSocket::connectedPort() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return portFromAddress(!addresses_.peer4.empty() ? addresses_.peer4 : addresses_.peer6);
}
std::optional<std::string> GCDAsyncSocket::connectedUrl() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    if (!addresses_.hasUN || addresses_.peerPath.empty()) return std::nullopt;
    return std::string(kFileScheme) + addresses_.peerPath;
}
std::optional<std::string> GCDAsyncSocket::localHost() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return hostOf(!addresses_.local4.empty() ? addresses_.local4 : addresses_.local6);
}
std::uint16_t GCDAsyncSocket::localPort() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return portFromAddress(!addresses_.local4.empty() ? addresses_.local4 : addresses_.local6);
}
std::optional<std::string> GCDAsyncSocket::connectedHost4() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return hostOf(addresses_.peer4);
}
std::optional<std::string> GCDAsyncSocket::connectedHost6() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return hostOf(addresses_.peer6);
}
std::uint16_t GCDAsyncSocket::connectedPort4() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return portFromAddress(addresses_.peer4);
}
std::uint16_t GCDAsyncSocket::connectedPort6() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return portFromAddress(addresses_.peer6);
}
std::optional<std::string> GCDAsyncSocket::localHost4() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return hostOf(addresses_.local4);
}
std::optional<std::string> GCDAsyncSocket::localHost6() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return hostOf(addresses_.local6);
}
std::uint16_t GCDAsyncSocket::localPort4() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return portFromAddress(addresses_.local4);
}
std::uint16_t GCDAsyncSocket::localPort6() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return portFromAddress(addresses_.local6);
}
SocketAddress GCDAsyncSocket::connectedAddress() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return !addresses_.peer4.empty() ? addresses_.peer4 : addresses_.peer6;
}
SocketAddress GCDAsyncSocket::localAddress() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return !addresses_.local4.empty() ? addresses_.local4 : addresses_.local6;
}
bool GCDAsyncSocket::isIPv4() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return !addresses_.local4.empty();
}
bool GCDAsyncSocket::isIPv6() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return !addresses_.local6.empty();
}

std::shared_ptr<void> GCDAsyncSocket::userData() const {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return userData_;
}
void GCDAsyncSocket::setUserData(std::shared_ptr<void> data) {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    userData_ = std::move(data);
}

// ---------------------------------------------------------------------------
// Queue and descriptor access

bool GCDAsyncSocket::isOnSocketQueue() const {
    if (socketQueue_->isCurrent()) return true;
    std::lock_guard<std::mutex> lock(publishedMutex_);
    return std::any_of(markedQueues_.begin(), markedQueues_.end(), [](const auto& weak) {
        auto queue = weak.lock();
        return queue && queue->isCurrent();
    });
}

void GCDAsyncSocket::performBlock(const std::function<void()>& block) {
    if (!block) return;
    if (isOnSocketQueue())
        block();
    else
        onQueueSync(block);
}

int GCDAsyncSocket::socketFD() const {
    return isOnSocketQueue() ? connectedFD() : -1;
}
int GCDAsyncSocket::socket4FD() const {
    return isOnSocketQueue() ? socket4FD_ : -1;
}
int GCDAsyncSocket::socket6FD() const {
    return isOnSocketQueue() ? socket6FD_ : -1;
}

void GCDAsyncSocket::markSocketQueueTargetQueue(const QueuePtr& queue) {
    if (!queue) return;
    std::lock_guard<std::mutex> lock(publishedMutex_);
    markedQueues_.push_back(queue);
}

void GCDAsyncSocket::unmarkSocketQueueTargetQueue(const QueuePtr& queue) {
    std::lock_guard<std::mutex> lock(publishedMutex_);
    std::erase_if(markedQueues_, [&](const auto& weak) {
        auto marked = weak.lock();
        return !marked || marked == queue;
    });
}

}  // namespace support
