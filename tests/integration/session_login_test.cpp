// The client core logs in to the loopback simulator over real sockets.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "integration/sim_login.h"
#include "model/language_string.h"
#include "model/login_inputdata.h"
#include "model/user_info.h"
#include "platform/clock.h"
#include "platform/main_executor.h"
#include "platform/test_env.h"
#include "platform/notification_center.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"
#include "state/session_notifications.h"

namespace {

using namespace std::chrono_literals;
using state::BusinessBase;

std::string tr(const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

class SessionLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
        platform::installClock(nullptr);
    }

    void startSim(const std::vector<std::string>& extra = {}) {
        sim = integration::SimProcess::start(TRADING_SIM_PATH, extra);
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
    }
    void makeSession(const std::string& user, const std::string& password) {
        integration::setLogin(ui.login, *sim, user, password);
        session = BusinessBase::create(ui, ui);
        auto& center = platform::NotificationCenter::defaultCenter();
        for (const char* name : {"LoginSuccessNotification", "NetworkSpeedNotification", "SendLoginRegistrationRequest",
                                 "DemoUserCreationNotification", "OpenPositionTableNotification",
                                 "JournalTableNotification"}) {
            tokens.push_back(center.addObserver(name, [this](const platform::Notification& n) {
                posted.push_back(n.name);
                if (n.name == "SendLoginRegistrationRequest" && onRegistration) onRegistration();
                if (n.name == "DemoUserCreationNotification")
                    demoUser = n.as<state::DemoUserCreated>()->user + "/" + n.as<state::DemoUserCreated>()->password;
            }));
        }
    }
    // Runs the main loop in real time until `done` or the timeout.
    bool pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10000ms) {
        return integration::pump(*loop, done, timeout);
    }
    int count(const std::string& name) const { return static_cast<int>(std::count(posted.begin(), posted.end(), name)); }
    bool loggedIn() const { return count("LoginSuccessNotification") > 0; }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::unique_ptr<integration::SimProcess> sim;
    state::testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
    std::function<void()> onRegistration;
    std::string demoUser;
};

TEST_F(SessionLoginTest, LogsInInstallsTheSessionKeyAndGradesThePing) {
    startSim();
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    EXPECT_TRUE(state::SessionTestAccess::sessionKey(*session).has_value());
    EXPECT_EQ(state::SessionTestAccess::sessionKey(*session)->size(), 88u);
    EXPECT_EQ(ui.login.SecurityKey(), "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE");
    // The login data carried the channel ports.
    ASSERT_TRUE(state::SessionTestAccess::referenceData(*session).userInfo());
    EXPECT_EQ(state::SessionTestAccess::referenceData(*session).userInfo()->marketdepthPort, sim->sessionPort() + 1);
    EXPECT_EQ(state::SessionTestAccess::referenceData(*session).userInfo()->hdServerPort, sim->sessionPort() + 2);
    EXPECT_TRUE(state::servicesOf(*session).referenceId().has_value());
    // Connected, login data, accepted.
    ASSERT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), 3u);
    EXPECT_NE(state::SessionTestAccess::journal(*session).JournalDataCollection()[0].find("#$#"), std::string::npos);
    EXPECT_EQ(ui.sounds, std::vector<std::string>{"welcome"});
    // The login record carries no message, so no update banner (the chat's may
    // follow once the answers after the login are read).
    for (const auto& banner : ui.banners) EXPECT_TRUE(banner.actionButtonTitle.empty()) << banner.title;

    ASSERT_TRUE(pump([&] { return count("NetworkSpeedNotification") >= 2; }, 5000ms));
    // A loopback answer under a loaded machine may take a second or two; a
    // server time read wrong grades 3.
    EXPECT_LT(state::SessionTestAccess::pingMonitor(*session).speedStatus(), 3);
    EXPECT_EQ(state::SessionTestAccess::pingMonitor(*session).serverTimeText().size(), 14u);
    EXPECT_GE(count("JournalTableNotification"), 2);
    EXPECT_EQ(ui.failures, 0);
}

