#include "state/chat.h"

#include "platform/log.h"
#include "protocol/tags.h"
#include "state/business_base.h"

namespace state {

using protocol::MsgType;
namespace tag = protocol::tag;

void Chat::registerHandlers(Dispatcher& table) {
    namespace Log = platform::Log;
    const char* owner = componentName();
    table.add(MsgType::NewRoomCreationRequest, owner, [this](const Dispatch& m) {
        Log::info("NewRoomCreationRequest");
        FillChatRoomDetails(m.fields, m.fields.text(tag::ChatRoomKey));
    });
    table.add(MsgType::NewRoomCreationResponse, owner, [this](const Dispatch& m) {
        Log::info("NewRoomCreationResponse");
        FillChatRoomDetails(m.fields, m.fields.text(tag::ChatRoomKey));
    });
    table.add(MsgType::NewChatMessage, owner, [this](const Dispatch& m) {
        Log::info("NewChatMessage");
        FillChatMessages(m.fields, m.fields.text(tag::ChatMessageRoom));
    });
    table.add(MsgType::GetOfflineMessageResponse, owner, [this](const Dispatch& m) {
        Log::info("GetOfflineMessageResponse");
        FillOfflineMessages(m.fields);
    });
    table.add(MsgType::GetRoomMessageResponse, owner, [this](const Dispatch& m) {
        Log::info("GetRoomMessageResponse");
        FillRoomMessage(m.fields);
    });
    table.add(MsgType::GetContactListInfoResponse, owner, [this](const Dispatch& m) {
        Log::info("GetContacListInfoResponse");
        FillChatGroupsAndUsers(m.fields);
    });
    table.add(MsgType::ChatStatusChange, owner, [this](const Dispatch& m) {
        Log::info("statusChange");
        UpdateChatUserStatus(m.fields.text(tag::UserName), m.fields);
    });
    table.add(MsgType::GetRecentConversationResponse, owner, [this](const Dispatch& m) {
        Log::info("GetRecentConversationResponse");
        FillRecentConversation(m.fields);
    });
    table.add(MsgType::AddUserResponse, owner, [](const Dispatch&) { Log::info("AddUserResponse"); });
    table.add(MsgType::ChatResponseFromQueue, owner, [this](const Dispatch& m) {
        Log::info("ChatResponseFromQueue");
        UpdateChatResponseFromQueue(m.fields, m.fields.text(tag::ChatQueueId));
        session_.onMain([](BusinessBase& s) { s.ChatQueueStatusUpdateNotification(); });
    });
    table.add(MsgType::ChatQueueStatus, owner, [this](const Dispatch& m) {
        Log::info("ChatQueueStatus");
        UpdateChatQueueStatus(m.fields, m.fields.text(tag::ChatQueueId));
        session_.onMain([](BusinessBase& s) { s.ChatQueueStatusUpdateNotification(); });
    });
}

}  // namespace state
