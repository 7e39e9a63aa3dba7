// The order book fed by order-status (62), execution (67) and settlement (66)
// messages through the session's dispatcher.
#include "state/order_book.h"
#include "state/history_orders.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "model/formatter.h"
#include "model/open_order_hd.h"
#include "model/pending_order_hd.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
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
        session = BusinessBase::create(ui, ui);
        token = platform::NotificationCenter::defaultCenter().addObserver(
            notifications::kPendingOrder, [this](const platform::Notification&) { ++pendingPosted; });
        auto gold = std::make_shared<model::ItemDetails>();
        gold->InstrumentId = 7;
        gold->Code = "GOLD";
        state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*session)).set("GOLD", gold);
    }
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(token);
        session.reset();
        FakeTimeTest::TearDown();
    }
    // Type 62 or 67 with status `code`, or 66 with code 0.
    void deliver(int type, int code, Fields f) {
        if (code) f.insert(f.begin(), "73=" + std::to_string(code));
        f.insert(f.begin(), "10=" + std::to_string(type));
        IncomingMessage m = IncomingMessage::ofFields(type, f);
        state::SessionTestAccess::checkNewMessage(*session, std::move(m));
        loop->runUntilIdle();
    }
    void status(int code, Fields f) { deliver(62, code, std::move(f)); }
    void position(int code, Fields f) { deliver(67, code, std::move(f)); }
    // Position "P1" of the filled sell limit "W1", which had brackets 9 and 12.
    void openPosition() {
        status(28, {"33=1", "79=W1", "32=30", "36=46", "37=4", "38=10.5", "39=9", "40=12", "117=52"});
        status(23, {"79=W1"});
        position(74, {"80=P1", "79=W1", "34=1001", "12=GOLD", "545=10", "76=4", "37=4", "38=10.5"});
    }
    OrderBook& book() { return state::SessionTestAccess::orderBook(*session); }
    std::size_t journal() const { return state::SessionTestAccess::journal(*session).JournalDataCollection().size(); }

    testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    platform::NotificationCenter::Token token;
    int pendingPosted = 0;
};

TEST_F(OrderBookTest, ConfirmationReplacesThePlaceholderNamedByTag33) {
    for (int i = 0; i < 2; ++i) {
        auto placeholder = std::make_shared<Order>();
        placeholder->RequestId = 5;
        book().AddPendingOrder(placeholder);
    }
    status(28, {"33=5", "79=W1", "32=30", "36=46", "78=00010101000000", "43=99"});
    ASSERT_EQ(book().PendingOrderCollection().size(), 2u);  // only the first placeholder goes
    const Order& o = *book().PendingOrderCollection().back();
    EXPECT_EQ(o.RequestId, 0);
    EXPECT_EQ(o.orderType, Order::kLimit);
    EXPECT_EQ(o.tradingMode, Order::kSell);
    EXPECT_EQ(o.TransactionDateTime, "");
    EXPECT_EQ(pendingPosted, 1);
    EXPECT_EQ(journal(), 1u);
    // A repeat keeps one record with the later fields; a market order posts nothing.
    status(28, {"33=6", "79=W1", "32=29", "36=47", "37=3"});
    ASSERT_EQ(book().PendingOrderCollection().size(), 2u);
    EXPECT_EQ(book().PendingOrderCollection().back()->OrderQty, "3");
    EXPECT_EQ(book().PendingOrderCollection().back()->tradingMode, Order::kBuy);
    EXPECT_EQ(pendingPosted, 1);
}

