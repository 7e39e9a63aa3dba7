// The session's side of the feed: the watchlist, subscriptions through the
// connection (seen on an XPUB socket), the status path through the
// dispatcher, and reconnecting.
#include <gtest/gtest.h>
#include <zmq.h>

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "model/account_details.h"
#include "model/order.h"
#include "model/user_info.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "platform/test_env.h"
#include "support/xpub_subscriptions.h"
#include "state/business_base.h"
#include "state/recording_ui_services.h"
#include "state/watchlist.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_socket.h"

namespace state {
namespace {

using namespace std::chrono_literals;

using platform::testing::eventually;

using Items = std::map<std::string, std::shared_ptr<model::ItemDetails>>;

Items makeItems(std::initializer_list<const char*> codes) {
    Items items;
    for (const char* code : codes) {
        auto item = std::make_shared<model::ItemDetails>();
        item->Code = code;
        items[code] = item;
    }
    return items;
}

// ---------------------------------------------------------------------------
// Watchlist on its own

class WatchlistTest : public ::testing::Test {
protected:
    WatchlistTest() : prefs(dir / "preferences") {}
    Watchlist make() {
        Watchlist::Hooks hooks;
        hooks.item = [this](const std::string& code) -> model::ItemDetails* {
            auto it = items.find(code);
            return it == items.end() ? nullptr : it->second.get();
        };
        hooks.firstSymbolType = [this] { return symbolType; };
        hooks.heldItems = [this] { return held; };
        hooks.allItems = [this] {
            std::vector<std::string> all = selected;
            for (const auto& c : held) all.push_back(c);
            return all;
        };
        hooks.subscribe = [this](const std::vector<std::string>& codes, bool on) {
            for (const auto& c : codes) calls.push_back((on ? "+" : "-") + c);
        };
        hooks.notifyUpdate = [this] { ++notified; };
        return Watchlist(prefs, std::move(hooks));
    }

