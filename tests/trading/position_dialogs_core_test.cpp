// The position dialogs' Qt-free rules: the row found by id, closable quantity
// and lists, texts, the estimated profit and the four requests.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "orders/order_fixture.h"
#include "support/order_book_test_access.h"
#include "trading/core/position_dialog_values.h"
#include "trading/core/position_row_reference.h"
#include "support/session_test_access.h"

namespace trading {
namespace {

using Strings = std::vector<std::string>;

class PositionDialogCore : public orders::testing::OrderFixture {};

TEST_F(PositionDialogCore, RowIsResolvedOnceAndFoundByIdWhateverHappensToTheList) {
    auto& positions = state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session));
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
    for (const char* qty : {"2", "1"}) addOrder(false, 1, qty)->setLiqudateOrderNumber("P1");
    for (auto& o : state::SessionTestAccess::orderBook(*session).PendingOrderCollection()) o->OrderQty = o->RemainingQty;
    addOrder(false, 1, "4")->setLiqudateOrderNumber("P2");
    EXPECT_EQ(closableQuantity(*position, state::viewOf(*session).getPendingOrderCollection()), 2);

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
    EXPECT_EQ(closeButtonTitle(text, *position, "3"), "<90590> #P1 (<0010> 3 GOLD @ <0068>)");
    position->tradingMode = 1;
    EXPECT_EQ(closeButtonTitle(text, *position, "3"), "<90590> #P1 (<0009> 3 GOLD @ <0068>)");

    struct Type {
        std::int32_t type;
        std::optional<std::string> word;
        const char* cancel;
        const char* edit;
    };
    for (const auto& t : {Type{0, "90609", "", ""}, Type{1, "0068", "0819", "0820"},
                          Type{2, "90520", "0252", "0254"}, Type{3, "90521", "0253", "0255"},
                          Type{4, std::nullopt, "", ""}}) {
        EXPECT_EQ(orderTypeKey(t.type), t.word) << t.type;
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

// Every field a request carries, in one line.
std::string fields(const model::OrderInfo& o) {
    std::ostringstream out;
    out << o.itemCode << " acc " << o.accountNo << " side " << o.tradingMode << " type " << o.orderType << " qty "
        << o.quantity << " prev " << o.previousQuantity << " dm " << o.deliveryMode << " tif " << o.timeinForce
        << " price '" << o.price << "' tp '" << o.limitPrice << "' sl '" << o.stopPrice << "' on " << o.TakeProfitEnabled
        << o.StopLossEnabled << " no " << o.orderNo << " pos " << o.openPositionID << " pend " << o.pendingOrderID
        << " req " << o.editorderReqType << " flags " << o.isCloseNew << o.isEWO << o.isEBO << o.isCancelOrder
        << " dev " << o.deviation;
    return out.str();
}

TEST_F(PositionDialogCore, RequestsOfCloseCancelModifyAndEdit) {
    auto position = openPosition(0, "5", "1001", "P1");
    position->deliveryMode = 2;
    position->timeinForce = 5;
    position->PendingOrderId = "W0";
    auto pending = addOrder(false, 1, "4", "1001", "W7");
    pending->orderType = 2;
    pending->OrderPrice = "51";
    pending->OpenPositionId = "P3";
    pending->deliveryMode = pending->timeinForce = 1;
    const ModifyEntries entries{"2", "49.5", "55.00", "", true, false};
    struct Case {
        const char* what;
        model::OrderInfo request;
        const char* expected;
    };
    const std::vector<Case> cases{
        {"close", closeRequest(*position, "3", closeDeviation(true, "0")),
         "GOLD acc 1001 side 1 type 1 qty 3 prev 5 dm 2 tif 5 price '' tp '' sl '' on 00 no P1 pos  pend  req 0 "
         "flags 1000 dev 0"},
        {"bracket", bracketRequest(*position, entries),
         "GOLD acc 1001 side 1 type 1 qty 2 prev  dm 2 tif 5 price '50' tp '55.00' sl '' on 10 no P1 pos P1 pend W0 "
         "req 0 flags 0010 dev 0"},
        {"cancel", cancelRequest(*pending),
         "GOLD acc 1001 side 1 type 1 qty 4 prev  dm 1 tif 1 price '51' tp '0' sl '0' on 00 no W7 pos  pend  req 1 "
         "flags 0101 dev 0"},
        {"edit", editRequest(*pending, entries),
         "GOLD acc 1001 side 1 type 2 qty 2 prev  dm 1 tif 1 price '49.5' tp '55.00' sl '' on 10 no W7 pos P3 pend W7 "
         "req 2 flags 0100 dev 0"},
    };
    for (const auto& c : cases) EXPECT_EQ(fields(c.request), c.expected) << c.what;
    // The position's opposite side; deviation only when ticked; a bad account number is 0.
    position->tradingMode = 1;
    position->AccountNumber = "12x";
    EXPECT_EQ(closeRequest(*position, "3", -1).tradingMode, 0);
    EXPECT_EQ(closeRequest(*position, "3", -1).accountNo, 0);
    EXPECT_EQ(closeDeviation(false, "7"), -1);
    EXPECT_EQ(closeDeviation(true, "12"), 12);
}

}  // namespace
}  // namespace trading
