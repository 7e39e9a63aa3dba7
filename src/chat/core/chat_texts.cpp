#include "chat/core/chat_texts.h"

#include "model/formatter.h"
#include "model/shown_text.h"

namespace chat {

namespace {

constexpr const char* kPackedTime = "yyyyMMddHHmmss";

std::string reformatted(const std::string& time, const char* destination) {
    return model::Formatter::formatDateandTimeFromString(time, kPackedTime, destination).value_or("");
}

// "dd/MM/yyyy hh:mm:ss" and the word of the half of the day.
std::string messageTime(const std::string& time, const DayPeriods& periods) {
    const std::string clock = reformatted(time, "dd/MM/yyyy hh:mm:ss");
    if (clock.empty()) return clock;
    const std::string hour = reformatted(time, "HH");
    return clock + " " + (hour < "12" ? periods.am : periods.pm);
}

constexpr const char* kFirstStrongIsolate = "\u2068";
constexpr const char* kPopIsolate = "\u2069";

}  // namespace

std::string messageRowText(const model::ChatMessageEntry& entry, std::size_t maxTextLength,
                           const DayPeriods& periods) {
    const bool whole = maxTextLength == std::string::npos;
    return (whole ? entry.senderdisplayName : model::shownText(entry.senderdisplayName)) + "[" +
           messageTime(entry.time, periods) + "]:\t" + (whole ? entry.msg : model::shownText(entry.msg, maxTextLength));
}

std::string isolatedMessageRowText(const model::ChatMessageEntry& entry, std::size_t maxTextLength,
                                   const DayPeriods& periods) {
    // Each server text isolated, its own controls shown: none reorders the row or its "…".
    return kFirstStrongIsolate + model::shownText(entry.senderdisplayName) + kPopIsolate + "[" +
           messageTime(entry.time, periods) + "]:\t" + kFirstStrongIsolate +
           model::shownText(entry.msg, maxTextLength) + kPopIsolate;
}

bool isOwnMessage(const model::ChatMessageEntry& entry, const std::string& loginUserName) {
    return entry.sender == loginUserName;
}

std::size_t headerLength(const std::string& rowText) {
    const std::size_t tab = rowText.find('\t');
    return tab == std::string::npos ? rowText.size() : tab;
}

std::string queueRowText(const model::ChatQueue& queue) {
    return isWaitingForAcceptance(queue) ? "Waiting for acceptance" : queue.QueueName;
}

Presence queuePresence(const model::ChatQueue& queue) {
    if (isWaitingForAcceptance(queue)) return Presence::PartlyAvailable;
    return queue.isAvailable ? Presence::Available : Presence::None;
}

std::string conversationTitle(const model::ChatRoom& room) {
    return room.RoomUserDisplayName.empty() ? room.SenderName : room.RoomUserDisplayName;
}

std::string recentCellText(const model::ChatRoom& room, const std::string& column) {
    if (column == "0397") return conversationTitle(room);
    // The conversation's text comes as the server gave it: RTF reads as its plain text.
    if (column == "0157") return model::Formatter::convertRTFtoString(room.Message);
    return "";
}

std::string noticeCellText(const model::ChatRoom& room, const std::string& column) {
    if (column == "0452") return room.MessageTitle;
    if (column == "0157") return room.Message;
    if (column == "0153") return reformatted(room.chatTime, "MM/dd/yyyy HH:mm:ss");
    return "";
}

NoticeTexts noticeTexts(const model::ChatRoom& room) {
    NoticeTexts texts{"Subject: " + model::shownText(room.MessageTitle), "Time: ", ""};
    if (room.messages.empty()) return texts;
    const model::ChatMessageEntry& first = room.messages.front();
    texts.time += reformatted(first.time, "MM/dd/yyyy HH:mm:ss");
    texts.text = model::shownText(first.msg);
    return texts;
}

}  // namespace chat
