#include "platform/reachability.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdio>
#include <cstring>

#include "platform/log.h"
#include "platform/netlink_reachability_source.h"
#include "platform/notification_center.h"

namespace platform {

// ---------------------------------------------------------------------------------------------
// Targets

bool ReachabilityTarget::fromHostName(const std::string& host, ReachabilityTarget* out) {
    if (host.empty() || host.find('\0') != std::string::npos) return false;
    ReachabilityTarget t;
    t.kind = Kind::HostName;
    t.hostName = host;
    *out = std::move(t);
    return true;
}

bool ReachabilityTarget::fromAddress(const sockaddr* address, ReachabilityTarget* out) {
    if (!address) return false;
    ReachabilityTarget t;
    t.kind = Kind::Address;
    if (address->sa_family == AF_INET) {
        t.addressLength = sizeof(sockaddr_in);
    } else if (address->sa_family == AF_INET6) {
        t.addressLength = sizeof(sockaddr_in6);
    } else {
        return false;
    }
    std::memcpy(&t.address, address, t.addressLength);
    *out = t;
    return true;
}

// ---------------------------------------------------------------------------------------------
// Sources

namespace {

std::mutex& sourceMutex() {
    static std::mutex m;
    return m;
}

std::shared_ptr<ReachabilitySource>& installedSource() {
    static std::shared_ptr<ReachabilitySource> s;
    return s;
}

}  // namespace

std::shared_ptr<ReachabilitySource> ReachabilitySource::defaultSource() {
    std::lock_guard<std::mutex> lock(sourceMutex());
    if (installedSource()) return installedSource();
    static std::shared_ptr<ReachabilitySource> netlink = std::make_shared<NetlinkReachabilitySource>();
    return netlink;
}

void ReachabilitySource::installDefaultSource(std::shared_ptr<ReachabilitySource> source) {
    std::shared_ptr<ReachabilitySource> old;
    std::lock_guard<std::mutex> lock(sourceMutex());
    old = std::exchange(installedSource(), std::move(source));
}

bool FakeReachabilitySource::currentFlags(const ReachabilityTarget&, std::uint32_t* flags) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!available_) return false;
    *flags = flags_;
    return true;
}

ReachabilitySource::Subscription FakeReachabilitySource::subscribe(std::function<void()> onChange) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (subscribeFails_ || !onChange) return 0;
    Subscription s = next_++;
    subscribers_.emplace(s, std::move(onChange));
    return s;
}

void FakeReachabilitySource::unsubscribe(Subscription subscription) {
    std::lock_guard<std::recursive_mutex> delivering(deliver_);  // waits out a delivery in progress
    std::lock_guard<std::mutex> lock(mutex_);
    subscribers_.erase(subscription);
}

void FakeReachabilitySource::setFlags(std::uint32_t flags) {
    std::lock_guard<std::recursive_mutex> delivering(deliver_);
    std::vector<std::function<void()>> calls;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        flags_ = flags;
        for (const auto& [id, fn] : subscribers_) calls.push_back(fn);
    }
    for (const auto& fn : calls) fn();
}

void FakeReachabilitySource::setAvailable(bool available) {
    std::lock_guard<std::mutex> lock(mutex_);
    available_ = available;
}

void FakeReachabilitySource::setSubscribeFails(bool fails) {
    std::lock_guard<std::mutex> lock(mutex_);
    subscribeFails_ = fails;
}

std::size_t FakeReachabilitySource::subscriberCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return subscribers_.size();
}

// ---------------------------------------------------------------------------------------------
// Reachability

Reachability::Reachability(ReachabilityTarget target, std::shared_ptr<ReachabilitySource> source)
    : target_(std::move(target)), source_(std::move(source)) {}

Reachability::~Reachability() {
    ReachabilitySource::Subscription s = std::exchange(subscription_, 0);
    if (s && source_) source_->unsubscribe(s);
    reachableBlock = nullptr;
    unreachableBlock = nullptr;
}

std::shared_ptr<Reachability> Reachability::reachabilityWithTarget(
    ReachabilityTarget target, std::shared_ptr<ReachabilitySource> source) {
    if (!source) source = ReachabilitySource::defaultSource();
    if (!source) return nullptr;
    return std::shared_ptr<Reachability>(new Reachability(std::move(target), std::move(source)));
}

std::shared_ptr<Reachability> Reachability::reachabilityWithHostname(const std::string& hostName) {
    ReachabilityTarget t;
    if (!ReachabilityTarget::fromHostName(hostName, &t)) return nullptr;
    return reachabilityWithTarget(std::move(t));
}

std::shared_ptr<Reachability> Reachability::reachabilityWithAddress(const sockaddr* address) {
    ReachabilityTarget t;
    if (!ReachabilityTarget::fromAddress(address, &t)) return nullptr;
    return reachabilityWithTarget(std::move(t));
}

std::shared_ptr<Reachability> Reachability::reachabilityForInternetConnection() {
    sockaddr_in zero{};
    zero.sin_family = AF_INET;
    zero.sin_port = 0;
    zero.sin_addr.s_addr = htonl(INADDR_ANY);
    return reachabilityWithAddress(reinterpret_cast<const sockaddr*>(&zero));
}

