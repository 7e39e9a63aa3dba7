// The order book fed by order-status (62), execution (67) and settlement (66)
// messages through the session's dispatcher.
#include "state/order_book.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/item_details.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "state/business_base.h"
#include "state/recording_ui_services.h"
#include "state/session_notifications.h"

namespace state {
namespace {

using Fields = std::vector<std::string>;
using model::Order;

class OrderBookTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        SessionParts parts;
        parts.outgoing = [](const protocol::RequestMessage&) { return true; };
        session = BusinessBase::create(ui, ui, std::move(parts));
        token = platform::NotificationCenter::defaultCenter().addObserver(
            notifications::kPendingOrder, [this](const platform::Notification&) { ++pendingPosted; });
        auto gold = std::make_shared<model::ItemDetails>();
        gold->InstrumentId = 7;
        gold->Code = "GOLD";
        session->referenceData().ItemCollection.set("GOLD", gold);
    }
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(token);
        session.reset();
        FakeTimeTest::TearDown();
    }
    void deliver(std::int32_t type, Fields fields) {
        fields.insert(fields.begin(), "10=" + std::to_string(type));
        IncomingMessage m;
        m.fields = std::move(fields);
        m.type = type;
        session->checkNewMessage(std::move(m));
        loop->runUntilIdle();
    }
    void status(int code, Fields fields) {
        fields.insert(fields.begin(), "73=" + std::to_string(code));
        deliver(62, std::move(fields));
    }
    void position(int code, Fields fields) {
        fields.insert(fields.begin(), "73=" + std::to_string(code));
        deliver(67, std::move(fields));
    }
    std::size_t journalLines() const { return session->journal().JournalDataCollection.size(); }
    OrderBook& book() { return session->orderBook(); }
    // An open position "P1" of pending order "W1" (a sell limit with brackets).
    void openPosition(Fields extra = {}) {
        status(28, {"33=1", "79=W1", "32=30", "36=46", "37=4", "38=10.5", "39=9", "40=12", "117=52"});
        status(23, {"79=W1"});
        Fields f = {"80=P1", "79=W1", "34=1001", "12=GOLD", "545=10", "76=4", "37=4", "38=10.5"};
        f.insert(f.end(), extra.begin(), extra.end());
        position(74, f);
    }

    testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    platform::NotificationCenter::Token token;
    int pendingPosted = 0;
};

// --- Pending orders ------------------------------------------------------------

TEST_F(OrderBookTest, ConfirmationReplacesThePlaceholderNamedByTag33) {
    for (int id : {5, 5}) {
        auto placeholder = std::make_shared<Order>();
        placeholder->RequestId = id;
        book().AddPendingOrder(placeholder);
    }
    status(28, {"33=5", "79=W1", "32=30", "36=46", "37=2", "78=00010101000000", "43=99"});
    ASSERT_EQ(book().PendingOrderCollection.size(), 2u);  // only the first placeholder goes
    const Order& o = *book().PendingOrderCollection.back();
    EXPECT_EQ(o.PendingOrderId, "W1");
    EXPECT_EQ(o.RequestId, 0);
    EXPECT_EQ(o.orderType, Order::kLimit);
    EXPECT_EQ(o.tradingMode, Order::kSell);
    EXPECT_EQ(o.TransactionDateTime, "");
    EXPECT_EQ(o.timeinForce, 0);
    EXPECT_EQ(pendingPosted, 1);
    EXPECT_EQ(journalLines(), 1u);

    // A repeat keeps one record with the later fields; a market order posts nothing.
    status(28, {"33=6", "79=W1", "32=29", "36=47", "37=3"});
    ASSERT_EQ(book().PendingOrderCollection.size(), 2u);
    EXPECT_EQ(book().PendingOrderCollection.back()->OrderQty, "3");
    EXPECT_EQ(book().PendingOrderCollection.back()->tradingMode, Order::kBuy);
    EXPECT_EQ(pendingPosted, 1);
}

TEST_F(OrderBookTest, UpdatesFollowTheBracketPricesOfTheMessage) {
    struct Case {
        int code;
        Fields fields;
        std::string limit, stop;
    };
    const Case cases[] = {
        {22, {"79=W1", "76=1"}, "", ""},
        {75, {"79=W1", "38=11"}, "", ""},
        {75, {"79=W1", "39=9.5", "38=11"}, "9.5", ""},
        {22, {"40=13", "79=W1", "39=9.5", "39=9.7"}, "9.7", "13"},
    };
    for (const Case& c : cases) {
        status(28, {"79=W1", "32=30", "39=9", "40=12"});
        status(c.code, c.fields);
        ASSERT_EQ(book().PendingOrderCollection.size(), 1u);
        EXPECT_EQ(book().PendingOrderCollection[0]->LimitPrice, c.limit) << c.code;
        EXPECT_EQ(book().PendingOrderCollection[0]->StopPrice, c.stop) << c.code;
    }
}