    platform::testing::TempDir dir;
    platform::Preferences prefs;
    Items items = makeItems({"EURUSD", "GBPUSD", "GOLD", "Live"});
    std::optional<std::vector<std::string>> symbolType;
    std::vector<std::string> held;
    std::vector<std::string> selected;
    std::vector<std::string> calls;
    int notified = 0;
};

TEST_F(WatchlistTest, WithoutAStoredListTheFirstTypeGivesTheDefaultList) {
    symbolType = std::vector<std::string>{"EURUSD:Euro", "GBPUSD:Pound"};
    make().LoadItemstoWatchlist("trader", selected);
    EXPECT_EQ(selected, (std::vector<std::string>{"EURUSD", "GBPUSD"}));
    EXPECT_EQ(prefs.stringArrayForKey("Watchlist.trader"), selected);
    EXPECT_TRUE(items["EURUSD"]->isWatchlistSymbol);
    EXPECT_TRUE(items["GBPUSD"]->isWatchlistSymbolTemp);
    EXPECT_FALSE(items["GOLD"]->isWatchlistSymbol);
    EXPECT_TRUE(calls.empty());  // loading subscribes nothing
    // No symbol type at all: the list stays as it was.
    symbolType.reset();
    std::vector<std::string> untouched{"X"};
    make().LoadItemstoWatchlist("other", untouched);
    EXPECT_EQ(untouched, std::vector<std::string>{"X"});
    EXPECT_FALSE(prefs.hasKey("Watchlist.other"));
}

TEST_F(WatchlistTest, VanishedCodesAreDroppedAndTheListStoredBack) {
    prefs.set("Watchlist.trader", std::vector<std::string>{"GOLD", "OLDCODE", "EURUSD"});
    make().LoadItemstoWatchlist("trader", selected);
    EXPECT_EQ(selected, (std::vector<std::string>{"GOLD", "EURUSD"}));
    platform::ioQueue()->sync([] {});  // the file is written there
    platform::Preferences reread(dir / "preferences");
    EXPECT_EQ(reread.stringArrayForKey("Watchlist.trader"), selected);
}

TEST_F(WatchlistTest, ListsAreKeptPerUserAndNeverOverwriteOtherSettings) {
    prefs.set("Live", std::string("remembered credentials"));
    make().SaveItemstoWatchList("alice", {"GOLD"}, selected);
    make().SaveItemstoWatchList("Live", {"EURUSD"}, selected);
    EXPECT_EQ(prefs.stringForKey("Live"), "remembered credentials");
    std::vector<std::string> alice, live;
    make().LoadItemstoWatchlist("alice", alice);
    make().LoadItemstoWatchlist("Live", live);
    EXPECT_EQ(alice, std::vector<std::string>{"GOLD"});
    EXPECT_EQ(live, std::vector<std::string>{"EURUSD"});
}

TEST_F(WatchlistTest, SavingKeepsHeldCodesSubscribedAndDropsTheRest) {
    selected = {"EURUSD", "GBPUSD", "GOLD"};
    held = {"GBPUSD"};
    make().SaveItemstoWatchList("trader", {"EURUSD"}, selected);
    EXPECT_EQ(calls, (std::vector<std::string>{"+EURUSD", "+GBPUSD", "-GOLD"}));
    EXPECT_EQ(selected, std::vector<std::string>{"EURUSD"});
    EXPECT_EQ(notified, 1);
    // An empty list unsubscribes every code not held, and is stored empty.
    calls.clear();
    make().SaveItemstoWatchList("trader", {}, selected);
    EXPECT_EQ(calls, (std::vector<std::string>{"+GBPUSD", "-EURUSD"}));
    EXPECT_EQ(prefs.stringArrayForKey("Watchlist.trader"), std::vector<std::string>{});
    symbolType = std::vector<std::string>{"GOLD:Gold"};
    make().LoadItemstoWatchlist("trader", selected);
    EXPECT_EQ(selected, std::vector<std::string>{"GOLD"});  // the next login builds the default again
}

// ---------------------------------------------------------------------------
// The session with its connection

class FeedSession : public BusinessBase {
public:
    FeedSession(SessionHost& host, UiServices& ui) : BusinessBase(host, ui) {}
    using BusinessBase::connectChannels;
    using BusinessBase::subscribeAllItems;
};

using support::testing::drainSubscriptions;

int portOf(support::ZMQSocket& s) {
    std::string endpoint = s.dataForOption(ZMQ_LAST_ENDPOINT).c_str();
    return std::stoi(endpoint.substr(endpoint.rfind(':') + 1));
}

class FeedSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        context = std::make_shared<support::ZMQContext>(1);
        pub = context->socketWithType(ZMQ_XPUB);
        int verbose = 1;
        zmq_setsockopt(pub->socket(), ZMQ_XPUB_VERBOSER, &verbose, sizeof verbose);
        pub->bindToEndpoint("tcp://127.0.0.1:*");
        rep = context->socketWithType(ZMQ_REP);
        rep->bindToEndpoint("tcp://127.0.0.1:*");

        ui.login.setUserName("trader");
        ui.login.setIPAddress("127.0.0.1");
        session = BusinessBase::createAs<FeedSession>(ui, ui);
        session->preferences = &prefs;
        session->userInfo = std::make_shared<model::UserInfo>();
        session->userInfo->marketdepthPort = portOf(*pub);
        session->userInfo->hdServerPort = portOf(*rep);
        for (const auto& [code, item] : items) session->ItemCollection.set(code, item);
        setAccounts({1});
        for (const char* name : {"WatchlistTableNotification", "OpenPositionTableNotification",
                                 "WatchlistUpdateNotification"})
            tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
                name, [this](const platform::Notification& n) { posted.push_back(n.name); }));
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        platform::testing::finishQueues(*loop);
        pub.reset();
        rep.reset();
        context.reset();
        platform::MainExecutor::install(nullptr);
    }
    void setAccounts(const std::vector<std::int32_t>& statuses) {
        session->AccountDetailCollection.clear();
        int id = 100;
        for (std::int32_t status : statuses) {
            auto account = std::make_shared<model::AccountDetails>();
            account->tradingStatus = status;
            session->AccountDetailCollection.set(std::to_string(id++), account);
        }
    }
    bool pump(const std::function<bool()>& done) {
        return eventually([&] {
            loop->runUntilIdle();
            return done();
        });
    }

    platform::testing::TempDir dir;
    platform::Preferences prefs{dir / "preferences"};
    std::shared_ptr<platform::ManualRunLoop> loop;
    std::shared_ptr<support::ZMQContext> context;
    std::shared_ptr<support::ZMQSocket> pub;
    std::shared_ptr<support::ZMQSocket> rep;
    testing::RecordingUi ui;
    std::shared_ptr<FeedSession> session;
    Items items = makeItems({"EURUSD", "GOLD"});
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
};

