// Validation and placement of new orders by the order manager.
#include <gtest/gtest.h>

#include <functional>

#include "orders/order_fixture.h"
#include "protocol/separator_bytes.h"
#include "support/session_test_access.h"

namespace {

using orders::testing::OrderFixture;
using orders::testing::tr;
using Info = model::OrderInfo;

class OrderValidationTest : public OrderFixture {};

struct Case {
    const char* name;
    std::function<void(OrderFixture&, Info&)> arrange;
    std::string expected;  // "" : the order is valid
};

TEST_F(OrderValidationTest, EachRefusalReportsItsKeyOnceAndSendsNothing) {
    const std::string limits = tr("1202") + "\n" + tr("0760") + " : 52.50\t" + tr("0761") + " : 47.50";
    const std::vector<Case> cases = {
        {"valid market buy", [](auto&, Info&) {}, ""},
        {"network down comes first", [](auto& f, Info& o) { state::servicesOf(*f.session).connection().isNetworkAvailable = false; o.orderType = 0; },
         tr("1007")},
        {"unknown instrument", [](auto&, Info& o) { o.itemCode = "NONE"; }, tr("20227")},
        {"no order type", [](auto&, Info& o) { o.orderType = 0; }, tr("1080")},
        {"limit with bit 64 but not 1", [](auto& f, Info& o) { f.account->availableOrderTypes = 0x40; o = f.limit(0, "50"); },
         tr("1081")},
        {"unknown account", [](auto&, Info& o) { o.accountNo = 9999; }, tr("1081")},
        {"instrument without market bit", [](auto& f, Info&) { f.item->availableOrderTypes = 0x40; }, tr("1082")},
        {"close position only", [](auto& f, Info&) { f.account->tradingStatus = 4; }, tr("1068")},
        {"close position only lets a close through",
         [](auto& f, Info& o) { f.account->tradingStatus = 4; o.isCloseNew = true; o.previousQuantity = "1"; }, ""},
        {"suspended", [](auto& f, Info&) { f.account->tradingStatus = 3; }, tr("0334")},
        {"equity hit", [](auto& f, Info&) { f.account->tradingStatus = 5; }, tr("0333")},
        {"expired instrument passes status check", [](auto& f, Info&) { f.item->instrumentTradingStatus = 3; }, ""},
        {"instrument close only", [](auto& f, Info&) { f.item->instrumentTradingStatus = 2; }, tr("1068")},
        {"ask 0 is not replaced by last", [](auto& f, Info&) { f.item->Ask = 0; }, tr("1035") + " 0"},
        {"price text abc reads as 0", [](auto& f, Info& o) { o = f.limit(0, "abc"); }, tr("1035") + " 0"},
        // A moved string: GCC 12 at -O3 wrongly sees overlap (-Wrestrict) when a literal is assigned here.
        {"quantity 0", [](auto&, Info& o) { o.quantity = std::string("0"); }, tr("1003")},
        {"closing 7 of 5", [](auto&, Info& o) { o.isCloseNew = true; o.quantity = "7"; o.previousQuantity = "5.000"; },
         tr("1030") + " 5"},
        {"missing group instrument", [](auto& f, Info&) { f.group->GroupInstrumentCollection.clear(); }, tr("1069")},
        {"missing group", [](auto& f, Info&) { f.account->GroupId = "99"; }, tr("1069")},
        {"buy not allowed", [](auto& f, Info&) { f.gi->availableOrderSettings = 2; }, tr("1106")},
        {"sell not allowed", [](auto& f, Info& o) { f.gi->availableOrderSettings = 1; o.tradingMode = 1; }, tr("1107")},
        {"no session record", [](auto& f, Info&) { f.item->CurrentTradeSessionSettingId = 7; }, tr("1049")},
        {"no new market", [](auto& f, Info&) { f.sessionSettings->allowNewMarket = false; }, tr("1050")},
        {"no new contingent", [](auto& f, Info& o) { f.sessionSettings->allowNewContigent = false; o = f.limit(0, "50"); },
         tr("1052")},
        {"no new bracket on market",
         [](auto& f, Info& o) { f.sessionSettings->allowNewTpSl = false; o.limitPrice = "60"; }, tr("1051")},
        {"no new market on a working-order edit",
         [](auto& f, Info& o) { f.sessionSettings->allowNewMarket = false; o.isEWO = true; o.limitPrice = "60"; }, tr("1053")},
        {"no new market on a bracket edit",
         [](auto& f, Info& o) { f.sessionSettings->allowNewMarket = false; o.isEBO = true; }, tr("1051")},
        {"group trading off", [](auto& f, Info&) { f.group->TradingEnabled = false; }, tr("1068")},
        {"max 0 refuses all", [](auto& f, Info&) { f.gi->MaxOrderQty = 0; }, tr("1023") + " (0)"},
        {"below minimum", [](auto& f, Info& o) { f.gi->MinOrderQty = 2; o.quantity = "1"; }, tr("1024") + " (2)"},
        {"closing the rest below minimum and off step",
         [](auto& f, Info& o) { f.gi->MinOrderQty = 2; o.isCloseNew = true; o.quantity = o.previousQuantity = "0.15"; }, ""},
        {"0.3 on step 0.1", [](auto&, Info& o) { o.quantity = "0.3"; }, ""},
        {"0.35 off step 0.1", [](auto&, Info& o) { o.quantity = "0.35"; }, tr("1034") + " (0.1)"},
        {"residue below the sixth decimal", [](auto& f, Info& o) { f.gi->OrderQtyStep = 1; o.quantity = "1.0000001"; }, ""},
        {"limit off tick", [](auto& f, Info& o) { o = f.limit(0, "49.995"); }, tr("0423")},
        {"buy limit below ask - d", [](auto& f, Info& o) { o = f.limit(0, "49.99"); }, ""},
        {"buy limit at ask - d, which binary puts a hair lower",
         [](auto& f, Info& o) { f.item->Ask = 1.13; o = f.limit(0, "1.03"); }, ""},
        {"sell limit at bid + d, which binary puts a hair higher",
         [](auto& f, Info& o) { f.item->Bid = 1.1; o = f.limit(1, "1.20"); }, ""},
        {"buy limit above ask - d", [](auto& f, Info& o) { o = f.limit(0, "50.01"); }, "The buy limit price must be at or below 50.00"},
        {"sell limit below bid + d", [](auto& f, Info& o) { o = f.limit(1, "50.09"); }, "The sell limit price must be at or above 50.10"},
        {"buy stop below ask + d", [](auto& f, Info& o) { o = f.limit(0, "50.14"); o.orderType = 3; }, "The buy stop price must be at or above 50.15"},
        {"sell stop above bid - d", [](auto& f, Info& o) { o = f.limit(1, "49.96"); o.orderType = 3; }, "The sell stop price must be at or below 49.95"},
        {"distance checks off",
         [](auto& f, Info& o) { f.item->orderSettings2 = 1; o = f.limit(1, "49.99"); o.orderType = 3; }, ""},
        {"bid 0 falls back to last for distances",
         [](auto& f, Info& o) { f.item->Bid = 0; f.item->Last = 48.5; o = f.limit(1, "48.59"); }, "The sell limit price must be at or above 48.60"},
        {"market buy take profit below bid + d",
         [](auto&, Info& o) { o.limitPrice = "50.09"; o.TakeProfitEnabled = true; }, tr("20231") + " 50.10"},
        {"market buy take profit off tick",
         [](auto&, Info& o) { o.limitPrice = "50.105"; o.TakeProfitEnabled = true; }, tr("20232")},
        {"market sell stop loss below ask + d",
         [](auto&, Info& o) { o.tradingMode = 1; o.stopPrice = "50.14"; o.StopLossEnabled = true; }, tr("20228") + " 50.15"},
        {"market buy stop loss above bid - d",
         [](auto&, Info& o) { o.stopPrice = "49.96"; o.StopLossEnabled = true; }, tr("20230") + " 49.95"},
        {"bracket edit of a long with stop above b - d",
         [](auto&, Info& o) { o.tradingMode = 1; o.isEBO = true; o.stopPrice = "49.96"; o.StopLossEnabled = true; },
         tr("20230") + " 49.95"},
        {"limit outside the daily limits",
         [](auto& f, Info& o) { f.item->orderSettings2 = 2; f.item->PrevClose = 50; f.item->CircuitLimit = 5; o = f.limit(0, "47.4"); },
         limits},
        {"market with bracket checks the limits at the bid",
         [](auto& f, Info& o) { f.item->orderSettings2 = 2; f.item->circuitLimitUp = 49; o.limitPrice = "60"; o.TakeProfitEnabled = true; },
         tr("1202") + "\n" + tr("0760") + " : 49.00\t" + tr("0761") + " : 0.00"},
        {"formula 4 with rate 0",
         [](auto& f, Info&) { f.gi->margincalculationMode = 2; f.item->MarginFormulaId = 4; }, tr("1067")},
        {"sell beyond the sellable lots",
         [](auto& f, Info& o) { f.gi->AllowShortSelling = false; o.tradingMode = 1; }, tr("1196")},
        {"any side other than 0 sells",
         [](auto& f, Info& o) { f.gi->AllowShortSelling = false; o.tradingMode = 2; }, tr("1196")},
        {"sell with stop loss skips the count",
         [](auto& f, Info& o) { f.gi->AllowShortSelling = false; o.tradingMode = 1; o.stopPrice = "50.2"; o.StopLossEnabled = true; }, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        Info info = marketBuy();
        c.arrange(*this, info);
        const bool valid = manager->GenerateOrder(info) != nullptr;
        EXPECT_EQ(valid, c.expected.empty());
        if (c.expected.empty()) {
            EXPECT_TRUE(reports.empty()) << reports.front().text;
            continue;
        }
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].text, c.expected);
        ASSERT_TRUE(reports[0].order);
        EXPECT_EQ(reports[0].order->ItemCode, info.itemCode == "GOLD" ? "GOLD" : "");
        // Placing it sends nothing and keeps nothing.
        manager->PlaceOrder(info);
        EXPECT_EQ(sent, 0);
        EXPECT_TRUE(state::SessionTestAccess::orderBook(*session).PendingOrderCollection().empty());
        EXPECT_TRUE(state::SessionTestAccess::journal(*session).JournalDataCollection().empty());
    }
}

