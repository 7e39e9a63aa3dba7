#pragma once
// A chat room, a recent conversation or a notice room, with its messages.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace model {

// One message of a room as the chat windows show it.
struct ChatMessageEntry {
    std::string msg;  // plain text
    std::string sender;
    std::string senderdisplayName;
    std::string time;  // as received
};

class ChatRoom {
public:
    std::string RequestId;   // tag 20 of the room message that announced it
    std::string RoomName;    // chat messages find their rooms by it
    std::string RoomId;
    std::string SenderName;  // who asked for the room or sent the latest message
    std::string RoomUsers;   // ";"-separated
    std::int32_t AddUserToRoomMode = 0;
    // The server confirmed the room; until then a first text waits in parkedText.
    bool isChatRoomCreated = false;
    // The latest message's text (plain for a chat message, as received for a conversation).
    std::string Message;
    // The user's first text (RTF), kept apart until the room exists and sent once.
    std::optional<std::string> parkedText;
    std::string chatTime;
    std::string MessageId;  // the latest message; a notice acknowledges it
    std::vector<ChatMessageEntry> messages;
    std::string QueueId;
    bool isRoomCreationfromQueue = false;
    std::string RoomUserDisplayName;
    std::string MessageTitle;  // a notice's subject
    bool isMessageNotices = false;
    bool isanUnreadMessage = false;
};

}  // namespace model
