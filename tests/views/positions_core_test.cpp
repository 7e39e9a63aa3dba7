// The position tables' Qt-free rules: cells, margin, close price, totals, row
// menus and the close decision.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "support/order_book_test_access.h"
#include "views/core/position_cells.h"
#include "views/core/position_rules.h"
#include "views/positions_fixture.h"
#include "support/session_test_access.h"
#include "support/spent_clock.h"

namespace views {
namespace {

namespace col = position_column;
using model::Order;

class PositionsCoreTest : public ::testing::Test {
protected:
    std::string cell(const char* id, double width = 200) { return openPositionCellText(id, s.records(p), width); }
    std::string pendingCell(const char* id) { return pendingOrderCellText(id, s.records(o), 200); }
    testing::PositionsSession s;
    std::shared_ptr<Order> p = s.position("1001", Order::kBuy, "2.50");
    std::shared_ptr<Order> o = s.pending("501", Order::kLimit, "3");
};

// Records kept between look-ups are those a fresh look-up finds, whatever
// changed in between.
TEST(PositionRecordsCacheTest, KeptRecordsAreThoseFoundAgain) {
    using access = state::ReferenceDataTestAccess;
    using Orders = std::vector<std::shared_ptr<Order>>;
    const struct {
        const char* change;
        std::function<void(testing::PositionsSession&, Orders&)> apply;
    } cases[] = {
        {"nothing", [](auto&, auto&) {}},
        {"instrument replaced",
         [](auto& s, auto&) { access::ItemCollection(s.data()).set("GOLD", std::make_shared<model::ItemDetails>(*s.gold)); }},
        {"account's group", [](auto& s, auto&) { s.account->GroupId = "8"; }},
        {"group's conditions",
         [](auto& s, auto&) { access::GroupDetailCollection(s.data()).find("7")->get()->GroupInstrumentCollection["5"] = nullptr; }},
        {"instrument id", [](auto& s, auto&) { s.gold->InstrumentId = 6; }},
        {"order's code", [](auto&, auto& orders) { orders[0]->ItemCode = "SILVER"; }},
        {"account removed", [](auto& s, auto&) { access::AccountDetailCollection(s.data()).erase("1001"); }},
        {"two rows to another group's account",
         [](auto& s, auto& orders) {
             auto account = std::make_shared<model::AccountDetails>(*s.account);
             account->GroupId = "8";
             access::AccountDetailCollection(s.data()).set("1002", account);
             orders[0]->AccountNumber = orders[2]->AccountNumber = "1002";
         }},
        {"rows moved", [](auto&, auto& orders) { std::swap(orders[0], orders[2]); }},
        {"a row in, one listed twice",
         [](auto& s, auto& orders) { orders.insert(orders.begin() + 1, {s.position("1004", Order::kSell, "1"), orders[2]}); }},
    };
    for (const auto& c : cases) {
        testing::PositionsSession s;
        s.item("SILVER", 23.1, 23.2)->InstrumentId = 6;
        auto other = std::make_shared<model::GroupDetails>();
        other->GroupInstrumentCollection["5"] = std::make_shared<model::GroupInstruments>();
        access::GroupDetailCollection(s.data()).set("8", other);
        Orders orders = {s.position("1001", Order::kBuy, "1"), s.position("1002", Order::kSell, "2"),
                         s.position("1003", Order::kBuy, "3"), nullptr};
        // A second table of the session finds what the first found.
        const auto shared = PositionRecordsCache::makeShared();
        PositionRecordsCache cache(shared), second(shared), refreshed(shared);
        cache.lookUp(*s.session, orders);
        refreshed.lookUp(*s.session, orders);
        const std::size_t shownRows = orders.size();
        c.apply(s, orders);
        // One that showed the list looks it up again a row a call: in place
        // while the list is the same, the rows it shows kept otherwise.
        refreshed.start(*s.session, orders);
        for (std::size_t calls = 1; !refreshed.step(*s.session, 1); ++calls) {
            EXPECT_EQ(refreshed.records().size(), shownRows) << c.change;
            EXPECT_EQ(refreshed.found().size(), calls) << c.change;
        }
        // Two more spread their look-up a row a call and keep the last one's
        // row in its place until it ends; the one whose last row begins the
        // list grows its records in place.
        PositionRecordsCache spread(shared), aside(shared);
        for (const bool begins : {true, false}) {
            PositionRecordsCache& table = begins ? spread : aside;
            const std::shared_ptr<Order> last = orders[begins ? 0 : 1];
            table.lookUp(*s.session, {last});
            table.start(*s.session, orders);
            std::size_t calls = 1;
            for (; !table.step(*s.session, 1); ++calls) {
                ASSERT_EQ(table.records().size(), begins ? calls : 1u) << c.change;
                EXPECT_EQ(table.records().front().order, last) << c.change;
                EXPECT_EQ(table.found().size(), calls) << c.change;
            }
            EXPECT_EQ(calls, orders.size()) << c.change;
            EXPECT_FALSE(table.started()) << c.change;
        }
        for (PositionRecordsCache* table : {&second, &cache, &spread, &aside, &refreshed}) {
            const std::vector<PositionRecords>& kept = table == &spread || table == &aside || table == &refreshed
                                                            ? table->records()
                                                            : table->lookUp(*s.session, orders);
            ASSERT_EQ(kept.size(), orders.size()) << c.change;
            for (std::size_t i = 0; i < orders.size(); ++i) {
                const PositionRecords found = s.records(orders[i]);
                EXPECT_EQ(kept[i].order, found.order) << c.change << " " << i;
                EXPECT_EQ(kept[i].item, found.item) << c.change << " " << i;
                EXPECT_EQ(kept[i].account, found.account) << c.change << " " << i;
                EXPECT_EQ(kept[i].groupInstrument, found.groupInstrument) << c.change << " " << i;
            }
        }
    }
}

// A long list held is checked a part a step before it grows in place; a row
// changed in it makes the look-up start again from the first row.
TEST(PositionRecordsCacheTest, ALongListHeldIsCheckedOverSteps) {
    for (const bool changed : {false, true}) {
        testing::PositionsSession s;
        std::vector<std::shared_ptr<Order>> orders;
        for (int i = 0; i < 20; ++i) orders.push_back(s.position("1001", Order::kBuy, "1"));
        PositionRecordsCache cache;
        cache.lookUp(*s.session, orders);
        if (changed) orders[15]->ItemCode = "NONE";
        orders.push_back(s.position("1001", Order::kSell, "2"));
        cache.start(*s.session, orders);
        std::size_t calls = 1;
        while (!cache.step(*s.session, 1)) ++calls;
        // 8 rows checked a call, then a row a call: found in place, or looked up
        // again from the call that met the changed row.
        EXPECT_EQ(calls, (changed ? 1 : 2) + orders.size()) << changed;
        ASSERT_EQ(cache.records().size(), orders.size()) << changed;
        for (std::size_t i = 0; i < orders.size(); ++i) {
            const PositionRecords found = s.records(orders[i]);
            EXPECT_EQ(cache.records()[i].order, found.order) << changed << " " << i;
            EXPECT_EQ(cache.records()[i].item, found.item) << changed << " " << i;
        }
    }
}

// A step ends once its time is spent, whatever its count allows: looking up,
// checking the rows held, and growing them; the records are those found whole.
TEST(PositionRecordsCacheTest, AStepEndsOnceItsTimeIsSpent) {
    constexpr std::size_t kCheck = platform::SliceBudget::kItemsPerCheck;
    testing::PositionsSession s;
    std::vector<std::shared_ptr<Order>> orders;
    for (std::size_t i = 0; i < 2 * kCheck; ++i) orders.push_back(s.position("1001", Order::kBuy, "1"));
    PositionRecordsCache cache;
    const auto steps = [&] {
        cache.start(*s.session, orders);
        platform::installClock(std::make_shared<::testing::SpentClock>());
        std::size_t calls = 1;
        while (!cache.step(*s.session, SIZE_MAX)) ++calls;
        platform::installClock(nullptr);
        return calls;
    };
    EXPECT_GT(steps(), 2u) << "looked up";
    const std::size_t held = orders.size();
    for (std::size_t i = 0; i < 2 * kCheck; ++i) orders.push_back(s.position("1001", Order::kSell, "2"));
    EXPECT_GT(steps(), 2u) << "checked, then grown";
    ASSERT_EQ(cache.records().size(), orders.size());
    for (std::size_t i : {std::size_t{0}, held - 1, held, orders.size() - 1}) {
        EXPECT_EQ(cache.records()[i].order, orders[i]) << i;
        EXPECT_EQ(cache.records()[i].item, s.records(orders[i]).item) << i;
    }
}

TEST_F(PositionsCoreTest, PositionCells) {
    struct Case {
        const char* id;
        std::function<void()> set;
        const char* text;
        double width = 200;
    } cases[] = {
        {col::kQuantity, [] {}, "2.5"},
        {col::kOpenPrice, [] {}, "2030.50"},
        {col::kTakeProfit, [] {}, "0.00"},
        {col::kStopLoss, [] {}, "0.00"},
        {col::kTakeProfit, [&] { p->LimitPrice = "2040"; }, "2040.00"},
        {col::kSide, [&] { p->tradingMode = Order::kSell; }, "S"},
        {col::kSide, [] {}, "B"},
        {col::kDelivery, [] {}, "Regular"},
        {col::kDelivery, [&] { p->deliveryMode = 2; }, "Intraday"},
        {col::kDelivery, [&] { p->deliveryMode = 3; }, "BTST"},
        {col::kDelivery, [&] { p->deliveryMode = 0; }, "Unknown"},
        {col::kTime, [] {}, "09:30:15", 135},
        {col::kTime, [] {}, "12/07/2026 09:30:15", 136},
        {col::kProfitLoss, [&] { p->UnrealisedPL = -1.234; }, "-1.23"},
        {col::kProfitLoss, [&] { p->UnrealisedPL = NAN; }, ""},
        {col::kBaseCurrency, [&] { p->BaseCurrencyRate = 1.5; }, "1.500000"},
        {col::kClosePrice, [] {}, ""},  // drawn by the button cell
        {"9999", [] {}, ""},
        {col::kOpenPrice, [&] { s.gold->DecimalPlaces = 4; }, "2030.5000"},
        {col::kOpenPrice, [&] { p->ItemCode = "NONE"; }, "2030.50"},  // no instrument: 2 places
    };
    for (const Case& c : cases) {
        const Order saved = *p;
        const auto places = s.gold->DecimalPlaces;
        c.set();
        EXPECT_EQ(cell(c.id, c.width), c.text) << c.id << " -> " << c.text;
        *p = saved;
        s.gold->DecimalPlaces = places;
    }
    EXPECT_EQ(openPositionCellText(col::kCode, {}, 100), "");  // a row whose record is gone
}

TEST_F(PositionsCoreTest, MarginOfAQuantityOneTimesTheQuantity) {
    p->RemainingQty = "1";
    EXPECT_EQ(cell(col::kMargin), "0.13");  // 0.125 half away from zero
    EXPECT_EQ(p->margin, "0.125");
    s.conditions->margincalculationMode = 2;
    s.conditions->InitialMargin = 1;  // 1% of 100: 1 per unit
    p->RemainingQty = "2";
    struct Case {
        std::uint64_t formula;
        double baseRate;
        const char* text;
    } cases[] = {{1, 0, "4061.00"}, {3, 1.5, "3.00"}, {4, 2, "1.00"}, {4, 0, "2.00"}, {9, 2, "2.00"}};
    for (const Case& c : cases) {
        s.gold->MarginFormulaId = c.formula;
        p->BaseCurrencyRate = c.baseRate;
        EXPECT_EQ(cell(col::kMargin), c.text) << c.formula << " " << c.baseRate;
    }
    p->margin = "kept";
    s.account->GroupId = "none";  // no group conditions
    EXPECT_EQ(cell(col::kMargin), "");
    EXPECT_EQ(p->margin, "kept");
}

TEST_F(PositionsCoreTest, ClosePriceMovesAgainstTheLastShown) {
    auto sell = s.position("1002", Order::kSell, "1");
    const auto show = [&](const std::shared_ptr<Order>& o) { return showClosePrice(s.records(o)); };
    EXPECT_EQ(show(p).text(), "2035.39");  // a buy closes at the bid
    EXPECT_EQ(show(sell).text(), "2035.59");
    p->previousBid = 0;
    EXPECT_EQ(show(p).move, CloseMove::Up);  // the first drawing compares with 0
    EXPECT_EQ(show(p).move, CloseMove::Same);
    s.gold->Bid -= 1;
    EXPECT_EQ(show(p).move, CloseMove::Down);
    EXPECT_EQ(p->previousBid, s.gold->Bid);
    s.account->tradingStatus = kEquityHitStatus;
    p->setEquityHitPrice(2001.5);
    s.gold->Bid += 5;
    const ClosePrice hit = show(p);
    EXPECT_EQ(hit.text(), "2001.50");
    EXPECT_EQ(hit.move, CloseMove::EquityHit);
    EXPECT_NE(p->previousBid, s.gold->Bid);  // kept
    p->ItemCode = "NONE";
    EXPECT_EQ(show(p).text(), "");
}

TEST_F(PositionsCoreTest, Totals) {
    const auto totals = [&] {
        std::vector<PositionRecords> rows;
        for (const auto& o : state::viewOf(*s.session).getOpenOrderCollection()) rows.push_back(s.records(o));
        return positionTotals(rows).values;
    };
    p->RemainingQty = "12345678";
    p->UnrealisedPL = 1234.5;
    p->Commision = -2.5;
    p->Storage = 0.5;
    // The margin counts although no margin cell was ever drawn.
    EXPECT_EQ(totals(), (std::array<std::string, 5>{"12345678", "1,234.50", "-2.50", "1,543,209.75", "0.50"}));
    p->RemainingQty = "1";
    s.position("1002", Order::kSell, "0.5");
    EXPECT_EQ(totals()[0], "1.5");
    EXPECT_EQ(totals()[3], "0.19");
    p->RemainingQty = "9.5";
    EXPECT_EQ(totals()[0], "10");
    p->RemainingQty = "0.1";
    state::SessionTestAccess::orderBook(*s.session).OpenOrderCollection().back()->RemainingQty = "0.2";
    EXPECT_EQ(totals()[0], "0.3");
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*s.session)).clear();
    EXPECT_EQ(totals(), (std::array<std::string, 5>{"0", "0.00", "0.00", "0.00", "0.00"}));
}