std::shared_ptr<Reachability> Reachability::reachabilityForLocalWiFi() {
    sockaddr_in linkLocal{};
    linkLocal.sin_family = AF_INET;
    linkLocal.sin_addr.s_addr = htonl(0xA9FE0000);  // 169.254.0.0
    return reachabilityWithAddress(reinterpret_cast<const sockaddr*>(&linkLocal));
}

bool Reachability::startNotifier() {
    std::shared_ptr<Reachability> keep;  // on failure, released after the lock
    std::lock_guard<std::mutex> lock(mutex_);
    if (subscription_) return true;  // already notifying
    reachabilityObject_ = shared_from_this();
    reachabilitySerialQueue_ = SerialQueue::create("Reachability");
    const std::uint64_t generation = ++generation_;
    std::weak_ptr<Reachability> weak = weak_from_this();
    std::weak_ptr<SerialQueue> queue = reachabilitySerialQueue_;
    subscription_ = source_->subscribe([weak, queue, generation] {
        auto q = queue.lock();
        if (!q) return;
        q->async([weak, generation] {
            if (auto self = weak.lock()) self->changed(generation);
        });
    });
    if (!subscription_) {
        reachabilitySerialQueue_.reset();
        keep = std::move(reachabilityObject_);
        return false;
    }
    // The baseline: only later differences are changes.
    std::uint32_t flags = 0;
    haveLastFlags_ = source_->currentFlags(target_, &flags);
    lastFlags_ = haveLastFlags_ ? flags : 0;
    return true;
}

void Reachability::stopNotifier() {
    std::shared_ptr<Reachability> keep;
    ReachabilitySource::Subscription s;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        s = std::exchange(subscription_, 0);
        ++generation_;
        reachabilitySerialQueue_.reset();
        keep = std::move(reachabilityObject_);
    }
    if (s) source_->unsubscribe(s);
    // `keep` may hold the last reference: the object ends when it goes.
}

// On the private queue.
void Reachability::changed(std::uint64_t generation) {
    std::uint32_t flags = 0;
    bool have = source_->currentFlags(target_, &flags);
    if (!have) flags = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (generation != generation_ || !subscription_) return;
        if (haveLastFlags_ && flags == lastFlags_) return;
        haveLastFlags_ = true;
        lastFlags_ = flags;
    }
    reachabilityChanged(flags);
}

void Reachability::reachabilityChanged(std::uint32_t flags) {
    auto self = shared_from_this();
    const Block& block = isReachableWithFlags(flags) ? reachableBlock : unreachableBlock;
    if (block) block(self);
    NotificationCenter::defaultCenter().postOnMain(
        kReachabilityChangedNotification, std::make_shared<const ReachabilityChange>(self), self.get());
}

bool Reachability::isReachableWithFlags(std::uint32_t flags) {
    if (!(flags & kReachabilityReachable)) return false;
    const std::uint32_t transientAndRequired = kReachabilityTransientConnection | kReachabilityConnectionRequired;
    return (flags & transientAndRequired) != transientAndRequired;
}

std::uint32_t Reachability::reachabilityFlags() const {
    std::uint32_t flags = 0;
    if (!source_->currentFlags(target_, &flags)) return 0;
    return flags;
}

bool Reachability::isReachable() const { return isReachableWithFlags(reachabilityFlags()); }

bool Reachability::isReachableViaWiFi() const { return (reachabilityFlags() & kReachabilityReachable) != 0; }

bool Reachability::connectionRequired() const {
    return (reachabilityFlags() & kReachabilityConnectionRequired) != 0;
}

bool Reachability::isConnectionRequired() const { return connectionRequired(); }

bool Reachability::isConnectionOnDemand() const {
    std::uint32_t f = reachabilityFlags();
    return (f & kReachabilityConnectionRequired) &&
           (f & (kReachabilityConnectionOnTraffic | kReachabilityConnectionOnDemand));
}

bool Reachability::isInterventionRequired() const {
    std::uint32_t f = reachabilityFlags();
    return (f & kReachabilityConnectionRequired) && (f & kReachabilityInterventionRequired);
}

NetworkStatus Reachability::currentReachabilityStatus() const {
    // One read, so that both answers come from the same flags.
    std::uint32_t f = reachabilityFlags();
    return isReachableWithFlags(f) && (f & kReachabilityReachable) ? ReachableViaWiFi : NotReachable;
}

std::string Reachability::flagsText(std::uint32_t f) {
    std::string s;
    s += 'X';
    s += (f & kReachabilityReachable) ? 'R' : '-';
    s += ' ';
    s += (f & kReachabilityConnectionRequired) ? 'c' : '-';
    s += (f & kReachabilityTransientConnection) ? 't' : '-';
    s += (f & kReachabilityInterventionRequired) ? 'i' : '-';
    s += (f & kReachabilityConnectionOnTraffic) ? 'C' : '-';
    s += (f & kReachabilityConnectionOnDemand) ? 'D' : '-';
    s += (f & kReachabilityIsLocalAddress) ? 'l' : '-';
    s += (f & kReachabilityIsDirect) ? 'd' : '-';
    return s;
}

std::string Reachability::currentReachabilityFlags() const { return flagsText(reachabilityFlags()); }

std::string Reachability::description() const {
    char buf[64];
    std::snprintf(buf, sizeof buf, "<Reachability: %#x>",
                  static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(this) & 0xFFFFFFFFu));
    return buf;
}

}  // namespace platform
