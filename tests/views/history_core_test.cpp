// The history tables' Qt-free rules: cell texts by identifier and the
// settled totals label.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "views/core/history_cells.h"
#include "views/core/position_cells.h"
#include "views/core/settled_totals.h"
#include "views/positions_fixture.h"

namespace views {
namespace {

namespace col = position_column;
using model::Order;

using CellText = std::string (*)(const std::string&, const PositionRecords&, double);

struct Case {
    CellText table;
    const char* id;
    std::function<void(Order&)> set;
    const char* text;
    double width = 200;
};

class HistoryCoreTest : public ::testing::Test {
protected:
    HistoryCoreTest() {
        o->OrderQty = "2.000";
        o->RemainingQty = "0";
        o->setSettledQty("2.50");
        o->setSettledPL("-12.345");
        o->setSettledPrice("2040.1");
        o->setItemTime("12/06/2026 08:00:01");
    }
    testing::PositionsSession s;
    std::shared_ptr<Order> o = s.position("70001", Order::kBuy, "1");
};

TEST_F(HistoryCoreTest, CellsByIdentifier) {
    const CellText cancelled = cancelledOrderCellText, settled = settledPositionCellText,
                   executed = executedPositionCellText;
    const Case cases[] = {
        {cancelled, col::kQuantity, [](Order&) {}, "2"},
        {cancelled, col::kOrderId, [](Order&) {}, "-"},
        {cancelled, col::kOrderId, [](Order& x) { x.PendingOrderId = "50010"; }, "50010"},
        {cancelled, col::kOrderType, [](Order& x) { x.orderType = 0; }, "None"},
        {cancelled, col::kOrderType, [](Order& x) { x.orderType = 1; }, "Market"},
        {cancelled, col::kOrderType, [](Order& x) { x.orderType = 2; }, "Limit"},
        {cancelled, col::kOrderType, [](Order& x) { x.orderType = 3; }, "Stop"},
        {cancelled, col::kOrderType, [](Order& x) { x.orderType = 4; }, ""},
        {cancelled, col::kDelivery, [](Order& x) { x.deliveryMode = 4; }, "Unknown"},
        {cancelled, col::kOrderPrice, [](Order&) {}, "2030.50"},
        {cancelled, col::kOrderPrice, [](Order& x) { x.ItemCode = "NONE", x.OrderPrice = "1.23456"; }, "1.23"},
        {cancelled, col::kCancelledTime, [](Order&) {}, "09:30:15", 135},
        {cancelled, col::kCancelledTime, [](Order&) {}, "12/07/2026 09:30:15", 136},
        {settled, col::kProfitLoss, [](Order&) {}, "-12.35"},
        {settled, col::kQuantity, [](Order&) {}, "2.5"},
        {settled, col::kSettledPrice, [](Order&) {}, "2040.10"},
        {settled, col::kCloseTime, [](Order&) {}, "09:30:15", 400},  // the time alone at any width
        {settled, col::kCloseTime, [](Order& x) { x.TransactionDateTime = "yesterday"; }, ""},
        {settled, col::kOpenTime, [](Order&) {}, "08:00:01", 100},
        {settled, col::kCurrencyRate, [](Order& x) { x.setCurrencyRate(1.5); }, "1.50"},
        {settled, col::kCurrencyRate, [](Order& x) { x.setCurrencyRate(1.23456); }, "1.23"},
        {settled, col::kAccountCurrencyRate, [](Order& x) { x.setAccountCurrencyRate(0.5); }, "0.500000"},
        {settled, col::kOtherCharges, [](Order& x) { x.setOtherCharges(NAN); }, ""},
        {executed, col::kQuantity, [](Order&) {}, "2"},  // nothing remains: the ordered quantity
        {executed, col::kQuantity, [](Order& x) { x.OrderQty = "2.50"; }, "2.5"},
        {executed, col::kQuantity, [](Order& x) { x.RemainingQty = "1.5"; }, "1.5"},
        {executed, col::kTime, [](Order& x) { x.TransactionDateTime = "not a date"; }, "", 135},
        {executed, col::kTime, [](Order& x) { x.TransactionDateTime = "not a date"; }, "not a date", 136},
        {executed, col::kOrderId, [](Order&) {}, "-"},
        {executed, "9999", [](Order&) {}, ""},
    };
    for (const Case& c : cases) {
        const Order saved = *o;
        c.set(*o);
        EXPECT_EQ(c.table(c.id, s.records(o), c.width), c.text) << c.id << " -> " << c.text;
        *o = saved;
    }
    for (CellText table : {cancelled, settled, executed})
        EXPECT_EQ(table(col::kCode, {}, 200), "");  // a row whose record is gone
}

TEST_F(HistoryCoreTest, SettledTotalsLabel) {
    const auto label = [](std::array<double, 5> sums) {
        SettledTotals t;
        t.sums = sums;
        return settledTotalsText(t, [](const std::string& key) { return "k" + key; });
    };
    EXPECT_EQ(label({2.5, 1234.5, -2.5, 0.25, 3}),
              "k0027 : 2.5     k0152 : 1,234.50     k0275 : -2.50     k0432 : 0.25     k0439 : 3.00     ");
    EXPECT_EQ(label({}), "k0027 : 0     k0152 : 0.00     k0275 : 0.00     k0432 : 0.00     k0439 : 0.00     ");
    EXPECT_FALSE(label({NAN, 0, 0, 0, 0}) || label({0, INFINITY, 0, 0, 0}));
}

}  // namespace
}  // namespace views
