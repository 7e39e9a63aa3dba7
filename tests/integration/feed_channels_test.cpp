// After logging in to the simulator: the watchlist is subscribed, ticks and
// depth reach the instruments, status messages take the dispatcher's path,
// data-service requests are answered, and a reconnect keeps the feed going.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "integration/sim_login.h"
#include "model/login_inputdata.h"
#include "model/user_info.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "platform/test_env.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"

namespace {

using namespace std::chrono_literals;
using state::BusinessBase;

// Records the names of the data-service answers.
class RecordingAnswers : public state::DataServiceAnswers {
public:
    using DataServiceAnswers::DataServiceAnswers;
    std::vector<std::string> answers;

    // The test sends its own requests.
    void sendFirstRequests() override {}
    void processDSResponse(std::optional<state::SharedText>, const std::optional<std::string>&,
                           const std::optional<std::string>& name,
                           const std::optional<protocol::RequestKind>& kind) override {
        // Only answers of the request channel come with the request they answer.
        if (kind && kind->name == name) answers.push_back(name.value_or(""));
    }
    void fillChartData(const std::optional<std::string>&, std::int32_t,
                       const std::optional<protocol::RequestKind>&) override {
        ++chartAnswers;
    }
    int chartAnswers = 0;
};

class FeedChannelsTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        sim = integration::SimProcess::start(TRADING_SIM_PATH);
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        integration::setLogin(ui.login, *sim);
        state::SessionParts parts;
        parts.dataServiceAnswers = [](auto&... needs) { return std::make_unique<RecordingAnswers>(needs...); };
        parts.preferences = &prefs;
        session = BusinessBase::create(ui, ui, std::move(parts));
        // The instrument loaders stand in: the records the feed writes into.
        for (const char* code : {"GOLD", "EURUSD", "SILVER"}) {
            auto item = std::make_shared<model::ItemDetails>();
            item->Code = code;
            state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*session)).set(code, item);
        }
        prefs.set("Watchlist.trader", std::vector<std::string>{"GOLD", "EURUSD", "GONE"});
        token = platform::NotificationCenter::defaultCenter().addObserver(
            "WatchlistTableNotification", [this](const platform::Notification&) { ++watchlistTables; });
    }
    std::vector<std::string>& answers() { return static_cast<RecordingAnswers&>(state::SessionTestAccess::dataServiceAnswers(*session)).answers; }
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(token);
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
    }
    bool pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = 10000ms) {
        return integration::pump(*loop, done, timeout);
    }
    model::ItemDetails& item(const std::string& code) { return **state::SessionTestAccess::referenceData(*session).ItemCollection().find(code); }
    // Publishes ticks of `code` until `done` (the subscriptions may still be on their way).
    bool tickUntil(const std::string& code, const std::function<bool()>& done) {
        return pump([&] {
            sim->command("tick " + code);
            return done();
        });
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::unique_ptr<integration::SimProcess> sim;
    platform::testing::TempDir dir;
    platform::Preferences prefs{dir / "preferences"};
    state::testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    platform::NotificationCenter::Token token{};
    int watchlistTables = 0;
};

