#include "received_log.h"

namespace sim {

void ReceivedLog::add(const std::string& user, std::string entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[user].push_back(std::move(entry));
}

std::vector<std::string> ReceivedLog::of(const std::string& user) const {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto it = entries_.find(user);
    return it == entries_.end() ? std::vector<std::string>{} : it->second;
}

}  // namespace sim