TEST_F(OrderValidationTest, SellableLotsCountOneBracketPerPositionAndPendingSellsOfEveryAccount) {
    gi->AllowShortSelling = false;
    openPosition(0, "10");
    openPosition(1, "2");
    openPosition(0, "50", "2002");  // another account: not counted
    addOrder(false, 1, "3");
    addOrder(false, 1, "4")->setRefPositionIdOfBracket("70001");
    addOrder(false, 1, "5")->setRefPositionIdOfBracket("70001");
    EXPECT_DOUBLE_EQ(manager->getAllowedSellLots("GOLD", "1001", 1), 0);
    addOrder(false, 1, "1", "2002");
    EXPECT_DOUBLE_EQ(manager->getAllowedSellLots("GOLD", "1001", 1), -1);
    EXPECT_DOUBLE_EQ(manager->getAllowedSellLots("GOLD", "1001", 2), 0);

    auto sell = order(1, "1");
    EXPECT_FALSE(manager->verifyShortSellAllowed(sell));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, tr("1196"));
    // Modifying the pending sell of 4 gives its lots back.
    addOrder(false, 1, "4", "1001", "50020");
    sell->isEditWorkOrder = true;
    sell->PendingOrderId = "50020";
    sell->OrderQty = "4";
    EXPECT_TRUE(manager->verifyShortSellAllowed(sell));
    sell->OrderQty = "4.5";
    EXPECT_FALSE(manager->verifyShortSellAllowed(sell));
}

