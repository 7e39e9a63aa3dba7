// Confirmations of pending orders; partial close, bracket edit, modify and cancel requests.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "model/formatter.h"
#include "orders/order_fixture.h"
#include "support/session_test_access.h"

namespace {

using orders::testing::OrderFixture;
using orders::testing::tr;
using Info = model::OrderInfo;

// The order fields every request ends with, for the fixture's instrument.
const std::string kTail = "24=0\x03" "43=47\x03" "56=50.00\x03" "54=50.10\x03" "61=50.05\x03" "60=51.00\x03"
                          "62=49.00\x03" "67=20261207101112\x03" "78=\x03";

class ConfirmationTest : public OrderFixture {
public:
    std::shared_ptr<model::Order> pendingAnswer(int side, int type) {
        auto o = std::make_shared<model::Order>();
        o->tradingMode = side;
        o->orderType = type;
        o->OrderQty = "2";
        o->ItemCode = "X";
        o->OrderPrice = "1.2345";
        o->AccountNumber = "1001";
        o->PendingOrderId = "77";
        return o;
    }
};

TEST_F(ConfirmationTest, EachSentLimitOrStopOrderConfirmsOnePendingAnswer) {
    // Nothing armed: an answer shows nothing.
    state::SessionTestAccess::orderBook(*session).PendingOrderNotification(pendingAnswer(0, 2));
    EXPECT_TRUE(ui.events.empty());

    // Two Limit orders before the first answer: two confirmations, then none; a market order arms none.
    manager->PlaceOrder(limit(0, "49.5"));
    manager->PlaceOrder(limit(0, "49.4"));
    manager->PlaceOrder(marketBuy());
    ASSERT_EQ(sent, 3);
    auto first = pendingAnswer(0, 2);
    first->LimitPrice = "0";  // neither a zero take-profit nor an empty stop-loss adds a line
    state::SessionTestAccess::orderBook(*session).PendingOrderNotification(first);
    ASSERT_EQ(ui.events, (std::vector<std::string>{"banner", "local"}));
    const std::string lines = "Account : 1001\nOrder No. : 77\nBuy Limit 2 X @ 1.2345\n";
    EXPECT_EQ(ui.banners[0].subtitle, "Pending Order");
    EXPECT_EQ(ui.banners[0].informativeText, lines);
    EXPECT_EQ(ui.locals[0].text, lines);

    ui.confirmationAlert = true;
    auto second = pendingAnswer(1, 3);
    second->LimitPrice = "1.3";
    second->StopPrice = "1.1";
    state::SessionTestAccess::orderBook(*session).PendingOrderNotification(second);
    ASSERT_EQ(ui.alerts.size(), 1u);
    EXPECT_EQ(ui.alerts[0].message, "Account : 1001\nOrder No. : 77\n" +
                                        model::Formatter::fillIndexedText(tr("20223"), {"2", "X", "1.2345"}) +
                                        "\nTake Profit @ 1.3\nStop Loss @ 1.1");

    state::SessionTestAccess::orderBook(*session).PendingOrderNotification(pendingAnswer(0, 2));
    EXPECT_EQ(ui.events, (std::vector<std::string>{"banner", "local", "alert"}));
}

class EditRequestTest : public OrderFixture {
public:
    // Sent as a bracket edit, a working-order edit or a partial close, by its flags.
    void place(const Info& o) {
        if (o.isEBO)
            manager->PlaceEditBracketOrder(o);
        else if (o.isEWO)
            manager->PlaceEditWorkingOrder(o);
        else
            manager->PlacePartialOrder(o);
    }
};

struct RequestCase {
    const char* name;
    Info info;
    std::string report;               // the one "PlaceOrderNotification" text
    std::optional<std::string> body = {};  // what was sent, nothing when absent
    bool withOrder = false;           // the report carries the order
};

Info with(Info o, const std::function<void(Info&)>& change) {
    change(o);
    return o;
}
Info partialClose(const std::string& qty, const std::string& remaining) {
    Info o = OrderFixture::marketBuy(qty);
    o.tradingMode = 1;
    o.previousQuantity = remaining;
    o.orderNo = "70001";
    o.isCloseNew = true;
    return o;
}
Info bracketEdit() {
    Info o = OrderFixture::marketBuy();
    o.tradingMode = 1;
    o.orderNo = "70001";
    o.price = "50.00";
    o.limitPrice = "52";
    o.stopPrice = "48";
    o.StopLossEnabled = true;
    o.isEBO = true;
    return o;
}
Info workingEdit(int kind) {
    Info o = kind == 1 ? OrderFixture::marketBuy("2") : OrderFixture::limit(0, "49.5", "3");
    o.orderNo = "50001";
    o.isEWO = true;
    o.editorderReqType = kind;
    if (kind == 1) {
        o.isCancelOrder = true;
        o.price = "49.50";
        o.limitPrice = o.stopPrice = "0";
    }
    return o;
}

TEST_F(EditRequestTest, EachRequestGoesOutWithItsTagsOrIsRefusedOnce) {
    const std::string abort = orders::kAbortModal;
    const std::vector<RequestCase> cases = {
        {"partial close", partialClose("1", "2"), abort,
         "10=60\x03" "34=1001\x03" "125=70001\x03" "23=trader\x03" "33=42\x03" "19=R9\x03" "12=GOLD\x03" "32=29\x03"
         "117=51\x03" "37=1\x03" "38=50.00\x03" "90=0\x03" "36=46\x03" "77=-1\x03" + kTail},
        {"closing the whole remainder", partialClose("2.5", "2.50"), abort},
        {"more than the remainder", partialClose("3", "2.50"), tr("1030") + " 2.5"},
        {"the remainder shown exactly", partialClose("3", "2.1234567"), tr("1030") + " 2.1234567"},
        {"1030 before 1003", partialClose("0", "-1"), tr("1030") + " -1"},
        {"empty quantity", partialClose("", "2"), tr("1003")},
        {"close refused by validation", with(partialClose("1", "2"), [](Info& o) { o.itemCode = "NONE"; }), tr("20227"),
         {}, true},
        {"bracket edit, take-profit unticked", bracketEdit(), abort,
         "10=72\x03" "1035=EBO\x03" "34=1001\x03" "23=trader\x03" "573=70001\x03" "33=42\x03" "19=R9\x03"
         "12=GOLD\x03" "32=29\x03" "117=51\x03" "37=1\x03" "38=50.00\x03" "39=0\x03" "40=48\x03" "90=0\x03"
         "36=46\x03" + kTail},
        {"cancel", workingEdit(1), abort,
         "10=72\x03" "1035=EWO\x03" "34=1001\x03" "23=trader\x03" "79=50001\x03" "33=42\x03" "19=R9\x03"
         "12=GOLD\x03" "32=29\x03" "117=51\x03" "37=0\x03" "38=49.50\x03" "39=0\x03" "40=0\x03" "90=0\x03"
         "36=45\x03" + kTail},
        {"modify with take-profit ticked",
         with(workingEdit(2), [](Info& o) { o.limitPrice = "52"; o.TakeProfitEnabled = true; o.timeinForce = 3; }), abort,
         "10=72\x03" "1035=EWO\x03" "34=1001\x03" "23=trader\x03" "79=50001\x03" "33=42\x03" "19=R9\x03"
         "12=GOLD\x03" "32=30\x03" "117=51\x03" "37=3\x03" "38=49.5\x03" "39=52\x03" "40=0\x03" "90=0\x03"
         "36=45\x03" "24=0\x03" "43=(null)\x03" + kTail.substr(kTail.find("56="))},
        {"modify to nothing", with(workingEdit(2), [](Info& o) { o.quantity = "abc"; }), tr("1003")},
    };
    for (const RequestCase& c : cases) {
        SCOPED_TRACE(c.name);
        reset();
        auto position = openPosition(0, "2.5");
        place(c.info);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].text, c.report);
        EXPECT_EQ(reports[0].order != nullptr, c.withOrder);
        EXPECT_EQ(sent, c.report == abort ? 1 : 0);
        if (c.body) {
            EXPECT_EQ(body(), *c.body);
        }
        // Nothing local changes until the server answers; only a cancel plays its sound.
        loop->runUntilIdle();
        EXPECT_EQ(ui.sounds, c.report == abort && c.info.isCancelOrder
                                 ? std::vector<std::string>{"cancelOrder"}
                                 : std::vector<std::string>{});
        EXPECT_EQ(state::SessionTestAccess::orderBook(*session).OpenOrderCollection().size(), 1u);
        EXPECT_EQ(position->RemainingQty, "2.5");
        EXPECT_TRUE(state::SessionTestAccess::orderBook(*session).PendingOrderCollection().empty());
        EXPECT_TRUE(state::SessionTestAccess::journal(*session).JournalDataCollection().empty());
        EXPECT_EQ(manager->armedConfirmations(), 0);
    }
}

TEST_F(EditRequestTest, ARequestTheBuilderRefusesDoesNotCloseTheDialog) {
    place(with(bracketEdit(), [](Info& o) { o.orderNo = std::string("70001") + '\x03'; }));
    place(with(partialClose("1", "2"), [](Info& o) { o.orderNo = std::string("70001") + '\x02'; }));
    EXPECT_EQ(sent, 0);
    EXPECT_TRUE(reports.empty());
    // The next request goes out on a clean message.
    place(partialClose("1", "2"));
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(body().find("573="), std::string::npos);
}

}  // namespace