TEST_F(OrderBookTest, UpdatesFollowTheBracketPricesOfTheMessage) {
    const std::tuple<int, Fields, std::string, std::string> cases[] = {
        {22, {"79=W1", "76=1"}, "", ""},
        {75, {"79=W1", "39=9.5", "38=11"}, "9.5", ""},
        {22, {"40=13", "79=W1", "39=9.5", "39=9.7"}, "9.7", "13"},
    };
    for (const auto& [code, fields, limit, stop] : cases) {
        status(28, {"79=W1", "32=30", "39=9", "40=12"});
        status(code, fields);
        ASSERT_EQ(book().PendingOrderCollection().size(), 1u);
        EXPECT_EQ(book().PendingOrderCollection()[0]->LimitPrice, limit) << code;
        EXPECT_EQ(book().PendingOrderCollection()[0]->StopPrice, stop) << code;
    }
}

TEST_F(OrderBookTest, RemovalMovesOnlyAKnownOrderAndUnknownStatusesChangeNothing) {
    // Without any request id yet, a new record does not replace another server record.
    status(28, {"79=W0", "32=30"});
    status(28, {"79=W1", "32=30"});
    for (int code : {23, 26, 27, 21, 826, 99}) status(code, {"79=W9"});
    position(99, {"80=W1", "76=0"});
    status(26, {"79=W1"});
    ASSERT_EQ(book().PendingOrderCollection().size(), 2u);
    status(23, {"79=W1"});
    ASSERT_EQ(book().PendingOrderCollection().size(), 1u);
    EXPECT_EQ(book().PendingOrderCollectionCopy().back()->PendingOrderId, "W1");
}

TEST_F(OrderBookTest, AnEmptyServerIdMatchesNoPlaceholderButARecordOfThatId) {
    // Status; then left pending (the placeholder first) and moved; the "" record's quantity.
    const std::tuple<int, std::size_t, std::size_t, std::string> cases[] = {
        {28, 2, 0, "3"}, {22, 2, 0, "3"}, {75, 2, 0, "3"}, {23, 1, 1, "1"}, {24, 1, 1, "1"}};
    for (const auto& [code, pending, moved, qty] : cases) {
        SCOPED_TRACE(code);
        state::OrderBookTestAccess::PendingOrderCollection(book()).clear();
        state::OrderBookTestAccess::PendingOrderCollectionCopy(book()).clear();
        auto placeholder = std::make_shared<Order>();
        placeholder->RequestId = 5;
        book().AddPendingOrder(placeholder);
        status(28, {"79=", "32=30", "37=1"});
        status(code, {"79=", "32=30", "37=3"});
        const auto& list = book().PendingOrderCollection();
        ASSERT_EQ(list.size(), pending);
        ASSERT_EQ(book().PendingOrderCollectionCopy().size(), moved);
        EXPECT_EQ(list[0], placeholder);
        EXPECT_EQ(placeholder->OrderQty, "");
        EXPECT_EQ((moved ? book().PendingOrderCollectionCopy()[0] : list[1])->OrderQty, qty);
    }
}

TEST_F(OrderBookTest, CancellationsAndRejectionsAreRecorded) {
    // A cancellation records the quantity still open.
    status(28, {"79=W1", "32=30", "37=10", "76=10"});
    status(22, {"79=W1", "32=30", "37=10", "76=4"});
    status(24, {"33=9", "79=W1", "32=30", "37=10", "39=9"});
    ASSERT_EQ(book().CancelledOrderCollection().size(), 1u);
    EXPECT_EQ(book().CancelledOrderCollection()[0]->OrderQty, "4");
    EXPECT_EQ(book().CancelledOrderCollection()[0]->LimitPrice, "");
    // A rejection records the placeholder itself, found by its request id.
    auto placeholder = std::make_shared<Order>();
    placeholder->RequestId = 12;
    book().AddPendingOrder(placeholder);
    const std::size_t lines = journal();
    status(25, {"33=12", "74=80", "78=20260102030405"});
    status(25, {"33=13", "74=80"});  // nobody's: nothing recorded
    ASSERT_EQ(book().CancelledOrderCollection().size(), 2u);
    EXPECT_EQ(book().CancelledOrderCollection()[1], placeholder);
    EXPECT_EQ(book().PendingOrderCollectionCopy().back(), placeholder);
    EXPECT_EQ(placeholder->TransactionDateTime, "01/02/2026 03:04:05");
    EXPECT_EQ(journal(), lines + 1);
    // Without tag 79 a cancellation keeps its own quantity, whatever was rejected.
    status(24, {"32=30", "37=7"});
    ASSERT_EQ(book().CancelledOrderCollection().size(), 3u);
    EXPECT_EQ(book().CancelledOrderCollection()[2]->OrderQty, "7");
}

