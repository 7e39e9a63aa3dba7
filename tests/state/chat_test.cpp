// The chat: requests on the wire, parking of a first text, and the answers
// read into rooms, contacts and queues with their notifications.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "state/notification_payloads.h"
#include "state/recording_ui_services.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"

namespace state {
namespace {

using protocol::MsgType;
constexpr char C = '\x05';
constexpr char R = '\x06';

std::string rec(std::initializer_list<std::string> fields) {
    std::string out;
    for (const auto& f : fields) out += (out.empty() ? "" : std::string(1, C)) + f;
    return out + R;
}

class ChatTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        ui.login.setUserName("alice");
        SessionParts parts;
        parts.outgoing = [this](const protocol::RequestMessage&) {
            sent.push_back(fieldsOf(servicesOf(*session).outgoingMessage().lastFrame()));
            return true;
        };
        session = BusinessBase::create(ui, ui, std::move(parts));
        SessionTestAccess::setSessionValues(*session, 41, "REF");
        auto& ref = SessionTestAccess::referenceData(*session);
        for (const char* id : {"1003", "1001"}) {
            auto a = std::make_shared<model::AccountDetails>();
            a->AccountId = std::stoi(id);
            ReferenceDataTestAccess::AccountDetailCollection(ref).set(id, a);
        }
        for (const char* name : {notifications::kChatRoomCreation, notifications::kUpdateChatMessage,
                                 notifications::kNoticeMessage, notifications::kUserStatus,
                                 notifications::kChatContactList, notifications::kChatQueueStatusUpdate,
                                 notifications::kNoticeMessageReceived, notifications::kRecentConversationReceived})
            tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
                name, [this](const platform::Notification& n) {
                    posted.push_back(n.name);
                    if (const auto* c = n.as<ChatRoomCreated>()) created = {c->roomUsers, c->roomId, c->roomName};
                    if (const auto* t = n.as<TextPayload>()) postedRoom = t->text;
                }));
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        FakeTimeTest::TearDown();
    }

    // The "tag=value" fields of a built frame's body.
    static std::vector<std::string> fieldsOf(const std::string& frame) {
        std::vector<std::string> out;
        std::size_t at = frame.find('\x03');
        while (at != std::string::npos && at + 1 < frame.size() - 1) {
            const std::size_t next = frame.find('\x03', at + 1);
            if (next == std::string::npos) break;
            out.push_back(frame.substr(at + 1, next - at - 1));
            at = next;
        }
        return out;
    }
    static std::vector<std::string> tagsOf(const std::vector<std::string>& fields) {
        std::vector<std::string> out;
        for (const auto& f : fields) out.push_back(f.substr(0, f.find('=')));
        return out;
    }
    static std::string value(const std::vector<std::string>& fields, const std::string& tag) {
        for (const auto& f : fields)
            if (f.rfind(tag + "=", 0) == 0) return f.substr(tag.size() + 1);
        return "-";
    }
    void deliver(MsgType type, std::vector<std::string> fields) {
        fields.insert(fields.begin(), "10=" + std::to_string(static_cast<int>(type)));
        state::SessionTestAccess::ProcessNewMessage(*session, fields, static_cast<std::int32_t>(type));
        loop->runUntilIdle();
    }
    Chat& chat() { return SessionTestAccess::chat(*session); }
    std::shared_ptr<model::ChatRoom> room(const std::string& key) { return chat().chatRoom(key); }
    int count(const std::string& name) const { return static_cast<int>(std::count(posted.begin(), posted.end(), name)); }
    void contacts() {
        deliver(MsgType::GetContactListInfoResponse,
                {"522=" + rec({"g1", "Desk", "0"}) + rec({"g2", "Friends", "0"}),
                 "521=" + rec({"7", "bob", "ONLINE", "", "g1", "1", "", "Bob B"}) +
                     rec({"8", "carol", "Online now", "", "g2", "0", "", "Carol"}),
                 "1019=" + rec({"5", "Support", "1", "1"}) + rec({"0", "Zero", "1"}) + rec({"-3", "Neg", "1"}) +
                     rec({"x", "Nan", "1"})});
    }

    testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::vector<std::vector<std::string>> sent;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
    std::vector<std::string> created;
    std::string postedRoom;
};

