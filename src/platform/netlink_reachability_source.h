#pragma once
// Reachability flags on Linux from the kernel's routing tables: a NETLINK_ROUTE
// socket watched on a private thread for link, address and route changes.
#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "platform/reachability.h"

namespace platform {

// The parts of the network configuration the flags depend on.
struct NetworkState {
    struct Link {
        int index = 0;
        std::string name;
        bool up = false;        // administratively up with carrier
        bool loopback = false;
    };
    struct Address {
        int family = 0;         // AF_INET or AF_INET6
        int linkIndex = 0;
        std::uint8_t bytes[16] = {};
        int prefixLength = 0;
    };
    struct Route {
        int family = 0;
        std::uint8_t destination[16] = {};
        int prefixLength = 0;
        bool hasGateway = false;
        int linkIndex = 0;      // 0 when unknown (several next hops)
    };
    std::vector<Link> links;
    std::vector<Address> addresses;
    std::vector<Route> routes;  // unicast routes of the main table

    // Reads the current state with netlink dump requests; false when netlink is unavailable.
    static bool read(NetworkState* out);
};

// The flags of `target` in `state`. The internet (0.0.0.0, any host name) is reachable when a
// non-loopback interface is up with an address and a default route exists.
std::uint32_t computeReachabilityFlags(const NetworkState& state, const ReachabilityTarget& target);

class NetlinkReachabilitySource : public ReachabilitySource {
public:
    NetlinkReachabilitySource() = default;
    ~NetlinkReachabilitySource() override;
    bool currentFlags(const ReachabilityTarget& target, std::uint32_t* flags) override;
    Subscription subscribe(std::function<void()> onChange) override;
    void unsubscribe(Subscription subscription) override;

private:
    void watch(int socket, int wake);
    static void finish(std::thread& thread, int wake);

    std::mutex mutex_;
    std::mutex deliver_;  // held while subscribers are called
    std::map<Subscription, std::function<void()>> subscribers_;
    Subscription next_ = 1;
    std::thread thread_;
    int wakeFd_ = -1;
};

}  // namespace platform
