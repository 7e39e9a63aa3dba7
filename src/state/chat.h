#pragma once
// Chat rooms, notices, contacts and the support queue of a session: the chat
// messages (601 to 680). Filled in by the chat work; until then the handlers
// keep nothing.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/chat_room.h"
#include "state/dispatcher.h"
#include "state/ordered_dictionary.h"
#include "state/session_component.h"

namespace state {

class SessionServices;

class Chat : public SessionComponent {
public:
    explicit Chat(SessionServices& services) : services_(services) {}
    const char* componentName() const override { return "Chat"; }
    void registerHandlers(Dispatcher& table) override;

    // Room key -> chat or notice room.
    const OrderedDictionary<std::shared_ptr<model::ChatRoom>>& ChatRoomCollection() const { return rooms_; }
    // The room under `roomKey`; null when none is held.
    std::shared_ptr<model::ChatRoom> chatRoom(const std::string& roomKey) const {
        const auto* room = rooms_.find(roomKey);
        return room ? *room : nullptr;
    }
    // The user's name in the chat; their own messages raise no banner.
    void setChatUserName(std::string name) { chatUserName_ = std::move(name); }

    virtual void FillChatRoomDetails(const MessageFields&, const std::optional<std::string>& /*roomKey*/) {}
    virtual void FillChatMessages(const MessageFields&, const std::optional<std::string>& /*room*/) {}
    virtual void FillOfflineMessages(const MessageFields&) {}
    virtual void FillRoomMessage(const MessageFields&) {}
    virtual void FillChatGroupsAndUsers(const MessageFields&) {}
    virtual void UpdateChatUserStatus(const std::optional<std::string>& /*user*/, const MessageFields&) {}
    virtual void FillRecentConversation(const MessageFields&) {}
    virtual void UpdateChatResponseFromQueue(const MessageFields&, const std::optional<std::string>& /*queueId*/) {}
    virtual void UpdateChatQueueStatus(const MessageFields&, const std::optional<std::string>& /*queueId*/) {}

    // --- Requests of the login, on the TCP session --------------------------------
    void requestContactlist();
    void requestRecentConversation();
    void requestOfflineMessages();

    // --- What the chat announces (main thread) ------------------------------------
    void sendRoomCreationNotification(const std::string& roomCreationKey);
    void UpdateChatNotification(const std::string& name);
    // Sender, text and room title; the user's own messages raise no banner.
    void NewChatMessageNotification(const std::vector<std::string>& message);
    void TriggerNewChatNotification(const std::string& a, const std::string& b);
    void ChatQueueStatusUpdateNotification();
    void NewMessageNotification(const std::string& text);
    void NewMessagesNotification(const std::string& text);
    // Without a room id the notification carries nothing.
    void NoticeMessageReceivedNotification(const std::optional<std::string>& roomId);
    void RecentConversationMessageReceivedNotification(const std::optional<std::string>& roomId);

protected:
    SessionServices& services_;

private:
    OrderedDictionary<std::shared_ptr<model::ChatRoom>> rooms_;
    std::string chatUserName_;
};

}  // namespace state
