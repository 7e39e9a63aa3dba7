#include "platform/reachability.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/un.h>

#include <atomic>
#include <vector>

#include "platform/netlink_reachability_source.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"

using namespace platform;
using namespace std::chrono_literals;

namespace {

class ReachabilityTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        source = std::make_shared<FakeReachabilitySource>(0);
        ReachabilitySource::installDefaultSource(source);
        observer = NotificationCenter::defaultCenter().addObserver(
            kReachabilityChangedNotification, [this](const Notification& n) {
                const auto* change = n.as<ReachabilityChange>();
                ASSERT_TRUE(change);
                EXPECT_EQ(n.sender, change->reachability.get());
                posted.push_back(change->reachability);
                postedOnMain = postedOnMain && MainExecutor::isMainThread();
            });
    }
    void TearDown() override {
        NotificationCenter::defaultCenter().removeObserver(observer);
        posted.clear();
        ReachabilitySource::installDefaultSource(nullptr);
        FakeTimeTest::TearDown();
    }
    // Lets the private queue and the main loop run.
    void settle() { loop->runFor(1ms); }

    std::shared_ptr<FakeReachabilitySource> source;
    NotificationCenter::Token observer = 0;
    std::vector<std::shared_ptr<Reachability>> posted;
    bool postedOnMain = true;
};

ReachabilityTarget addressTarget(const char* text) {
    ReachabilityTarget t;
    sockaddr_in6 a6{};
    sockaddr_in a4{};
    if (inet_pton(AF_INET, text, &a4.sin_addr) == 1) {
        a4.sin_family = AF_INET;
        EXPECT_TRUE(ReachabilityTarget::fromAddress(reinterpret_cast<sockaddr*>(&a4), &t));
    } else {
        EXPECT_EQ(inet_pton(AF_INET6, text, &a6.sin6_addr), 1) << text;
        a6.sin6_family = AF_INET6;
        EXPECT_TRUE(ReachabilityTarget::fromAddress(reinterpret_cast<sockaddr*>(&a6), &t));
    }
    return t;
}

ReachabilityTarget hostTarget(const char* host) {
    ReachabilityTarget t;
    EXPECT_TRUE(ReachabilityTarget::fromHostName(host, &t));
    return t;
}

NetworkState::Address addr(int family, int link, const char* text, int prefix) {
    NetworkState::Address a;
    a.family = family;
    a.linkIndex = link;
    a.prefixLength = prefix;
    inet_pton(family, text, a.bytes);
    return a;
}

NetworkState::Route route(int family, const char* dst, int prefix, bool gateway, int link) {
    NetworkState::Route r;
    r.family = family;
    inet_pton(family, dst, r.destination);
    r.prefixLength = prefix;
    r.hasGateway = gateway;
    r.linkIndex = link;
    return r;
}

// lo (1) and eth0 (2) at 192.168.1.5/24 with a default route through a gateway.
NetworkState homeNetwork() {
    NetworkState s;
    s.links = {{1, "lo", true, true}, {2, "eth0", true, false}};
    s.addresses = {addr(AF_INET, 1, "127.0.0.1", 8), addr(AF_INET, 2, "192.168.1.5", 24),
                   addr(AF_INET6, 2, "fe80::1", 64)};
    s.routes = {route(AF_INET, "0.0.0.0", 0, true, 2), route(AF_INET, "192.168.1.0", 24, false, 2)};
    return s;
}

}  // namespace

TEST(ReachabilityFlags, ReachableReadingAndFlagText) {
    EXPECT_TRUE(Reachability::isReachableWithFlags(0x2));
    EXPECT_FALSE(Reachability::isReachableWithFlags(0x7));  // transient + reachable + connection required
    EXPECT_TRUE(Reachability::isReachableWithFlags(0x6));
    EXPECT_TRUE(Reachability::isReachableWithFlags(0x3));
    EXPECT_FALSE(Reachability::isReachableWithFlags(0x0));
    EXPECT_FALSE(Reachability::isReachableWithFlags(0x5));
    EXPECT_EQ(Reachability::flagsText(0x2 | 0x10000), "XR -----l-");
    EXPECT_EQ(Reachability::flagsText(0), "X- -------");
    EXPECT_EQ(Reachability::flagsText(0x3003F), "XR ctiCDld");
    EXPECT_EQ(Reachability::flagsText(0x20004), "X- c-----d");
}

