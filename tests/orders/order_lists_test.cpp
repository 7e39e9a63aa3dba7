// Requests that carry record lists: multi-account orders (tag 91), offsets and
// close-alls (tag 583).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <ctime>
#include <functional>

#include "orders/order_fixture.h"
#include "platform/log.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/notification_payloads.h"
#include "state/session_notifications.h"

namespace {

using orders::testing::OrderFixture;
using orders::testing::tr;
using model::Order;

class BulkOrderTest : public OrderFixture {
public:
    // `info` for accounts 1001 and 1002 (2 and 0.5 lots) on the road the ticket takes.
    void sendForTwoAccounts(const model::OrderInfo& info) {
        auto second = std::make_shared<model::AccountDetails>(*account);
        second->AccountId = 1002;
        state::ReferenceDataTestAccess::AccountDetailCollection(state::SessionTestAccess::referenceData(*session))
            .set("1002", second);
        std::vector<std::shared_ptr<Order>> accountOrders;
        for (const auto& [id, qty] : {std::pair{1001, "2"}, std::pair{1002, "0.5"}}) {
            model::OrderInfo one = marketBuy(qty);
            one.accountNo = id;
            accountOrders.push_back(manager->GenerateOrder(one));
        }
        manager->CreateNewBulkOrderMessage(manager->GenerateBulkOrderDetails(info), accountOrders);
    }
};

TEST_F(BulkOrderTest, OneOrderForTwoAccountsCarriesThemInTag91) {
    const auto details = manager->multiAccountOrderDetails({{1001, 2}, {1002, 0.5}});
    const std::string list = "1001\x05" "2.000000\x05" "42\x06" "1002\x05" "0.500000\x05" "42\x06";
    ASSERT_EQ(details, list);
    EXPECT_EQ(manager->multiAccountOrderDetails({{1001, std::nan("")}}), std::nullopt);

    model::OrderInfo info = limit(0, "");  // empty price: the Ask
    info.timeinForce = 3;                  // no wire value
    sendForTwoAccounts(info);
    ASSERT_EQ(sent, 1);
    EXPECT_EQ(body(), "10=77\x03" "23=trader\x03" "19=R9\x03" "12=GOLD\x03" "32=30\x03" "117=51\x03" "38=50.10\x03"
                      "39=\x03" "40=\x03" "90=0\x03" "36=45\x03" "77=-1\x03" "24=0\x03" "43=(null)\x03"
                      "56=50.00\x03" "54=50.10\x03" "61=50.05\x03" "60=51.00\x03" "62=49.00\x03"
                      "67=20261207101112\x03" "78=\x03" "91=" + list + "\x03");
    // Journalled, a confirmation armed, no placeholder and no request id spent.
    EXPECT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), 1u);
    EXPECT_EQ(manager->armedConfirmations(), 1);
    EXPECT_TRUE(state::SessionTestAccess::orderBook(*session).PendingOrderCollection().empty());
    EXPECT_EQ(state::servicesOf(*session).requestId(), 41);

    // An unknown instrument prices at 0.00; an order type without prices sends no 38.
    info.itemCode = "NONE";
    info.orderType = 0;
    sendForTwoAccounts(info);
    ASSERT_EQ(sent, 2);
    EXPECT_NE(body().find("38=(null)\x03"), std::string::npos);
    EXPECT_NE(body().find("56=0.00\x03" "54=0.00\x03" "61=0.00\x03"), std::string::npos);
    EXPECT_TRUE(reports.empty());
}

TEST_F(BulkOrderTest, AMarketOrderForSeveralAccountsLogsTheirTotalQuantity) {
    std::vector<std::string> lines;
    platform::Log::setSink([&](platform::LogLevel, const std::string& line) { lines.push_back(line); });
    model::OrderInfo info = marketBuy("2.5");
    sendForTwoAccounts(info);
    platform::Log::setSink(nullptr);
    ASSERT_EQ(sent, 1);
    EXPECT_EQ(body().find("\x03" "37="), std::string::npos);  // no quantity tag beside tag 91
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Market order sent: side 0, quantity 2.5"), lines.end());
}

class OffsetTest : public OrderFixture {};