TEST_F(ChatTest, RequestsOnTheWire) {
    contacts();
    chat().CreateRoomforChat("n1");
    room("n1")->RoomName = "news";
    room("n1")->MessageId = "9";
    chat().requestChatMessageAcknowledgement(*room("n1"));
    room("n1")->RoomName = "bad\x03name";
    chat().requestChatMessageAcknowledgement(*room("n1"));
    chat().SendRoomRequest("bob");
    chat().SendRoomRequest("carol");
    chat().SendNewChatMessageToServer("{\\rtf1 hi}", "r1", "room1");
    chat().SendChatQueueRequest("5", "{\\rtf1 help}");
    chat().SendChatQueueRequest("6", "unknown queue");
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0], (std::vector<std::string>{"10=608", "507=", "505=news\x05" "9", "504=alice", "23=alice",
                                                  "19=REF", "21=" + value(sent[0], "21")}));
    EXPECT_EQ(tagsOf(sent[1]), (std::vector<std::string>{"10", "20", "503", "530", "504", "19", "21"}));
    EXPECT_EQ(value(sent[1], "503"), "bob");
    EXPECT_EQ(value(sent[1], "20"), "42");
    EXPECT_EQ(value(sent[2], "20"), "42");
    EXPECT_EQ(tagsOf(sent[3]), (std::vector<std::string>{"10", "501", "504", "502", "17", "19", "21"}));
    EXPECT_EQ(value(sent[4], "34"), "1003");
    EXPECT_EQ(value(sent[4], "1026"), "5");
    EXPECT_EQ(value(sent[4], "17"), "{\\rtf1 help}");
}

TEST_F(ChatTest, FirstTextWaitsForItsRoomAndGoesOutOnce) {
    commandsOf(*session).openContactRoom("bob");
    commandsOf(*session).sendChat("bob", "first");
    commandsOf(*session).sendChat("bob", "second");
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(value(sent[1], "10"), "601");
    EXPECT_EQ(room("bob")->SenderName, "alice");
    commandsOf(*session).sendChat("nobody", "dropped");
    EXPECT_EQ(value(sent.back(), "503"), "nobody");
    EXPECT_EQ(room("nobody"), nullptr);

    deliver(MsgType::NewRoomCreationResponse, {"501=r/1", "502=alice/bob", "503=bob", "504=alice", "1051=x"});
    EXPECT_TRUE(room("bob")->isChatRoomCreated);
    EXPECT_EQ(created, (std::vector<std::string>{"bob", "r/1", "alice/bob"}));
    EXPECT_EQ(commandsOf(*session).takeParkedText("bob"), "second");
    EXPECT_EQ(commandsOf(*session).takeParkedText("bob"), std::nullopt);
    EXPECT_EQ(room("bob")->RoomUserDisplayName, "");  // a held room reads only its own fields

    sent.clear();
    commandsOf(*session).sendChat("bob", "third");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(value(sent[0], "501"), "r/1");
    deliver(MsgType::NewChatMessage, {"21=20261208", "501=r/1", "502=alice/bob", "504=alice", "506=1", "517=Alice",
                                      "17={\\rtf1 third 17=x 504=y}"});
    ASSERT_EQ(room("bob")->messages.size(), 1u);
    EXPECT_EQ(room("bob")->messages[0].msg, "third 17=x 504=y");
    EXPECT_EQ(count(notifications::kUpdateChatMessage), 1);
    EXPECT_TRUE(ui.banners.empty());
}