TEST_F(ReachabilityTest, QueriesReadTheSourceEachTime) {
    auto r = Reachability::reachabilityForInternetConnection();
    ASSERT_TRUE(r);
    for (std::uint32_t flags = 0; flags < 0x40; ++flags) {
        source->setFlags(flags);
        auto status = r->currentReachabilityStatus();
        EXPECT_EQ(status, Reachability::isReachableWithFlags(flags) ? ReachableViaWiFi : NotReachable) << flags;
        EXPECT_NE(status, ReachableViaWWAN);
        EXPECT_FALSE(r->isReachableViaWWAN());
    }
    source->setFlags(0x4 | 0x8);
    EXPECT_TRUE(r->isConnectionOnDemand());
    EXPECT_TRUE(r->isConnectionRequired());
    source->setFlags(0x4 | 0x20);
    EXPECT_TRUE(r->isConnectionOnDemand());
    source->setFlags(0x8 | 0x20);
    EXPECT_FALSE(r->isConnectionOnDemand());
    source->setFlags(0x4 | 0x10);
    EXPECT_TRUE(r->isInterventionRequired());
    source->setFlags(0x10);
    EXPECT_FALSE(r->isInterventionRequired());
    source->setFlags(0x2 | 0x10000);
    EXPECT_EQ(r->currentReachabilityFlags(), "XR -----l-");
    EXPECT_TRUE(r->isReachableViaWiFi());
    source->setAvailable(false);  // a failed read answers as no flags
    EXPECT_EQ(r->reachabilityFlags(), 0u);
    EXPECT_FALSE(r->isReachable());
    EXPECT_EQ(r->currentReachabilityFlags(), "X- -------");
    EXPECT_TRUE(r->reachableOnWWAN());
}

TEST_F(ReachabilityTest, ConstructorsAndDescription) {
    EXPECT_EQ(Reachability::reachabilityWithHostname(""), nullptr);
    sockaddr_un unix{};
    unix.sun_family = AF_UNIX;
    EXPECT_EQ(Reachability::reachabilityWithAddress(reinterpret_cast<sockaddr*>(&unix)), nullptr);
    EXPECT_EQ(Reachability::reachabilityWithAddress(nullptr), nullptr);
    auto host = Reachability::reachabilityWithHostname("trade.example.com");
    ASSERT_TRUE(host);
    EXPECT_EQ(host->target().hostName, "trade.example.com");
    auto internet = Reachability::reachabilityForInternetConnection();
    const auto* in = reinterpret_cast<const sockaddr_in*>(&internet->target().address);
    EXPECT_EQ(in->sin_family, AF_INET);
    EXPECT_EQ(in->sin_addr.s_addr, htonl(INADDR_ANY));
    EXPECT_EQ(in->sin_port, 0);
    auto wifi = Reachability::reachabilityForLocalWiFi();
    in = reinterpret_cast<const sockaddr_in*>(&wifi->target().address);
    EXPECT_EQ(in->sin_addr.s_addr, htonl(0xA9FE0000));
    std::string d = internet->description();
    EXPECT_EQ(d.rfind("<Reachability: 0x", 0), 0u);
    EXPECT_EQ(d.back(), '>');
}

TEST_F(ReachabilityTest, UnreferencedNotifierPostsEachChangeUntilStopped) {
    std::vector<std::string> blocks;
    std::atomic<bool> blocksOffMain{true};
    std::weak_ptr<Reachability> weak;
    {
        auto r = Reachability::reachabilityForInternetConnection();
        r->reachableBlock = [&](const std::shared_ptr<Reachability>&) {
            blocks.push_back("up");
            blocksOffMain = blocksOffMain && !MainExecutor::isMainThread();
        };
        r->unreachableBlock = [&](const std::shared_ptr<Reachability>&) { blocks.push_back("down"); };
        ASSERT_TRUE(r->startNotifier());
        weak = r;
    }
    ASSERT_FALSE(weak.expired());  // keeps itself alive while notifying

    source->setFlags(0x2);
    settle();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0], weak.lock());
    EXPECT_TRUE(posted[0]->isReachable());
    source->setFlags(0x2);  // no change, no notice
    settle();
    EXPECT_EQ(posted.size(), 1u);
    source->setFlags(0x7);
    settle();
    EXPECT_EQ(posted.size(), 2u);
    EXPECT_EQ(blocks, (std::vector<std::string>{"up", "down"}));
    EXPECT_TRUE(blocksOffMain.load());
    EXPECT_TRUE(postedOnMain);

    weak.lock()->stopNotifier();
    posted.clear();
    EXPECT_TRUE(weak.expired());  // nobody else held it
    EXPECT_EQ(source->subscriberCount(), 0u);
    source->setFlags(0x2);
    settle();
    EXPECT_TRUE(posted.empty());
}

TEST_F(ReachabilityTest, WithoutBlocksAChangeOnlyPostsAndRestartWorks) {
    auto r = Reachability::reachabilityWithHostname("trade.example.com");
    ASSERT_TRUE(r->startNotifier());
    EXPECT_TRUE(r->startNotifier());  // second start keeps one subscription
    EXPECT_EQ(source->subscriberCount(), 1u);
    source->setFlags(0x2);
    settle();
    EXPECT_EQ(posted.size(), 1u);
    r->stopNotifier();
    source->setFlags(0);
    settle();
    EXPECT_EQ(posted.size(), 1u);
    ASSERT_TRUE(r->startNotifier());
    source->setFlags(0x2);
    settle();
    EXPECT_EQ(posted.size(), 2u);
    r->stopNotifier();
}