TEST_F(OrderBookTest, RemovalMovesOnlyAKnownOrderAndUnknownStatusesChangeNothing) {
    // Without any request id yet, a new record does not replace another server record.
    status(28, {"79=W0", "32=30"});
    status(28, {"79=W1", "32=30"});
    ASSERT_EQ(book().PendingOrderCollection.size(), 2u);
    for (int code : {23, 26, 27, 21, 826, 99}) {
        status(code, {"79=W9"});
        EXPECT_EQ(book().PendingOrderCollection.size(), 2u) << code;
    }
    position(99, {"80=W1", "76=0"});
    status(26, {"79=W1"});
    EXPECT_EQ(book().PendingOrderCollection.size(), 2u);
    status(23, {"79=W1"});
    ASSERT_EQ(book().PendingOrderCollection.size(), 1u);
    EXPECT_EQ(book().PendingOrderCollectionCopy.back()->PendingOrderId, "W1");
}

// --- Cancelled and rejected ------------------------------------------------------

TEST_F(OrderBookTest, CancellationRecordsTheQuantityStillOpen) {
    status(28, {"79=W1", "32=30", "37=10", "76=10"});
    status(22, {"79=W1", "32=30", "37=10", "76=4"});
    status(24, {"33=9", "79=W1", "32=30", "37=10", "39=9", "78=20260102030405"});
    ASSERT_EQ(book().CancelledOrderCollection.size(), 1u);
    const Order& c = *book().CancelledOrderCollection[0];
    EXPECT_EQ(c.OrderQty, "4");
    EXPECT_EQ(c.RequestId, 9);
    EXPECT_EQ(c.LimitPrice, "");
    EXPECT_EQ(c.TransactionDateTime, "01/02/2026 03:04:05");
}

TEST_F(OrderBookTest, RejectionRecordsThePlaceholderItselfFoundByRequestId) {
    auto placeholder = std::make_shared<Order>();
    placeholder->RequestId = 12;
    placeholder->ItemCode = "GOLD";
    book().AddPendingOrder(placeholder);
    const std::size_t lines = journalLines();
    status(25, {"33=12", "74=80", "78=20260102030405"});
    ASSERT_EQ(book().CancelledOrderCollection.size(), 1u);
    EXPECT_EQ(book().CancelledOrderCollection[0], placeholder);
    ASSERT_EQ(book().PendingOrderCollectionCopy.size(), 1u);
    EXPECT_EQ(book().PendingOrderCollectionCopy[0], placeholder);
    EXPECT_TRUE(book().PendingOrderCollection.empty());
    EXPECT_EQ(placeholder->TransactionDateTime, "01/02/2026 03:04:05");
    EXPECT_EQ(journalLines(), lines + 1);

    // A rejection of an order nobody holds records nothing.
    status(25, {"33=13", "74=80"});
    EXPECT_EQ(book().CancelledOrderCollection.size(), 1u);
}

// --- Positions and brackets ---------------------------------------------------------

TEST_F(OrderBookTest, ExecutionTakesSideAndBracketsFromTheRemovedOrder) {
    openPosition();
    ASSERT_EQ(book().OpenOrderCollection.size(), 1u);
    const Order& p = *book().OpenOrderCollection[0];
    EXPECT_EQ(p.tradingMode, Order::kSell);
    EXPECT_EQ(p.orderType, Order::kLimit);
    EXPECT_EQ(p.deliveryMode, Order::kIntraday);
    EXPECT_EQ(p.LimitPrice, "9");
    EXPECT_EQ(p.StopPrice, "12");
    EXPECT_DOUBLE_EQ(p.Commision, 10);
    ASSERT_EQ(ui.sounds.size(), 1u);  // the trade confirmation

    // The same position id again is dropped, whatever it says.
    position(74, {"80=P1", "34=1002", "76=9"});
    EXPECT_EQ(book().OpenOrderCollection.size(), 1u);
    EXPECT_EQ(book().OpenOrderCollection[0]->AccountNumber, "1001");
    // Without a position id nothing is stored.
    position(74, {"34=1001", "76=2"});
    EXPECT_EQ(book().OpenOrderCollection.size(), 1u);
    EXPECT_TRUE(book().OpenOrderCollectionCopy.empty());
}

