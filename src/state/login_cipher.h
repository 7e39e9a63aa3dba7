#pragma once
// The key that seals the login of a run: the shipped key until a login data
// message brings a session key, that key from then on, so that a relogin and
// any later login in the same run are sealed with it. Owned by what outlives
// the sessions (the application delegate); read and replaced from any thread.
#include <mutex>
#include <optional>
#include <string>

namespace state {

class LoginCipher {
public:
    std::optional<std::string> sessionKey() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return key_;
    }
    void replace(std::string key) {
        std::lock_guard<std::mutex> lock(mutex_);
        key_ = std::move(key);
    }
    // The next login is sealed with the shipped key again.
    void forget() {
        std::lock_guard<std::mutex> lock(mutex_);
        key_.reset();
    }

private:
    mutable std::mutex mutex_;
    std::optional<std::string> key_;
};

}  // namespace state
