// The session's side of the feed: the watchlist, subscriptions through the
// connection (seen on an XPUB socket), the status path through the
// dispatcher, and reconnecting.
#include <gtest/gtest.h>
#include <zmq.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "model/account_details.h"
#include "model/order.h"
#include "model/user_info.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "platform/test_env.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/xpub_subscriptions.h"
#include "support/session_test_access.h"
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
    symbolType = std::vector<std::string>{"EURUSD", "GBPUSD"};
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
    // A filter that drops every code stores nothing: the next full login finds the list.
    const std::vector<std::string> unknown{"OLDCODE", "GONE"};
    prefs.set("Watchlist.trader", unknown);
    make().LoadItemstoWatchlist("trader", selected);
    EXPECT_TRUE(selected.empty());
    EXPECT_EQ(prefs.stringArrayForKey("Watchlist.trader"), unknown);
}

TEST_F(WatchlistTest, AStoredListThatLostNoCodeIsNotWrittenAgain) {
    const std::vector<std::string> stored{"GOLD", "EURUSD"};
    prefs.set("Watchlist.trader", stored);
    make().LoadItemstoWatchlist("trader", selected);
    EXPECT_EQ(selected, stored);
    platform::ioQueue()->sync([] {});
    EXPECT_FALSE(std::filesystem::exists(dir / "preferences"));
}

// Loaded by parts (a fill spread over slices), a list ends as loaded whole:
// the same watchlist, stored list and marked instruments.
TEST_F(WatchlistTest, LoadedByPartsTheListEndsAsLoadedWhole) {
    const std::vector<std::string> stored{"GOLD", "OLDCODE", "EURUSD", "GONE"};
    for (const bool hasStored : {true, false}) {
        const auto load = [&](bool byParts) {
            items = makeItems({"EURUSD", "GBPUSD", "GOLD", "Live"});
            prefs.remove("Watchlist.trader");
            if (hasStored) prefs.set("Watchlist.trader", stored);
            symbolType = std::vector<std::string>{"GBPUSD", "NOSUCH", "GOLD"};
            selected.clear();
            if (!byParts) {
                make().LoadItemstoWatchlist("trader", selected);
            } else if (auto part = make().startLoad("trader")) {
                while (make().continueLoad(*part, 1, selected)) EXPECT_TRUE(selected.empty());
            }
            std::vector<std::string> marked;
            for (const auto& [code, item] : items)
                if (item->isWatchlistSymbol) marked.push_back(code);
            std::sort(marked.begin(), marked.end());
            return std::tuple(selected, prefs.stringArrayForKey("Watchlist.trader"), marked);
        };
        EXPECT_EQ(load(true), load(false)) << hasStored;
    }
    platform::ioQueue()->sync([] {});  // the writes land before the folder goes
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
    symbolType = std::vector<std::string>{"GOLD"};
    make().LoadItemstoWatchlist("trader", selected);
    EXPECT_EQ(selected, std::vector<std::string>{"GOLD"});  // the next login builds the default again
    // A code listed twice is subscribed or dropped once, where first seen.
    calls.clear();
    selected = {"GOLD", "EURUSD", "GOLD"};
    held = {"GBPUSD", "EURUSD", "GBPUSD"};
    make().SaveItemstoWatchList("trader", {"EURUSD", "EURUSD"}, selected);
    EXPECT_EQ(calls, (std::vector<std::string>{"+EURUSD", "+GBPUSD", "-GOLD"}));
}

// ---------------------------------------------------------------------------
// The session with its connection

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
        state::SessionParts parts;
        parts.preferences = &prefs;
        session = BusinessBase::create(ui, ui, std::move(parts));
        state::ReferenceDataTestAccess::userInfo(state::SessionTestAccess::referenceData(*session)) = std::make_shared<model::UserInfo>();
        state::SessionTestAccess::referenceData(*session).userInfo()->marketdepthPort = portOf(*pub);
        state::SessionTestAccess::referenceData(*session).userInfo()->hdServerPort = portOf(*rep);
        for (const auto& [code, item] : items) state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*session)).set(code, item);
        setAccounts({1});
        for (const char* name : {"WatchlistTableNotification", "ExecutedPositionTableNotification",
                                 "WatchlistUpdateNotification", "ChartDataReceivedNotification"})
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
        state::ReferenceDataTestAccess::AccountDetailCollection(state::SessionTestAccess::referenceData(*session)).clear();
        int id = 100;
        for (std::int32_t status : statuses) {
            auto account = std::make_shared<model::AccountDetails>();
            account->tradingStatus = status;
            state::ReferenceDataTestAccess::AccountDetailCollection(state::SessionTestAccess::referenceData(*session)).set(std::to_string(id++), account);
        }
    }
    bool pump(const std::function<bool()>& done, std::chrono::milliseconds timeout = std::chrono::milliseconds(5000)) {
        return eventually(
            [&] {
                loop->runUntilIdle();
                return done();
            },
            timeout);
    }

    platform::testing::TempDir dir;
    platform::Preferences prefs{dir / "preferences"};
    std::shared_ptr<platform::ManualRunLoop> loop;
    std::shared_ptr<support::ZMQContext> context;
    std::shared_ptr<support::ZMQSocket> pub;
    std::shared_ptr<support::ZMQSocket> rep;
    testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    Items items = makeItems({"EURUSD", "GOLD"});
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
};

