#include "platform/netlink_reachability_source.h"

#include <arpa/inet.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/log.h"

namespace platform {

namespace {

constexpr std::uint32_t kLocal =
    kReachabilityReachable | kReachabilityIsLocalAddress | kReachabilityIsDirect;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

int openRouteSocket(std::uint32_t groups) {
    int fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (fd < 0) return -1;
    sockaddr_nl local{};
    local.nl_family = AF_NETLINK;
    local.nl_groups = groups;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void copyAddress(std::uint8_t* out, const rtattr* attr, int family) {
    std::size_t want = family == AF_INET ? 4 : 16;
    if (RTA_PAYLOAD(attr) >= want) std::memcpy(out, RTA_DATA(attr), want);
}

// Sends one dump request and hands each answer message to `handle`; false on any failure.
template <typename Body, typename Handle>
bool dump(int fd, std::uint16_t type, const Body& body, std::uint32_t seq, Handle handle) {
    struct {
        nlmsghdr header;
        Body body;
    } request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(Body));
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    request.header.nlmsg_seq = seq;
    request.body = body;
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (::sendto(fd, &request, request.header.nlmsg_len, 0, reinterpret_cast<sockaddr*>(&kernel), sizeof kernel) < 0)
        return false;
    alignas(nlmsghdr) static thread_local char buffer[64 * 1024];
    for (;;) {
        ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        std::size_t offset = 0;
        const std::size_t size = static_cast<std::size_t>(n);
        while (offset + sizeof(nlmsghdr) <= size) {
            auto* h = reinterpret_cast<nlmsghdr*>(buffer + offset);
            if (h->nlmsg_len < sizeof(nlmsghdr) || h->nlmsg_len > size - offset) break;
            offset += NLMSG_ALIGN(h->nlmsg_len);
            if (h->nlmsg_seq != seq) continue;
            if (h->nlmsg_type == NLMSG_DONE) return true;
            if (h->nlmsg_type == NLMSG_ERROR) return false;
            handle(h);
        }
    }
}

bool isLinkLocal6(const std::uint8_t* b) { return b[0] == 0xfe && (b[1] & 0xc0) == 0x80; }
bool isLinkLocal4(const std::uint8_t* b) { return b[0] == 169 && b[1] == 254; }

bool prefixMatches(const std::uint8_t* a, const std::uint8_t* b, int bits) {
    int full = bits / 8;
    if (std::memcmp(a, b, static_cast<std::size_t>(full)) != 0) return false;
    int rest = bits % 8;
    if (rest == 0) return true;
    std::uint8_t mask = static_cast<std::uint8_t>(0xFF << (8 - rest));
    return (a[full] & mask) == (b[full] & mask);
}

struct View {
    const NetworkState& state;

    const NetworkState::Link* link(int index) const {
        for (const auto& l : state.links)
            if (l.index == index) return &l;
        return nullptr;
    }
    bool usable(int index) const {
        const auto* l = link(index);
        return l && l->up && !l->loopback;
    }
    // An address worth routing from: link-local IPv6 addresses exist on every interface.
    bool hasAddress(int family, int linkIndex) const {
        for (const auto& a : state.addresses) {
            if (a.family != family) continue;
            if (family == AF_INET6 && isLinkLocal6(a.bytes)) continue;
            if (linkIndex ? a.linkIndex == linkIndex : usable(a.linkIndex)) return true;
        }
        return false;
    }

    std::uint32_t internet() const {
        for (const auto& r : state.routes) {
            if (r.prefixLength != 0) continue;
            if (r.linkIndex ? (usable(r.linkIndex) && hasAddress(r.family, r.linkIndex)) : hasAddress(r.family, 0))
                return kReachabilityReachable;
        }
        return 0;
    }

    std::uint32_t loopback() const {
        bool anyLoopback = false;
        for (const auto& l : state.links) {
            if (!l.loopback) continue;
            anyLoopback = true;
            if (l.up) return kLocal;
        }
        return anyLoopback ? 0 : kLocal;
    }