TEST_F(ChatTest, ContactList) {
    contacts();
    const Chat& c = chat();
    EXPECT_TRUE((*c.UserChatCollection().find("bob"))->IsUserOnline);
    EXPECT_FALSE((*c.UserChatCollection().find("carol"))->IsUserOnline);
    EXPECT_EQ((*c.UserChatCollection().find("bob"))->Group->GroupName, "Desk");
    EXPECT_EQ(c.ChatQueueCollection().size(), 1u);
    EXPECT_EQ(count(notifications::kChatContactList), 1);

    // Refill: groups anew, known users and queues kept; users before groups get none;
    // short records skipped, later ones read.
    deliver(MsgType::ChatStatusChange, {"23=bob", "24=busy"});
    deliver(MsgType::GetContactListInfoResponse,
            {"521=" + rec({"9", "dave", "online", "", "g3", "1", "", "Dave"}),
             "522=" + rec({"g3", "New"}) + rec({"g1", "Desk2", "0"}) + rec({"g4", "x"}) + rec({"g3", "New", "0"}),
             "521=" + rec({"7", "bob", "ONLINE", "", "g1", "1", "", "Bob"}) + rec({"1", "2", "3", "4", "5", "6", "7"}) +
                 rec({"10", "erin", "offline", "", "g3", "0", "", "Erin"}),
             "1019=" + rec({"5", "Support2", "0"}) + rec({"6", "Sales"}) + rec({"7", "Sales", "1"})});
    EXPECT_EQ(c.GroupChatCollection().size(), 2u);
    EXPECT_EQ((*c.UserChatCollection().find("dave"))->Group, nullptr);
    EXPECT_FALSE((*c.UserChatCollection().find("bob"))->IsUserOnline);  // kept as known
    EXPECT_EQ((*c.GroupChatCollection().find("g1"))->GroupUsers.at("bob").lock(), *c.UserChatCollection().find("bob"));
    EXPECT_TRUE(c.UserChatCollection().contains("erin"));
    EXPECT_EQ((*c.ChatQueueCollection().find("5"))->QueueName, "Support");
    EXPECT_TRUE(c.ChatQueueCollection().contains("7"));
    EXPECT_FALSE(c.ChatQueueCollection().contains("6"));
    EXPECT_EQ(count(notifications::kChatContactList), 2);
}

TEST_F(ChatTest, PresenceAndQueues) {
    contacts();
    struct Case {
        std::string status;
        bool online;
    };
    for (const Case& k : {Case{"ONLINE", true}, {"online", true}, {"oNLINE", true}, {"", false}, {"Online now", false}}) {
        deliver(MsgType::ChatStatusChange, {"23=bob", "24=" + k.status});
        EXPECT_EQ((*chat().UserChatCollection().find("bob"))->IsUserOnline, k.online) << k.status;
    }
    deliver(MsgType::ChatStatusChange, {"23=stranger", "24=online"});
    EXPECT_EQ(count(notifications::kUserStatus), 6);
    for (auto [answer, status] : {std::pair{"2", 2}, {"7", -1}, {"0", 0}, {"-1", -1}}) {
        deliver(MsgType::ChatResponseFromQueue, {"1026=5", std::string("572=") + answer});
        EXPECT_EQ((*chat().ChatQueueCollection().find("5"))->chartRequestStatus, status) << answer;
    }
    deliver(MsgType::ChatQueueStatus, {"1026=5", "572=0"});
    EXPECT_FALSE((*chat().ChatQueueCollection().find("5"))->isAvailable);
    deliver(MsgType::ChatQueueStatus, {"1026=99", "572=1"});
    EXPECT_EQ(count(notifications::kChatQueueStatusUpdate), 6);
}

