#pragma once
// Named notifications. Delivery is synchronous on the posting thread, in
// registration order; postOnMain queues delivery FIFO on the main executor.
// Adding, removing and posting are safe from any thread; an observer removed
// during a delivery is not called afterwards.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// What a notification carries: each kind of notification has its own struct
// derived from this one.
struct NotificationPayload {
    virtual ~NotificationPayload() = default;
};

struct Notification {
    std::string name;
    std::shared_ptr<const NotificationPayload> payload;  // none for a bare notification
    const void* sender = nullptr;                        // who posted it; only compared

    // The payload as a T; null when there is none or it is of another kind.
    template <class T>
    const T* as() const {
        return dynamic_cast<const T*>(payload.get());
    }
};

class NotificationCenter {
public:
    using Token = std::uint64_t;
    using Callback = std::function<void(const Notification&)>;
    using Payload = std::shared_ptr<const NotificationPayload>;

    static NotificationCenter& defaultCenter();

    // With a sender, the observer hears only what that sender posts.
    Token addObserver(const std::string& name, Callback callback, const void* sender = nullptr);
    void removeObserver(Token token);
    void post(const std::string& name, Payload payload = nullptr, const void* sender = nullptr);
    void postOnMain(const std::string& name, Payload payload = nullptr, const void* sender = nullptr);
    std::size_t observerCount(const std::string& name) const;

private:
    struct Entry {
        Token token;
        Callback callback;
        const void* sender;
        std::shared_ptr<std::atomic<bool>> alive;
    };
    mutable std::mutex mutex_;
    // Deliveries queued by postOnMain are dropped once the centre is gone.
    std::shared_ptr<int> lifetime_ = std::make_shared<int>(0);
    Token next_ = 1;
    std::map<std::string, std::vector<Entry>> observers_;
    std::map<Token, std::string> names_;
};

// Removes its observer on destruction.
class ObserverHandle {
public:
    ObserverHandle() = default;
    ObserverHandle(NotificationCenter* center, NotificationCenter::Token token) : center_(center), token_(token) {}
    ObserverHandle(ObserverHandle&& o) noexcept { *this = std::move(o); }
    ObserverHandle& operator=(ObserverHandle&& o) noexcept;
    ~ObserverHandle() { reset(); }
    void reset();

private:
    NotificationCenter* center_ = nullptr;
    NotificationCenter::Token token_ = 0;
};

}  // namespace platform
