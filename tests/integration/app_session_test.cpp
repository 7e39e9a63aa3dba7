// The delegate's session against the simulator: logins in one run, the run's
// key, and the network monitor.
#include <gtest/gtest.h>

#include "model/language_string.h"
#include "shell/core/app_session.h"
#include "integration/sim_login.h"
#include "platform/reachability.h"
#include "platform/test_env.h"
#include "support/session_test_access.h"
#include "state/feed_channels.h"
#include "state/recording_ui_services.h"

namespace {

using namespace std::chrono_literals;

struct Outcomes : shell::LoginOutcomes {
    std::vector<state::LoginMessages> refused;
    std::vector<std::string> elsewhere;
    int lost = 0, succeeded = 0;
    std::vector<bool> lostAfterLogin;
    void loginRefused(const state::LoginMessages& m) override { refused.push_back(m); }
    void loggedInElsewhere(const std::string& m) override { elsewhere.push_back(m); }
    void connectionLost(bool afterLogin) override {
        ++lost;
        lostAfterLogin.push_back(afterLogin);
    }
    void loginSucceeded() override { ++succeeded; }
};

// Counts the connections of the two ZeroMQ channels.
struct CountingFeed : state::FeedChannels {
    template <typename... Needs>
    explicit CountingFeed(int& count, Needs&... needs) : FeedChannels(needs...), count_(count) {}
    void connectChannels() override {
        ++count_;
        FeedChannels::connectChannels();
    }
    int& count_;
};

constexpr std::uint32_t kReachable = platform::kReachabilityReachable;

class AppSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        platform::ReachabilitySource::installDefaultSource(network);
        sim = integration::SimProcess::start(TRADING_SIM_PATH);
        ASSERT_TRUE(sim->ready());
        session = std::make_unique<shell::AppSession>(ui, outcomes);
        session->sessionParts().feedChannels = [this](auto&... needs) {
            return std::make_unique<CountingFeed>(channelConnects, needs...);
        };
    }
    void TearDown() override {
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::ReachabilitySource::installDefaultSource(nullptr);
        platform::MainExecutor::install(nullptr);
    }
    shell::LoginFields fields(const std::string& user, const std::string& password) const {
        return {user, password, "127.0.0.1", std::to_string(sim->sessionPort())};
    }
    bool pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10000ms) {
        return integration::pump(*loop, done, timeout);
    }
    int speedNotices() {
        return static_cast<int>(std::count(posted.begin(), posted.end(), "NetworkSpeedNotification"));
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::shared_ptr<platform::FakeReachabilitySource> network =
        std::make_shared<platform::FakeReachabilitySource>(kReachable);
    std::unique_ptr<integration::SimProcess> sim;
    state::testing::RecordingUi ui;
    Outcomes outcomes;
    std::unique_ptr<shell::AppSession> session;
    int channelConnects = 0;
    std::vector<std::string> posted;
};

TEST_F(AppSessionTest, ARefusalThenALoginInTheSameRunAndARelogin) {
    session->startLogin(fields("trader", "wrong"));
    ASSERT_TRUE(pump([&] { return !outcomes.refused.empty(); }));
    EXPECT_EQ(outcomes.refused[0].at("Tag"), "0");
    EXPECT_FALSE(session->loginSuccess());

    session->startLogin(fields("trader", "secret1"));
    ASSERT_TRUE(pump([&] { return outcomes.succeeded == 1; }));
    EXPECT_TRUE(session->loginSuccess());
    const auto key = session->loginCipher().sessionKey();
    ASSERT_TRUE(key);
    EXPECT_EQ(session->logindata().SecurityKey(), model::LoginInputdata().SecurityKey());

    // A relogin request keeps the session and its key.
    ASSERT_EQ(sim->command("relogin trader").rfind("ok", 0), 0u);
    ASSERT_EQ(sim->command("keys trader").rfind("ok", 0), 0u);  // answered after the relogin went out
    pump([] { return false; }, 300ms);
    EXPECT_EQ(session->loginCipher().sessionKey(), key);
    EXPECT_EQ(state::SessionTestAccess::sessionKey(*session->businessbase()), key);
    EXPECT_EQ(outcomes.lost, 0);
}

