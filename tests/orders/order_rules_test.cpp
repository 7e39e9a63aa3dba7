// The price, margin and hedge rules of the order manager, with hand-worked figures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>
#include <limits>

#include "orders/order_fixture.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"

namespace {

using orders::OrderMananger;
using orders::testing::OrderFixture;

TEST(PriceRulesTest, TickGridRemainders) {
    struct Row {
        double price;
        int places;
        double tick;
        int remainder;
    };
    for (const Row& r : {Row{10.10, 2, 0.05, 0}, Row{10.12, 2, 0.05, 2}, Row{1.23456, 5, 0.00001, 0},
                         Row{107.3, 2, 0.25, 5}, Row{5, 2, 0, 0}}) {
        SCOPED_TRACE(r.price);
        EXPECT_EQ(OrderMananger::CheckTickPrice(r.price, r.places, r.tick), model::Decimal(r.remainder));
    }
}

TEST(PriceRulesTest, DailyLimitsComeFromThePreviousCloseOnTheGrid) {
    struct Row {
        double circuitLimit, up, down, expectedUp, expectedDown;
    };
    for (const Row& r : {Row{7.3, 0, 0, 107.25, 92.75}, Row{7, 0, 0, 107, 93}, Row{10, 120, 0, 120, 90},
                         Row{0, 0, 0, 0, 0}}) {
        SCOPED_TRACE(r.circuitLimit);
        model::ItemDetails item;
        item.PrevClose = 100;
        item.TickSize = 0.25;
        item.DecimalPlaces = 2;
        item.CircuitLimit = r.circuitLimit;
        item.circuitLimitUp = r.up;
        item.circuitLimitDown = r.down;
        EXPECT_DOUBLE_EQ(OrderMananger::getFluctuationLimitUpPrice(&item), r.expectedUp);
        EXPECT_DOUBLE_EQ(OrderMananger::getFluctuationLimitDownPrice(&item), r.expectedDown);
        double up = -1, down = -1;
        EXPECT_TRUE(OrderMananger::verifyFluctuationLimit(&item, r.expectedUp, up, down));  // bounds inclusive
        EXPECT_EQ(OrderMananger::verifyFluctuationLimit(&item, r.expectedUp + 0.25, up, down), r.expectedUp == 0);
        EXPECT_DOUBLE_EQ(up, r.expectedUp);
        EXPECT_DOUBLE_EQ(down, r.expectedDown);
    }
    EXPECT_DOUBLE_EQ(OrderMananger::getFluctuationLimitUpPrice(nullptr), 0);
}

TEST(MarginRulesTest, MarginFormulaExamples) {
    struct Row {
        const char* name;
        double b, s, m;
        int mode;
        double contract, bc, liquidation, sc, sellRate;
        std::uint64_t formula;
        double rate, expected;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const Row& r : {
             Row{"per lot, half on matched", 3, 1, 100, 1, 0, 0, 50, 0, 0, 0, 0, 250},
             Row{"percentage at the average price", 2, 0, 10, 2, 100, 100, 0, 0, 0, 1, 0, 1000},
             Row{"no lots", 0, 0, 10, 1, 100, 0, 0, 0, 0, 0, 0, 0},
             Row{"sell rate per lot outside mode 2", 2, 3, 10, 1, 100, 0, 0, 0, 4, 0, 0, 32},
             Row{"sell rate as percentage", 1, 1, 10, 2, 100, 0, 0, 0, 20, 2, 0, 30},
             Row{"divided by a zero rate", 1, 0, 10, 2, 100, 0, 0, 0, 0, 4, 0, inf},
             Row{"times the average rate", 2, 0, 10, 2, 100, 0, 0, 0, 0, 3, 3, 30},
         }) {
        SCOPED_TRACE(r.name);
        EXPECT_DOUBLE_EQ(OrderMananger::calulateMargin(r.b, r.s, r.m, r.mode, 0, r.contract, r.bc, false,
                                                       r.liquidation, r.sc, r.sellRate, false, r.formula, r.rate),
                         r.expected);
    }
    EXPECT_DOUBLE_EQ(OrderMananger::Hedge(2, 2, 100, 50, true, false), 0);
    EXPECT_DOUBLE_EQ(OrderMananger::Hedge(2, 2, 100, 50, false, false), 100);
}

class MarginCheckTest : public OrderFixture {};

TEST_F(MarginCheckTest, EquityMustStayStrictlyAboveTheMarginAfterTheOrder) {
    gi->InitialMargin = 100;
    account->AvailableMargin = 50;
    account->UsedMargin = 300;
    openPosition(0, "3");
    // before = 300, after = 400: the bound is 400 + (300 - 300).
    account->Equity = 400;
    EXPECT_FALSE(manager->CheckMargin(*order(0, "1")));
    account->Equity = 400.01;
    EXPECT_TRUE(manager->CheckMargin(*order(0, "1")));
    // A sell within the open buys, and a cancellation, pass whatever the equity.
    account->Equity = 0;
    EXPECT_TRUE(manager->CheckMargin(*order(1, "2")));
    auto cancel = order(0, "100");
    cancel->isCancelOrder = true;
    EXPECT_TRUE(manager->CheckMargin(*cancel));
}

TEST_F(MarginCheckTest, PercentageRatesAlwaysTakeTheFullComputation) {
    // 1 lot × 10 (a percentage) fits the available 100, but the lot costs 10 % of 10,000.
    gi->margincalculationMode = 2;
    item->MarginFormulaId = 2;
    gi->InitialMargin = 10;
    item->ContractSize = 10000;
    account->AvailableMargin = 100;
    account->Equity = 500;
    EXPECT_FALSE(manager->CheckMargin(*order(0, "1")));
    account->Equity = 1000.5;
    EXPECT_TRUE(manager->CheckMargin(*order(0, "1")));
}

// The totals by the book's index of codes equal a walk of the shown positions,
// whatever happened to the list since the index was read.
TEST_F(MarginCheckTest, LotTotalsFollowTheListThroughEveryChange) {
    auto& open = state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session));
    auto& data = state::SessionTestAccess::referenceData(*session);
    auto other = state::ReferenceDataTestAccess::AccountDetailCollection(data).set("1002", std::make_shared<model::AccountDetails>());
    other->tradingStatus = other->accountaccessType = 1;
    openPosition(0, "1");
    openPosition(1, "2")->BaseCurrencyRate = 1.5;
    openPosition(0, "4", "1002");
    openPosition(0, "8")->deliveryMode = 2;
    openPosition(1, "16")->ItemCode = "SILVER";
    const auto walk = [&](const std::string& code, const std::string& account, std::int32_t delivery) {
        std::vector<double> t(5, 0.0);
        for (const auto& p : state::viewOf(*session).getOpenOrderCollection()) {
            if (p->AccountNumber != account || p->ItemCode != code || p->deliveryMode != delivery) continue;
            const double q = std::stod(p->RemainingQty.str());
            (p->tradingMode == 0 ? t[0] : t[1]) += q;
            (p->tradingMode == 0 ? t[2] : t[3]) += 50 * q;
            t[4] += p->BaseCurrencyRate * q;
        }
        return t;
    };
    const std::vector<std::pair<const char*, std::function<void()>>> changes{
        {"as filled", [] {}},
        {"two swapped, the last kept", [&] { std::swap(open[0], open[1]); }},
        {"quantity changed", [&] { open[0]->RemainingQty = "3"; }},
        {"sorted otherwise, the last kept", [&] { std::rotate(open.begin(), open.begin() + 1, open.end() - 1); }},
        {"one removed", [&] { open.erase(open.begin() + 1); }},
        {"one added", [&] { openPosition(1, "32", "1002"); }},
        {"an account hidden", [&] { other->tradingStatus = model::AccountDetails::kStatusSuspended; }},
    };
    for (const auto& [what, change] : changes) {
        change();
        for (const std::string code : {"GOLD", "SILVER"})
            for (const std::string account : {"1001", "1002"})
                for (const std::int32_t delivery : {1, 2}) {
                    std::vector<double> t(5, 0.0);
                    manager->getTotalLotsAndCost(code, account, delivery, t[0], t[1], t[2], t[3], t[4]);
                    EXPECT_EQ(t, walk(code, account, delivery)) << what << " " << code << " " << account << " " << delivery;
                    double b = 0, s = 0;
                    manager->GetTotalLots(code, account, delivery, b, s);
                    EXPECT_EQ(std::vector<double>({b, s}), std::vector<double>(t.begin(), t.begin() + 2)) << what;
                }
    }
}

