// Order wire values, names and the margin of one lot; the small trading records.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "model/financial_enum.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/order.h"
#include "model/order_info.h"
#include "model/text_pool.h"

using model::FinancialEnum;
using model::GroupInstruments;
using model::ItemDetails;
using model::Order;

TEST(OrderWireValues, OrderTypeDeliveryAndTimeInForceTables) {
    // value -> expected, for -1 .. 7
    const int orderType[] = {926, 926, 29, 30, 31, 926, 926, 926, 926};
    const int delivery[] = {926, 926, 51, 52, 53, 926, 926, 926, 926};
    const int tif[] = {926, 926, 47, 48, 926, 926, 54, 926, 926};
    for (int v = -1; v <= 7; ++v) {
        EXPECT_EQ(Order::GetOrderTypeTagValue(v), orderType[v + 1]) << v;
        EXPECT_EQ(Order::GetDeliveryModeTagValue(v), delivery[v + 1]) << v;
        EXPECT_EQ(Order::GetTimeInForceTagValue(v), tif[v + 1]) << v;
    }
    EXPECT_EQ(Order::GetOrderTypeTagValue(INT32_MIN), 926);
    EXPECT_EQ(Order::GetTimeInForceTagValue(INT32_MAX), 926);
}

TEST(OrderWireValues, SideIs45OnlyForBuy) {
    EXPECT_EQ(Order::GetTradingModeTagValue(0), 45);
    EXPECT_EQ(Order::GetTradingModeTagValue(1), 46);
    EXPECT_EQ(Order::GetTradingModeTagValue(2), 46);
    EXPECT_EQ(Order::GetTradingModeTagValue(-1), 46);
}

TEST(OrderNames, StatusNames) {
    EXPECT_EQ(Order::GetOrderStatus(21), "New");
    EXPECT_EQ(Order::GetOrderStatus(22), "Partly Filled");
    EXPECT_EQ(Order::GetOrderStatus(23), "Fully Filled");
    EXPECT_EQ(Order::GetOrderStatus(24), "Cancelled");
    EXPECT_EQ(Order::GetOrderStatus(25), std::nullopt);
    EXPECT_EQ(Order::GetOrderStatus(26), "Expired");
    EXPECT_EQ(Order::GetOrderStatus(27), "Suspended");
    EXPECT_EQ(Order::GetOrderStatus(28), "Pending");
    EXPECT_EQ(Order::GetOrderStatus(20), std::nullopt);
    EXPECT_EQ(Order::GetOrderStatus(29), std::nullopt);
}

TEST(OrderNames, TradingModeString) {
    EXPECT_EQ(Order::GetTradingModeString(0, false), "B");
    EXPECT_EQ(Order::GetTradingModeString(1, false), "S");
    EXPECT_EQ(Order::GetTradingModeString(2, false), "");
    EXPECT_EQ(Order::GetTradingModeString(2, true), "");
    EXPECT_EQ(Order::GetTradingModeString(-1, true), "");

    Order::setKeyLookup([](const std::string& key) { return key == "0009" ? "Buy" : key == "0010" ? "Sell" : "?"; });
    EXPECT_EQ(Order::GetTradingModeString(0, true), "Buy");
    EXPECT_EQ(Order::GetTradingModeString(1, true), "Sell");
    Order::setKeyLookup(nullptr);
    EXPECT_EQ(Order::GetTradingModeString(1, true), "0010");
}

TEST(OrderRecord, NewRecordIsEmpty) {
    const Order o;
    EXPECT_EQ(o.tradingMode, 0);
    EXPECT_EQ(o.orderTypeTag, 0);
    EXPECT_TRUE(o.OrderQty.empty());
    EXPECT_EQ(o.UnrealisedPL, 0.0);
    EXPECT_FALSE(o.validationResult);
    EXPECT_FALSE(o.isQuoteOrder());

    const model::OrderInfo info;
    EXPECT_EQ(info.accountNo, 0);
    EXPECT_EQ(info.editorderReqType, 0);
    EXPECT_TRUE(info.quantity.empty());
    EXPECT_FALSE(info.isEWO);
    EXPECT_FALSE(info.statusColor.has_value());
}