TEST_F(ReachabilityTest, FailedStartLeavesNothingInstalled) {
    source->setSubscribeFails(true);
    std::weak_ptr<Reachability> weak;
    {
        auto r = Reachability::reachabilityForInternetConnection();
        EXPECT_FALSE(r->startNotifier());
        weak = r;
    }
    EXPECT_TRUE(weak.expired());
    EXPECT_EQ(source->subscriberCount(), 0u);
}

TEST(NetlinkFlags, ComputedFromLinksAddressesAndRoutes) {
    NetworkState s = homeNetwork();
    const std::uint32_t R = 0x2, L = 0x10000, D = 0x20000;
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("0.0.0.0")), R);
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("8.8.8.8")), R);
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("192.168.1.7")), R | D);
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("192.168.1.5")), R | L | D);
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("127.0.0.1")), R | L | D);
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("169.254.0.0")), R | D);
    EXPECT_EQ(computeReachabilityFlags(s, hostTarget("trade.example.com")), R);
    EXPECT_EQ(computeReachabilityFlags(s, hostTarget("localhost")), R | L | D);
    EXPECT_EQ(computeReachabilityFlags(s, hostTarget("192.168.1.9")), R | D);
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("::")), R);  // the internet in general, any family
    // The IPv6 default route counts only with an address that is not link-local.
    s.routes.push_back(route(AF_INET6, "::", 0, true, 2));
    s.routes.erase(s.routes.begin());
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("0.0.0.0")), 0u);
    s.addresses.push_back(addr(AF_INET6, 2, "2001:db8::5", 64));
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("0.0.0.0")), R);
    EXPECT_EQ(computeReachabilityFlags(s, addressTarget("2001:db8::99")), R);
}

TEST(NetlinkFlags, NotReachableWhenTheLinkIsDownOrNoDefaultRoute) {
    NetworkState down = homeNetwork();
    down.links[1].up = false;
    EXPECT_EQ(computeReachabilityFlags(down, addressTarget("0.0.0.0")), 0u);
    EXPECT_EQ(computeReachabilityFlags(down, addressTarget("8.8.8.8")), 0u);
    EXPECT_EQ(computeReachabilityFlags(down, addressTarget("169.254.0.0")), 0u);
    EXPECT_EQ(computeReachabilityFlags(down, addressTarget("127.0.0.1")), 0x30002u);

    NetworkState noRoute = homeNetwork();
    noRoute.routes.erase(noRoute.routes.begin());
    EXPECT_EQ(computeReachabilityFlags(noRoute, addressTarget("0.0.0.0")), 0u);
    EXPECT_EQ(computeReachabilityFlags(noRoute, addressTarget("192.168.1.7")), 0x20002u);
    EXPECT_EQ(computeReachabilityFlags(noRoute, addressTarget("8.8.8.8")), 0u);

    NetworkState noAddress = homeNetwork();
    noAddress.addresses.erase(noAddress.addresses.begin() + 1);
    EXPECT_EQ(computeReachabilityFlags(noAddress, addressTarget("0.0.0.0")), 0u);

    NetworkState loopbackOnly;
    loopbackOnly.links = {{1, "lo", true, true}};
    loopbackOnly.addresses = {addr(AF_INET, 1, "127.0.0.1", 8)};
    loopbackOnly.routes = {route(AF_INET, "0.0.0.0", 0, false, 1)};
    EXPECT_EQ(computeReachabilityFlags(loopbackOnly, addressTarget("0.0.0.0")), 0u);
}

TEST(NetlinkSource, ReadsThisMachineAndWatchesWithoutHanging) {
    NetworkState state;
    if (!NetworkState::read(&state)) GTEST_SKIP() << "netlink unavailable here";
    bool loopback = false;
    for (const auto& l : state.links) loopback = loopback || (l.loopback && l.name == "lo");
    EXPECT_TRUE(loopback);
    NetlinkReachabilitySource source;
    std::uint32_t flags = 0;
    ASSERT_TRUE(source.currentFlags(addressTarget("127.0.0.1"), &flags));
    EXPECT_EQ(flags, 0x30002u);
    auto a = source.subscribe([] {});
    auto b = source.subscribe([] {});
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    source.unsubscribe(a);
    source.unsubscribe(b);
    auto c = source.subscribe([] {});  // the watcher starts again after a full stop
    EXPECT_NE(c, 0u);
    source.unsubscribe(c);
}
