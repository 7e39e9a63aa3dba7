#pragma once
// Chat rooms, notices, contacts and support queues of a session: the chat
// answers (601 to 680) fill them, the chat requests read them, and the
// notifications and banners tell the windows. Main thread only.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/chat_contacts.h"
#include "model/chat_room.h"
#include "state/dispatcher.h"
#include "state/ordered_dictionary.h"
#include "state/session_component.h"

namespace state {

class SessionServices;
class ReferenceData;

class Chat : public SessionComponent {
public:
    Chat(SessionServices& services, const ReferenceData& reference) : services_(services), reference_(reference) {}
    const char* componentName() const override { return "Chat"; }
    void registerHandlers(Dispatcher& table) override;

    // Room key -> chat or notice room.
    const OrderedDictionary<std::shared_ptr<model::ChatRoom>>& ChatRoomCollection() const { return rooms_; }
    const OrderedDictionary<std::shared_ptr<model::ChatGroup>>& GroupChatCollection() const { return groups_; }
    const OrderedDictionary<std::shared_ptr<model::ChatUser>>& UserChatCollection() const { return users_; }
    const OrderedDictionary<std::shared_ptr<model::ChatQueue>>& ChatQueueCollection() const { return queues_; }
    // The room under `roomKey`; null when none is held.
    std::shared_ptr<model::ChatRoom> chatRoom(const std::string& roomKey) const {
        const auto* room = rooms_.find(roomKey);
        return room ? *room : nullptr;
    }
    // The partner the chat window shows; their messages raise no banner.
    const std::string& chatUserName() const { return chatUserName_; }
    void setChatUserName(std::string name) { chatUserName_ = std::move(name); }

    // --- Answers (chat_answers.cpp, chat_contacts.cpp) --------------------------------
    virtual void FillChatRoomDetails(const MessageFields& fields, const std::optional<std::string>& roomKey);
    virtual void FillChatMessages(const MessageFields& fields, const std::optional<std::string>& roomName);
    virtual void FillOfflineMessages(const MessageFields& fields);
    virtual void FillRoomMessage(const MessageFields& fields);
    virtual void FillChatGroupsAndUsers(const MessageFields& fields);
    virtual void UpdateChatUserStatus(const std::optional<std::string>& user, const MessageFields& fields);
    virtual void FillRecentConversation(const MessageFields& fields);
    virtual void UpdateChatResponseFromQueue(const MessageFields& fields, const std::optional<std::string>& queueId);
    virtual void UpdateChatQueueStatus(const MessageFields& fields, const std::optional<std::string>& queueId);

    // --- Requests on the TCP session (chat_requests.cpp) ------------------------------
    void requestContactlist();
    void requestRecentConversation();
    void requestOfflineMessages();
    // The history of a room (615).
    void requestRoomMessage(const model::ChatRoom& room);
    // The acknowledgement of a notice's latest message (608).
    void requestChatMessageAcknowledgement(const model::ChatRoom& room);
    // An empty room under the partner's user name, unless one is held.
    void CreateRoomforChat(const std::string& roomKey);
    // One typed text (RTF): sent when the room exists, else the room is asked for
    // and the text parked until the server confirms it.
    void SendChat(const std::string& roomKey, const std::string& text);
    void SendRoomRequest(const std::string& partner);
    // Parks the text in the room under `roomKey`; without a room the text is dropped.
    void EnqueChatMessage(const std::string& text, const std::string& roomKey);
    void SendNewChatMessageToServer(const std::string& text, const std::string& roomId, const std::string& roomName);
    // A chat request to a support queue the contact list named (678).
    void SendChatQueueRequest(const std::string& queueId, const std::string& text);

    // --- What the chat windows change -------------------------------------------------
    // The parked text of the room, once; nothing when none waits.
    std::optional<std::string> takeParkedText(const std::string& roomKey);
    // The notice was opened.
    void markNoticeRead(const std::string& roomKey);

    // --- What the chat announces --------------------------------------------------------
    void sendRoomCreationNotification(const std::string& roomUsers, const std::string& roomId,
                                      const std::string& roomName);
    void UpdateChatNotification(const std::string& name);
    // Sender, text and display name; the user's own messages raise no banner.
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
    friend struct ChatTestAccess;
    void readGroups(std::string_view list);
    void readUsers(std::string_view list);
    void readQueues(std::string_view list);
    // Applies one 603 to a room.
    struct MessageOutcome {
        bool appended = false;
        bool complete = false;  // the text came after the room's sender and time
        bool notice = false;
        bool hasSender = false;
        std::vector<std::string> banner;  // sender, text, display name
    };
    MessageOutcome applyMessage(model::ChatRoom& room, const MessageFields& fields);
    std::string loginUserName() const;

    const ReferenceData& reference_;
    OrderedDictionary<std::shared_ptr<model::ChatRoom>> rooms_;
    OrderedDictionary<std::shared_ptr<model::ChatGroup>> groups_;
    OrderedDictionary<std::shared_ptr<model::ChatUser>> users_;
    OrderedDictionary<std::shared_ptr<model::ChatQueue>> queues_;
    std::string chatUserName_;
};

}  // namespace state
