// The chat against the simulator: what a login holds, a first text that waits
// for its room, histories, a support queue and a partner's message.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "integration/sim_login.h"
#include "model/formatter.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "state/notification_payloads.h"
#include "state/recording_ui_services.h"
#include "support/session_test_access.h"

namespace {

using state::BusinessBase;

class ChatSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        sim = integration::SimProcess::start(TRADING_SIM_PATH);
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        integration::setLogin(ui.login, *sim);
        session = BusinessBase::create(ui, ui);
        auto& center = platform::NotificationCenter::defaultCenter();
        tokens.push_back(center.addObserver("LoginSuccessNotification", [this](const platform::Notification&) { loggedIn = true; }));
        for (const char* name : {state::notifications::kUpdateChatMessage, state::notifications::kRecentConversationReceived,
                                 state::notifications::kChatQueueStatusUpdate, state::notifications::kChatContactList})
            tokens.push_back(center.addObserver(name, [this](const platform::Notification& n) { posted.push_back(n.name); }));
        // Taken as the chat window takes it: the parked text goes out with the room's id and name.
        tokens.push_back(center.addObserver(state::notifications::kChatRoomCreation, [this](const platform::Notification& n) {
            const auto* created = n.as<state::ChatRoomCreated>();
            if (!created) return;
            ++confirmations;
            if (auto text = commands().takeParkedText("bob")) commands().sendChatMessage(*text, created->roomId, created->roomName);
        }));
        commands().StreamingConnection(true, false);
        ASSERT_TRUE(integration::pump(*loop, [&] { return loggedIn; }));
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
    }
    state::SessionCommands& commands() { return state::commandsOf(*session); }
    const state::SessionView& view() { return state::viewOf(*session); }
    int count(const std::string& name) const { return static_cast<int>(std::count(posted.begin(), posted.end(), name)); }
    bool wait(const std::function<bool()>& done) { return integration::pump(*loop, done); }

    state::testing::RecordingUi ui;
    std::unique_ptr<integration::SimProcess> sim;
    std::shared_ptr<platform::ManualRunLoop> loop;
    std::shared_ptr<BusinessBase> session;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
    bool loggedIn = false;
    int confirmations = 0;
};

TEST_F(ChatSessionTest, ConversationRoundTrip) {
    const std::string cafe = "caf\xC3\xA9";
    // After login: contacts, recent conversations and the offline notice mark.
    ASSERT_TRUE(wait([&] {
        const auto notice = view().chatRoom("notice/7");
        return count(state::notifications::kChatContactList) == 1 && notice && notice->isanUnreadMessage;
    }));
    EXPECT_EQ(view().chatGroups().size(), 2u);
    ASSERT_NE(view().chatUser("carol/ops"), nullptr);
    EXPECT_TRUE(view().chatUser("bob")->IsUserOnline);
    EXPECT_EQ(view().chatQueues().size(), 2u);
    EXPECT_EQ(view().getrecentChatCollection().size(), 1u);
    EXPECT_EQ(view().chatRoom("room/100")->Message, "{\\rtf1 caf\\'e9}");
    ASSERT_EQ(ui.banners.size(), 1u);  // the offline notices

    // A first text to a contact waits for its room, then goes out once; the echo is the user's own.
    const std::string text = cafe + " \xE4\xB8\xAD\xE6\x96\x87 / \xF0\x9F\x98\x80";
    commands().openContactRoom("bob");
    commands().sendChat("bob", model::Formatter::convertStringtoRTF(text));
    ASSERT_TRUE(wait([&] { return count(state::notifications::kUpdateChatMessage) == 1; }));
    const auto room = view().chatRoom("bob");
    EXPECT_EQ(confirmations, 1);
    EXPECT_TRUE(room->isChatRoomCreated);
    EXPECT_EQ(room->RoomName, "trader/bob");
    ASSERT_EQ(room->messages.size(), 1u);
    EXPECT_EQ(room->messages[0].msg, text);
    EXPECT_EQ(ui.banners.size(), 1u);

    // A partner's message raises the chat banner, unless the window shows that partner.
    sim->command("send trader 603 502=trader/bob 21=20261208100000 504=bob 517=Bob 17={\\rtf1\\ansi{}caf\\'e9\\u20013?}");
    ASSERT_TRUE(wait([&] { return count(state::notifications::kUpdateChatMessage) == 2; }));
    EXPECT_EQ(room->messages.back().msg, cafe + "\xE4\xB8\xAD");
    EXPECT_EQ(ui.banners.size(), 2u);
    commands().setChatUserName("bob");
    sim->command("send trader 603 502=trader/bob 21=20261208100100 504=bob 17=plain");
    ASSERT_TRUE(wait([&] { return count(state::notifications::kUpdateChatMessage) == 3; }));
    EXPECT_EQ(ui.banners.size(), 2u);

    // A history: every text form reads the same.
    commands().requestRoomMessage("room/100");
    ASSERT_TRUE(wait([&] { return count(state::notifications::kRecentConversationReceived) == 1; }));
    for (const auto& entry : view().chatRoom("room/100")->messages) EXPECT_EQ(entry.msg, cafe);

    // A support queue accepts, then opens a room under its id.
    commands().sendChatQueueRequest("5", model::Formatter::convertStringtoRTF("help"));
    ASSERT_TRUE(wait([&] { return count(state::notifications::kChatQueueStatusUpdate) == 2 && view().chatRoom("5"); }));
    for (const auto& q : view().chatQueues())
        if (q->QueueId == "5") {
            EXPECT_EQ(q->chartRequestStatus, 2);
            EXPECT_EQ(q->roomUserName, "dealer");
        }
    EXPECT_EQ(sim->command("received trader").find("608"), std::string::npos);
}

}  // namespace