TEST_F(OrderBookTest, ExecutionTakesSideAndBracketsFromTheRemovedOrder) {
    openPosition();
    ASSERT_EQ(book().OpenOrderCollection().size(), 1u);
    const Order& p = *book().OpenOrderCollection()[0];
    EXPECT_EQ(std::tuple(p.tradingMode, p.orderType, p.deliveryMode), std::tuple(Order::kSell, Order::kLimit, 2));
    EXPECT_EQ(std::tuple(p.LimitPrice, p.StopPrice), std::tuple("9", "12"));
    EXPECT_EQ(ui.sounds.size(), 1u);  // the trade confirmation
    // The same id again, or no id at all: dropped.
    position(74, {"80=P1", "34=1002", "76=9"});
    position(74, {"34=1001", "76=2"});
    EXPECT_EQ(book().OpenOrderCollection().size(), 1u);
    EXPECT_EQ(p.AccountNumber, "1001");
    EXPECT_TRUE(book().OpenOrderCollectionCopy().empty());
}

TEST_F(OrderBookTest, CommissionIsRescaledFromThePaidAmountAfterAllFields) {
    const std::pair<Fields, double> cases[] = {
        {{"37=4", "76=2", "545=10"}, 5},
        {{"545=10", "76=1", "37=4"}, 2.5},
        {{"545=10", "76=1", "37=0"}, 10},  // no initial quantity: unchanged
    };
    int n = 0;
    for (const auto& [fields, commission] : cases) {
        Fields f = fields;
        f.push_back("80=X" + std::to_string(++n));
        position(74, f);
        EXPECT_DOUBLE_EQ(book().OpenOrderCollection().back()->Commision, commission) << n;
    }
    // Partial closes rescale the paid amount, never the rescaled one.
    openPosition();
    for (auto [remaining, commission] : {std::pair{"2", 5.0}, std::pair{"1", 2.5}}) {
        position(73, {"80=P1", std::string("76=") + remaining, "37=4", "38=11"});
        EXPECT_DOUBLE_EQ(book().OpenOrderCollection().back()->Commision, commission);
    }
    EXPECT_EQ(book().OpenOrderCollection().back()->OrderQty, "4");
}

TEST_F(OrderBookTest, ARemainingQuantityOfZeroClosesWithoutApplyingTheMessage) {
    for (const char* zero : {"0", "0.00"}) {
        state::OrderBookTestAccess::OpenOrderCollection(book()).clear();
        openPosition();
        position(73, {"80=P1", "76=abc"});  // not a number: stays open
        ASSERT_EQ(book().OpenOrderCollection().size(), 1u) << zero;
        position(73, {"80=P1", std::string("76=") + zero, "38=99"});
        EXPECT_TRUE(book().OpenOrderCollection().empty()) << zero;
        EXPECT_EQ(book().OpenOrderCollectionCopy().back()->OrderPrice, "10.5") << zero;
    }
    // An execution already closed goes straight to the copy, without a confirmation.
    const std::size_t sounds = ui.sounds.size();
    position(74, {"80=P9", "76=0.00"});
    EXPECT_EQ(book().OpenOrderCollectionCopy().back()->OpenPositionId, "P9");
    EXPECT_EQ(ui.sounds.size(), sounds);
}

