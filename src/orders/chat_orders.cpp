// The chat requests the chat windows make through the order manager; the
// session's chat does the work.
#include "orders/order_mananger.h"
#include "state/session_commands.h"

namespace orders {

void OrderMananger::CreateRoomforChat(const std::string& roomKey) { commands_.openContactRoom(roomKey); }

void OrderMananger::SendChat(const std::string& roomKey, const std::string& text) { commands_.sendChat(roomKey, text); }

void OrderMananger::SendNewChatMessageToServer(const std::string& text, const std::string& roomId,
                                               const std::string& roomName) {
    commands_.sendChatMessage(text, roomId, roomName);
}

void OrderMananger::SendChatQueueRequest(const std::string& queueId, const std::string& text) {
    commands_.sendChatQueueRequest(queueId, text);
}

}  // namespace orders
