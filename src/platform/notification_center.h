#pragma once
// Named notifications. Delivery is synchronous on the posting thread, in
// registration order; postOnMain queues delivery FIFO on the main executor.
// Adding, removing and posting are safe from any thread; an observer removed
// during a delivery is not called afterwards.
#include <any>
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

using UserInfo = std::map<std::string, std::any>;

struct Notification {
    std::string name;
    std::any object;
    UserInfo userInfo;
};

class NotificationCenter {
public:
    using Token = std::uint64_t;
    using Callback = std::function<void(const Notification&)>;
    // Compares a posted object with an observer's filter.
    using ObjectFilter = std::function<bool(const std::any&)>;

    static NotificationCenter& defaultCenter();

    Token addObserver(const std::string& name, Callback callback, ObjectFilter filter = nullptr);
    void removeObserver(Token token);
    void post(const std::string& name, std::any object = {}, UserInfo userInfo = {});
    void postOnMain(const std::string& name, std::any object = {}, UserInfo userInfo = {});
    std::size_t observerCount(const std::string& name) const;

private:
    struct Entry {
        Token token;
        Callback callback;
        ObjectFilter filter;
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
