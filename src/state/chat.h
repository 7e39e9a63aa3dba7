#pragma once
// Chat rooms, notices, contacts and the support queue of a session: the chat
// messages (601 to 680). Filled in by the chat work; until then the handlers
// keep nothing.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "model/chat_room.h"
#include "state/dispatcher.h"
#include "state/ordered_dictionary.h"
#include "state/session_component.h"

namespace state {

class BusinessBase;

class Chat : public SessionComponent {
public:
    explicit Chat(BusinessBase& session) : session_(session) {}
    const char* componentName() const override { return "Chat"; }
    void registerHandlers(Dispatcher& table) override;

    // Room key -> chat or notice room.
    OrderedDictionary<std::shared_ptr<model::ChatRoom>> ChatRoomCollection;
    std::string chatUserName;
    std::int32_t chatRequestId = 0;

    virtual void FillChatRoomDetails(const MessageFields&, const std::optional<std::string>& /*roomKey*/) {}
    virtual void FillChatMessages(const MessageFields&, const std::optional<std::string>& /*room*/) {}
    virtual void FillOfflineMessages(const MessageFields&) {}
    virtual void FillRoomMessage(const MessageFields&) {}
    virtual void FillChatGroupsAndUsers(const MessageFields&) {}
    virtual void UpdateChatUserStatus(const std::optional<std::string>& /*user*/, const MessageFields&) {}
    virtual void FillRecentConversation(const MessageFields&) {}
    virtual void UpdateChatResponseFromQueue(const MessageFields&, const std::optional<std::string>& /*queueId*/) {}
    virtual void UpdateChatQueueStatus(const MessageFields&, const std::optional<std::string>& /*queueId*/) {}

protected:
    BusinessBase& session_;
};

}  // namespace state