class MarginForSingleLot : public ::testing::Test {
protected:
    void SetUp() override {
        g.InitialMargin = 1000.0;
        g.InitialSellMargin = 0.0;
        g.IntradayOrderMargin = 400.0;
        g.BTSTOrderMargin = 700.0;
        g.margincalculationMode = 1;
        item.ContractSize = 100.0;
    }
    GroupInstruments g;
    ItemDetails item;
    Order order;
};

TEST_F(MarginForSingleLot, NoGroupRowAnswersNothing) {
    EXPECT_EQ(order.GetMarginForSingleLot(nullptr, item), std::nullopt);
}

TEST_F(MarginForSingleLot, RateBySideAndDelivery) {
    order.tradingMode = Order::kSell;
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), 1000.0);  // sell margin 0 -> initial
    g.InitialSellMargin = 1200.0;
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), 1200.0);
    order.tradingMode = Order::kBuy;
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), 1000.0);

    order.tradingMode = Order::kSell;
    order.deliveryMode = Order::kIntraday;
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), 400.0);
    order.tradingMode = Order::kBuy;
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), 400.0);
    order.deliveryMode = Order::kBTST;
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), 700.0);

    // Modes other than 2 (926, 0) are amounts per lot.
    g.margincalculationMode = 926;
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), 700.0);
}

TEST_F(MarginForSingleLot, PercentageByFormula) {
    g.margincalculationMode = 2;
    g.InitialMargin = 5.0;  // 5 % of 100 units -> 5 per unit price
    order.OrderPrice = "20.5";
    order.BaseCurrencyRate = 4.0;

    item.MarginFormulaId = 0;
    EXPECT_DOUBLE_EQ(*order.GetMarginForSingleLot(&g, item), 5.0);
    item.MarginFormulaId = 1;
    EXPECT_DOUBLE_EQ(*order.GetMarginForSingleLot(&g, item), 102.5);
    item.MarginFormulaId = 3;
    EXPECT_DOUBLE_EQ(*order.GetMarginForSingleLot(&g, item), 20.0);
    item.MarginFormulaId = 4;
    EXPECT_DOUBLE_EQ(*order.GetMarginForSingleLot(&g, item), 1.25);
    order.BaseCurrencyRate = 0.0;
    EXPECT_DOUBLE_EQ(*order.GetMarginForSingleLot(&g, item), 5.0);
    item.MarginFormulaId = 2;
    EXPECT_DOUBLE_EQ(*order.GetMarginForSingleLot(&g, item), 5.0);
}

TEST_F(MarginForSingleLot, UnusableFiguresGiveNoMargin) {
    g.margincalculationMode = 2;
    item.ContractSize = std::numeric_limits<double>::infinity();
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), std::nullopt);
    item.ContractSize = 100.0;
    item.MarginFormulaId = 1;
    order.OrderPrice = "abc";  // reads as 0
    EXPECT_EQ(order.GetMarginForSingleLot(&g, item), 0.0);
}

TEST(FinancialEnumNames, NamesAndValues) {
    EXPECT_EQ(FinancialEnum::getFinancialTransferMode(1), "TTCopy");
    EXPECT_EQ(FinancialEnum::getFinancialTransferMode(2), "BankTransfer");
    EXPECT_EQ(FinancialEnum::getFinancialTransferMode(3), "OnlinePayment");
    EXPECT_EQ(FinancialEnum::getFinancialTransferMode(0), "Unknown");
    EXPECT_EQ(FinancialEnum::getFinancialTransferMode(4), "Unknown");
    EXPECT_EQ(FinancialEnum::getFinancialTransferMode(-1), "Unknown");

    EXPECT_EQ(FinancialEnum::getFinancialTransferModeValue("TTCopy"), 1);
    EXPECT_EQ(FinancialEnum::getFinancialTransferModeValue("BankTransfer"), 2);
    EXPECT_EQ(FinancialEnum::getFinancialTransferModeValue("OnlinePayment"), 3);
    EXPECT_EQ(FinancialEnum::getFinancialTransferModeValue("Unknown"), 0);
    EXPECT_EQ(FinancialEnum::getFinancialTransferModeValue("banktransfer"), 0);
    EXPECT_EQ(FinancialEnum::getFinancialTransferModeValue(""), 0);
    EXPECT_EQ(FinancialEnum::getFinancialTransferModeValue("TTCopy "), 0);
}