TEST_F(OffsetTest, RefusalsPostOneTextWithoutTheOrder) {
    struct Case {
        const char* name;
        std::function<void(OffsetTest&)> arrange;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"allowed", [](auto&) {}, ""},
        {"the network is not tested here", [](auto& f) { state::servicesOf(*f.session).connection().isNetworkAvailable = false; }, ""},
        {"session settings 1 pass", [](auto& f) { f.sessionSettings->settingsID = 1; }, ""},
        {"session settings 2", [](auto& f) { f.sessionSettings->settingsID = 2; }, tr("1071")},
        {"no session settings", [](auto& f) { f.item->CurrentTradeSessionSettingId = 9; }, tr("1049")},
        {"unknown instrument", [](auto& f) { state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*f.session)).clear(); }, tr("1049")},
        {"close only", [](auto& f) { f.account->tradingStatus = 4; }, tr("1072")},
        {"view only", [](auto& f) { f.account->tradingStatus = 2; }, tr("1072")},
        {"suspended", [](auto& f) { f.account->tradingStatus = 3; }, tr("0334")},
        {"equity hit", [](auto& f) { f.account->tradingStatus = 5; }, tr("0333")},
        {"close-only access", [](auto& f) { f.account->accountaccessType = 2; }, tr("1072")},
        {"group not trading", [](auto& f) { f.group->TradingEnabled = false; }, tr("1072")},
        {"unknown account", [](auto& f) { state::ReferenceDataTestAccess::AccountDetailCollection(state::SessionTestAccess::referenceData(*f.session)).clear(); }, tr("1072")},
        {"instrument not in the group", [](auto& f) { f.group->GroupInstrumentCollection.clear(); }, tr("1075")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        c.arrange(*this);
        manager->PlaceOffsetOrder("P1\x05" "1\x06\x07\x07", "GOLD", "1001");
        EXPECT_EQ(sent, c.expected.empty() ? 1 : 0);
        if (c.expected.empty()) {
            EXPECT_TRUE(reports.empty());  // no "AbortModal": the dialog waits for the answer
            continue;
        }
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].text, c.expected);
        EXPECT_EQ(reports[0].order, nullptr);
    }
}

TEST_F(OffsetTest, TheListGoesOutByteForByteWithThePingsServerTime) {
    state::SessionTestAccess::ProcessNewMessage(*session, {"10=1019", "21=20261207093000"}, 1019);
    state::SessionTestAccess::ProcessNewMessage(*session, {"10=1045", "34=9", "21=20261207094500"}, 1045);
    model::OffsetPosition a, b;
    a.postionId = "A";
    a.offsetQty = "1";
    b.postionId = "B";
    b.offsetQty = "2";
    const auto list = orders::OrderMananger::offsetPositionList("P1", "3", {a, b});
    const std::string expected = "P1\x05" "3\x06\x07" "A\x05" "1\x06" "B\x05" "2\x06\x07";
    ASSERT_EQ(list, expected);
    b.offsetQty = std::string("2") + '\x03';
    EXPECT_EQ(orders::OrderMananger::offsetPositionList("P1", "3", {a, b}), std::nullopt);

    manager->PlaceOffsetOrder(*list, "GOLD", "1001");
    ASSERT_EQ(sent, 1);
    EXPECT_EQ(body(), "10=1052\x03" "34=1001\x03" "12=GOLD\x03" "583=" + expected + "\x03" "23=trader\x03"
                      "19=R9\x03" "21=20261207093000\x03");
    EXPECT_EQ(state::servicesOf(*session).requestId(), 41);
}

class CloseAllTest : public OrderFixture {
public:
    void SetUp() override {
        OrderFixture::SetUp();
        item->Bid = 1.2345;
        item->Ask = 1.2355;
        bulkToken = platform::NotificationCenter::defaultCenter().addObserver(
            state::notifications::kBulkClose, [this](const platform::Notification& n) {
                const auto* r = n.as<state::BulkCloseResult>();
                bulk.push_back(r ? r->status : "?");
            });
    }
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(bulkToken);
        OrderFixture::TearDown();
    }
    std::string list(const std::vector<std::shared_ptr<Order>>& positions, std::int64_t type) {
        return manager->closePositionsList(positions, type).value_or("(refused)");
    }
    platform::NotificationCenter::Token bulkToken = 0;
    std::vector<std::string> bulk;
};