TEST_F(FeedSessionTest, ASingleSuspendedAccountSubscribesNoItems) {
    setAccounts({3});
    session->connectChannels();
    session->ProcessSubscribeandUnSubscribeItems({"GOLD"}, true);
    EXPECT_EQ(drainSubscriptions(*pub), (std::vector<std::string>{"+IS;", "+*#bm#*:"}));
    setAccounts({3, 1});
    session->ProcessSubscribeandUnSubscribeItems({"GOLD"}, true);
    session->ProcessSubscribeandUnSubscribeItems({"GOLD"}, false);
    EXPECT_EQ(drainSubscriptions(*pub), (std::vector<std::string>{"+GOLD", "+MD_GOLD;", "-GOLD", "-MD_GOLD;"}));
}

TEST_F(FeedSessionTest, SavingTheWatchlistChangesTheSubscriptions) {
    session->connectChannels();
    session->selectedSymbols = {"EURUSD", "GOLD"};
    session->ProcessSubscribeandUnSubscribeItems(session->selectedSymbols, true);
    drainSubscriptions(*pub);
    auto position = std::make_shared<model::Order>();
    position->ItemCode = "GOLD";
    session->OpenOrderCollection.push_back(position);
    session->SaveItemstoWatchList({});
    EXPECT_EQ(drainSubscriptions(*pub), (std::vector<std::string>{"+GOLD", "+MD_GOLD;", "-EURUSD", "-MD_EURUSD;"}));
    EXPECT_TRUE(session->selectedSymbols.empty());
    ASSERT_TRUE(pump([&] { return !posted.empty(); }));
    EXPECT_EQ(posted, std::vector<std::string>{"WatchlistUpdateNotification"});
}

TEST_F(FeedSessionTest, OrdersOfHiddenAccountsAreNotHeldByTheWatchlist) {
    setAccounts({1, 3});  // "100" seen, "101" suspended
    session->connectChannels();
    session->selectedSymbols = {"EURUSD", "GOLD"};
    session->ProcessSubscribeandUnSubscribeItems(session->selectedSymbols, true);
    drainSubscriptions(*pub);
    auto position = std::make_shared<model::Order>();
    position->ItemCode = "GOLD";
    position->AccountNumber = "100";
    session->OpenOrderCollection.push_back(position);
    auto hidden = std::make_shared<model::Order>();
    hidden->ItemCode = "EURUSD";
    hidden->AccountNumber = "101";
    session->PendingOrderCollection.push_back(hidden);
    session->SaveItemstoWatchList({});
    EXPECT_EQ(drainSubscriptions(*pub), (std::vector<std::string>{"+GOLD", "+MD_GOLD;", "-EURUSD", "-MD_EURUSD;"}));
}

TEST_F(FeedSessionTest, TheDefaultWatchlistIsTheFirstSymbolTypeAndLoginSubscribesAllItems) {
    session->symbolTypeCollection.set("Metals", "GOLD:Gold");
    session->symbolTypeCollection.set("Forex", "EURUSD:Euro,GBPUSD:Pound");
    session->LoadItemstoWatchlist();
    EXPECT_EQ(session->selectedSymbols, std::vector<std::string>{"GOLD"});
    EXPECT_EQ(prefs.stringArrayForKey("Watchlist.trader"), std::vector<std::string>{"GOLD"});
    EXPECT_TRUE(items["GOLD"]->isWatchlistSymbol);

    auto pending = std::make_shared<model::Order>();
    pending->ItemCode = "EURUSD";
    session->PendingOrderCollection.push_back(pending);
    session->connectChannels();
    drainSubscriptions(*pub);
    session->subscribeAllItems();
    EXPECT_EQ(drainSubscriptions(*pub), (std::vector<std::string>{"+GOLD", "+MD_GOLD;", "+EURUSD", "+MD_EURUSD;"}));
}

