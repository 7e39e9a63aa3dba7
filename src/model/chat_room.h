#pragma once
// A chat room or notice room of the chat answers.
#include <string>

namespace model {

class ChatRoom {
public:
    std::string roomId;
    std::string roomName;
    // A room of server notices rather than a conversation.
    bool isMessageNotices = false;
    // A room the user opened, as opposed to a recent conversation.
    bool isChatRoomCreated = false;
};

}  // namespace model