const std::string kZeros = "0\x07" "0\x07" "0\x07" "0\x07\x07";

TEST_F(CloseAllTest, TheListHasElevenSections) {
    const auto p1 = openPosition(0, "1", "1001", "70001");
    const auto p2 = openPosition(0, "2.5", "1002", "70002");
    const auto p3 = openPosition(0, "4", "1001", "70003");
    const std::string prices = "1\x05" "1.234500\x05" "1.235500\x05" "20261207101112\x06\x07";
    EXPECT_EQ(list({p1, p2}, 3), "1001\x06" "1002\x06\x07" "3\x07" "2\x07" "1\x06" "1\x06\x07"
                                 "70001\x05\x05" "1\x05" "1001\x06" "70002\x05\x05" "2.5\x05" "1002\x06\x07" +
                                     prices + kZeros);
    EXPECT_EQ(list({p1, p2, p3}, 1),
              "1001\x06" "1002\x06\x07" "1\x07" "2\x07" "1\x06" "1\x06" "1\x06\x07" "\x07" + prices + kZeros);
    EXPECT_EQ(list({}, 3), "\x07" "3\x07" "2\x07" "\x07" "\x07" "\x07" + kZeros);
    item->UpdateTime.clear();
    EXPECT_EQ(list({p1}, 1), "1001\x06\x07" "1\x07" "2\x07" "1\x06\x07" "\x07" "1\x05" "1.234500\x05"
                             "1.235500\x05" "\x06\x07" + kZeros);
    // A position of an instrument no longer held: id and prices 0.
    p1->ItemCode = "GONE";
    EXPECT_EQ(list({p1}, 1), "1001\x06\x07" "1\x07" "2\x07" "0\x06\x07" "\x07" "0\x05" "0.000000\x05"
                             "0.000000\x05" "\x06\x07" + kZeros);
}

TEST_F(CloseAllTest, SendsWithTheNextRequestIdAndTheServerDateInLocalTime) {
    setenv("TZ", "XST-3", 1);  // three hours east of UTC
    tzset();
    using namespace std::chrono;
    state::SessionTestAccess::setServerDate(*session, sys_days{2026y / 12 / 7} + 9h);
    const auto p1 = openPosition(0, "1", "1001", "70001");
    manager->createBulkClosePositionInfo({p1}, 3);
    ASSERT_EQ(sent, 1);
    const std::string first = body();
    EXPECT_EQ(first, "10=82\x03" "583=" + list({p1}, 3) + "\x03" "20=42\x03" "23=trader\x03" "19=R9\x03"
                     "21=20261207120000\x03");
    EXPECT_EQ(bulk, std::vector<std::string>{"82"});
    // The session's counter stays: the next close-all sends the same id.
    manager->createBulkClosePositionInfo({p1}, 3);
    EXPECT_EQ(body(), first);
    EXPECT_EQ(state::SessionTestAccess::orderBook(*session).OpenOrderCollection().size(), 1u);

    // A separator in a position's value: nothing sent, nothing announced.
    p1->OpenPositionId = std::string("7") + '\x05';
    manager->createBulkClosePositionInfo({p1}, 3);
    EXPECT_EQ(sent, 2);
    EXPECT_EQ(bulk.size(), 2u);
}

TEST_F(CloseAllTest, EachTickedPositionIsCheckedAsAMarketCloseOfItsRemainder) {
    const auto p1 = openPosition(0, "3", "1001", "70001");
    p1->timeinForce = 1;
    manager->validateBeforeCloseAllPositions(*p1);
    EXPECT_TRUE(reports.empty());
    account->tradingStatus = 3;
    manager->validateBeforeCloseAllPositions(*p1);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, tr("0334"));
    ASSERT_TRUE(reports[0].order);
    EXPECT_EQ(reports[0].order->LiqudateOrderNumber(), "70001");
    EXPECT_TRUE(reports[0].order->isCloseNew);
    EXPECT_EQ(reports[0].order->tradingMode, Order::kSell);
    EXPECT_EQ(reports[0].order->OrderQty, "3");
    EXPECT_EQ(reports[0].order->deviation, -1);
    EXPECT_EQ(sent, 0);
}

}  // namespace
