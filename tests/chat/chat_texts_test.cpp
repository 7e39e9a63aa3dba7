// The chat windows' texts and the contacts tree, from records written here.
#include <gtest/gtest.h>

#include "chat/core/chat_texts.h"
#include "chat/core/contacts_tree.h"
#include "model/language_string.h"

namespace chat {
namespace {

std::string english(const std::string& key) {
    return model::LanguageString::stringforSelectedLanguage(0, key);
}
const DayPeriods kEnglishPeriods{english("90780"), english("90781")};

TEST(ChatTexts, MessageRowsAndTheirHeaders) {
    struct Case {
        model::ChatMessageEntry entry;
        std::string row;
        bool own;
    };
    const std::vector<Case> cases = {
        {{"hello", "trader", "Trader One", "20240131154501"}, "Trader One[31/01/2024 03:45:01 PM]:\thello", true},
        {{"a\tb", "bob", "Bob", "20240131094501"}, "Bob[31/01/2024 09:45:01 AM]:\ta\tb", false},
        {{"x", "Trader", "T", ""}, "T[]:\tx", false},
        {{"", "", "", "2024-01-31"}, "[]:\t", false},
    };
    for (const Case& c : cases) {
        const std::string row = messageRowText(c.entry, std::string::npos, kEnglishPeriods);
        EXPECT_EQ(row, c.row);
        EXPECT_EQ(isOwnMessage(c.entry, "trader"), c.own) << c.row;
        EXPECT_EQ(row.substr(headerLength(row)).substr(0, 1), "\t") << c.row;
    }
    EXPECT_EQ(headerLength("no tab"), 6u);
}

// A shown row isolates each server text and shows its own bidirectional
// controls, so that an override reorders neither the row nor its "…".
TEST(ChatTexts, ShownRowsShowTheirBidiControls) {
    const std::string isolate = "\u2068", pop = "\u2069", shown = "\uFFFD";
    const model::ChatMessageEntry entry{"abc\u202Efdp.exe\u2066x", "bob", "B\u202Dob", "20240131154501"};
    EXPECT_EQ(isolatedMessageRowText(entry, 100, kEnglishPeriods),
              isolate + "B" + shown + "ob" + pop + "[31/01/2024 03:45:01 PM]:\t" + isolate + "abc" + shown + "fdp.exe" +
                  shown + "x" + pop);
    const std::string cut = isolatedMessageRowText({"\u202Eabcdef", "bob", "Bob", ""}, 6, {});
    EXPECT_EQ(cut.substr(cut.find('\t')), "\t" + isolate + shown + "abcde\u2026" + pop);
}

TEST(ChatTexts, QueueRowsAndPresence) {
    struct Case {
        bool available;
        int status;
        std::string text;
        Presence presence;
    };
    const std::vector<Case> cases = {
        {true, 1, "Waiting for acceptance", Presence::PartlyAvailable},
        {false, 1, "Waiting for acceptance", Presence::PartlyAvailable},
        {true, 2, "Support", Presence::Available},
        {true, 0, "Support", Presence::Available},
        {false, -1, "Support", Presence::None},
    };
    for (const Case& c : cases) {
        model::ChatQueue queue;
        queue.QueueName = "Support";
        queue.isAvailable = c.available;
        queue.chartRequestStatus = c.status;
        EXPECT_EQ(queueRowText(queue, english), c.text) << c.status;
        EXPECT_EQ(queuePresence(queue), c.presence) << c.available << c.status;
    }
}

TEST(ChatTexts, RecentInboxAndNoticeCells) {
    model::ChatRoom room;
    room.SenderName = "bob";
    room.Message = "rates";
    room.MessageTitle = "Rates update";
    room.chatTime = "20240131154501";
    EXPECT_EQ(recentCellText(room, "0397"), "bob");
    room.RoomUserDisplayName = "Bob Brown";
    const std::vector<std::pair<std::string, std::string>> recent = {{"0397", "Bob Brown"}, {"0157", "rates"}, {"0452", ""}};
    for (const auto& [column, text] : recent) EXPECT_EQ(recentCellText(room, column), text) << column;
    room.Message = "{\\rtf1 caf\\'e9}";
    EXPECT_EQ(recentCellText(room, "0157"), "caf\xC3\xA9");
    room.Message = "rates";
    const std::vector<std::pair<std::string, std::string>> inbox = {
        {"0452", "Rates update"}, {"0157", "rates"}, {"0153", "01/31/2024 15:45:01"}, {"0397", ""}};
    for (const auto& [column, text] : inbox) EXPECT_EQ(noticeCellText(room, column), text) << column;
    room.chatTime.clear();
    EXPECT_EQ(noticeCellText(room, "0153"), "");

    // Without a message: the subject alone; with three: the first only.
    NoticeTexts none = noticeTexts(room, english);
    EXPECT_EQ(none.subject, "Subject: Rates update");
    EXPECT_EQ(none.time, "Time: ");
    EXPECT_EQ(none.text, "");
    room.messages = {{"first", "desk", "Desk", "20240131154501"}, {"second", "desk", "Desk", "20240201000000"},
                     {"third", "desk", "Desk", ""}};
    const NoticeTexts first = noticeTexts(room, english);
    EXPECT_EQ(first.time, "Time: 01/31/2024 15:45:01");
    EXPECT_EQ(first.text, "first");
}

std::shared_ptr<const model::ChatGroup> group(const std::string& id, const std::string& name) {
    auto g = std::make_shared<model::ChatGroup>();
    g->GroupID = id;
    g->GroupName = name;
    return g;
}

std::shared_ptr<const model::ChatUser> user(const std::string& name, const std::string& groupId, bool online) {
    auto u = std::make_shared<model::ChatUser>();
    u->UserName = name;
    u->DisplayName = "D " + name;
    u->GroupId = groupId;
    u->IsUserOnline = online;
    return u;
}

TEST(ContactsTree, GroupsAndUsersInNaturalOrderOfTheirKeys) {
    const auto tree = buildContactsTree({group("10", "A"), group("2", "B"), group("1a", "C"), nullptr},
                                        {user("user10", "2", true), user("User9", "2", false), user("x", "3", true),
                                         user("y", "10", false), user("z", "1A", true), nullptr});
    std::vector<std::string> rows;
    for (int row = 0; const ContactNode* node = nodeAtRow(tree, row); ++row)
        rows.push_back((node->isGroup ? "+" : "") + node->displayname + (node->isUserOnline ? "*" : ""));
    // "1A" is not "1a" (exact), "3" names no group; "C" shows empty.
    EXPECT_EQ(rows, (std::vector<std::string>{"+C", "+B", "D User9", "D user10*", "+A", "D y"}));
    EXPECT_EQ(nodeAtRow(tree, -1), nullptr);
    EXPECT_EQ(rowOfUser(tree, "user10"), 3);
    EXPECT_EQ(rowOfUser(tree, "y"), 5);
    EXPECT_EQ(rowOfUser(tree, "x"), -1);
    EXPECT_EQ(nodeAtRow(tree, 2)->username, "User9");
}

}  // namespace
}  // namespace chat
