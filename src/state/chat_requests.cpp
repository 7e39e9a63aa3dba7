// The chat requests on the TCP session and what the chat windows change.
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "state/chat.h"
#include "state/reference_data.h"
#include "state/request_builder.h"
#include "state/session_services.h"

namespace state {

using protocol::MsgType;
namespace tag = protocol::tag;

namespace {

// Every chat request carries the login user name in tag 504.
void chatRequest(SessionServices& s, MsgType type, RequestTags tags, const char* what) {
    const auto user = s.userName();
    if (!user) {
        platform::Log::warning(std::string(what) + " not sent: no user name");
        return;
    }
    tags.emplace_back(tag::DeviceUserName, *user);
    sendRequest(s, type, std::nullopt, tags, what);
}

}  // namespace

std::string Chat::loginUserName() const { return services_.userName().value_or(std::string()); }

void Chat::requestContactlist() {
    chatRequest(services_, MsgType::GetContactListInfoRequest, {{tag::ContactListMode, "1"}}, "requestContactlist");
}
void Chat::requestRecentConversation() {
    chatRequest(services_, MsgType::GetRecentConversationRequest, {}, "requestRecentConversation");
}
void Chat::requestOfflineMessages() {
    chatRequest(services_, MsgType::GetOfflineMessageRequest, {}, "requestOfflineMessages");
}

void Chat::requestRoomMessage(const model::ChatRoom& room) {
    platform::assertMainThread();
    if (room.RoomName.empty()) {
        platform::Log::debug("requestRoomMessage not sent: the room has no name");
        return;
    }
    chatRequest(services_, MsgType::GetRoomMessageRequest,
                {{tag::ChatMessageRoom, room.RoomName}, {tag::ChatRoomId, room.RoomId}}, "requestRoomMessage");
}

void Chat::requestChatMessageAcknowledgement(const model::ChatRoom& room) {
    platform::assertMainThread();
    const auto acknowledged = protocol::chatAcknowledgementValue(room.RoomName, room.MessageId);
    if (!acknowledged) {
        platform::Log::debug("requestChatMessageAcknowledgement not sent: a separator in the room name or id");
        return;
    }
    chatRequest(services_, MsgType::ChatMessageAcknowledgement,
                {{tag::ChatAcknowledgementBlank, ""}, {tag::AcknowledgedMessage, *acknowledged}},
                "requestChatMessageAcknowledgement");
}

void Chat::CreateRoomforChat(const std::string& roomKey) {
    platform::assertMainThread();
    if (!rooms_.contains(roomKey)) rooms_.set(roomKey, std::make_shared<model::ChatRoom>());
}

void Chat::SendChat(const std::string& roomKey, const std::string& text) {
    platform::assertMainThread();
    const auto room = chatRoom(roomKey);
    if (room && room->isChatRoomCreated) {
        SendNewChatMessageToServer(text, room->RoomId, room->RoomName);
        return;
    }
    SendRoomRequest(roomKey);
    EnqueChatMessage(text, roomKey);
}

void Chat::SendRoomRequest(const std::string& partner) {
    chatRequest(services_, MsgType::NewRoomCreationRequest,
                {{tag::RequestId, std::to_string(services_.nextRequestId())},
                 {tag::ChatRoomKey, partner},
                 {tag::AddUserToRoomMode, "0"}},
                "SendRoomRequest");
}

void Chat::EnqueChatMessage(const std::string& text, const std::string& roomKey) {
    platform::assertMainThread();
    const auto room = chatRoom(roomKey);
    if (!room) {
        platform::Log::debug("EnqueChatMessage: no room under the key, the text is dropped");
        return;
    }
    // Only the last text waits; it is sent once, when the room is confirmed.
    room->parkedText = text;
    room->SenderName = loginUserName();
}

void Chat::SendNewChatMessageToServer(const std::string& text, const std::string& roomId,
                                      const std::string& roomName) {
    chatRequest(services_, MsgType::NewChatMessage,
                {{tag::ChatRoomId, roomId}, {tag::ChatMessageRoom, roomName}, {tag::ChatText, text}},
                "SendNewChatMessageToServer");
}

void Chat::SendChatQueueRequest(const std::string& queueId, const std::string& text) {
    platform::assertMainThread();
    const auto* queue = queues_.find(queueId);
    const auto* account = reference_.AccountDetailCollection().first();
    if (!queue || !*queue || !account || !account->second) {
        platform::Log::debug("SendChatQueueRequest not sent: unknown queue or no account");
        return;
    }
    chatRequest(services_, MsgType::NewChatRequestToQueue,
                {{tag::ChatQueueId, (*queue)->QueueId},
                 {tag::AccountId, std::to_string(account->second->AccountId)},
                 {tag::ChatText, text},
                 {tag::RequestId, std::to_string(services_.nextRequestId())},
                 {tag::AddUserToRoomMode, "0"}},
                "SendChatQueueRequest");
}

std::optional<std::string> Chat::takeParkedText(const std::string& roomKey) {
    platform::assertMainThread();
    const auto room = chatRoom(roomKey);
    if (!room || !room->parkedText) return std::nullopt;
    std::optional<std::string> text = std::move(room->parkedText);
    room->parkedText.reset();
    return text;
}

void Chat::markNoticeRead(const std::string& roomKey) {
    platform::assertMainThread();
    if (const auto room = chatRoom(roomKey)) room->isanUnreadMessage = false;
}

}  // namespace state