TEST_F(PositionsCoreTest, RowMenu) {
    struct Case {
        std::int32_t settings, account, item;
        bool modify, close, receipt;
    } cases[] = {
        {0x03, 0xFF, 0xFF, true, true, false},    {0x03, 0x02, 0x04, true, false, false},
        {0x03, 0x20, 0x20, false, true, false},   {0x03, 0x22, 0x01, false, false, false},
        {0x05, 0xFF, 0xFF, false, false, true},   {0x04, 0xFF, 0xFF, false, false, false},
        {0x07, 0xFF, 0xFF, true, true, false},
    };
    const auto open = [&] { return state::viewOf(*s.session).getOpenOrderCollection(); };
    for (const Case& c : cases) {
        s.conditions->availableOrderSettings = c.settings;
        s.account->availableOrderTypes = c.account;
        s.gold->availableOrderTypes = c.item;
        const OpenPositionMenu m = openPositionMenu(s.records(p), open());
        EXPECT_EQ(std::tuple(m.modify, m.close, m.receipt, m.offset), std::tuple(c.modify, c.close, c.receipt, false))
            << c.settings << " " << c.account << " " << c.item;
    }
    auto other = s.position("1002", Order::kBuy, "1");
    EXPECT_FALSE(openPositionMenu(s.records(p), open()).offset);  // same side
    other->tradingMode = Order::kSell;
    EXPECT_TRUE(openPositionMenu(s.records(p), open()).offset);
    other->deliveryMode = Order::kBTST;
    EXPECT_FALSE(openPositionMenu(s.records(p), open()).offset);
    p->ItemCode = "NONE";  // missing instrument and conditions: nothing but offset
    other->ItemCode = "NONE";
    other->deliveryMode = p->deliveryMode;
    const OpenPositionMenu m = openPositionMenu(s.records(p), open());
    EXPECT_EQ(std::tuple(m.modify, m.close, m.receipt, m.offset), std::tuple(false, false, false, true));

    ASSERT_TRUE(pendingOrderMenu(Order::kLimit));
    EXPECT_STREQ(pendingOrderMenu(Order::kLimit)->edit, "0254");
    EXPECT_STREQ(pendingOrderMenu(Order::kLimit)->cancel, "0252");
    EXPECT_STREQ(pendingOrderMenu(Order::kStop)->edit, "0255");
    EXPECT_STREQ(pendingOrderMenu(Order::kStop)->cancel, "0253");
    for (int type : {0, 1, 4}) EXPECT_FALSE(pendingOrderMenu(type)) << type;
}