TEST_F(FeedChannelsTest, WatchlistTicksDepthStatusRequestsReconnectAndDisconnect) {
    state::commandsOf(*session).StreamingConnection(true, false);
    ASSERT_TRUE(pump([&] { return state::servicesOf(*session).connection().subscriptionFeed() && state::servicesOf(*session).connection().requestChannel(); }));
    EXPECT_EQ(state::SessionTestAccess::referenceData(*session).selectedSymbols(), (std::vector<std::string>{"GOLD", "EURUSD"}));
    EXPECT_EQ(prefs.stringArrayForKey("Watchlist.trader"), state::SessionTestAccess::referenceData(*session).selectedSymbols());

    ASSERT_TRUE(tickUntil("GOLD", [&] { return item("GOLD").isPriceUpdateReceived; }));
    EXPECT_GT(item("GOLD").Bid, 0.0);
    EXPECT_GT(item("GOLD").Ask, 0.0);
    EXPECT_FALSE(item("GOLD").UpdateTime.empty());
    ASSERT_TRUE(pump([&] { return state::SessionTestAccess::feedChannels(*session).buyMarketDepthDataCollection().contains("GOLD"); }));
    EXPECT_EQ(state::SessionTestAccess::feedChannels(*session).buyMarketDepthDataCollection().find("GOLD")->size(), 5u);
    EXPECT_EQ(state::SessionTestAccess::feedChannels(*session).sellMarketDepthDataCollection().find("GOLD")->size(), 5u);

    // Not watched, not held: not subscribed.
    ASSERT_TRUE(tickUntil("EURUSD", [&] { return item("EURUSD").isPriceUpdateReceived; }));
    item("GOLD").isPriceUpdateReceived = false;
    sim->command("tick SILVER");
    sim->command("tick GOLD");  // published after SILVER's, on the same socket
    ASSERT_TRUE(pump([&] { return item("GOLD").isPriceUpdateReceived; }));
    EXPECT_FALSE(item("SILVER").isPriceUpdateReceived);

    int before = watchlistTables;
    ASSERT_EQ(sim->command("status GOLD 1 7").rfind("ok", 0), 0u);
    ASSERT_TRUE(pump([&] { return item("GOLD").CurrentTradeSessionSettingId == 7; }));
    ASSERT_TRUE(pump([&] { return watchlistTables > before; }));
    // The feed's status path carries 1049 only: a 44 there is dropped, and the
    // status after it shows that it had its turn.
    ASSERT_EQ(sim->command("feed-status 44 105=elsewhere"), "ok");
    ASSERT_EQ(sim->command("status GOLD 1 8").rfind("ok", 0), 0u);
    ASSERT_TRUE(pump([&] { return item("GOLD").CurrentTradeSessionSettingId == 8; }));
    EXPECT_TRUE(state::servicesOf(*session).connection().isConnected());
    EXPECT_EQ(std::count(ui.events.begin(), ui.events.end(), "LogininAnotherLocation"), 0);
    // Nor may it switch the key or the reference id.
    const auto key = state::SessionTestAccess::sessionKey(*session);
    const auto reference = state::servicesOf(*session).referenceId();
    ASSERT_EQ(sim->command("feed-status 33 19=EVIL 21=20240102030405"), "ok");
    ASSERT_EQ(sim->command("status GOLD 1 9").rfind("ok", 0), 0u);
    ASSERT_TRUE(pump([&] { return item("GOLD").CurrentTradeSessionSettingId == 9; }));
    EXPECT_EQ(state::SessionTestAccess::sessionKey(*session), key);
    EXPECT_EQ(state::servicesOf(*session).referenceId(), reference);

    // One session for everything: a second login in the same process meets a
    // spurious end of the TCP session that is the socket's, not the feed's.
    ASSERT_TRUE(state::SessionTestAccess::referenceData(*session).userInfo() != nullptr);

    protocol::MessageBase& m = state::servicesOf(*session).outgoingMessage();
    m.setMessagetype(1023);
    m.setDsrequestType(0);
    m.messageDataDictionary().clear();
    m.messageDataDictionary().set(10, "1023");
    m.messageDataDictionary().set(151, "getopenpositions");
    m.messageDataDictionary().set(152, "1000");
    m.messageDataDictionary().set(153, "1");
    m.messageDataDictionary().set(20, std::to_string(state::servicesOf(*session).requestId() + 1));
    m.messageDataDictionary().set(115, std::to_string(state::SessionTestAccess::referenceData(*session).userInfo()->UserId));
    session->setMessageProperties(m);
    // The first answer is a chart answer: it answers no data-service request and is dropped.
    ASSERT_EQ(sim->command("next-answer 1041 17=key").rfind("ok", 0), 0u);
    const protocol::TagMap request = m.messageDataDictionary();
    ASSERT_TRUE(m.BuildMessage().sent());
    m.setMessageDataDictionary(request);
    ASSERT_TRUE(m.BuildMessage().sent());
    ASSERT_TRUE(pump([&] { return !answers().empty(); }));
    EXPECT_EQ(answers(), std::vector<std::string>{"getopenpositions"});
    EXPECT_EQ(static_cast<RecordingAnswers&>(state::SessionTestAccess::dataServiceAnswers(*session)).chartAnswers, 0);

    // The network came back while the TCP session stayed up.
    state::commandsOf(*session).reconnectZMQandSubscribeAllItems();
    platform::ioQueue()->sync([] {});  // the channels connect on the io queue
    EXPECT_EQ(state::servicesOf(*session).connection().subscriptionFeed()->readersStarted(), 2u);
    ASSERT_TRUE(tickUntil("EURUSD", [&] { return item("EURUSD").isPriceUpdateReceived; }));
    m.setMessagetype(1023);
    m.messageDataDictionary().clear();
    m.messageDataDictionary().set(10, "1023");
    m.messageDataDictionary().set(151, "getpendingorders");
    m.messageDataDictionary().set(152, "1000");
    m.messageDataDictionary().set(153, "1");
    m.messageDataDictionary().set(115, std::to_string(state::SessionTestAccess::referenceData(*session).userInfo()->UserId));
    session->setMessageProperties(m);
    ASSERT_TRUE(m.BuildMessage().sent());
    ASSERT_TRUE(pump([&] { return answers().size() == 2; }));
    EXPECT_EQ(answers()[1], "getpendingorders");

    // The end of the TCP session stops both threads.
    state::commandsOf(*session).disconnectServer();
    platform::ioQueue()->sync([] {});  // and stop there
    EXPECT_FALSE(state::servicesOf(*session).connection().subscriptionFeed()->isRunning());
    EXPECT_FALSE(state::servicesOf(*session).connection().requestChannel()->isRunning());
}

}  // namespace
