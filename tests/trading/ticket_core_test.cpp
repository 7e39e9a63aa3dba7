// The ticket's Qt-free rules: accounts and offers, quantities, price verdicts,
// live values, the request and its confirmation, depth cells, the
// multi-account rows and margins.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "model/decimal.h"
#include "orders/order_fixture.h"
#include "trading/core/market_depth_cells.h"
#include "trading/core/multi_trade_rows.h"
#include "trading/core/ticket_offers.h"
#include "trading/core/ticket_order.h"
#include "trading/core/ticket_prices.h"
#include "trading/core/ticket_quantities.h"

namespace trading {
namespace {

using Strings = std::vector<std::string>;

class TicketAccounts : public orders::testing::OrderFixture {};

TEST_F(TicketAccounts, OnlyTradableAccountsWithTheInstrumentAreOffered) {
    account->tradeAccountType = 1;
    ASSERT_EQ(accountsOffered(*session, "GOLD").size(), 1u);
    struct Case {
        const char* what;
        std::function<void()> spoil;
    };
    const std::vector<Case> cases{
        {"status 2", [&] { account->tradingStatus = 2; }},
        {"status 4", [&] { account->tradingStatus = 4; }},
        {"status 5", [&] { account->tradingStatus = 5; }},
        {"trading disabled", [&] { group->TradingEnabled = false; }},
        {"no group instrument", [&] { item->InstrumentId = 2; }},
        {"account type 0", [&] { account->tradeAccountType = 0; }},
        {"account type 4", [&] { account->tradeAccountType = 4; }},
    };
    for (const auto& c : cases) {
        c.spoil();
        EXPECT_TRUE(accountsOffered(*session, "GOLD").empty()) << c.what;
        account->tradingStatus = 1;
        account->tradeAccountType = 3;
        group->TradingEnabled = true;
        item->InstrumentId = 1;
        EXPECT_EQ(accountsOffered(*session, "GOLD").size(), 1u) << c.what;
    }
    EXPECT_TRUE(accountsOffered(*session, "NOPE").empty());
}

TEST(TicketOffers, OrderTypesValiditiesBracketsSidesAndDeviation) {
    EXPECT_EQ(orderTypesOffered(0x41, 0xC1), (Strings{"Market", "Limit"}));
    EXPECT_EQ(orderTypesOffered(std::vector<std::int32_t>{0x41, 0x80}, 0xC1), (Strings{"Market", "Limit", "Stop"}));
    EXPECT_EQ(orderTypesOffered(0x06, 0xC7), Strings{});
    EXPECT_EQ(orderTypeValue(""), 0);
    EXPECT_EQ(orderTypeValue("Stop"), 3);
    EXPECT_EQ(timeinForceValue("Day"), 5);
    EXPECT_EQ(timeinForceValue("GTC"), 1);
    EXPECT_EQ(deliveryModeValue("BTST"), 3);
    EXPECT_FALSE(deliveryModeValue("Weekly"));

    model::GroupInstruments row;
    row.IntradayOrderMargin = 5;
    EXPECT_EQ(validitiesOffered(&row), Strings{"IntraDay"});
    row.InitialMargin = row.BTSTOrderMargin = 1;
    EXPECT_EQ(validitiesOffered(&row), (Strings{"Regular", "IntraDay", "BTST"}));
    EXPECT_EQ(validitiesOffered(nullptr), Strings{});

    struct Bracket {
        std::int32_t account, item;
        bool tp, sl;
    };
    for (const auto& b : {Bracket{0x02, 0x02, true, false}, Bracket{0x06, 0x04, false, true},
                          Bracket{0x02, 0x04, false, false}, Bracket{0x07, 0x07, true, true}}) {
        EXPECT_EQ(bracketsOffered(b.account, b.item).takeProfit, b.tp) << b.account << "/" << b.item;
        EXPECT_EQ(bracketsOffered(b.account, b.item).stopLoss, b.sl) << b.account << "/" << b.item;
    }
    struct Side {
        std::int32_t settings;
        bool sell, enabled;
    };
    for (const auto& s : {Side{0, false, false}, Side{1, false, false}, Side{2, true, false}, Side{3, false, true},
                          Side{7, false, true}}) {
        EXPECT_EQ(sidesOffered(s.settings).sell, s.sell) << s.settings;
        EXPECT_EQ(sidesOffered(s.settings).bracketsEnabled, s.enabled) << s.settings;
    }
    EXPECT_TRUE(deviationShown("Market", 0x02));
    EXPECT_FALSE(deviationShown("Market", 0x01));
    EXPECT_FALSE(deviationShown("Limit", 0x02));
}

// The loop the quantity list stands for, step by step.
Strings quantityLoop(double minQty, double step, double maxQty) {
    Strings items;
    const double n = std::trunc(maxQty / step);
    if (!(n >= 0) || !std::isfinite(n)) return items;
    for (double i = 0; i <= n; ++i) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%f", step * i);
        const auto q = model::Decimal::parse(buf);
        const double v = q.toDouble();
        const bool whole = q.moduloFor(model::Decimal(1)).isZero();
        if (v < minQty * 10 || (whole && (v < 10 || q.moduloFor(model::Decimal(5)).isZero())))
            items.push_back(q.toString());
    }
    return items;
}

TEST(TicketQuantities, ListEqualsTheStepLoopAndIsCapped) {
    EXPECT_EQ(quantityList(0.1, 0.1, 20), (Strings{"0", "0.1", "0.2", "0.3", "0.4", "0.5", "0.6", "0.7", "0.8", "0.9",
                                                   "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "15", "20"}));
    const Strings hundred = quantityList(1, 1, 100);
    EXPECT_EQ(std::count(hundred.begin(), hundred.end(), "11"), 0);
    EXPECT_EQ(hundred, quantityLoop(1, 1, 100));
    EXPECT_EQ(quantityList(0.01, 0.01, 1), quantityLoop(0.01, 0.01, 1));
    EXPECT_EQ(quantityList(1, 2, 1), Strings{"0"});
    EXPECT_EQ(quantityList(1, 0, 100), Strings{});
    EXPECT_EQ(quantityList(0, NAN, NAN), Strings{});

    std::mt19937 random(7);
    const double steps[] = {0.01, 0.05, 0.1, 0.25, 0.5, 1, 2, 3, 7};
    for (int round = 0; round < 200; ++round) {
        const double step = steps[random() % std::size(steps)];
        const double minQty = step * static_cast<double>(random() % 40);
        const double maxQty = step * static_cast<double>(random() % 800) + 0.003 * (random() % 2);
        EXPECT_EQ(quantityList(minQty, step, maxQty), quantityLoop(minQty, step, maxQty))
            << minQty << " " << step << " " << maxQty;
    }
    // A million steps of 0.01: no walk, at most 1,000 items, the loop's first ones.
    const Strings big = quantityList(0.01, 0.01, 1000000);
    ASSERT_EQ(big.size(), kQuantityListCap);
    const Strings walked = quantityLoop(0.01, 0.01, 100);
    EXPECT_EQ(Strings(big.begin(), big.begin() + 30), Strings(walked.begin(), walked.begin() + 30));
    EXPECT_EQ(big.back(), "4910");
    EXPECT_EQ(contractValueText(2, 100), "2.00 x 100.00 = 200.00");
}

TEST(TicketQuantities, PlainTextIsTheDecimalOfPercentF) {
    for (const double value : {0.0, -0.0, 0.1, -0.5, 2.675, 1e-7, 123456.789, 999999999999999.9, 1e15, -3e20, 1e300}) {
        char buf[512];
        std::snprintf(buf, sizeof buf, "%f", value);
        EXPECT_EQ(plainNumberText(value), model::Decimal::parse(buf).toString()) << buf;
    }
}

TEST(TicketPrices, VerdictsSpreadArrowsAndTime) {
    using V = PriceVerdict;
    struct Case {
        std::int32_t type, side;
        double p, h;
        V expected;
    };
    for (const auto& c : {Case{2, kBuySide, 50, 50, V::Valid}, Case{2, kBuySide, 50.01, 50, V::Invalid},
                          Case{2, kSellSide, 50, 50, V::Valid}, Case{2, kSellSide, 49.99, 50, V::Invalid},
                          Case{3, kBuySide, 50.01, 50, V::Valid}, Case{3, kBuySide, 49.99, 50, V::Invalid},
                          Case{3, kSellSide, 49.99, 50, V::Valid}, Case{3, kSellSide, 50.01, 50, V::Invalid},
                          Case{2, kBuySide, 0, 50, V::Valid}, Case{1, kBuySide, 1, 50, V::Neutral},
                          Case{0, kBuySide, 1, 50, V::Unchanged}})
        EXPECT_EQ(orderPriceVerdict(c.type, c.side, c.p, c.h), c.expected) << c.type << " " << c.side << " " << c.p;
    EXPECT_EQ(takeProfitVerdict(kBuySide, 51, 51), V::Valid);
    EXPECT_EQ(takeProfitVerdict(kSellSide, 51, 50), V::Invalid);
    EXPECT_EQ(stopLossVerdict(kBuySide, 49, 49), V::Valid);
    EXPECT_EQ(stopLossVerdict(kSellSide, 49, 50), V::Invalid);
    EXPECT_EQ(numberOfText(""), 0);
    EXPECT_EQ(numberOfText("12.5"), 12.5);

    EXPECT_EQ(spreadText(50.025, 50, 0.01), "2.5");
    EXPECT_EQ(spreadText(50.03, 50, 0.01), "3");
    EXPECT_EQ(spreadText(50.03, 50, 0), "0");

    // The ticket's own last prices, per instrument and side.
    LastShownPrices last;
    EXPECT_EQ(last.show("GOLD", true, 50), TickArrow::None);
    EXPECT_EQ(last.show("GOLD", true, 50.1), TickArrow::Up);
    EXPECT_EQ(last.show("GOLD", true, 50.1), TickArrow::None);
    EXPECT_EQ(last.show("GOLD", false, 10), TickArrow::None);
    EXPECT_EQ(last.show("GOLD", true, 50), TickArrow::Down);
    EXPECT_EQ(last.show("OIL", true, 1), TickArrow::None);
    EXPECT_EQ(tickTimeText("12/07/2026 10:11:12"), "10:11:12");
    EXPECT_EQ(tickTimeText("garbage"), "");
}

TEST(TicketOrder, RequestAndConfirmationText) {
    TicketEntries e;
    e.itemCode = "GOLD";
    e.orderType = 2;
    e.deliveryMode = 1;
    e.timeinForce = 5;
    e.price = "50.00";
    e.takeProfit = "52.00";
    e.stopLoss = "48.00";
    e.takeProfitTicked = e.stopLossTicked = true;
    model::OrderInfo info = CreateOrderInfoforTradeMode(e, kSellSide, 1001, "2");
    EXPECT_EQ(info.tradingMode, 1);
    EXPECT_EQ(info.accountNo, 1001);
    EXPECT_EQ(info.orderType, 2);
    EXPECT_EQ(info.timeinForce, 5);
    EXPECT_EQ(info.quantity, "2");
    EXPECT_EQ(info.price, "50.00");
    EXPECT_EQ(info.limitPrice, "52.00");
    EXPECT_EQ(info.stopPrice, "48.00");
    EXPECT_TRUE(info.TakeProfitEnabled && info.StopLossEnabled);
    EXPECT_EQ(info.deviation, -1);
    e.deviationTicked = true;
    e.deviation = "7";
    EXPECT_EQ(CreateOrderInfoforTradeMode(e, kBuySide, 1001, "2").deviation, 7);

    const TextOfKey text = [](const std::string& key) { return "<" + key + ">"; };
    // Every sheet states the price the order carries; the deviation line the price it is measured from.
    EXPECT_EQ(confirmationText(text, kBuySide, "GOLD", 100, "2", e, "2035.59"),
              "<0009> 2 (200) GOLD @ <0068>\n\n<0232> : 2035.59\n\n<0233> @ 52.00\n\n<0234> @ 48.00\n\n"
              "<10848> 7 @ 2035.59\n\n");
    e.takeProfitTicked = e.stopLossTicked = e.deviationTicked = false;
    // Single precision would show 16777216. A multi-account order lists what each account gets.
    EXPECT_EQ(confirmationText(text, kSellSide, "OIL", 1, "16777217", e, "71.5", {{1002, "1"}, {1001, "16777216"}}),
              "<0010> 16777217 (16777217) OIL @ <0068>\n\n<0232> : 71.5\n\n<0012> : 1002   <0027> : 1\n"
              "<0012> : 1001   <0027> : 16777216\n");
    const std::vector<ConfirmedAccount> many(kListedAccounts + 5, ConfirmedAccount{7, "1"});
    const std::string listed = confirmationText(text, kSellSide, "OIL", 1, "25", e, "71.5", many);
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 4 + static_cast<long>(kListedAccounts) + 1);
    EXPECT_TRUE(listed.ends_with("… <21008> : 25\n")) << listed;
}

TEST(MarketDepthCells, RowsAreCappedAndBadLevelsGiveEmptyCells) {
    const Strings seven{"1,1", "2,2", "3,3", "4,4", "5,5", "6,6", "7,7"};
    const Strings three{"1234.5,10", "oops", "x,3"};
    EXPECT_EQ(depthRowCount(&seven), 5u);
    EXPECT_EQ(depthRowCount(&three), 3u);
    EXPECT_EQ(depthRowCount(nullptr), 0u);
    struct Case {
        std::size_t row;
        DepthColumn column;
        std::string expected;
    };
    for (const auto& c : {Case{0, DepthColumn::Price, "1234.50"}, Case{0, DepthColumn::Quantity, "10"},
                          Case{0, DepthColumn::Other, ""}, Case{1, DepthColumn::Price, ""},
                          Case{1, DepthColumn::Quantity, ""}, Case{2, DepthColumn::Price, ""},
                          Case{2, DepthColumn::Quantity, "3"}, Case{3, DepthColumn::Price, ""}})
        EXPECT_EQ(depthCellText(&three, c.row, c.column, 2), c.expected) << c.row;
    EXPECT_EQ(depthCellText(nullptr, 0, DepthColumn::Price, 2), "");
}


std::shared_ptr<model::AccountDetails> drawerAccount(std::int32_t id, std::int64_t settings, std::int32_t types) {
    auto a = std::make_shared<model::AccountDetails>();
    a->AccountId = id;
    a->accountSettings = settings;
    a->availableOrderTypes = types;
    return a;
}

std::vector<std::int32_t> ids(const Accounts& accounts) {
    std::vector<std::int32_t> out;
    for (const auto& a : accounts) out.push_back(a->AccountId);
    return out;
}

TEST(MultiTradeRows, AccountsByDrawerTypeBracketsAndDeviation) {
    const auto plain = drawerAccount(1, 0, 0x01 | 0x02);
    const auto deviating = drawerAccount(2, 0x02, 0x41 | 0x06);
    const auto stops = drawerAccount(3, 0x02, 0x80 | 0x04);
    EXPECT_FALSE(multiTradeOffered({plain}));
    EXPECT_FALSE(multiTradeOffered({plain, drawerAccount(4, 0x03, 0x01)}));
    EXPECT_TRUE(multiTradeOffered({plain, deviating}));
    EXPECT_EQ(ids(multiTradeAccounts({plain, deviating, stops}, true)), (std::vector<std::int32_t>{2, 3}));

    struct Case {
        MultiTradeChoice choice;
        std::int32_t itemTypes;
        std::vector<std::int32_t> rows;
    };
    const std::vector<Case> cases{
        {{"Market"}, 0xC7, {1, 2}},
        {{"Limit"}, 0xC7, {2}},
        {{"Stop"}, 0xC7, {3}},
        {{"Stop"}, 0x47, {}},  // the instrument lacks the bit
        {{"Market", true}, 0xC7, {1, 2}},
        {{"Market", true}, 0xC5, {}},  // take profit needs both sides' bit
        {{"Market", false, true}, 0xC7, {2}},
        {{"Market", true, true}, 0xC7, {2}},
        {{"Market", false, false, true}, 0xC7, {2}},
        {{"Trailing"}, 0xFF, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ids(multiTradeAccounts({plain, deviating, stops}, c.itemTypes, c.choice)), c.rows)
            << c.choice.orderType << c.choice.takeProfit << c.choice.stopLoss << c.choice.deviation;
}

TEST(MultiTradeRows, TicksKeepTheirOrderAndEachTickStartsAtZero) {
    MultiTradeRows rows;
    rows.reset({drawerAccount(1001, 0, 1), drawerAccount(1002, 0, 1), drawerAccount(1003, 0, 1)});
    rows.toggle(2);
    rows.toggle(0);
    rows.setQuantity(0, 1);
    rows.setQuantity(2, 2.5);
    rows.setQuantity(1, 7);  // unticked rows count in the total too
    rows.setQuantity(9, 1);  // no such row
    EXPECT_DOUBLE_EQ(rows.total(), 10.5);
    const auto ticked = rows.tickedAccounts();
    ASSERT_EQ(ticked.size(), 2u);
    EXPECT_EQ(ticked[0].accountId, 1003);
    EXPECT_DOUBLE_EQ(ticked[0].quantity, 2.5);
    EXPECT_EQ(ticked[1].accountId, 1001);
    rows.toggle(2);
    rows.toggle(2);  // again last, from 0
    EXPECT_EQ(rows.ticks(), (std::vector<std::size_t>{0, 2}));
    EXPECT_DOUBLE_EQ(rows.row(2).quantity, 0);
    rows.selectAll(true);
    EXPECT_EQ(rows.ticks(), (std::vector<std::size_t>{0, 1, 2}));
    rows.setTickedQuantity(2);
    EXPECT_DOUBLE_EQ(rows.total(), 6);
    rows.selectAll(false);
    EXPECT_TRUE(rows.ticks().empty());
    rows.reset({drawerAccount(1001, 0, 1)});
    EXPECT_DOUBLE_EQ(rows.total(), 0);
}

TEST(MultiTradeRows, MarginIsComputedWithoutTouchingTheAccount) {
    auto gold = std::make_shared<model::GroupDetails>();
    gold->LeverageOnFProfit = 20;
    gold->RevLeverageOnFLoss = 50;
    auto account = drawerAccount(1001, 0, 1);
    account->GroupId = "10";
    account->Balance = 1000;
    account->AccumulatingStorage = 10;
    account->UsedMargin = 300;
    account->Equity = account->AvailableMargin = account->UnrealisedPL = account->Leverage = 7;
    auto orphan = drawerAccount(1002, 0, 1);
    orphan->GroupId = "missing";
    orphan->Balance = 50;
    auto position = [](const std::string& owner, double pl) {
        auto p = std::make_shared<model::Order>();
        p->AccountNumber = owner;
        p->UnrealisedPL = pl;
        return p;
    };
    struct Case {
        std::vector<double> pls;
        double margin;
    };
    for (const auto& c : {Case{{-150, -50}, 610}, Case{{100}, 730}, Case{{}, 710}}) {
        state::Orders positions{position("x", 1e6), nullptr, position("1002", -40)};
        for (const double pl : c.pls) positions.push_back(position("1001", pl));
        const auto margins = availableMargins({account, orphan}, positions, [&](const std::string& id) {
            return id == "10" ? gold : nullptr;
        });
        EXPECT_EQ(margins, (std::vector<double>{c.margin, 50}));
    }
    EXPECT_EQ(account->Equity, 7);
    EXPECT_EQ(account->AvailableMargin, 7);
    EXPECT_EQ(account->UnrealisedPL, 7);
    EXPECT_EQ(account->Leverage, 7);
    EXPECT_EQ(marginText(-1234.5), "-1,234.50");
}

}  // namespace
}  // namespace trading
