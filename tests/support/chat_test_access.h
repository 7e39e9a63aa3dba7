#pragma once
// The chat's collections emptied, for harnesses that reuse one session.
#include "state/chat.h"

namespace state {

struct ChatTestAccess {
    static void clear(Chat& c) {
        c.rooms_ = {};
        c.groups_ = {};
        c.users_ = {};
        c.queues_ = {};
        c.chatUserName_.clear();
    }
};

}  // namespace state