TEST_F(FeedSessionTest, ASingleSuspendedAccountSubscribesNoItems) {
    setAccounts({3});
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    state::SessionTestAccess::feedChannels(*session).ProcessSubscribeandUnSubscribeItems({"GOLD"}, true);
    EXPECT_EQ(drainSubscriptions(*pub, 2), (std::vector<std::string>{"+IS;", "+*#bm#*:"}));
    setAccounts({3, 1});
    state::SessionTestAccess::feedChannels(*session).ProcessSubscribeandUnSubscribeItems({"GOLD"}, true);
    state::SessionTestAccess::feedChannels(*session).ProcessSubscribeandUnSubscribeItems({"GOLD"}, false);
    EXPECT_EQ(drainSubscriptions(*pub, 4), (std::vector<std::string>{"+GOLD", "+MD_GOLD;", "-GOLD", "-MD_GOLD;"}));
}

TEST_F(FeedSessionTest, SavingTheWatchlistChangesTheSubscriptions) {
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)) = {"EURUSD", "GOLD"};
    state::SessionTestAccess::feedChannels(*session).ProcessSubscribeandUnSubscribeItems(state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)), true);
    drainSubscriptions(*pub, 6);
    auto position = std::make_shared<model::Order>();
    position->ItemCode = "GOLD";
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(position);
    state::commandsOf(*session).SaveItemstoWatchList({});
    EXPECT_EQ(drainSubscriptions(*pub, 4), (std::vector<std::string>{"+GOLD", "+MD_GOLD;", "-EURUSD", "-MD_EURUSD;"}));
    EXPECT_TRUE(state::SessionTestAccess::referenceData(*session).selectedSymbols().empty());
    ASSERT_TRUE(pump([&] { return !posted.empty(); }));
    EXPECT_EQ(posted, std::vector<std::string>{"WatchlistUpdateNotification"});
}

TEST_F(FeedSessionTest, OrdersOfHiddenAccountsAreNotHeldByTheWatchlist) {
    setAccounts({1, 3});  // "100" seen, "101" suspended
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)) = {"EURUSD", "GOLD"};
    state::SessionTestAccess::feedChannels(*session).ProcessSubscribeandUnSubscribeItems(state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session)), true);
    drainSubscriptions(*pub, 6);
    auto position = std::make_shared<model::Order>();
    position->ItemCode = "GOLD";
    position->AccountNumber = "100";
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(position);
    auto hidden = std::make_shared<model::Order>();
    hidden->ItemCode = "EURUSD";
    hidden->AccountNumber = "101";
    state::OrderBookTestAccess::PendingOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(hidden);
    state::commandsOf(*session).SaveItemstoWatchList({});
    EXPECT_EQ(drainSubscriptions(*pub, 4), (std::vector<std::string>{"+GOLD", "+MD_GOLD;", "-EURUSD", "-MD_EURUSD;"}));
}