TEST_F(SessionLoginTest, ALaterLoginInTheRunIsSealedWithTheLastSessionKey) {
    startSim();
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    const std::string first = *state::SessionTestAccess::sessionKey(*session);
    state::commandsOf(*session).disconnectServer();
    session.reset();
    posted.clear();
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    EXPECT_EQ(sim->command("keys trader"), "ok shipped " + first);
    EXPECT_EQ(ui.login.SecurityKey(), "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE");  // remembered settings keep the shipped key
}

TEST_F(SessionLoginTest, EnvelopedSessionMessagesOpenWithTheSessionKey) {
    startSim({"--wrap", "envelope"});
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    ASSERT_TRUE(pump([&] { return count("NetworkSpeedNotification") >= 1; }, 5000ms));
    EXPECT_EQ(ui.failures, 0);
}

TEST_F(SessionLoginTest, SplitWritesAndABadEnvelopeDoNotStopTheSession) {
    startSim({"--wrap", "envelope"});
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    EXPECT_EQ(sim->command("fault split 1,7").rfind("ok", 0), 0u);
    EXPECT_EQ(sim->command("fault bad-envelope on").rfind("ok", 0), 0u);
    posted.clear();
    // Ping answers keep arriving whole after the bad one is dropped.
    ASSERT_TRUE(pump([&] { return count("NetworkSpeedNotification") >= 3; }, 8000ms));
    EXPECT_EQ(ui.failures, 0);
}

TEST_F(SessionLoginTest, CompressedSessionMessages) {
    startSim({"--wrap", "compressed"});
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    ASSERT_TRUE(pump([&] { return count("NetworkSpeedNotification") >= 1; }, 5000ms));
}

TEST_F(SessionLoginTest, RefusalsReachTheLoginWindow) {
    startSim();
    struct Case {
        const char* user;
        const char* password;
        state::LoginMessages expected;
    };
    std::vector<Case> cases = {
        {"olduser", "old123", {{"Message", tr("1089")}, {"Tag", "3"}, {"URL", "https://example.invalid/update"}}},
        {"locked", "locked123", {{"Message", tr("1088")}, {"Tag", "0"}}},
        {"trader", "wrong", {{"Message", tr("1087")}, {"Tag", "0"}}},
        {"nobody", "secret1", {{"Message", tr("1087")}, {"Tag", "0"}}},
        {"maint", "maint123", {{"Message", tr("1004")}, {"Tag", "0"}}},
    };
    for (const Case& c : cases) {
        ui.loginMessages.clear();
        makeSession(c.user, c.password);
        state::commandsOf(*session).StreamingConnection(true, false);
        ASSERT_TRUE(pump([&] { return !ui.loginMessages.empty(); })) << c.user;
        EXPECT_EQ(ui.loginMessages[0], c.expected) << c.user;
        pump([] { return false; }, 300ms);
        EXPECT_FALSE(loggedIn());
    }
    EXPECT_EQ(ui.failures, 0);
}

TEST_F(SessionLoginTest, LoggedInElsewhereEndsTheSessionWithoutAFailure) {
    startSim();
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    EXPECT_EQ(sim->command("elsewhere trader").rfind("ok", 0), 0u);
    ASSERT_TRUE(pump([&] { return !ui.anotherLocation.empty(); }));
    pump([] { return false; }, 300ms);
    EXPECT_EQ(ui.failures, 0);
    EXPECT_FALSE(state::SessionTestAccess::pingMonitor(*session).isPingTimerActive());
}

TEST_F(SessionLoginTest, ReloginRequestWhileConnectedKeepsTheSession) {
    startSim();
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    auto key = state::SessionTestAccess::sessionKey(*session);
    EXPECT_EQ(sim->command("relogin trader").rfind("ok", 0), 0u);
    posted.clear();
    ASSERT_TRUE(pump([&] { return count("NetworkSpeedNotification") >= 2; }, 5000ms));
    EXPECT_EQ(count("LoginSuccessNotification"), 0);
    EXPECT_EQ(state::SessionTestAccess::sessionKey(*session), key);
    EXPECT_EQ(ui.failures, 0);
    EXPECT_EQ(sim->command("sessions").rfind("ok", 0), 0u);
}

