// The position dialogs' Qt-free rules: the row found by id, closable quantity
// and lists, texts, the estimated profit and the four requests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "orders/order_fixture.h"
#include "trading/core/position_dialog_values.h"
#include "trading/core/position_row_reference.h"

namespace trading {
namespace {

using Strings = std::vector<std::string>;

class PositionDialogCore : public orders::testing::OrderFixture {};

TEST_F(PositionDialogCore, RowIsResolvedOnceAndFoundByIdWhateverHappensToTheList) {
    auto& positions = session->orderBook().OpenOrderCollection;
    openPosition(0, "1", "1001", "P1");
    openPosition(0, "2", "1001", "P2");
    PositionRowReference row;
    ASSERT_TRUE(row.open(*session, kPositionMode, "1"));
    EXPECT_EQ(row.id(), "P2");
    struct Change {
        const char* what;
        std::function<void()> apply;
    };
    const std::vector<Change> changes{
        {"inserted ahead", [&] {
             openPosition(0, "9", "1001", "P0");
             std::rotate(positions.begin(), positions.end() - 1, positions.end());
         }},
        {"sorted", [&] { std::reverse(positions.begin(), positions.end()); }},
        {"earlier removed", [&] {
             positions.erase(std::find_if(positions.begin(), positions.end(),
                                          [](const auto& p) { return p->OpenPositionId == "P1"; }));
         }},
    };
    for (const auto& c : changes) {
        c.apply();
        const auto found = row.current(*session);
        ASSERT_NE(found, nullptr) << c.what;
        EXPECT_EQ(found->RemainingQty, "2") << c.what;
    }
    positions.clear();
    EXPECT_EQ(row.current(*session), nullptr);

    // Bad or stale indexes resolve to nothing.
    openPosition(0, "1", "1001", "P1");
    openPosition(0, "1", "1001", "");  // a row without an id cannot be found again
    for (const char* index : {"2", "5", "-1", "", "1x", "99999999999999999999999", "1"}) {
        EXPECT_FALSE(row.open(*session, kPositionMode, index)) << index;
        EXPECT_EQ(row.current(*session), nullptr) << index;
    }
    EXPECT_FALSE(row.open(*session, 2, "0"));
    // Pending orders by PendingOrderId.
    addOrder(false, 0, "3", "1001", "W7");
    ASSERT_TRUE(row.open(*session, kPendingMode, "0"));
    EXPECT_EQ(row.current(*session)->PendingOrderId, "W7");
    // A missing instrument or account: null, not a crash.
    auto stray = openPosition(0, "1", "404", "P9");
    stray->ItemCode = "NOPE";
    EXPECT_EQ(itemOf(*session, *stray), nullptr);
    EXPECT_EQ(accountOf(*session, *stray), nullptr);
}

TEST_F(PositionDialogCore, ClosableQuantityListsAndTexts) {
    auto position = openPosition(0, "5", "1001", "P1");
    for (const char* qty : {"2", "1"}) addOrder(false, 1, qty)->LiqudateOrderNumber = "P1";
    for (auto& o : session->orderBook().PendingOrderCollection) o->OrderQty = o->RemainingQty;
    addOrder(false, 1, "4")->LiqudateOrderNumber = "P2";
    EXPECT_EQ(closableQuantity(*position, session->getPendingOrderCollection()), 2);

    struct List {
        double quantity;
        std::size_t size;
        const char* last;
    };
    for (const auto& c : {List{2, 2, "2"}, List{2.5, 2, "2"}, List{0.99, 0, ""}, List{-3, 0, ""},
                          List{std::nan(""), 0, ""}, List{1e12, 1000, "1000"}, List{4294967297.0, 1000, "1000"},
                          List{1e300, 1000, "1000"}}) {
        const Strings list = unitQuantityList(c.quantity);
        EXPECT_EQ(list.size(), c.size) << c.quantity;
        if (!list.empty()) {
            EXPECT_EQ(list.front(), "1");
        }
        EXPECT_EQ(list.empty() ? "" : list.back(), c.last) << c.quantity;
    }
    EXPECT_EQ(quantityDescription("3", 100), "3 x 100.00 = 300.00");
    EXPECT_EQ(quantityDescription("", 100), " x 100.00 = 0.00");

    const auto text = [](const std::string& key) { return "<" + key + ">"; };
    position->ItemCode = "GOLD";
    EXPECT_EQ(closeButtonTitle(text, *position, "3"), "<0246> #P1 (<0010> 3 GOLD @ <0068>)");
    EXPECT_EQ(editedCloseButtonTitle(*position, "3"), "Close #P1 (Sell 3 GOLD @ Market Rate)");
    position->tradingMode = 1;
    EXPECT_EQ(closeButtonTitle(text, *position, "3"), "<0246> #P1 (<0009> 3 GOLD @ <0068>)");
    EXPECT_EQ(editedCloseButtonTitle(*position, "3"), "Close #P1 (Buy 3 GOLD @ Market Rate)");

    struct Type {
        std::int32_t type;
        std::optional<std::string> word;
        const char* cancel;
        const char* edit;
    };
    for (const auto& t : {Type{0, "None", "", ""}, Type{1, "Market", "0819", "0820"},
                          Type{2, "Limit", "0252", "0254"}, Type{3, "Stop", "0253", "0255"},
                          Type{4, std::nullopt, "", ""}}) {
        EXPECT_EQ(orderTypeWord(t.type), t.word) << t.type;
        EXPECT_EQ(cancelPrefixKey(t.type), t.cancel) << t.type;
        EXPECT_EQ(editPrefixKey(t.type), t.edit) << t.type;
    }
    // Prices: the closing side of a position, the own side of a pending order.
    EXPECT_EQ(closingPrice(*item, 0), 50);
    EXPECT_EQ(closingPrice(*item, 1), 50.1);
    EXPECT_EQ(pendingSidePrice(*item, 0), 50.1);
    EXPECT_EQ(pendingSidePrice(*item, 1), 50);
    EXPECT_FALSE(closingPrice(*item, 2));
    EXPECT_EQ(closeSideKey(2), "");
    EXPECT_EQ(priceText("50.1", item), "50.10");
    EXPECT_EQ(priceText("7", nullptr), "7.00");
}

TEST_F(PositionDialogCore, EstimatedProfitOfTheTypedQuantity) {
    auto position = openPosition(0, "5", "1001", "P1");  // bought at 50
    item->Bid = 50.5;
    item->Ask = 50.6;
    EXPECT_EQ(estimatedPLText(*session, *position, item, 2), "100.00");
    position->tradingMode = 1;  // sold at 50, closes at the Ask
    EXPECT_EQ(estimatedPLText(*session, *position, item, 2), "-120.00");
    EXPECT_EQ(estimatedPLText(*session, *position, item, 0), "0.00");
    EXPECT_EQ(estimatedPLText(*session, *position, nullptr, 2), "0.00");
    position->tradingMode = 0;
    item->Bid = 50;  // no move: "0.00", never "-0.00"
    EXPECT_EQ(estimatedPLText(*session, *position, item, 2), "0.00");
}

TEST_F(PositionDialogCore, RequestsOfCloseCancelModifyAndEdit) {
    auto position = openPosition(0, "5", "1001", "P1");
    position->deliveryMode = 2;
    position->timeinForce = 5;
    position->PendingOrderId = "W0";
    model::OrderInfo close = closeRequest(*position, "3", closeDeviation(true, "0"));
    EXPECT_EQ(close.itemCode, "GOLD");
    EXPECT_EQ(close.tradingMode, 1);
    EXPECT_EQ(close.accountNo, 1001);
    EXPECT_EQ(close.orderType, 1);
    EXPECT_EQ(close.quantity, "3");
    EXPECT_EQ(close.previousQuantity, "5");
    EXPECT_EQ(close.orderNo, "P1");
    EXPECT_EQ(close.deliveryMode, 2);
    EXPECT_EQ(close.timeinForce, 5);
    EXPECT_TRUE(close.isCloseNew);
    EXPECT_EQ(close.price + close.limitPrice + close.stopPrice, "");
    EXPECT_EQ(close.deviation, 0);
    EXPECT_EQ(closeDeviation(false, "7"), -1);
    EXPECT_EQ(closeDeviation(true, "12"), 12);
    position->tradingMode = 1;
    EXPECT_EQ(closeRequest(*position, "3", -1).tradingMode, 0);
    position->AccountNumber = "12x";
    EXPECT_EQ(closeRequest(*position, "3", -1).accountNo, 0);
    position->AccountNumber = "1001";

    ModifyEntries entries{"5", "49.5", "55.00", "", true, false};
    model::OrderInfo bracket = bracketRequest(*position, entries);
    EXPECT_EQ(bracket.tradingMode, 0);
    EXPECT_TRUE(bracket.isEBO);
    EXPECT_TRUE(bracket.TakeProfitEnabled);
    EXPECT_FALSE(bracket.StopLossEnabled);
    EXPECT_EQ(bracket.orderType, 1);
    EXPECT_EQ(bracket.price, "50");  // the position's own price, not the field
    EXPECT_EQ(bracket.limitPrice, "55.00");
    EXPECT_EQ(bracket.orderNo, "P1");
    EXPECT_EQ(bracket.openPositionID, "P1");
    EXPECT_EQ(bracket.pendingOrderID, "W0");

    auto pending = addOrder(false, 1, "4", "1001", "W7");
    pending->orderType = 2;
    pending->OrderPrice = "51";
    pending->OpenPositionId = "P3";
    model::OrderInfo cancel = cancelRequest(*pending);
    EXPECT_EQ(cancel.editorderReqType, 1);
    EXPECT_EQ(cancel.orderNo, "W7");
    EXPECT_EQ(cancel.limitPrice + "/" + cancel.stopPrice, "0/0");
    EXPECT_EQ(cancel.orderType, 1);
    EXPECT_EQ(cancel.quantity, "4");
    EXPECT_EQ(cancel.price, "51");
    EXPECT_EQ(cancel.tradingMode, 1);
    EXPECT_TRUE(cancel.isEWO && cancel.isCancelOrder);

    entries.quantity = "2";
    model::OrderInfo edit = editRequest(*pending, entries);
    EXPECT_EQ(edit.editorderReqType, 2);
    EXPECT_TRUE(edit.isEWO);
    EXPECT_FALSE(edit.isCancelOrder);
    EXPECT_EQ(edit.orderNo, "W7");
    EXPECT_EQ(edit.pendingOrderID, "W7");
    EXPECT_EQ(edit.openPositionID, "P3");
    EXPECT_EQ(edit.tradingMode, 1);
    EXPECT_EQ(edit.orderType, 2);
    EXPECT_EQ(edit.price, "49.5");
    EXPECT_EQ(edit.quantity, "2");
}

}  // namespace
}  // namespace trading