TEST_F(OrderValidationTest, ABracketEditFindsNoPositionOrBracketByEmptyIds) {
    gi->AllowShortSelling = false;
    auto position = openPosition(0, "5");
    addOrder(false, 0, "1");                                 // a pending buy of no position
    addOrder(false, 1, "1")->setRefPositionIdOfBracket("P1");  // the bracket of P1
    auto edit = order(1, "2");
    edit->isEditBracketOrder = true;
    edit->LimitPrice = "55";
    // Empty ids find nothing: 4 lots may be sold; named ones find P1's bracket of 1 lot.
    for (const std::string id : {"", "W1"}) {
        position->PendingOrderId = edit->PendingOrderId = id;
        edit->OpenPositionId = id.empty() ? "" : "P1";
        EXPECT_EQ(manager->verifyShortSellAllowed(edit), id.empty()) << id;
    }
}

class OrderPlacementTest : public OrderFixture {};

TEST_F(OrderPlacementTest, AValidOrderGoesOutAsTheNewOrderRequestAndWaitsAsPlaceholder) {
    Info info = limit(0, "49.5", "2");
    info.timeinForce = 3;       // no wire value: tag 43 written as "(null)"
    info.limitPrice = "0";      // counts as set, goes out empty
    manager->PlaceOrder(info);
    ASSERT_TRUE(reports.empty());
    EXPECT_EQ(sent, 1);
    const std::string body =
        "10=60\x03" "34=1001\x03" "23=trader\x03" "33=42\x03" "19=R9\x03" "12=GOLD\x03" "32=30\x03" "117=51\x03"
        "37=2\x03" "38=49.5\x03" "39=\x03" "40=\x03" "90=0\x03" "36=45\x03" "77=-1\x03" "24=0\x03" "43=(null)\x03"
        "56=50.00\x03" "54=50.10\x03" "61=50.05\x03" "60=51.00\x03" "62=49.00\x03" "67=20261207101112\x03" "78=\x03";
    EXPECT_EQ(state::servicesOf(*session).outgoingMessage().lastFrame(), "\x01" + std::to_string(body.size()) + "\x03" + body + "\x02");
    const auto& pending = state::SessionTestAccess::orderBook(*session).PendingOrderCollection();
    ASSERT_EQ(pending.size(), 1u);
    EXPECT_EQ(pending[0]->RequestId, 42);
    EXPECT_EQ(state::servicesOf(*session).requestId(), 41);
    EXPECT_EQ(pending[0]->ordertypeInfo, 3);
    ASSERT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), 1u);
    EXPECT_NE(state::SessionTestAccess::journal(*session).JournalDataCollection()[0].find("GOLD"), std::string::npos);
    EXPECT_TRUE(state::servicesOf(*session).outgoingMessage().messageDataDictionary().empty());
}

