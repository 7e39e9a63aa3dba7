#include "platform/notification_center.h"

#include <utility>

#include "platform/main_executor.h"

namespace platform {

NotificationCenter& NotificationCenter::defaultCenter() {
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const std::string& name, Callback callback,
                                                          const void* sender) {
    std::lock_guard<std::mutex> lock(mutex_);
    Token token = next_++;
    if (!callback) return token;  // nothing to call; the token is still valid to remove
    observers_[name].push_back(
        Entry{token, std::move(callback), sender, std::make_shared<std::atomic<bool>>(true)});
    names_.emplace(token, name);
    return token;
}

void NotificationCenter::removeObserver(Token token) {
    std::shared_ptr<std::atomic<bool>> alive;
    Callback dropped;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto n = names_.find(token);
        if (n == names_.end()) return;
        auto list = observers_.find(n->second);
        if (list != observers_.end()) {
            auto& entries = list->second;
            for (auto it = entries.begin(); it != entries.end(); ++it) {
                if (it->token == token) {
                    alive = it->alive;
                    dropped = std::move(it->callback);
                    entries.erase(it);
                    break;
                }
            }
            if (entries.empty()) observers_.erase(list);
        }
        names_.erase(n);
    }
    // A delivery in progress on another thread checks this before each call.
    if (alive) alive->store(false);
}

void NotificationCenter::post(const std::string& name, Payload payload, const void* sender) {
    std::vector<Entry> targets;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto list = observers_.find(name);
        if (list == observers_.end()) return;
        targets = list->second;
    }
    const Notification note{name, std::move(payload), sender};
    for (const auto& entry : targets) {
        if (!entry.alive->load(std::memory_order_acquire)) continue;
        if (entry.sender && entry.sender != sender) continue;
        entry.callback(note);
    }
}

void NotificationCenter::postOnMain(const std::string& name, Payload payload, const void* sender) {
    std::weak_ptr<int> alive = lifetime_;
    MainExecutor::post([this, alive, name, payload = std::move(payload), sender]() mutable {
        if (alive.expired()) return;
        post(name, std::move(payload), sender);
    });
}

std::size_t NotificationCenter::observerCount(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    auto list = observers_.find(name);
    return list == observers_.end() ? 0 : list->second.size();
}

ObserverHandle& ObserverHandle::operator=(ObserverHandle&& o) noexcept {
    if (this != &o) {
        reset();
        center_ = std::exchange(o.center_, nullptr);
        token_ = std::exchange(o.token_, 0);
    }
    return *this;
}

void ObserverHandle::reset() {
    if (center_ && token_) center_->removeObserver(token_);
    center_ = nullptr;
    token_ = 0;
}

}  // namespace platform