    std::uint32_t address(int family, const std::uint8_t* bytes) const {
        const std::size_t size = family == AF_INET ? 4 : 16;
        static const std::uint8_t zero[16] = {};
        if (std::memcmp(bytes, zero, size) == 0) return internet();
        if ((family == AF_INET && bytes[0] == 127) ||
            (family == AF_INET6 && std::memcmp(bytes, zero, 15) == 0 && bytes[15] == 1))
            return loopback();
        for (const auto& a : state.addresses) {
            if (a.family != family || std::memcmp(a.bytes, bytes, size) != 0) continue;
            const auto* l = link(a.linkIndex);
            if (l && l->up) return kLocal;
        }
        if ((family == AF_INET && isLinkLocal4(bytes)) || (family == AF_INET6 && isLinkLocal6(bytes))) {
            for (const auto& a : state.addresses)
                if (a.family == family && usable(a.linkIndex)) return kReachabilityReachable | kReachabilityIsDirect;
            return 0;
        }
        const NetworkState::Route* best = nullptr;
        for (const auto& r : state.routes) {
            if (r.family != family || !prefixMatches(r.destination, bytes, r.prefixLength)) continue;
            if (r.linkIndex && !usable(r.linkIndex)) continue;
            if (!best || r.prefixLength > best->prefixLength) best = &r;
        }
        if (!best) return 0;
        if (!hasAddress(family, best->linkIndex)) return 0;
        return kReachabilityReachable | (best->hasGateway ? 0u : static_cast<std::uint32_t>(kReachabilityIsDirect));
    }
};

bool isLocalhostName(std::string host) {
    for (auto& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (!host.empty() && host.back() == '.') host.pop_back();
    const std::string suffix = ".localhost";
    return host == "localhost" ||
           (host.size() > suffix.size() && host.compare(host.size() - suffix.size(), suffix.size(), suffix) == 0);
}

}  // namespace

// ---------------------------------------------------------------------------------------------

bool NetworkState::read(NetworkState* out) {
    Fd fd(openRouteSocket(0));
    if (fd.get() < 0) return false;
    timeval timeout{2, 0};
    ::setsockopt(fd.get(), SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    NetworkState state;
    std::uint32_t seq = 1;

    ifinfomsg linkRequest{};
    linkRequest.ifi_family = AF_UNSPEC;
    bool ok = dump(fd.get(), RTM_GETLINK, linkRequest, seq++, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWLINK || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg))) return;
        const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(h));
        Link link;
        link.index = info->ifi_index;
        link.up = (info->ifi_flags & IFF_UP) && (info->ifi_flags & IFF_RUNNING);
        link.loopback = info->ifi_flags & IFF_LOOPBACK;
        int len = static_cast<int>(IFLA_PAYLOAD(h));
        for (auto* a = IFLA_RTA(info); RTA_OK(a, len); a = RTA_NEXT(a, len)) {
            if (a->rta_type == IFLA_IFNAME && RTA_PAYLOAD(a) > 0)
                link.name.assign(static_cast<const char*>(RTA_DATA(a)), strnlen(static_cast<const char*>(RTA_DATA(a)), RTA_PAYLOAD(a)));
        }
        state.links.push_back(std::move(link));
    });
    if (!ok) return false;

    ifaddrmsg addressRequest{};
    addressRequest.ifa_family = AF_UNSPEC;
    ok = dump(fd.get(), RTM_GETADDR, addressRequest, seq++, [&](const nlmsghdr* h) {
        if (h->nlmsg_type != RTM_NEWADDR || h->nlmsg_len < NLMSG_LENGTH(sizeof(ifaddrmsg))) return;
        const auto* info = static_cast<const ifaddrmsg*>(NLMSG_DATA(h));
        if (info->ifa_family != AF_INET && info->ifa_family != AF_INET6) return;
        Address address;
        address.family = info->ifa_family;
        address.linkIndex = static_cast<int>(info->ifa_index);
        address.prefixLength = info->ifa_prefixlen;
        bool have = false, haveLocal = false;
        int len = static_cast<int>(IFA_PAYLOAD(h));
        for (auto* a = IFA_RTA(info); RTA_OK(a, len); a = RTA_NEXT(a, len)) {
            // IFA_LOCAL is our end of a point-to-point link; IFA_ADDRESS otherwise.
            if (a->rta_type == IFA_LOCAL) {
                copyAddress(address.bytes, a, address.family);
                have = haveLocal = true;
            } else if (a->rta_type == IFA_ADDRESS && !haveLocal) {
                copyAddress(address.bytes, a, address.family);
                have = true;
            }
        }
        if (have) state.addresses.push_back(address);
    });
    if (!ok) return false;

    for (int family : {AF_INET, AF_INET6}) {
        rtmsg routeRequest{};
        routeRequest.rtm_family = static_cast<unsigned char>(family);
        ok = dump(fd.get(), RTM_GETROUTE, routeRequest, seq++, [&](const nlmsghdr* h) {
            if (h->nlmsg_type != RTM_NEWROUTE || h->nlmsg_len < NLMSG_LENGTH(sizeof(rtmsg))) return;
            const auto* info = static_cast<const rtmsg*>(NLMSG_DATA(h));
            if (info->rtm_family != family || info->rtm_type != RTN_UNICAST) return;
            std::uint32_t table = info->rtm_table;
            Route route;
            route.family = family;
            route.prefixLength = info->rtm_dst_len;
            std::vector<std::pair<int, bool>> hops;  // link, gateway
            int len = static_cast<int>(RTM_PAYLOAD(h));
            for (auto* a = RTM_RTA(info); RTA_OK(a, len); a = RTA_NEXT(a, len)) {
                switch (a->rta_type) {
                    case RTA_TABLE:
                        if (RTA_PAYLOAD(a) >= 4) std::memcpy(&table, RTA_DATA(a), 4);
                        break;
                    case RTA_DST: copyAddress(route.destination, a, family); break;
                    case RTA_GATEWAY: route.hasGateway = true; break;
                    case RTA_OIF:
                        if (RTA_PAYLOAD(a) >= 4) std::memcpy(&route.linkIndex, RTA_DATA(a), 4);
                        break;
                    case RTA_MULTIPATH: {
                        auto* hop = static_cast<const rtnexthop*>(RTA_DATA(a));
                        int left = static_cast<int>(RTA_PAYLOAD(a));
                        while (left >= static_cast<int>(sizeof(rtnexthop)) && hop->rtnh_len >= sizeof(rtnexthop) &&
                               hop->rtnh_len <= left) {
                            bool gateway = false;
                            int attrLen = hop->rtnh_len - static_cast<int>(sizeof(rtnexthop));
                            for (auto* ha = RTNH_DATA(hop); RTA_OK(ha, attrLen); ha = RTA_NEXT(ha, attrLen))
                                if (ha->rta_type == RTA_GATEWAY || ha->rta_type == RTA_VIA) gateway = true;
                            hops.emplace_back(hop->rtnh_ifindex, gateway);
                            left -= static_cast<int>(RTNH_ALIGN(hop->rtnh_len));
                            hop = RTNH_NEXT(hop);
                        }
                        break;
                    }
                    default: break;
                }
            }
            if (table != RT_TABLE_MAIN) return;
            if (route.prefixLength > (family == AF_INET ? 32 : 128)) return;
            if (hops.empty()) {
                state.routes.push_back(route);
                return;
            }
            for (const auto& [link, gateway] : hops) {
                Route r = route;
                r.linkIndex = link;
                r.hasGateway = r.hasGateway || gateway;
                state.routes.push_back(r);
            }
        });
        if (!ok) return false;
    }
    *out = std::move(state);
    return true;
}

