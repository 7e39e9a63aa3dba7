#include "chat/core/chat_texts.h"

#include "model/formatter.h"
#include "model/shown_text.h"

namespace chat {

namespace {

constexpr const char* kPackedTime = "yyyyMMddHHmmss";

std::string reformatted(const std::string& time, const char* destination) {
    return model::Formatter::formatDateandTimeFromString(time, kPackedTime, destination).value_or("");
}

// "dd/MM/yyyy hh:mm:ss" with the half of the day as the language writes it.
std::string messageTime(const std::string& time, const DayPeriods& periods) {
    const std::string date = reformatted(time, "dd/MM/yyyy");
    if (date.empty()) return date;
    const std::string clock = reformatted(time, "hh:mm:ss");
    const std::string& format = reformatted(time, "HH") < "12" ? periods.am : periods.pm;
    return date + " " + (format.empty() ? clock : model::Formatter::fillIndexedText(format, {clock}));
}

constexpr const char* kWaitingForAcceptanceKey = "90784";
constexpr const char* kNoticeSubjectKey = "90782";
constexpr const char* kNoticeTimeKey = "90783";

std::string keyText(const KeyText& text, const char* key) {
    return text ? text(key) : std::string(key);
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

std::string queueRowText(const model::ChatQueue& queue, const KeyText& text) {
    return isWaitingForAcceptance(queue) ? keyText(text, kWaitingForAcceptanceKey) : queue.QueueName;
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

NoticeTexts noticeTexts(const model::ChatRoom& room, const KeyText& text) {
    const auto labelled = [&text](const char* key, const std::string& value) {
        return model::Formatter::fillIndexedText(keyText(text, key), {value});
    };
    const model::ChatMessageEntry* first = room.messages.empty() ? nullptr : &room.messages.front();
    return {labelled(kNoticeSubjectKey, model::shownText(room.MessageTitle)),
            labelled(kNoticeTimeKey, first ? reformatted(first->time, "MM/dd/yyyy HH:mm:ss") : std::string()),
            first ? model::shownText(first->msg) : std::string()};
}

}  // namespace chat