TEST_F(FeedSessionTest, FeedTextsReachTheRecordsOnTheMainThread) {
    session->connectChannels();
    session->ProcessSubscribeandUnSubscribeItems({"GOLD"}, true);
    ASSERT_TRUE(pump([&] {
        pub->sendData("MD_GOLD;1800.5,10|1800.4,5|;1800.7,3", 0);
        std::this_thread::sleep_for(5ms);
        return session->buyMarketDepthDataCollection.contains("GOLD");
    }));
    EXPECT_EQ(session->buyMarketDepthDataCollection.find("GOLD")->size(), 2u);
    EXPECT_EQ(*session->sellMarketDepthDataCollection.find("GOLD"), std::vector<std::string>{"1800.7,3"});

    session->ZMQNewMessage("GOLD\x04" "20240102103000\x04" "0\x04" "18005\x04" "1");
    EXPECT_DOUBLE_EQ(items["GOLD"]->Last, 1800.5);
}

TEST_F(FeedSessionTest, StatusMessagesTakeTheDispatcherPath) {
    session->ZMQNewMessage("IS;\x01" "40\x03" "10=1049\x03" "12=GOLD\x03" "572=1\x03" "574=3\x03" "20=77\x03\x02;x");
    ASSERT_TRUE(pump([&] { return items["GOLD"]->CurrentTradeSessionSettingId == 3; }));
    ASSERT_TRUE(pump([&] { return posted.size() >= 2; }));
    EXPECT_EQ(posted[0], "WatchlistTableNotification");
    EXPECT_EQ(posted[1], "OpenPositionTableNotification");
    EXPECT_EQ(session->Requestid, 77);
}

TEST_F(FeedSessionTest, RepliesAreDispatchedLikeSessionFrames) {
    session->connectChannels();
    protocol::RequestMessage r;
    r.message = "\x01" "30\x03" "10=1023\x03" "151=getopenpositions\x03\x02";
    r.isZMQ = true;
    session->sendMessage(r);
    std::thread server([this] {
        zmq_pollitem_t item;
        rep->getPollItem(item, ZMQ_POLLIN);
        if (zmq_poll(&item, 1, 5000) <= 0) return;
        rep->receiveDataWithFlags(0);
        rep->sendData("\x01" "40\x03" "10=1049\x03" "12=EURUSD\x03" "574=9\x03" "33=12\x03\x02", 0);
    });
    bool answered = pump([&] { return items["EURUSD"]->CurrentTradeSessionSettingId == 9; });
    server.join();
    EXPECT_TRUE(answered);
    EXPECT_EQ(session->Requestid, 12);
}

TEST_F(FeedSessionTest, AnUnfinishedStatusFrameDoesNotSpoilTheNextMessage) {
    session->ZMQNewMessage("IS;\x01" "40\x03" "10=1049\x03" "12=GOLD\x03" "574=4");
    session->ZMQNewMessage("IS;\x01" "40\x03" "10=1049\x03" "12=EURUSD\x03" "574=5\x03\x02");
    ASSERT_TRUE(pump([&] { return items["EURUSD"]->CurrentTradeSessionSettingId == 5; }));
    EXPECT_EQ(items["GOLD"]->CurrentTradeSessionSettingId, 0);
}

TEST_F(FeedSessionTest, TheKeepAliveIsBuiltWithoutTheSharedMessage) {
    session->Referenceid = "REF42";
    session->connectChannels();
    session->messageBase.messageDataDictionary().set(151, "half-filled request");
    std::optional<protocol::RequestMessage> keepAlive;
    std::thread worker([&] { keepAlive = session->conn->buildKeepAlive(); });
    worker.join();
    ASSERT_TRUE(keepAlive);
    EXPECT_TRUE(keepAlive->isZMQ);
    const std::string& m = keepAlive->message;
    EXPECT_NE(m.find("\x03" "10=1002\x03" "23=trader\x03" "19=REF42\x03" "21="), std::string::npos) << m;
    EXPECT_EQ(m.find("151="), std::string::npos);
    EXPECT_EQ(session->messageBase.messageDataDictionary().find(151)->size(), 19u);
}

TEST_F(FeedSessionTest, ReconnectWhileTheTcpSessionIsDownDoesNothing) {
    session->reconnectZMQandSubscribeAllItems();
    EXPECT_FALSE(session->conn->subscriptionFeed());
    EXPECT_TRUE(drainSubscriptions(*pub, 100ms).empty());
}

}  // namespace
}  // namespace state
