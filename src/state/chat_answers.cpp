// The chat answers: rooms, messages, histories, conversations, offline
// notices, the contact list, presence and the support queues.
#include "model/formatter.h"
#include "model/rtf_reader.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/separator_bytes.h"
#include "protocol/tags.h"
#include "state/chat.h"
#include "state/message_fields.h"
#include "state/session_notifications.h"
#include "state/session_services.h"
#include "state/text_conversions.h"

namespace state {

namespace tag = protocol::tag;
using TextConversion::split;

namespace {

// The non-empty records of a list, each cut into its fields.
std::vector<std::vector<std::string_view>> records(std::string_view list) {
    std::vector<std::vector<std::string_view>> out;
    for (std::string_view record : split(list, protocol::RowByte)) {
        if (!record.empty()) out.push_back(split(record, protocol::ColumnByte));
    }
    return out;
}

void skipped(const char* what, std::size_t fields) {
    platform::Log::debug(std::string(what) + ": record of " + std::to_string(fields) + " fields skipped");
}

// The second name of a ";"-separated user list; empty when it has fewer than two.
std::string secondName(std::string_view users) {
    const auto names = split(users, ';');
    return names.size() >= 2 ? std::string(names[1]) : std::string();
}

}  // namespace

// --- 601, 602 -------------------------------------------------------------------

void Chat::FillChatRoomDetails(const MessageFields& fields, const std::optional<std::string>& roomKey) {
    platform::assertMainThread();
    auto readCommon = [](model::ChatRoom& room, const MessageFields::Field& f) {
        switch (f.tag) {
            case tag::ChatRoomId: room.RoomId = f.value; return true;
            case tag::ChatMessageRoom: room.RoomName = f.value; return true;
            case tag::ChatRoomKey: room.RoomUsers = f.value; return true;
            case tag::DeviceUserName: room.SenderName = f.value; return true;
            case tag::RequestId: room.RequestId = f.value; return true;
            case tag::AddUserToRoomMode: room.AddUserToRoomMode = TextConversion::intValue(f.value); return true;
            default: return false;
        }
    };
    // The answer to the user's own room request: tag 503 names the partner it was asked with.
    if (const auto held = roomKey ? chatRoom(*roomKey) : nullptr) {
        for (const auto& f : fields) {
            if (!readCommon(*held, f)) held->isChatRoomCreated = true;
        }
        sendRoomCreationNotification(held->RoomUsers, held->RoomId, held->RoomName);
        return;
    }
    auto room = std::make_shared<model::ChatRoom>();
    for (const auto& f : fields) {
        if (readCommon(*room, f)) continue;
        if (f.tag == tag::NoticeTitle) {
            room->MessageTitle = f.value;
            room->isMessageNotices = room->isanUnreadMessage = true;
        } else if (f.tag == tag::ChatQueueId) {
            room->QueueId = f.value;
            room->isRoomCreationfromQueue = true;
            const auto* queue = queues_.find(room->QueueId);
            const std::string partner = secondName(room->RoomUsers);
            if (queue && *queue && !partner.empty()) (*queue)->roomUserName = partner;
        } else if (f.tag == tag::ChatDisplayNames) {
            const std::string_view first = split(f.value, ';').front();
            const auto column = first.find(protocol::ColumnByte);
            if (column == std::string_view::npos) {
                platform::Log::debug("FillChatRoomDetails: display names without a separator, room not stored");
                return;
            }
            room->RoomUserDisplayName = first.substr(column + 1);
        } else {
            room->isChatRoomCreated = true;
        }
    }
    std::string key = room->isRoomCreationfromQueue ? room->QueueId
                      : room->isMessageNotices     ? room->RoomId
                                                   : room->SenderName;
    if (key.empty()) {
        platform::Log::debug("FillChatRoomDetails: a room without a key, not stored");
        return;
    }
    rooms_.set(std::move(key), std::move(room));
}

// --- 603 ------------------------------------------------------------------------

Chat::MessageOutcome Chat::applyMessage(model::ChatRoom& room, const MessageFields& fields) {
    MessageOutcome out;
    std::optional<std::string> displayName;
    for (const auto& f : fields) {
        switch (f.tag) {
            case tag::ServerTime: room.chatTime = f.value; break;
            case tag::ChatRoomId: room.RoomId = f.value; break;
            case tag::ChatMessageRoom: room.RoomName = f.value; break;
            case tag::DeviceUserName:
                room.SenderName = f.value;
                out.hasSender = true;
                break;
            case tag::ChatMessageId: room.MessageId = f.value; break;
            case tag::ChatSenderDisplayName: displayName = std::string(f.value); break;
            case tag::ChatText: {
                std::string text = model::Formatter::convertRTFtoString(std::string(f.value));
                const std::string& shownName = displayName ? *displayName : room.RoomUserDisplayName;
                // A text met before any sender or time is kept, but announced to no one.
                out.complete = !room.SenderName.empty() && !room.chatTime.empty();
                room.messages.push_back({text, room.SenderName, shownName, room.chatTime});
                out.banner = {room.SenderName, text, shownName};
                room.Message = std::move(text);
                out.appended = true;
                break;
            }
            default:
                if (room.isMessageNotices) out.notice = true;
        }
    }
    return out;
}

void Chat::FillChatMessages(const MessageFields& fields, const std::optional<std::string>& roomName) {
    platform::assertMainThread();
    std::vector<std::shared_ptr<model::ChatRoom>> matching;
    if (roomName) {
        for (const auto& [key, room] : rooms_)
            if (room && room->RoomName == *roomName) matching.push_back(room);
    }
    if (matching.empty()) {
        platform::Log::debug("FillChatMessages: no room of that name");
        return;
    }
    MessageOutcome outcome;
    for (const auto& room : matching) outcome = applyMessage(*room, fields);
    if (!outcome.appended) return;
    if (!outcome.complete) {
        platform::Log::debug("FillChatMessages: a text before its sender or time, kept without notice");
        return;
    }
    if (outcome.notice) {
        NewMessageNotification(matching.back()->MessageTitle);
        UpdateChatNotification(notifications::kNoticeMessage);
        return;
    }
    // A message without its sender field is shown, but raises no banner.
    if (outcome.hasSender) NewChatMessageNotification(outcome.banner);
    UpdateChatNotification(notifications::kUpdateChatMessage);
}

// --- 614, 616, 627 ----------------------------------------------------------------

void Chat::FillOfflineMessages(const MessageFields& fields) {
    platform::assertMainThread();
    int marked = 0;
    for (const auto& f : fields) {
        if (f.tag != tag::ChatText) continue;
        for (std::string_view record : split(f.value, protocol::RowByte)) {
            const auto r = split(record, protocol::ColumnByte);
            if (r.size() < 8 || r[7].empty()) continue;
            if (const auto room = chatRoom(std::string(r[4]))) {
                room->isanUnreadMessage = true;
                ++marked;
            }
        }
    }
    if (marked >= 1) NewMessagesNotification(std::to_string(marked));
}

void Chat::FillRoomMessage(const MessageFields& fields) {
    platform::assertMainThread();
    std::optional<std::string> roomId;
    std::shared_ptr<model::ChatRoom> room;
    for (const auto& f : fields) {
        if (f.tag == tag::ChatRoomId) roomId = std::string(f.value);
        if (f.tag != tag::ChatText) continue;
        room = roomId ? chatRoom(*roomId) : nullptr;
        if (!room) continue;
        for (const auto& r : records(f.value)) {
            if (r.size() < 5) {
                skipped("FillRoomMessage", r.size());
                continue;
            }
            if (room->isMessageNotices) room->MessageId = r[0];
            room->messages.push_back(
                {model::RTFReader::ConvertRTFtoString(r[2]), std::string(r[1]), std::string(r[4]), std::string(r[3])});
        }
    }
    if (!room) {
        platform::Log::debug("FillRoomMessage: no room under the history's id");
        return;
    }
    if (room->isMessageNotices) {
        requestChatMessageAcknowledgement(*room);
        NoticeMessageReceivedNotification(room->RoomId);
    } else {
        RecentConversationMessageReceivedNotification(room->RoomId);
    }
}

void Chat::FillRecentConversation(const MessageFields& fields) {
    platform::assertMainThread();
    for (const auto& f : fields) {
        if (f.tag != tag::ChatText) continue;
        for (const auto& r : records(f.value)) {
            if (r.size() < 5 || r[4].empty()) {
                skipped("FillRecentConversation", r.size());
                continue;
            }
            auto room = std::make_shared<model::ChatRoom>();
            std::string* texts[] = {&room->SenderName, &room->Message, &room->RoomUsers, &room->chatTime,
                                    &room->RoomId,     &room->RoomName, nullptr,         &room->MessageTitle,
                                    &room->RoomUserDisplayName};
            for (std::size_t i = 0; i < r.size() && i < std::size(texts); ++i)
                if (texts[i]) *texts[i] = r[i];
            room->isMessageNotices = !room->MessageTitle.empty();
            std::string id = room->RoomId;
            rooms_.set(std::move(id), std::move(room));
        }
    }
}

// --- 619, 679, 680 -----------------------------------------------------------------

void Chat::UpdateChatUserStatus(const std::optional<std::string>& user, const MessageFields& fields) {
    platform::assertMainThread();
    const auto* known = user ? users_.find(*user) : nullptr;
    if (known && *known) {
        for (const auto& f : fields) {
            if (f.tag != tag::ChatUserStatus) continue;
            (*known)->Status = f.value;
            (*known)->IsUserOnline = model::ChatUser::isOnlineStatus((*known)->Status);
        }
    }
    UpdateChatNotification(notifications::kUserStatus);
}

void Chat::UpdateChatResponseFromQueue(const MessageFields& fields, const std::optional<std::string>& queueId) {
    platform::assertMainThread();
    const auto* queue = queueId ? queues_.find(*queueId) : nullptr;
    if (!queue || !*queue) return;
    for (const auto& f : fields) {
        if (f.tag != tag::ChatQueueAnswer) continue;
        const std::int32_t status = TextConversion::intValue(f.value);
        (*queue)->chartRequestStatus = status >= 0 && status <= 2 ? status : -1;
    }
}

void Chat::UpdateChatQueueStatus(const MessageFields& fields, const std::optional<std::string>& queueId) {
    platform::assertMainThread();
    const auto* queue = queueId ? queues_.find(*queueId) : nullptr;
    if (!queue || !*queue) return;
    for (const auto& f : fields)
        if (f.tag == tag::ChatQueueAnswer) (*queue)->isAvailable = TextConversion::boolValue(f.value);
}

// --- 618 -----------------------------------------------------------------------------

void Chat::FillChatGroupsAndUsers(const MessageFields& fields) {
    platform::assertMainThread();
    groups_.clear();
    for (const auto& f : fields) {
        if (f.tag == tag::ChatContactGroups) readGroups(f.value);
        if (f.tag == tag::ChatContactUsers) readUsers(f.value);
        if (f.tag == tag::ChatQueues) readQueues(f.value);
    }
    UpdateChatNotification(notifications::kChatContactList);
}

void Chat::readGroups(std::string_view list) {
    bool first = true;
    for (const auto& r : records(list)) {
        const bool wasFirst = std::exchange(first, false);
        if (r.size() < 3) {
            if (!wasFirst) skipped("FillChatGroupsAndUsers-GroupDetail", r.size());
            continue;
        }
        auto group = std::make_shared<model::ChatGroup>();
        group->GroupID = r[0];
        group->GroupName = r[1];
        group->ParentID = r[2];
        std::string id = group->GroupID;
        groups_.set(std::move(id), std::move(group));
    }
}

void Chat::readUsers(std::string_view list) {
    for (const auto& r : records(list)) {
        if (r.size() < 8) {
            skipped("FillChatGroupsAndUsers-UserDetail", r.size());
            continue;
        }
        auto user = std::make_shared<model::ChatUser>();
        user->UserID = r[0];
        user->UserName = r[1];
        user->Status = r[2];
        user->GroupId = r[4];
        user->IsUserInMyContactList = r[5] == "1";
        user->DisplayName = r[7];
        user->IsUserOnline = model::ChatUser::isOnlineStatus(user->Status);
        if (const auto* group = groups_.find(user->GroupId)) user->Group = *group;
        // A name already known keeps its first record; the group lists that one, so
        // presence changes reach every place the user shows.
        const auto* known = users_.find(user->UserName);
        const std::shared_ptr<model::ChatUser> kept = known && *known ? *known : user;
        if (!known) users_.set(user->UserName, user);
        if (user->Group) user->Group->GroupUsers[user->UserName] = kept;
    }
}

void Chat::readQueues(std::string_view list) {
    for (const auto& r : records(list)) {
        if (r.size() < 3) {
            skipped("FillChatGroupsAndUsers-Queue", r.size());
            continue;
        }
        if (TextConversion::integerValue(r[0]) <= 0 || queues_.contains(r[0])) continue;
        auto queue = std::make_shared<model::ChatQueue>();
        queue->QueueId = r[0];
        queue->QueueName = r[1];
        queue->isAgent = TextConversion::boolValue(r[2]);
        if (r.size() > 3) queue->isAvailable = TextConversion::boolValue(r[3]);
        std::string id = queue->QueueId;
        queues_.set(std::move(id), std::move(queue));
    }
}

}  // namespace state