TEST_F(FeedSessionTest, TheDefaultWatchlistIsTheFirstSymbolTypeAndLoginSubscribesAllItems) {
    state::ReferenceDataTestAccess::symbolTypeCollection(state::SessionTestAccess::referenceData(*session)).set("Metals", "GOLD:Gold");
    state::ReferenceDataTestAccess::symbolTypeCollection(state::SessionTestAccess::referenceData(*session)).set("Forex", "EURUSD:Euro,GBPUSD:Pound");
    state::commandsOf(*session).LoadItemstoWatchlist();
    EXPECT_EQ(state::SessionTestAccess::referenceData(*session).selectedSymbols(), std::vector<std::string>{"GOLD"});
    EXPECT_EQ(prefs.stringArrayForKey("Watchlist.trader"), std::vector<std::string>{"GOLD"});
    EXPECT_TRUE(items["GOLD"]->isWatchlistSymbol);

    auto pending = std::make_shared<model::Order>();
    pending->ItemCode = "EURUSD";
    state::OrderBookTestAccess::PendingOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(pending);
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    drainSubscriptions(*pub, 2);
    state::SessionTestAccess::feedChannels(*session).subscribeAllItems();
    EXPECT_EQ(drainSubscriptions(*pub, 4), (std::vector<std::string>{"+GOLD", "+MD_GOLD;", "+EURUSD", "+MD_EURUSD;"}));
}

TEST_F(FeedSessionTest, FeedTextsReachTheRecordsOnTheMainThread) {
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    state::SessionTestAccess::feedChannels(*session).ProcessSubscribeandUnSubscribeItems({"GOLD"}, true);
    ASSERT_TRUE(pump([&] {
        pub->sendData("MD_GOLD;1800.5,10|1800.4,5|;1800.7,3", 0);
        std::this_thread::sleep_for(5ms);
        return state::SessionTestAccess::feedChannels(*session).buyMarketDepthDataCollection().contains("GOLD");
    }));
    EXPECT_EQ(state::SessionTestAccess::feedChannels(*session).buyMarketDepthDataCollection().find("GOLD")->size(), 2u);
    EXPECT_EQ(*state::SessionTestAccess::feedChannels(*session).sellMarketDepthDataCollection().find("GOLD"), std::vector<std::string>{"1800.7,3"});

    state::SessionTestAccess::feedChannels(*session).ZMQNewMessage("GOLD\x04" "20240102103000\x04" "0\x04" "18005\x04" "1");
    EXPECT_DOUBLE_EQ(items["GOLD"]->Last, 1800.5);
}

TEST_F(FeedSessionTest, ATickMovesBidAndAskByItsSpreadOnce) {
    model::ItemDetails& gold = *items["GOLD"];
    gold.Spreadtype = model::ItemDetails::kSpreadTopup;
    gold.BidSpread = 2;
    gold.AskSpread = 3;
    gold.priceTick = 0.1;
    // Bid 1800.0 and ask 1801.0 at one decimal; the same text twice lands the same prices.
    const std::string tick = "GOLD\x04" "20240102103000\x04" "0\x04" "18005\x04" "18000\x04" "18010\x04" "1";
    for (int i = 0; i < 2; ++i) {
        state::SessionTestAccess::feedChannels(*session).ZMQNewMessage(tick);
        EXPECT_NEAR(gold.Bid, 1799.8, 1e-9);
        EXPECT_NEAR(gold.Ask, 1801.3, 1e-9);
    }
}

TEST_F(FeedSessionTest, AHandOffsTicksEndOnEachInstrumentsLastAmongDepthsStatusesAndUnknownCodes) {
    auto& feed = state::SessionTestAccess::feedChannels(*session);
    const auto tick = [](const char* code, std::size_t raw) {
        return std::string(code) + "\x04" "20240102103000\x04" "0\x04" + std::to_string(raw) + "\x04" "1";
    };
    struct Case {
        const char* name;
        std::size_t ticks;  // GOLD on odd ones, EURUSD on even ones
        bool status;        // a status of GOLD half way
    };
    for (const Case& c : {Case{"fewer than a run", 3, false}, Case{"several runs", 75, true}}) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> texts;
        for (std::size_t i = 0; i < c.ticks; ++i) {
            texts.push_back(tick(i % 2 ? "GOLD" : "EURUSD", 100 + i));
            texts.push_back(tick("NONE", i));
            texts.push_back("MD_GOLD;" + std::to_string(i) + ",1|;7,2");
            if (c.status && i == c.ticks / 2)
                texts.push_back("IS;\x01" "40\x03" "10=1049\x03" "12=GOLD\x03" "572=1\x03" "574=9\x03\x02;x");
        }
        feed.ZMQNewMessages(texts);
        const std::size_t lastGold = (c.ticks - 1) % 2 ? c.ticks - 1 : c.ticks - 2;
        EXPECT_DOUBLE_EQ(items["GOLD"]->Last, double(100 + lastGold) / 10);
        EXPECT_DOUBLE_EQ(items["EURUSD"]->Last, double(100 + (c.ticks - 1) / 2 * 2) / 10);
        EXPECT_EQ(*feed.buyMarketDepthDataCollection().find("GOLD"), std::vector<std::string>{std::to_string(c.ticks - 1) + ",1"});
        state::commandsOf(*session).recalculateChangedAccounts();  // ends the turn
        std::vector<std::string> ticked;
        for (const model::ItemDetails* item : state::viewOf(*session).tickedInstruments().items) ticked.emplace_back(item->Code);
        std::sort(ticked.begin(), ticked.end());
        EXPECT_EQ(ticked, (std::vector<std::string>{"EURUSD", "GOLD"}));
        if (c.status) {
            EXPECT_TRUE(pump([&] { return items["GOLD"]->CurrentTradeSessionSettingId == 9; }));
        }
    }
}