std::uint32_t computeReachabilityFlags(const NetworkState& state, const ReachabilityTarget& target) {
    View view{state};
    if (target.kind == ReachabilityTarget::Kind::HostName) {
        std::uint8_t bytes[16] = {};
        if (::inet_pton(AF_INET, target.hostName.c_str(), bytes) == 1) return view.address(AF_INET, bytes);
        if (::inet_pton(AF_INET6, target.hostName.c_str(), bytes) == 1) return view.address(AF_INET6, bytes);
        if (isLocalhostName(target.hostName)) return view.loopback();
        return view.internet();
    }
    if (target.address.ss_family == AF_INET) {
        const auto* sin = reinterpret_cast<const sockaddr_in*>(&target.address);
        return view.address(AF_INET, reinterpret_cast<const std::uint8_t*>(&sin->sin_addr));
    }
    if (target.address.ss_family == AF_INET6) {
        const auto* sin6 = reinterpret_cast<const sockaddr_in6*>(&target.address);
        return view.address(AF_INET6, reinterpret_cast<const std::uint8_t*>(&sin6->sin6_addr));
    }
    return 0;
}

// ---------------------------------------------------------------------------------------------

NetlinkReachabilitySource::~NetlinkReachabilitySource() {
    std::thread thread;
    int wake;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        subscribers_.clear();
        thread = std::move(thread_);
        wake = std::exchange(wakeFd_, -1);
    }
    finish(thread, wake);
}