TEST_F(MarginCheckTest, HedgeMarginOfTheCurrentAccount) {
    gi->InitialMargin = 100;
    gi->LiquidationMargin = 50;
    state::commandsOf(*session).setCurrentAccountSelected(1001);
    openPosition(0, "2");
    auto position = openPosition(1, "2");
    manager->CalcHedgeMargin(*position);
    const auto& stored = state::SessionTestAccess::orderBook(*session).HedgeMarginCollection();
    ASSERT_TRUE(stored.find("GOLD#1"));
    EXPECT_EQ(*stored.find("GOLD#1"), "0.00");
    account->HedgeModeId = 1;
    manager->CalcHedgeMargin(*position);
    const double perLot = position->GetMarginForSingleLot(gi, *item).value_or(0);
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.2f", 0.5 * 2 * perLot);
    EXPECT_EQ(*stored.find("GOLD#1"), expected);
}

TEST_F(OrderFixture, BoundaryHintsForPendingOrdersAndBrackets) {
    struct Row {
        const char* name;
        std::function<std::string()> call;
        const char* expected;
    };
    item->Ask = 50;
    const std::vector<Row> rows = {
        {"buy limit", [&] { return manager->OrderTypeChange(2, 0, "GOLD", 1001, true); }, "<= 49.90"},
        {"buy limit, no hint", [&] { return manager->OrderTypeChange(2, 0, "GOLD", 1001, false); }, "49.90"},
        {"sell limit", [&] { return manager->OrderTypeChange(2, 1, "GOLD", 1001, true); }, ">= 50.10"},
        {"buy stop", [&] { return manager->OrderTypeChange(3, 0, "GOLD", 1001, true); }, ">= 50.05"},
        {"market", [&] { return manager->OrderTypeChange(1, 0, "GOLD", 1001, true); }, ""},
        {"market buy take profit", [&] { return manager->UpdateTakeProfitandStopLoss(1, "GOLD", true, 1001, 1, "", true); },
         ">= 50.10"},
        {"market buy stop loss", [&] { return manager->UpdateTakeProfitandStopLoss(1, "GOLD", false, 1001, 1, "", true); },
         "<= 49.95"},
        {"limit sell take profit from the price",
         [&] { return manager->UpdateTakeProfitandStopLoss(0, "GOLD", true, 1001, 2, "60", false); }, "59.90"},
        {"no group row: no distance", [&] { return manager->OrderTypeChange(2, 0, "GOLD", 4242, false); }, "50.00"},
        {"bid 0 starts from last",
         [&] { item->Bid = 0; item->Last = 48.5; return manager->OrderTypeChange(2, 1, "GOLD", 1001, false); }, "48.60"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(r.call(), r.expected);
    }
}

}  // namespace