// A record's text field, in place (up to 7 bytes) and on the heap (longer
// ones, and a 7-byte text ending in a zero byte, which in place would read as
// an address).
TEST(RecordText, HoldsEveryLengthThroughCopiesMovesAndAssignments) {
    const std::string texts[] = {"", "7", std::string(6, 'a'), std::string(7, 'b'), std::string("abcdef\0", 7),
                                 std::string("\0\0\0\0\0\0b", 7), std::string(8, 'c'),
                                 std::string(8, 'd'), "2026-12-10 00:03:20 long enough for the heap",
                                 std::string(126, 'e'), std::string(127, 'f'), std::string(300, 'g')};
    for (const std::string& a : texts) {
        for (const std::string& b : texts) {
            model::CompactText field(a);
            EXPECT_EQ(field.size(), a.size());
            EXPECT_EQ(field.view(), a);
            EXPECT_EQ(field.c_str()[a.size()], '\0') << "terminated";
            EXPECT_EQ(field.empty(), a.empty());
            model::CompactText other(b);
            field = other;
            EXPECT_EQ(field, b);
            EXPECT_EQ(other, b) << "the copy leaves its source";
            model::CompactText moved(std::move(field));
            EXPECT_EQ(moved, b);
            EXPECT_TRUE(field.empty()) << "a moved-from field reads empty";  // NOLINT(bugprone-use-after-move)
            moved = a;
            moved += b;
            EXPECT_EQ(moved.str(), a + b);
            EXPECT_EQ(moved <=> other, std::string_view(a + b) <=> std::string_view(b));
        }
    }
}

// Copies of a heap text share its bytes; a write into one leaves the others.
TEST(RecordText, CopiesShareUntilOneIsWritten) {
    for (const std::string& text : {std::string("10/12/2026 00:03:20"), std::string(200, 'x')}) {
        model::CompactText first(text);
        model::CompactText second(first);
        model::CompactText third;
        third = second;
        EXPECT_EQ(second.data(), first.data());
        EXPECT_EQ(third.data(), first.data());
        second = std::string(text.size(), 'y');
        EXPECT_EQ(second, std::string(text.size(), 'y'));
        EXPECT_EQ(first, text) << "written in place only when it holds the bytes alone";
        EXPECT_EQ(third, text);
        first.clear();
        EXPECT_EQ(third, text) << "the last holder keeps the bytes";
        const char* const alone = third.data();
        third = std::string(text.size(), 'z');
        EXPECT_EQ(third.data(), alone) << "a sole holder's text of the same length is written over";
    }
}

// A pool gives a repeated heap text the first one's bytes, up to its bound.
TEST(RecordText, APoolHoldsARepeatedTextOnce) {
    model::TextPool pool;
    const model::CompactText first = pool("10/12/2026");
    const model::CompactText again = pool(std::string("10/12/2026"));
    EXPECT_EQ(again, "10/12/2026");
    EXPECT_EQ(again.data(), first.data());
    EXPECT_EQ(pool("1.5"), "1.5");
    EXPECT_EQ(pool.size(), 1u) << "a text held in place is not kept";
    for (std::size_t i = pool.size(); i < model::TextPool::kMaxTexts; ++i) pool("text " + std::to_string(i + 100000));
    const model::CompactText past = pool("a text past the bound");
    EXPECT_EQ(past, "a text past the bound");
    EXPECT_NE(pool("a text past the bound").data(), past.data()) << "not kept";
    EXPECT_EQ(pool("10/12/2026").data(), first.data()) << "the held ones are still found";
}

TEST(RecordText, TakesATextOutOfItself) {
    model::CompactText field(std::string("a text long enough for the heap"));
    field = field.view().substr(2, 20);
    EXPECT_EQ(field, "text long enough for");
    field = field.view().substr(5);
    EXPECT_EQ(field, "long enough for");
    field = std::string_view(field).substr(1);
    EXPECT_EQ(field, "ong enough for");
    field.clear();
    EXPECT_EQ(field, "");
}