TEST_F(ChatTest, RoomsAnnouncedByTheServer) {
    contacts();
    commandsOf(*session).openContactRoom("bob");
    struct Case {
        const char* name;
        std::vector<std::string> fields;
        std::string key;  // "" when no room is stored
        bool notice;
    };
    const Case cases[] = {
        {"another user's room replaces the local one", {"501=r2", "502=bob-alice", "503=bob;alice", "504=bob",
                                                        "1051=bob\x05" "Bob B;alice\x05" "Alice"}, "bob", false},
        {"notice", {"501=n7", "502=news", "504=desk", "161=Rates"}, "n7", true},
        {"queue room", {"501=q1", "502=qroom", "503=alice;dealer", "1026=5", "504=alice"}, "5", false},
        {"display names without separator", {"501=r3", "504=zed", "1051=zed"}, "", false},
    };
    for (const Case& k : cases) {
        const auto before = chat().ChatRoomCollection().size();
        deliver(MsgType::NewRoomCreationRequest, k.fields);
        if (k.key.empty()) {
            EXPECT_EQ(chat().ChatRoomCollection().size(), before) << k.name;
            continue;
        }
        ASSERT_NE(room(k.key), nullptr) << k.name;
        EXPECT_TRUE(room(k.key)->isChatRoomCreated) << k.name;
        EXPECT_EQ(room(k.key)->isMessageNotices, k.notice) << k.name;
        EXPECT_EQ(room(k.key)->isanUnreadMessage, k.notice) << k.name;
    }
    EXPECT_EQ(room("bob")->RoomUserDisplayName, "Bob B");
    EXPECT_EQ((*chat().ChatQueueCollection().find("5"))->roomUserName, "dealer");
    EXPECT_EQ(count(notifications::kChatRoomCreation), 0);
}

TEST_F(ChatTest, MessagesAndNotices) {
    ui.login.setUserName("alice");
    deliver(MsgType::NewRoomCreationRequest, {"501=r2", "502=shared", "504=bob", "1051=bob\x05" "Bob B"});
    deliver(MsgType::NewRoomCreationRequest, {"501=r3", "502=shared", "504=carl"});
    deliver(MsgType::NewRoomCreationRequest, {"501=n7", "502=news", "504=desk", "161=Rates"});
    deliver(MsgType::NewChatMessage, {"21=t1", "504=bob", "17={\\rtf1 caf\\'e9}"});  // no room name
    deliver(MsgType::NewChatMessage, {"502=nowhere", "21=t1", "504=bob", "17=x"});
    EXPECT_TRUE(posted.empty());

    deliver(MsgType::NewChatMessage, {"502=shared", "21=t1", "504=bob", "17={\\rtf1 caf\\'e9 \\u20013?}"});
    EXPECT_EQ(room("bob")->messages.size(), 1u);
    EXPECT_EQ(room("carl")->messages.size(), 1u);
    EXPECT_EQ(room("bob")->Message, "caf\xC3\xA9 \xE4\xB8\xAD");
    EXPECT_EQ(count(notifications::kUpdateChatMessage), 1);
    ASSERT_EQ(ui.banners.size(), 1u);

    commandsOf(*session).setChatUserName("bob");
    deliver(MsgType::NewChatMessage, {"502=shared", "21=t2", "504=bob", "17=plain } text"});
    EXPECT_EQ(room("bob")->messages.back().msg, "plain } text");
    deliver(MsgType::NewChatMessage, {"502=shared", "21=t3", "17=no sender field"});
    EXPECT_EQ(ui.banners.size(), 1u);
    EXPECT_EQ(count(notifications::kUpdateChatMessage), 3);

    deliver(MsgType::NewChatMessage, {"502=news", "21=t4", "504=desk", "17=rates up"});
    EXPECT_EQ(count(notifications::kNoticeMessage), 1);
    ASSERT_EQ(ui.banners.size(), 2u);
    EXPECT_EQ(ui.banners[1].subtitle, "Rates");

    commandsOf(*session).openContactRoom("dan");
    room("dan")->RoomName = "fresh";
    deliver(MsgType::NewChatMessage, {"502=fresh", "17=too early", "21=t5", "504=dan"});
    EXPECT_EQ(room("dan")->messages.size(), 1u);
    EXPECT_EQ(posted.size(), 4u);
}