TEST_F(OrderBookTest, BracketLegsSetAndClearThePositionsPrices) {
    openPosition();
    const Order& p = *book().OpenOrderCollection()[0];
    const std::tuple<int, Fields, std::string, std::string> cases[] = {
        {75, {"573=P1", "32=30", "38=8.5"}, "8.5", "12"},
        {28, {"573=P1", "38=1", "32=31", "38=13"}, "8.5", "13"},  // the last 32 decides
        {24, {"573=P1", "79=L1", "32=30", "38=8.5"}, "", "13"},
        {27, {"573=P1", "38=14"}, "", "13"},                       // no type: nothing
        {23, {"573=P2", "32=31", "38=13"}, "", "13"},              // another position
        {25, {"573=P1", "32=31", "38=13"}, "", ""},
    };
    for (const auto& [code, fields, limit, stop] : cases) {
        status(code, fields);
        EXPECT_EQ(std::tuple(p.LimitPrice, p.StopPrice), std::tuple(limit, stop)) << code;
    }
}

// Initial pending orders set the prices of every open position they refer to.
TEST_F(OrderBookTest, InitialBracketOrdersSetTheirPositionsPrices) {
    auto& open = state::OrderBookTestAccess::OpenOrderCollection(book());
    for (const char* id : {"P1", "P2", "P1"}) {
        open.push_back(std::make_shared<Order>());
        open.back()->OpenPositionId = id;
    }
    const auto code = [](std::int32_t) { return std::string("GOLD"); };
    struct Row {
        const char* id;
        const char* ref;
        std::int32_t type;
        double price;
        const char* p1Limit;  // then the prices of both P1s, and of P2
        const char* p1Stop;
        const char* p2Stop;
    };
    const Row rows[] = {
        {"O1", "P1", Order::kLimit, 9, "9.000000", "", ""},
        {"O2", "P1", Order::kStop, 12, "9.000000", "12.000000", ""},
        {"O3", "P9", Order::kLimit, 1, "9.000000", "12.000000", ""},  // no such position
        {"O4", "", Order::kLimit, 2, "9.000000", "12.000000", ""},    // not a bracket
        {"O5", "P2", Order::kStop, 5, "9.000000", "12.000000", "5.000000"},
    };
    for (const Row& r : rows) {
        model::PendingOrderHD row;
        row.PendingOrderId = r.id;
        row.RefPositionIdOfBracket = r.ref;
        row.OrderTypeId = r.type;
        row.OrderPrice = r.price;
        row.RemainingQty = 1;
        book().FillInitialPendingOrderCollection(row, code);
        for (std::size_t i : {0u, 2u})
            EXPECT_EQ(std::tuple(open[i]->LimitPrice, open[i]->StopPrice), std::tuple(r.p1Limit, r.p1Stop)) << r.id;
        EXPECT_EQ(std::tuple(open[1]->LimitPrice, open[1]->StopPrice), std::tuple("", r.p2Stop)) << r.id;
        if (r.id == std::string("O2")) {  // a position added between rows is found too
            open.push_back(std::make_shared<Order>());
            open.back()->OpenPositionId = "P2";
        }
    }
    EXPECT_EQ(open[3]->StopPrice, "5.000000");
    ASSERT_EQ(book().PendingOrderCollection().size(), 5u);
    EXPECT_EQ(book().PendingOrderCollection()[4]->PendingOrderId, "O5");
}