TEST_F(OrderPlacementTest, AnOrderTakesThePingsServerTimeAndTheNextRequestIdIn64Bits) {
    using Messages = std::vector<std::vector<std::string>>;
    struct Case {
        const char* name;
        Messages before;
        std::string requestId, time;
    };
    const Case cases[] = {
        {"before the first ping answer", {{"10=1045", "21=20261207093000"}}, "42", ""},
        {"the ping's, not a later message's",
         {{"10=1019", "21=20261207093000"}, {"10=1045", "21=20261207094500"}}, "42", "20261207093000"},
        {"a server id at the 32-bit top", {{"10=1045", "20=2147483647"}}, "2147483648", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        for (const auto& m : c.before) state::SessionTestAccess::ProcessNewMessage(*session, m, std::stoi(m[0].substr(3)));
        manager->PlaceOrder(marketBuy());
        ASSERT_EQ(sent, 1);
        EXPECT_NE(body().find("\x03" "33=" + c.requestId + "\x03"), std::string::npos);
        EXPECT_EQ(body().substr(body().rfind("78=")), "78=" + c.time + "\x03");
        ASSERT_EQ(state::SessionTestAccess::orderBook(*session).PendingOrderCollection().size(), 1u);
        EXPECT_EQ(state::SessionTestAccess::orderBook(*session).PendingOrderCollection()[0]->RequestId, std::stoll(c.requestId));
        EXPECT_EQ(state::SessionTestAccess::orderBook(*session).PendingOrderCollection()[0]->TransactionDateTime, c.time);
    }
}

TEST_F(OrderPlacementTest, AnOrderConfirmedLaterTakesTheSendsMomentOnItsOwnConnectionOnly) {
    using Messages = std::vector<std::vector<std::string>>;
    struct Case {
        const char* name;
        Messages meanwhile;  // between the click and the confirmation
        bool relogin;
        std::string requestId, time;  // both empty: refused, nothing sent
    };
    const Case cases[] = {
        {"no ping since", {}, false, "42", "20261207093000"},
        {"a sheet of 8 s", {{"10=1019", "21=20261207093004"}, {"10=1045", "20=49"}, {"10=1019", "21=20261207093008"}},
         false, "50", "20261207093008"},
        {"a sheet across a relogin", {{"10=1019", "21=20261207093004"}}, true, "", ""},
    };
    const auto process = [this](const std::vector<std::string>& m) {
        state::SessionTestAccess::ProcessNewMessage(*session, m, std::stoi(m[0].substr(3)));
    };
    for (const Case& c : cases) {
        for (const bool bulk : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (bulk ? ", multi-account" : ", one account"));
            reset();
            process({"10=1019", "21=20261207093000"});
            const auto order = bulk ? manager->GenerateBulkOrderDetails(marketBuy()) : manager->GenerateOrder(marketBuy());
            const auto accountOrder = manager->GenerateOrder(marketBuy());
            ASSERT_TRUE(order && accountOrder);
            for (const auto& m : c.meanwhile) process(m);
            if (c.relogin) state::SessionTestAccess::connectionDidConnect(*session);
            loop->runUntilIdle();
            item->Ask += 1;
            const int before = sent;
            if (bulk)
                manager->CreateNewBulkOrderMessage(order, {accountOrder});
            else
                manager->PlaceOrder(order);
            if (c.time.empty()) {
                EXPECT_EQ(sent, before);
                ASSERT_EQ(reports.size(), 1u);
                EXPECT_EQ(reports[0].text, tr("1074"));
                EXPECT_TRUE(state::SessionTestAccess::orderBook(*session).PendingOrderCollection().empty());
                EXPECT_EQ(manager->armedConfirmations(), 0);
                continue;
            }
            ASSERT_EQ(sent, before + 1);
            EXPECT_TRUE(reports.empty());
            EXPECT_NE(body().find("\x03" "38=50.10\x03"), std::string::npos) << body();  // the click's price
            EXPECT_NE(body().find("\x03" "78=" + c.time + "\x03"), std::string::npos) << body();
            EXPECT_NE(body().find(bulk ? "\x05" + c.requestId + "\x06" : "\x03" "33=" + c.requestId + "\x03"),
                      std::string::npos) << body();
        }
    }
}

TEST_F(OrderPlacementTest, AnOrderTheBuilderRefusesGetsNoPlaceholder) {
    manager->PlaceOrder(marketBuy(std::string("1") + protocol::FieldEndByte));
    EXPECT_EQ(sent, 0);
    EXPECT_TRUE(state::SessionTestAccess::orderBook(*session).PendingOrderCollection().empty());
    EXPECT_TRUE(state::SessionTestAccess::journal(*session).JournalDataCollection().empty());
    // The next order goes out on a clean message.
    manager->PlaceOrder(marketBuy());
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(state::SessionTestAccess::orderBook(*session).PendingOrderCollection().size(), 1u);
}

}  // namespace