TEST_F(AppSessionTest, AfterAServerRestartTheLoginEndsWithinItsTimeOutAndTheNextUsesTheShippedKey) {
    auto clock = std::make_shared<platform::FakeClock>();
    platform::installClock(clock);
    session->startLogin(fields("trader", "secret1"));
    ASSERT_TRUE(pump([&] { return outcomes.succeeded == 1; }));
    // An order sent as the server dies (its placeholder, as the order manager leaves it): never answered.
    auto sent = std::make_shared<model::Order>();
    sent->RequestId = 4242;
    sent->ItemCode = "GOLD";
    state::SessionTestAccess::orderBook(*session->businessbase()).AddPendingOrder(sent);
    // The server is killed, restarts on the same port and no longer knows the session key.
    const int port = sim->sessionPort();
    sim->killHard();
    sim.reset();
    ASSERT_TRUE(pump([&] { return outcomes.lost == 1; }));
    const auto& pending = state::SessionTestAccess::orderBook(*session->businessbase()).PendingOrderCollection();
    EXPECT_EQ(std::count(pending.begin(), pending.end(), sent), 0);  // no row without an id or a status
    ASSERT_EQ(ui.alerts.size(), 1u);
    EXPECT_EQ(ui.alerts[0].message, model::LanguageString::stringforSelectedLanguage(0, "90201"));
    sim = std::make_unique<integration::SimProcess>(TRADING_SIM_PATH, port);
    ASSERT_TRUE(sim->ready());
    session->startLogin(fields("trader", "secret1"));
    const platform::TimePoint due = clock->now() + 30s;
    ASSERT_TRUE(pump([&] { return clock->isPending(due); }));
    clock->advance(30s + 1ms);
    ASSERT_TRUE(pump([&] { return outcomes.lost == 2; }));
    EXPECT_EQ(outcomes.succeeded, 1);
    session->startLogin(fields("trader", "secret1"));
    ASSERT_TRUE(pump([&] { return outcomes.succeeded == 2; }));
    platform::installClock(nullptr);
}

TEST_F(AppSessionTest, ReachabilityReconnectsOnlyAfterALoginAndWhileConnected) {
    auto& center = platform::NotificationCenter::defaultCenter();
    platform::ObserverHandle speed(&center, center.addObserver("NetworkSpeedNotification", [this](const auto& n) {
        posted.push_back(n.name);
    }));
    session->StartNetworkMonitoringNotification();
    // Before any login: only the banner.
    network->setFlags(0);
    ASSERT_TRUE(pump([&] { return ui.banners.size() == 1; }));
    EXPECT_EQ(ui.banners[0].subtitle, "Network");
    EXPECT_EQ(ui.banners[0].dismissDelayTime, 5.0);
    network->setFlags(kReachable);

    session->startLogin(fields("trader", "secret1"));
    ASSERT_TRUE(pump([&] { return outcomes.succeeded == 1; }));
    ASSERT_EQ(channelConnects, 1);

    // Unreachable while connected: the flag, the banner, then the grading 3.5 s later.
    ASSERT_TRUE(pump([&] { return speedNotices() >= 1; }));  // a ping answer brought the server date
    ASSERT_TRUE(pump([&] { return ui.banners.size() == 2; }));  // the offline notices of the login
    ASSERT_EQ(sim->command("fault silent on").rfind("ok", 0), 0u);
    pump([] { return false; }, 1200ms);  // an answer already on its way has been graded
    posted.clear();
    network->setFlags(0);
    ASSERT_TRUE(pump([&] { return ui.banners.size() == 3; }));
    EXPECT_FALSE(state::servicesOf(*session->businessbase()).connection().isNetworkAvailable);
    ASSERT_TRUE(pump([&] { return speedNotices() == 1; }, 5000ms));

    // Reachable again with the TCP session up: both channels anew.
    network->setFlags(kReachable);
    ASSERT_TRUE(pump([&] { return channelConnects == 2; }));
    EXPECT_TRUE(state::servicesOf(*session->businessbase()).connection().isNetworkAvailable);

    // With the TCP session closing, or down, nothing reconnects.
    session->cancelLogin();
    state::commandsOf(*session->businessbase()).reconnectZMQandSubscribeAllItems();
    network->setFlags(0);
    ASSERT_TRUE(pump([&] { return ui.banners.size() == 4; }));
    network->setFlags(kReachable);
    ASSERT_TRUE(pump([&] { return state::servicesOf(*session->businessbase()).connection().isNetworkAvailable.load(); }));
    EXPECT_EQ(channelConnects, 2);
    EXPECT_EQ(outcomes.lost, 0);
}

TEST_F(AppSessionTest, OutcomesOfElsewhereAndADrop) {
    session->startLogin(fields("trader", "secret1"));
    ASSERT_TRUE(pump([&] { return outcomes.succeeded == 1; }));
    ASSERT_EQ(sim->command("elsewhere trader").rfind("ok", 0), 0u);
    ASSERT_TRUE(pump([&] { return !outcomes.elsewhere.empty(); }));
    EXPECT_EQ(outcomes.elsewhere[0], "You have been logged out : You have logged in from another location.");

    const shell::LoginFields login = fields("trader", "secret1");
    session->startLogin(login);
    ASSERT_TRUE(pump([&] { return outcomes.succeeded == 2; }));
    sim.reset();
    ASSERT_TRUE(pump([&] { return outcomes.lost == 1; }));
    EXPECT_EQ(ui.sounds.back(), "connectionLost");
    // A drop after the login is a lost connection; a login that finds no server, none made.
    session->startLogin(login);
    ASSERT_TRUE(pump([&] { return outcomes.lost == 2; }));
    EXPECT_EQ(outcomes.lostAfterLogin, (std::vector<bool>{true, false}));
}

}  // namespace