TEST(RecordText, ReadsAsAStdString) {
    Order order;
    order.TransactionDateTime = "10/12/2026 00:03:20";
    order.OrderPrice = std::string("1.234500");
    EXPECT_EQ(order.TransactionDateTime + "!", "10/12/2026 00:03:20!");
    EXPECT_EQ(std::stod(order.OrderPrice), 1.2345);
}

// Each field of the side block reads only what was set on it, through copy,
// assignment and move; setting an empty text or +0 on a record without the
// block allocates none (-0 and NaN are kept as set).
struct RareField {
    const char* name;
    std::function<void(Order&, double)> set;  // a text field takes the value's text, "" for 0
    std::function<std::string(const Order&)> get;  // an amount as its bits
};
#define TEXT(field) RareField{#field, [](Order& o, double v) { o.set##field(v == 0 ? std::string() : std::to_string(v)); }, \
                              [](const Order& o) { return o.field().str(); }}
#define AMOUNT(field, setter) RareField{#field, [](Order& o, double v) { o.setter(v); }, \
                                        [](const Order& o) { return std::to_string(std::bit_cast<std::uint64_t>(o.field())); }}
const RareField kRareFields[] = {
    TEXT(PreviousOrderQty), TEXT(Spread), TEXT(Bid), TEXT(Ask), TEXT(Last), TEXT(High), TEXT(Low), TEXT(ItemTime),
    TEXT(CurrentStatus), TEXT(TicketId), TEXT(OrderStatus), TEXT(SettledQty), TEXT(SettledPL), TEXT(SettledPrice),
    TEXT(ClosingPositionId), TEXT(SettlementId), TEXT(RefPositionIdOfBracket), TEXT(CancelledOrderId),
    TEXT(LiqudateOrderNumber), AMOUNT(EquityHitPrice, setEquityHitPrice), AMOUNT(CurrencyRate, setCurrencyRate),
    AMOUNT(OtherCharges, setOtherCharges), AMOUNT(accountCurrencyRate, setAccountCurrencyRate),
};
#undef TEXT
#undef AMOUNT

TEST(OrderRareFields, EachRoundTripsThroughCopyAndMove) {
    const Order unset;
    // Every field reads as set on `field` only, the others as on a fresh record.
    const auto expectOnly = [&](const Order& o, const RareField& field, const Order& like, const char* step) {
        for (const RareField& other : kRareFields)
            EXPECT_EQ(other.get(o), other.get(&other == &field ? like : unset)) << field.name << " / " << other.name << ", " << step;
    };
    const struct {
        double value;
        bool allocates;
    } cases[] = {{0.0, false}, {1.25, true}, {-3.5e-7, true}};
    for (const RareField& f : kRareFields) {
        for (const auto& c : cases) {
            Order o, expected, changed;
            f.set(o, c.value);
            f.set(expected, c.value);
            f.set(changed, 7.0);
            EXPECT_EQ(o.hasRareFields(), c.allocates) << f.name << " " << c.value;
            expectOnly(o, f, expected, "set");
            Order copy = o;
            EXPECT_EQ(copy.hasRareFields(), c.allocates) << f.name;
            f.set(copy, 7.0);
            expectOnly(o, f, expected, "the copy has its own block");
            expectOnly(copy, f, changed, "copy changed");
            copy = o;
            expectOnly(copy, f, expected, "assigned");
            Order moved = std::move(copy);
            expectOnly(moved, f, expected, "moved");
            f.set(moved, 0.0);
            expectOnly(moved, f, unset, "reset");
        }
    }
    // -0 and NaN are amounts of their own, not "unset".
    for (const double kept : {-0.0, std::nan("")}) {
        Order o;
        o.setEquityHitPrice(kept);
        EXPECT_TRUE(o.hasRareFields());
        EXPECT_EQ(std::bit_cast<std::uint64_t>(Order(o).EquityHitPrice()), std::bit_cast<std::uint64_t>(kept));
    }
}
