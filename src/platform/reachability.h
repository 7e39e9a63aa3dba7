#pragma once
// Watches whether the machine can reach the network and announces changes with
// "kReachabilityChangedNotification" (payload: ReachabilityChange, sender: the
// Reachability) on the main executor. Flags are computed from a ReachabilitySource: the
// netlink route source on Linux, or a fake one in tests.
#include <sys/socket.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/notification_center.h"
#include "platform/serial_queue.h"

namespace platform {

inline constexpr const char* kReachabilityChangedNotification = "kReachabilityChangedNotification";

// Flag bits, as the reachability service reports them.
enum ReachabilityFlags : std::uint32_t {
    kReachabilityTransientConnection = 0x1,
    kReachabilityReachable = 0x2,
    kReachabilityConnectionRequired = 0x4,
    kReachabilityConnectionOnTraffic = 0x8,
    kReachabilityInterventionRequired = 0x10,
    kReachabilityConnectionOnDemand = 0x20,
    kReachabilityIsLocalAddress = 0x10000,
    kReachabilityIsDirect = 0x20000,
};

// Status values of currentReachabilityStatus().
enum NetworkStatus : int { NotReachable = 0, ReachableViaWiFi = 2, ReachableViaWWAN = 1 };

// What is watched: a host name, or a socket address (IPv4 or IPv6).
struct ReachabilityTarget {
    enum class Kind { HostName, Address };
    Kind kind = Kind::Address;
    std::string hostName;
    sockaddr_storage address{};
    socklen_t addressLength = 0;

    static bool fromHostName(const std::string& host, ReachabilityTarget* out);
    static bool fromAddress(const sockaddr* address, ReachabilityTarget* out);
};

// Where the flags come from.
class ReachabilitySource {
public:
    using Subscription = std::uint64_t;
    virtual ~ReachabilitySource() = default;
    // Reads the flags for the target now, on the caller's thread; false when unavailable.
    virtual bool currentFlags(const ReachabilityTarget& target, std::uint32_t* flags) = 0;
    // `onChange` runs on the source's own thread whenever the network may have changed;
    // it must be short. Returns 0 on failure. After unsubscribe() returns it is not called again.
    virtual Subscription subscribe(std::function<void()> onChange) = 0;
    virtual void unsubscribe(Subscription subscription) = 0;

    // The source that new Reachability objects use (the netlink one unless one is installed).
    static std::shared_ptr<ReachabilitySource> defaultSource();
    static void installDefaultSource(std::shared_ptr<ReachabilitySource> source);  // nullptr restores
};

// Flags set by hand, for tests. setFlags() notifies the subscribers on the calling thread.
class FakeReachabilitySource : public ReachabilitySource {
public:
    explicit FakeReachabilitySource(std::uint32_t flags = 0) : flags_(flags) {}
    bool currentFlags(const ReachabilityTarget& target, std::uint32_t* flags) override;
    Subscription subscribe(std::function<void()> onChange) override;
    void unsubscribe(Subscription subscription) override;

    void setFlags(std::uint32_t flags);
    void setAvailable(bool available);        // false: flag reads fail
    void setSubscribeFails(bool fails);       // true: subscribe() refuses
    std::size_t subscriberCount() const;

private:
    mutable std::mutex mutex_;
    std::recursive_mutex deliver_;
    std::uint32_t flags_;
    bool available_ = true;
    bool subscribeFails_ = false;
    Subscription next_ = 1;
    std::map<Subscription, std::function<void()>> subscribers_;
};

class Reachability : public std::enable_shared_from_this<Reachability> {
public:
    using Block = std::function<void(const std::shared_ptr<Reachability>&)>;

    // Constructors; each gives nullptr when the target cannot be made.
    static std::shared_ptr<Reachability> reachabilityWithHostname(const std::string& hostName);
    static std::shared_ptr<Reachability> reachabilityWithAddress(const sockaddr* address);
    static std::shared_ptr<Reachability> reachabilityForInternetConnection();  // 0.0.0.0
    static std::shared_ptr<Reachability> reachabilityForLocalWiFi();           // 169.254.0.0
    // Without a source, the default one.
    static std::shared_ptr<Reachability> reachabilityWithTarget(
        ReachabilityTarget target, std::shared_ptr<ReachabilitySource> source = nullptr);
    ~Reachability();
    Reachability(const Reachability&) = delete;
    Reachability& operator=(const Reachability&) = delete;

    // Set before startNotifier(); called on the private queue on each change.
    Block reachableBlock;
    Block unreachableBlock;

    // While notifying the object keeps itself alive, until stopNotifier().
    bool startNotifier();
    void stopNotifier();

    static bool isReachableWithFlags(std::uint32_t flags);
    bool isReachable() const;
    bool isReachableViaWiFi() const;
    bool isReachableViaWWAN() const { return false; }
    bool isConnectionRequired() const;
    bool connectionRequired() const;
    bool isConnectionOnDemand() const;
    bool isInterventionRequired() const;
    NetworkStatus currentReachabilityStatus() const;
    std::uint32_t reachabilityFlags() const;
    // "XR -----l-": X, R, a blank, then c t i C D l d; '-' for each clear bit.
    std::string currentReachabilityFlags() const;
    static std::string flagsText(std::uint32_t flags);
    std::string description() const;

    const ReachabilityTarget& target() const { return target_; }
    bool reachableOnWWAN() const { return reachableOnWWAN_; }

private:
    Reachability(ReachabilityTarget target, std::shared_ptr<ReachabilitySource> source);
    void changed(std::uint64_t generation);
    void reachabilityChanged(std::uint32_t flags);

    ReachabilityTarget target_;
    std::shared_ptr<ReachabilitySource> source_;
    bool reachableOnWWAN_ = true;

    std::mutex mutex_;
    std::shared_ptr<SerialQueue> reachabilitySerialQueue_;
    std::shared_ptr<Reachability> reachabilityObject_;
    ReachabilitySource::Subscription subscription_ = 0;
    std::uint64_t generation_ = 0;
    bool haveLastFlags_ = false;
    std::uint32_t lastFlags_ = 0;
};

// What "kReachabilityChangedNotification" carries.
struct ReachabilityChange : NotificationPayload {
    explicit ReachabilityChange(std::shared_ptr<Reachability> changed) : reachability(std::move(changed)) {}
    std::shared_ptr<Reachability> reachability;
};

}  // namespace platform