// The initial positions hold one copy of a repeated quantity or date, and their instrument's code.
TEST_F(OrderBookTest, InitialPositionsShareRepeatedTextsAndTheInstrumentsCode) {
    auto euro = std::make_shared<model::ItemDetails>();
    euro->InstrumentId = 8;
    euro->Code = "EURUSD12";
    auto& reference = state::SessionTestAccess::referenceData(*session);
    state::ReferenceDataTestAccess::ItemCollection(reference).set("EURUSD12", euro);
    const auto code = [&reference](std::int32_t id) { return reference.itemCode(id); };
    for (const char* id : {"P1", "P2", "P3"}) {
        model::OpenOrderHD row;
        row.PositionId = id;
        row.InstrumentId = 8;
        row.PositionInitialQty = row.PositionQty = 2;
        row.OrderPrice = 1.25;
        row.ValueDate = "20261204000000";
        book().FillInitialOpenOrderCollection(row, code);
    }
    const auto& open = book().OpenOrderCollection();
    ASSERT_EQ(open.size(), 3u);
    for (const auto& o : open) {
        EXPECT_EQ(std::tuple(o->ItemCode, o->OrderQty, o->RemainingQty, o->OrderPrice, o->ValueDate),
                  std::tuple("EURUSD12", "2.000000", "2.000000", "1.250000", "12/04/2026"));
        EXPECT_EQ(o->ItemCode.data(), euro->Code.data());
        EXPECT_EQ(o->OrderQty.data(), open[0]->OrderQty.data());
        EXPECT_EQ(o->ValueDate.data(), open[0]->ValueDate.data());
    }
}

TEST_F(OrderBookTest, SettlementBorrowsFromTheClosedPositionAndIsKeptOnce) {
    openPosition();
    position(74, {"80=C1", "76=4", "38=11.25"});
    position(73, {"80=P1", "76=0"});
    const std::size_t banners = ui.banners.size();
    for (int i = 0; i < 2; ++i) deliver(66, 0, {"12=7", "80=P1", "86=S1", "87=C1", "88=-3.00"});
    ASSERT_EQ(book().SettledOrderCollection().size(), 1u);
    const Order& s = *book().SettledOrderCollection()[0];
    EXPECT_EQ(std::tuple(s.ItemCode, s.OrderPrice, s.SettledPrice()), std::tuple("GOLD", "10.5", "11.25"));
    EXPECT_EQ(std::tuple(s.tradingMode, s.deliveryMode), std::tuple(Order::kSell, Order::kIntraday));
    ASSERT_EQ(ui.banners.size(), banners + 1);
    EXPECT_NE(ui.banners.back().informativeText.find("GOLD @11.25"), std::string::npos);
    // An unknown instrument id gives an empty code; without a settlement id each is kept.
    deliver(66, 0, {"12=99", "80=P1"});
    deliver(66, 0, {"12=99", "80=P1"});
    EXPECT_EQ(book().SettledOrderCollection().size(), 3u);
    EXPECT_EQ(book().SettledOrderCollection().back()->ItemCode, "");
}

}  // namespace
}  // namespace state

// The "%f" text of the history orders, written without printf.
TEST(HistoryOrdersText, SixDecimalsMatchPrintf) {
    for (double v : {0.0, -0.0, 1.5, -1.5, 0.0000005, 0.0000015, 1234567.1234565, 1e22, -1e300, 1e-320,
                     123456789012345678.0}) {
        char expected[400];
        std::snprintf(expected, sizeof expected, "%f", v);
        EXPECT_EQ(state::HistoryOrders::sixDecimals(v), expected) << v;
    }
}

// The rows' wire times as the formatters print them, cut or read.
TEST(HistoryOrdersText, DatesMatchTheFormatters) {
    for (const char* wire : {"20261201093000", "20261228235959", "20261229000000", "20240229120000", "20250229120000",
                             "20261131000000", "20261301000000", "20260001000000", "20261200000000", "20261201240000",
                             "20261201006000", "20261201000060", "09991201093000", "00010101000000", "2026120109300",
                             "202612010930000", "2026120109300x", " 0261201093000", "", "garbage"}) {
        const auto expected = [wire](const char* pattern) {
            return model::Formatter::formatDateandTimeFromString(std::string(wire), model::Formatter::kWireFormat,
                                                                 pattern)
                .value_or(std::string());
        };
        EXPECT_EQ(state::HistoryOrders::dateTime(wire), expected(model::Formatter::kDisplayFormat)) << wire;
        EXPECT_EQ(state::HistoryOrders::date(wire), expected(model::Formatter::kDateFormat)) << wire;
    }
}
