#pragma once
// The texts the chat, history, recent-conversations, inbox and notice windows
// show, and the presence a contact or queue row draws. No Qt.
#include <cstddef>
#include <functional>
#include <string>

#include "model/chat_contacts.h"
#include "model/chat_room.h"

namespace chat {

enum class Presence { Available, PartlyAvailable, None };

// A key's text in the language.
using KeyText = std::function<std::string(const std::string&)>;

// The language's halves of the day as formats of a 12-hour clock ("{0} PM",
// "下午{0}"; model/day_periods.h); an empty one leaves the clock alone.
struct DayPeriods {
    std::string am;
    std::string pm;
};

// "<display name>[dd/MM/yyyy hh:mm:ss a]:\t<text>", "a" the language's word; a time
// that is empty or does not read as "yyyyMMddHHmmss" gives "[]". The name and,
// unless `maxTextLength` is npos (the whole row, for copying), the text in their
// shown form (model/shown_text.h), the text at `maxTextLength`.
std::string messageRowText(const model::ChatMessageEntry& entry, std::size_t maxTextLength = std::string::npos,
                           const DayPeriods& periods = {});
// The same as drawn: the name and the text each shown and isolated in the
// direction of their own first letter, so that neither reorders the row around it.
std::string isolatedMessageRowText(const model::ChatMessageEntry& entry, std::size_t maxTextLength,
                                   const DayPeriods& periods);
// Sent by the login user (exact comparison).
bool isOwnMessage(const model::ChatMessageEntry& entry, const std::string& loginUserName);
// The length of the coloured header: everything before the first tab.
std::size_t headerLength(const std::string& rowText);

// A queue waiting for acceptance reads so in the language (`text` answers a key);
// the others by their name.
std::string queueRowText(const model::ChatQueue& queue, const KeyText& text);
Presence queuePresence(const model::ChatQueue& queue);
inline Presence userPresence(bool online) { return online ? Presence::Available : Presence::None; }
inline bool isWaitingForAcceptance(const model::ChatQueue& queue) { return queue.chartRequestStatus == 1; }

// The recent-conversations cells by column key ("0397", "0157" as plain text); "" for others.
std::string recentCellText(const model::ChatRoom& room, const std::string& column);
// The other side's name: the display name, else the sender.
std::string conversationTitle(const model::ChatRoom& room);
// The inbox cells by column key ("0452", "0157", "0153"); "" for others.
std::string noticeCellText(const model::ChatRoom& room, const std::string& column);

// What the notice window shows, its labels in the language (`text` answers a key)
// and the subject and text in their shown form: the first message only; a room
// without one shows its subject with an empty time and text.
struct NoticeTexts {
    std::string subject;
    std::string time;
    std::string text;
};
NoticeTexts noticeTexts(const model::ChatRoom& room, const KeyText& text);

}  // namespace chat