TEST_F(ChatTest, HistoriesConversationsAndOfflineNotices) {
    deliver(MsgType::GetRecentConversationResponse,
            {"17=" + rec({"bob", "{\\rtf1 hi}", "alice;bob", "t1", "r1", "room1", "", "", "Bob"}) +
                 rec({"desk", "rates", "alice", "t2", "n1", "news", "", "Rates", "Desk", "extra"}) +
                 rec({"desk", "x", "alice", "t2"}) + rec({"desk", "x", "alice", "t2", "n2", "news2", "", "Fees"}) +
                 rec({"desk", "x", "alice", "t2", "n3", "news3", "", "Tax"})});
    EXPECT_EQ(chat().ChatRoomCollection().size(), 4u);
    EXPECT_EQ(room("r1")->Message, "{\\rtf1 hi}");
    EXPECT_FALSE(room("r1")->isMessageNotices);
    EXPECT_TRUE(room("n1")->isMessageNotices);
    EXPECT_EQ(room("n1")->RoomUserDisplayName, "Desk");

    deliver(MsgType::GetOfflineMessageResponse,
            {"17=" + rec({"d", "x", "a", "t", "n1", "news", "", "Rates"}) + rec({"d", "x", "a", "t", "n2", "n", "", "Fees"}) +
                 rec({"d", "x", "a", "t", "r1", "room1", "", ""}) + rec({"d", "x", "a", "t", "n9", "n", "", "Gone"}) + R +
                 rec({"d", "x", "a", "t", "n3", "n", "", "Tax"})});
    EXPECT_TRUE(room("n1")->isanUnreadMessage && room("n2")->isanUnreadMessage && room("n3")->isanUnreadMessage);
    EXPECT_FALSE(room("r1")->isanUnreadMessage);
    ASSERT_EQ(ui.banners.size(), 1u);
    EXPECT_EQ(ui.banners[0].informativeText, "You have 3 new messages.");
    commandsOf(*session).markNoticeRead("n1");
    EXPECT_FALSE(room("n1")->isanUnreadMessage);
    deliver(MsgType::GetOfflineMessageResponse, {"17=" + rec({"d", "x", "a", "t", "n1", "news", "", "Rates"})});
    ASSERT_EQ(ui.banners.size(), 2u);
    EXPECT_EQ(ui.banners[1].informativeText, "You have a new message.");  // one in the singular

    room("n1")->RoomName = "news";
    deliver(MsgType::GetRoomMessageResponse,
            {"501=n1", "17=" + rec({"m1", "desk", "{\\rtf1 one}", "t1", "Desk"}) + rec({"m2", "desk", "two"}) +
                           rec({"m3", "desk", "{\\rtf1 \\u8364\\'80}", "t3", "Desk"}) + rec({"m4", "desk", "{\\rtf1", "t4", "Desk"})});
    ASSERT_EQ(room("n1")->messages.size(), 3u);
    EXPECT_EQ(room("n1")->messages[1].msg, "\xE2\x82\xAC");
    EXPECT_EQ(room("n1")->messages[2].msg, "");
    EXPECT_EQ(room("n1")->MessageId, "m4");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(value(sent[0], "505"), "news\x05m4");
    EXPECT_EQ(count(notifications::kNoticeMessageReceived), 1);
    EXPECT_EQ(postedRoom, "n1");

    deliver(MsgType::GetRoomMessageResponse, {"501=r1", "17=" + rec({"m1", "bob", "plain", "t1", "Bob"})});
    EXPECT_EQ(count(notifications::kRecentConversationReceived), 1);
    deliver(MsgType::GetRoomMessageResponse, {"501=zz", "17=" + rec({"m1", "bob", "plain", "t1", "Bob"})});
    EXPECT_EQ(count(notifications::kRecentConversationReceived), 1);
    EXPECT_EQ(sent.size(), 1u);
}

}  // namespace
}  // namespace state
