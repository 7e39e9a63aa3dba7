#pragma once
// The chat side of the simulator: a fixed contact list, recent conversations,
// offline notices and room histories, rooms granted on request, messages
// echoed, and a support queue that accepts a chat request. Names and ids hold
// "/" on purpose; texts mix \'hh, raw UTF-8 and \u forms.
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "wire_message.h"

namespace sim {

class ChatPeer {
public:
    // The answers to one chat request of `user` (type 601 to 678); none for the others.
    std::vector<WireMessage> handle(const WireMessage& request, const std::string& user);
    static bool isChatRequest(int type);

private:
    std::mutex mutex_;
    int nextRoom_ = 1;
    int nextMessage_ = 1;
};

}  // namespace sim
