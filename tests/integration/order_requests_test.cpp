// Partial close, edits, confirmations, multi-account orders, offsets and
// close-all sent by the order manager to the loopback simulator.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "integration/order_session.h"
#include "model/formatter.h"
#include "support/session_test_access.h"

namespace {

using model::Order;

class OrderRequestsTest : public integration::OrderSession {
protected:
    void SetUp() override {
        OrderSession::SetUp();
        login({"--login-form", "packed"});
    }
};

TEST_F(OrderRequestsTest, ClosesEditsConfirmationsAndCancels) {
    // Half a lot of position 70001 (2 lots of GOLD, bought) closed at the market.
    model::OrderInfo close = order(1, 1, "0.5");
    close.previousQuantity = "2";
    close.orderNo = "70001";
    close.isCloseNew = true;
    manager->PlacePartialOrder(close);
    ASSERT_EQ(reports, std::vector<std::string>{orders::kAbortModal});
    ASSERT_TRUE(pump([&] { return saw("settled:70001"); }));

    // Its take-profit leg moves from 2300 to 2400.
    model::OrderInfo bracket = order(1, 1, "1.5");
    bracket.orderNo = "70001";
    bracket.price = "2021.35";
    bracket.limitPrice = "2400.00";
    bracket.stopPrice = "1800.00";
    bracket.TakeProfitEnabled = bracket.StopLossEnabled = true;
    bracket.isEBO = true;
    manager->PlaceEditBracketOrder(bracket);
    ASSERT_EQ(reports.size(), 2u);
    // The simulator keeps the leg's quantity; the price is the new one.
    ASSERT_TRUE(pump([&] { return saw("edited:50011:2@2400.00"); }));

    // Two Limit orders before any answer: two confirmations, one for each.
    const auto& gold = **state::SessionTestAccess::referenceData(*session).ItemCollection().find("GOLD");
    model::OrderInfo limit = order(2, 0, "1");
    limit.price = model::Formatter::formatDecimal(gold.Ask - 50, gold.DecimalPlaces);
    manager->PlaceOrder(limit);
    limit.quantity = "2";
    manager->PlaceOrder(limit);
    const auto confirmations = [&] {
        std::vector<std::string> texts;
        for (const auto& b : ui.banners)
            if (b.subtitle == "2139" || b.subtitle == state::viewOf(*session).text("2139")) texts.push_back(b.informativeText);
        return texts;
    };
    ASSERT_TRUE(pump([&] { return confirmations().size() == 2; }));
    EXPECT_NE(confirmations()[0].find("Buy Limit 1 GOLD"), std::string::npos) << confirmations()[0];
    EXPECT_NE(confirmations()[1].find("Buy Limit 2 GOLD"), std::string::npos) << confirmations()[1];
    const std::string working = lastSeen("pending:");

    // The second is modified to 3 lots, then cancelled with its sound.
    model::OrderInfo modify = limit;
    modify.quantity = "3";
    modify.orderNo = working;
    modify.isEWO = true;
    modify.editorderReqType = 2;
    manager->PlaceEditWorkingOrder(modify);
    ASSERT_TRUE(pump([&] { return saw("edited:" + working + ":3@" + limit.price); }));
    model::OrderInfo cancel = order(1, 0, "3");
    cancel.orderNo = working;
    cancel.price = limit.price;
    cancel.limitPrice = cancel.stopPrice = "0";
    cancel.isEWO = cancel.isCancelOrder = true;
    cancel.editorderReqType = 1;
    manager->PlaceEditWorkingOrder(cancel);
    ASSERT_TRUE(pump([&] { return saw("removed:" + working) && !ui.sounds.empty(); }));
    EXPECT_EQ(ui.sounds.back(), "cancelOrder");
    EXPECT_EQ(reports.size(), 4u);
    EXPECT_EQ(ordersReceived(), " 60 72 60 60 72 72");
}

TEST_F(OrderRequestsTest, MultiAccountOrderOffsetAndCloseAll) {
    // One market buy of GOLD for 1001 and 1002: a position in each account.
    model::OrderInfo second = order(1, 0, "0.5");
    second.accountNo = 1002;
    manager->CreateNewBulkOrderMessage(manager->GenerateBulkOrderDetails(order(1, 0, "1.5")),
                                       {manager->GenerateOrder(order(1, 0, "1")), manager->GenerateOrder(second)});
    ASSERT_TRUE(pump([&] { return count("position:") == 2; }));
    const std::string bought = lastSeen("position:1001:");

    // A sell of 1 lot offsets the bought lot; the answer carries no request id.
    manager->PlaceOrder(order(1, 1, "1"));
    ASSERT_TRUE(pump([&] { return count("position:") == 3; }));
    const std::string sold = lastSeen("position:1001:");
    const std::int32_t requestId = state::servicesOf(*session).requestId();
    model::OffsetPosition opposite;
    opposite.postionId = sold;
    opposite.offsetQty = "1";
    manager->PlaceOffsetOrder(*orders::OrderMananger::offsetPositionList(bought, "1", {opposite}), "GOLD", "1001");
    ASSERT_TRUE(pump([&] { return hedgeAnswers == 1; }));
    EXPECT_TRUE(saw("settled:" + bought));
    EXPECT_TRUE(saw("settled:" + sold));
    EXPECT_EQ(state::servicesOf(*session).requestId(), requestId);
    EXPECT_TRUE(reports.empty());

    // Close-all of 70002 and of a position that vanished meanwhile.
    auto position = [](const std::string& id, const std::string& code) {
        auto p = std::make_shared<Order>();
        p->OpenPositionId = id;
        p->ItemCode = code;
        p->AccountNumber = "1001";
        p->RemainingQty = "1";
        return p;
    };
    manager->createBulkClosePositionInfo({position("70002", "EURUSD"), position("79999", "GOLD")},
                                         orders::OrderMananger::kCloseSelected);
    EXPECT_EQ(bulk, std::vector<std::string>{"82"});  // at once, before any answer
    ASSERT_TRUE(pump([&] { return bulk.size() == 2; }));
    EXPECT_EQ(bulk, (std::vector<std::string>{"82", "25:79999"}));
    EXPECT_TRUE(saw("settled:70002"));
    EXPECT_EQ(ordersReceived(), " 77 60 1052 82");
}

}  // namespace