TEST_F(PositionsCoreTest, CloseDecision) {
    p->OpenPositionId = "77";
    p->RemainingQty = "3";
    const auto decide = [&] { return closeDecision(s.records(p), state::viewOf(*s.session).getPendingOrderCollection()); };
    EXPECT_EQ(decide(), CloseDecision::OpenDialog);  // no closing orders
    s.pending("601", Order::kLimit, "1")->setLiqudateOrderNumber("77");
    s.pending("602", Order::kStop, "2")->setLiqudateOrderNumber("77");
    s.pending("603", Order::kStop, "5")->setLiqudateOrderNumber("78");
    EXPECT_EQ(decide(), CloseDecision::Covered);
    p->RemainingQty = "4";
    EXPECT_EQ(decide(), CloseDecision::OpenDialog);
    p->RemainingQty = "2";
    EXPECT_EQ(decide(), CloseDecision::OpenDialog);
    s.conditions->availableOrderSettings = 0x01;
    EXPECT_EQ(decide(), CloseDecision::Nothing);
    s.conditions->availableOrderSettings = 0x03;
    s.account->GroupId = "none";
    EXPECT_EQ(decide(), CloseDecision::Nothing);
}

TEST_F(PositionsCoreTest, PendingCells) {
    struct Case {
        const char* id;
        std::function<void()> set;
        const char* text;
    } cases[] = {
        {col::kClosePrice, [] {}, "2035.59"},  // a buy at the ask
        {col::kClosePrice, [&] { o->tradingMode = Order::kSell; }, "2035.39"},
        {col::kClosePrice, [&] { s.account->tradingStatus = kEquityHitStatus; }, "0.00"},
        {col::kClosePrice, [&] { o->ItemCode = "NONE"; }, "0.00"},
        {col::kOrderPrice, [&] { o->ItemCode = "NONE", s.gold->DecimalPlaces = 3; }, "2030.50"},
        {col::kOrderPrice, [&] { s.gold->DecimalPlaces = 3; }, "2030.500"},
        {col::kOrderQuantity, [&] { o->OrderQty = "3.000"; }, "3"},
        {col::kOrderType, [] {}, "Limit"},
        {col::kOrderType, [&] { o->orderType = 0; }, "None"},
        {col::kOrderType, [&] { o->orderType = 7; }, ""},
        {col::kBracketOf, [] {}, "0"},
        {col::kBracketOf, [&] { o->setRefPositionIdOfBracket("1001"); }, "1001"},
        {col::kTimeInForce, [&] { o->timeinForce = 0; }, "Unknown"},
        {col::kTimeInForce, [] {}, "GTC"},
        {col::kTimeInForce, [&] { o->timeinForce = 2; }, "GTF"},
        {col::kTimeInForce, [&] { o->timeinForce = 5; }, "Day"},
        {col::kTimeInForce, [&] { o->timeinForce = 3; }, ""},
        {col::kTimeInForce, [&] { o->timeinForce = 4; }, ""},
        {col::kOrderId, [] {}, "501"},
    };
    for (const Case& c : cases) {
        const Order saved = *o;
        const auto places = s.gold->DecimalPlaces;
        const auto status = s.account->tradingStatus;
        c.set();
        EXPECT_EQ(pendingCell(c.id), c.text) << c.id << " -> " << c.text;
        *o = saved;
        s.gold->DecimalPlaces = places;
        s.account->tradingStatus = status;
    }
}

}  // namespace
}  // namespace views