TEST_F(SessionLoginTest, ARelogiRequestAndTheCloseHaveOneOutcomeEach) {
    startSim();
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    // The server asks for a relogin and closes the line at once: the session logs in again, no failure.
    posted.clear();
    EXPECT_EQ(sim->command("relogin trader close").rfind("ok", 0), 0u);
    ASSERT_TRUE(pump([&] { return count("LoginSuccessNotification") == 1; }, 5000ms));
    pump([] { return false; }, 300ms);
    EXPECT_EQ(ui.failures, 0);
    // A line that breaks before the request arrives is a lost connection, and no relogin follows.
    posted.clear();
    EXPECT_EQ(sim->command("fault close-mid-frame on").rfind("ok", 0), 0u);
    // The broken write may be an earlier message than the request: then there is no session to ask.
    sim->command("relogin trader");
    ASSERT_TRUE(pump([&] { return ui.failures == 1; }));
    pump([] { return false; }, 300ms);
    EXPECT_EQ(count("LoginSuccessNotification"), 0);
    EXPECT_EQ(ui.failures, 1);
}

TEST_F(SessionLoginTest, ThirtySilentSecondsEndTheSession) {
    auto clock = std::make_shared<platform::FakeClock>();
    platform::installClock(clock);
    startSim();
    makeSession("trader", "secret1");
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return loggedIn(); }));
    // A ping and its answer. The server sends nothing unasked, so the answer
    // is the last data before it falls silent.
    const int answers = count("NetworkSpeedNotification");
    clock->advance(1s);
    ASSERT_TRUE(pump([&] { return count("NetworkSpeedNotification") > answers; }));
    EXPECT_EQ(sim->command("fault silent on").rfind("ok", 0), 0u);
    // The read after the answer waits 30 s from now.
    const platform::TimePoint timeout = clock->now() + 30s;
    ASSERT_TRUE(pump([&] { return clock->isPending(timeout); }));
    clock->advance(29s);
    EXPECT_TRUE(clock->isPending(timeout));
    pump([] { return false; }, 100ms);
    EXPECT_EQ(ui.failures, 0);
    clock->advance(1s + 1ms);
    ASSERT_TRUE(pump([&] { return ui.failures == 1; }));
    EXPECT_FALSE(state::SessionTestAccess::pingMonitor(*session).isPingTimerActive());
    EXPECT_FALSE(state::servicesOf(*session).connection().isNetworkAvailable);
}

TEST_F(SessionLoginTest, DemoRegistrationRaisesNoFailureWhenTheServerCloses) {
    startSim();
    makeSession("", "");
    onRegistration = [this] {
        // What the registration window sends on the connection just opened.
        protocol::MessageBase& m = state::servicesOf(*session).outgoingMessage();
        m.setMessagetype(1026);
        protocol::TagMap& t = m.messageDataDictionary();
        t.clear();
        t.setNumber(10, 1026);
        t.set(1152, "new@example.test");
        t.set(1033, "Trade");
        t.set(564, "5000");
        t.set(1132, "Nowhere");
        for (int tag : {1133, 1134, 1135, 1136}) t.set(tag, "");
        t.set(1137, "555-0100");
        t.set(1138, "0");
        t.set(1139, "New Trader");
        t.set(1140, "TradingClient");
        t.set(20, "1");
        t.set(19, "1");
        t.set(1018, "Linux PC#Linux");
        t.set(504, "tester");
        EXPECT_TRUE(m.BuildMessage().sent());
    };
    state::commandsOf(*session).StreamingConnection(true, true);
    ASSERT_TRUE(pump([&] { return !demoUser.empty(); }));
    EXPECT_EQ(count("SendLoginRegistrationRequest"), 1);
    EXPECT_EQ(demoUser.rfind("demo", 0), 0u);
    EXPECT_NE(demoUser.find('/'), std::string::npos);
    pump([] { return false; }, 300ms);
    EXPECT_EQ(ui.failures, 0);
    EXPECT_TRUE(state::SessionTestAccess::journal(*session).JournalDataCollection().empty());  // no login journal for a registration
}

}  // namespace