TEST_F(OrderBookTest, CommissionIsRescaledFromThePaidAmountAfterAllFields) {
    struct Case {
        Fields fields;
        double commission;
    };
    const Case cases[] = {
        {{"37=4", "76=2", "545=10"}, 5},   // quantity before commission and remaining
        {{"545=10", "76=1", "37=4"}, 2.5},
        {{"545=10", "76=1", "37=0"}, 10},  // no initial quantity: unchanged
        {{"545=10", "76=1"}, 10},
    };
    int n = 0;
    for (const Case& c : cases) {
        Fields f = {"80=X" + std::to_string(++n)};
        f.insert(f.end(), c.fields.begin(), c.fields.end());
        position(74, f);
        EXPECT_DOUBLE_EQ(book().OpenOrderCollection.back()->Commision, c.commission) << n;
    }
    // Partial closes rescale the paid amount, never the rescaled one.
    openPosition();
    for (auto [remaining, commission] : {std::pair{"2", 5.0}, std::pair{"1", 2.5}}) {
        position(73, {"80=P1", "76=" + std::string(remaining), "37=4", "38=11"});
        EXPECT_DOUBLE_EQ(book().OpenOrderCollection.back()->Commision, commission);
    }
    EXPECT_EQ(book().OpenOrderCollection.back()->OrderQty, "4");
    EXPECT_EQ(book().OpenOrderCollection.back()->OrderPrice, "11");
}

TEST_F(OrderBookTest, ARemainingQuantityOfZeroClosesWithoutApplyingTheMessage) {
    for (const char* zero : {"0", "0.00"}) {
        book().OpenOrderCollection.clear();
        openPosition();
        position(73, {"80=P1", "76=abc"});  // not a number: stays open
        ASSERT_EQ(book().OpenOrderCollection.size(), 1u) << zero;
        position(73, {"80=P1", std::string("76=") + zero, "38=99"});
        EXPECT_TRUE(book().OpenOrderCollection.empty()) << zero;
        EXPECT_EQ(book().OpenOrderCollectionCopy.back()->OrderPrice, "10.5") << zero;
    }
    // An execution already closed goes straight to the copy, without a confirmation.
    const std::size_t sounds = ui.sounds.size();
    position(74, {"80=P9", "76=0.00"});
    EXPECT_TRUE(book().OpenOrderCollection.empty());
    EXPECT_EQ(book().OpenOrderCollectionCopy.back()->OpenPositionId, "P9");
    EXPECT_EQ(ui.sounds.size(), sounds);
}

TEST_F(OrderBookTest, BracketLegsSetAndClearThePositionsPrices) {
    openPosition();
    const Order& p = *book().OpenOrderCollection[0];
    struct Case {
        int code;
        Fields fields;
        std::string limit, stop;
    };
    const Case cases[] = {
        {75, {"573=P1", "79=L1", "32=30", "38=8.5"}, "8.5", "12"},
        {28, {"573=P1", "79=S1", "38=1", "32=31", "38=13"}, "8.5", "13"},  // the last 32 decides
        {24, {"573=P1", "79=L1", "32=30", "38=8.5"}, "", "13"},
        {27, {"573=P1", "79=S1", "38=14"}, "", "13"},                      // no type: nothing
        {23, {"573=P2", "79=S1", "32=31", "38=13"}, "", "13"},             // another position
        {25, {"573=P1", "79=S1", "32=31", "38=13"}, "", ""},
    };
    for (const Case& c : cases) {
        status(c.code, c.fields);
        EXPECT_EQ(p.LimitPrice, c.limit) << c.code;
        EXPECT_EQ(p.StopPrice, c.stop) << c.code;
    }
}

// --- Settlements -------------------------------------------------------------------

TEST_F(OrderBookTest, SettlementBorrowsFromTheClosedPositionAndIsKeptOnce) {
    openPosition();
    position(74, {"80=C1", "76=4", "38=11.25"});
    position(73, {"80=P1", "76=0"});
    const std::size_t banners = ui.banners.size();
    for (int i = 0; i < 2; ++i)
        deliver(66, {"12=7", "34=1001", "80=P1", "86=S1", "87=C1", "88=-3.00", "89=4", "545=2"});
    ASSERT_EQ(book().SettledOrderCollection.size(), 1u);
    const Order& s = *book().SettledOrderCollection[0];
    EXPECT_EQ(s.ItemCode, "GOLD");
    EXPECT_EQ(s.OrderPrice, "10.5");
    EXPECT_EQ(s.SettledPrice, "11.25");
    EXPECT_EQ(s.tradingMode, Order::kSell);
    EXPECT_EQ(s.deliveryMode, Order::kIntraday);
    ASSERT_EQ(ui.banners.size(), banners + 1);
    EXPECT_NE(ui.banners.back().informativeText.find("GOLD @11.25"), std::string::npos);

    // An unknown instrument id gives an empty code; no settlement id: always kept.
    deliver(66, {"12=99", "80=P1"});
    deliver(66, {"12=99", "80=P1"});
    EXPECT_EQ(book().SettledOrderCollection.size(), 3u);
    EXPECT_EQ(book().SettledOrderCollection.back()->ItemCode, "");
}

}  // namespace
}  // namespace state
