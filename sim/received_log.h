#pragma once
// What each user's client sent, in arrival order: session message types and
// request-channel requests (data-service names, with tag 34 when present).
// Pings and keep-alives are left out. Any thread.
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace sim {

class ReceivedLog {
public:
    void add(const std::string& user, std::string entry);
    std::vector<std::string> of(const std::string& user) const;

private:
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<std::string>> entries_;
};

}  // namespace sim