bool NetlinkReachabilitySource::currentFlags(const ReachabilityTarget& target, std::uint32_t* flags) {
    NetworkState state;
    if (!NetworkState::read(&state)) return false;
    *flags = computeReachabilityFlags(state, target);
    return true;
}

ReachabilitySource::Subscription NetlinkReachabilitySource::subscribe(std::function<void()> onChange) {
    if (!onChange) return 0;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!thread_.joinable()) {
        Fd sock(openRouteSocket(RTMGRP_LINK | RTMGRP_IPV4_IFADDR | RTMGRP_IPV6_IFADDR | RTMGRP_IPV4_ROUTE |
                                RTMGRP_IPV6_ROUTE));
        if (sock.get() < 0) {
            Log::warning(std::string("Reachability: netlink unavailable: ") + std::strerror(errno));
            return 0;
        }
        Fd wake(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
        if (wake.get() < 0) return 0;
        int s = sock.release();
        wakeFd_ = wake.release();
        thread_ = std::thread([this, s, w = wakeFd_] { watch(s, w); });
    }
    Subscription id = next_++;
    subscribers_.emplace(id, std::move(onChange));
    return id;
}

void NetlinkReachabilitySource::unsubscribe(Subscription subscription) {
    std::thread thread;
    int wake = -1;
    {
        std::lock_guard<std::mutex> delivering(deliver_);  // waits out a delivery in progress
        std::lock_guard<std::mutex> lock(mutex_);
        subscribers_.erase(subscription);
        if (subscribers_.empty() && thread_.joinable()) {
            thread = std::move(thread_);
            wake = std::exchange(wakeFd_, -1);
        }
    }
    finish(thread, wake);
}

void NetlinkReachabilitySource::finish(std::thread& thread, int wake) {
    if (wake >= 0) {
        std::uint64_t one = 1;
        [[maybe_unused]] auto n = ::write(wake, &one, sizeof one);
    }
    if (thread.joinable()) {
        if (thread.get_id() == std::this_thread::get_id())
            thread.detach();
        else
            thread.join();
    }
    if (wake >= 0) ::close(wake);
}

void NetlinkReachabilitySource::watch(int socket, int wake) {
    Fd owned(socket);
    alignas(nlmsghdr) char buffer[16 * 1024];
    for (;;) {
        pollfd fds[2] = {{socket, POLLIN, 0}, {wake, POLLIN, 0}};
        int n = ::poll(fds, 2, -1);
        if (n < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        if (!(fds[0].revents & (POLLIN | POLLERR))) continue;
        // Drain what arrived; a lost batch (ENOBUFS) counts as a change too.
        bool changed = false;
        for (;;) {
            ssize_t got = ::recv(socket, buffer, sizeof buffer, MSG_DONTWAIT);
            if (got > 0 || (got < 0 && errno == ENOBUFS)) {
                changed = true;
                continue;
            }
            if (got < 0 && errno == EINTR) continue;
            break;
        }
        if (!changed) continue;
        std::lock_guard<std::mutex> delivering(deliver_);
        std::vector<std::function<void()>> calls;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (wakeFd_ != wake) return;  // stopped meanwhile
            for (const auto& [id, fn] : subscribers_) calls.push_back(fn);
        }
        for (const auto& fn : calls) fn();
    }
}

}  // namespace platform