TEST_F(FeedSessionTest, StatusMessagesTakeTheDispatcherPath) {
    state::SessionTestAccess::feedChannels(*session).ZMQNewMessage("IS;\x01" "40\x03" "10=1049\x03" "12=GOLD\x03" "572=1\x03" "574=3\x03" "20=77\x03" "21=20240102030405\x03\x02;x");
    ASSERT_TRUE(pump([&] { return items["GOLD"]->CurrentTradeSessionSettingId == 3; }));
    ASSERT_TRUE(pump([&] { return !posted.empty(); }));
    pump([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_EQ(posted, std::vector<std::string>{"WatchlistTableNotification"});  // the only table it changes
    // Only the TCP session sets the request id and the server time.
    EXPECT_EQ(state::servicesOf(*session).requestId(), 0);
    EXPECT_FALSE(static_cast<protocol::AppContext&>(*session).serverTime());
}

TEST_F(FeedSessionTest, OnlyTheAnswerToTheRequestSentIsDispatched) {
    // The request channel does not depend on the feed: here the feed cannot connect.
    state::SessionTestAccess::referenceData(*session).userInfo()->marketdepthPort = 0;
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    auto roundTrip = [this](const std::string& request, const std::string& reply) {
        protocol::RequestMessage r;
        r.message = "\x01" "30\x03" + request + "\x03\x02";
        r.isZMQ = true;
        static_cast<protocol::AppContext&>(*session).sendMessage(r);
        zmq_pollitem_t item;
        rep->getPollItem(item, ZMQ_POLLIN);
        ASSERT_GT(zmq_poll(&item, 1, 5000), 0);
        rep->receiveDataWithFlags(0);
        rep->sendData("\x01" "40\x03" + reply + "\x03\x02", 0);
    };
    // An executed-positions answer refreshes its table, a chart answer tells the charts.
    auto tables = [this] {
        return std::count(posted.begin(), posted.end(), "ExecutedPositionTableNotification") +
               std::count(posted.begin(), posted.end(), "ChartDataReceivedNotification");
    };
    const std::string positions = "10=1023\x03" "151=getexecutedpositions";
    const std::string chart = "10=1040\x03" "12=GOLD";
    struct Case {
        std::string request;
        std::string reply;
        bool dispatched;
    } cases[] = {
        {positions, "10=1049\x03" "12=EURUSD\x03" "574=9", false},
        {positions, "10=1041\x03" "17=key", false},
        {positions, "10=44\x03" "105=elsewhere", false},
        {chart, "10=1024\x03" "151=x", false},
        {positions, "10=1024\x03" "151=getexecutedpositions", true},
        {chart, "10=1041\x03" "17=<1~GOLD^O~>", true},
    };
    for (const Case& c : cases) {
        const auto before = tables();
        roundTrip(c.request, c.reply);
        // The answer to a later request is handled after this one (a chart answer:
        // a table's changes in one pass of the loop are announced once).
        roundTrip(chart, "10=1041\x03" "17=<1~GOLD^O~>");
        const long expected = c.dispatched ? 2 : 1;
        ASSERT_TRUE(pump([&] { return tables() - before >= expected; })) << c.reply;
        pump([] { return false; }, std::chrono::milliseconds(50));
        EXPECT_EQ(tables() - before, expected) << c.reply;
    }
    EXPECT_EQ(state::servicesOf(*session).requestId(), 0);  // replies leave the counter alone
    EXPECT_EQ(items["EURUSD"]->CurrentTradeSessionSettingId, 0);
    EXPECT_EQ(ui.anotherLocation.size(), 0u);
}

TEST_F(FeedSessionTest, AnUnfinishedStatusFrameDoesNotSpoilTheNextMessage) {
    state::SessionTestAccess::feedChannels(*session).ZMQNewMessage("IS;\x01" "40\x03" "10=1049\x03" "12=GOLD\x03" "574=4");
    state::SessionTestAccess::feedChannels(*session).ZMQNewMessage("IS;\x01" "40\x03" "10=1049\x03" "12=EURUSD\x03" "574=5\x03\x02");
    ASSERT_TRUE(pump([&] { return items["EURUSD"]->CurrentTradeSessionSettingId == 5; }));
    EXPECT_EQ(items["GOLD"]->CurrentTradeSessionSettingId, 0);
}

TEST_F(FeedSessionTest, TheKeepAliveIsBuiltWithoutTheSharedMessage) {
    state::SessionTestAccess::setSessionValues(*session, state::servicesOf(*session).requestId(), "REF42");
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    state::servicesOf(*session).outgoingMessage().messageDataDictionary().set(151, "half-filled request");
    std::optional<protocol::RequestMessage> keepAlive;
    std::thread worker([&] { keepAlive = state::servicesOf(*session).connection().buildKeepAlive(); });
    worker.join();
    ASSERT_TRUE(keepAlive);
    EXPECT_TRUE(keepAlive->isZMQ);
    const std::string& m = keepAlive->message;
    EXPECT_NE(m.find("\x03" "10=1002\x03" "23=trader\x03" "19=REF42\x03" "21="), std::string::npos) << m;
    EXPECT_EQ(m.find("151="), std::string::npos);
    EXPECT_EQ(state::servicesOf(*session).outgoingMessage().messageDataDictionary().find(151)->size(), 19u);

    // A later login connects the same channel again: its keep-alive carries the new values.
    state::SessionTestAccess::setSessionValues(*session, state::servicesOf(*session).requestId(), "REF43");
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    keepAlive = state::servicesOf(*session).connection().requestChannel()->keepAliveBuilder()();
    ASSERT_TRUE(keepAlive);
    EXPECT_NE(keepAlive->message.find("\x03" "19=REF43\x03"), std::string::npos) << keepAlive->message;

    // Without a reference id it is built all the same, its missing values as "(null)".
    state::SessionTestAccess::setSessionValues(*session, state::servicesOf(*session).requestId(), std::nullopt);
    state::SessionTestAccess::feedChannels(*session).connectChannels();
    keepAlive = state::servicesOf(*session).connection().requestChannel()->keepAliveBuilder()();
    ASSERT_TRUE(keepAlive);
    EXPECT_NE(keepAlive->message.find("\x03" "23=trader\x03" "19=(null)\x03" "21=(null)\x03"), std::string::npos)
        << keepAlive->message;
}

TEST_F(FeedSessionTest, AStatusTextCarriesOnlyTheInstrumentStatus) {
    const auto key = state::SessionTestAccess::sessionKey(*session);
    for (const char* frame : {"10=44\x03" "105=elsewhere", "10=33\x03" "19=EVIL\x03" "21=20240102030405",
                              "10=47\x03" "160=PACKED", "10=18", "10=1028", "10=1024\x03" "151=x"})
        state::SessionTestAccess::feedChannels(*session).ZMQNewMessage(std::string("IS;\x01" "40\x03") + frame + "\x03\x02;x");
    state::SessionTestAccess::feedChannels(*session).ZMQNewMessage("IS;\x01" "40\x03" "10=1049\x03" "12=GOLD\x03" "574=6\x03\x02");
    EXPECT_EQ(items["GOLD"]->CurrentTradeSessionSettingId, 6);
    loop->runUntilIdle();
    EXPECT_TRUE(ui.anotherLocation.empty());
    EXPECT_TRUE(ui.loginMessages.empty());
    EXPECT_EQ(state::SessionTestAccess::sessionKey(*session), key);
    EXPECT_FALSE(state::servicesOf(*session).referenceId());
    EXPECT_EQ(std::count(posted.begin(), posted.end(), "WatchlistTableNotification"), 1);
}

TEST_F(FeedSessionTest, ReconnectWhileTheTcpSessionIsDownDoesNothing) {
    state::commandsOf(*session).reconnectZMQandSubscribeAllItems();
    EXPECT_FALSE(state::servicesOf(*session).connection().subscriptionFeed());
    EXPECT_TRUE(drainSubscriptions(*pub, 0).empty());
}

}  // namespace
}  // namespace state
