// Orders, positions, settlements and account summaries as the simulator's
// order desk answers real requests.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "integration/order_session.h"
#include "model/text_value.h"
#include "model/trade_currency.h"
#include "support/session_test_access.h"

namespace {

using Tags = std::vector<std::pair<std::int64_t, std::string>>;

class OrderStateTest : public integration::OrderSession {
protected:
    // Sends a new order (sub-type 0) or an offset (1) with the next request id.
    std::int32_t send(std::int32_t subType, const Tags& tags) {
        const std::int32_t requestId = state::servicesOf(*session).requestId() + 1;
        protocol::MessageBase& m = state::servicesOf(*session).outgoingMessage();
        m.setMessagetype(60);
        m.setNeworderrequestType(subType);
        m.messageDataDictionary().clear();
        m.messageDataDictionary().set(10, "60");
        m.messageDataDictionary().set(23, ui.login.userName());
        m.messageDataDictionary().setNumber(33, requestId);
        for (const auto& [tag, value] : tags) m.messageDataDictionary().set(tag, value);
        EXPECT_TRUE(m.BuildMessage().sent());
        return requestId;
    }
    std::shared_ptr<model::Order> open(const std::string& id) const {
        for (const auto& p : state::SessionTestAccess::orderBook(*session).OpenOrderCollection())
            if (p->OpenPositionId == id) return p;
        return nullptr;
    }
};

TEST_F(OrderStateTest, OrdersPositionsClosesAndSummariesFollowTheServer) {
    ASSERT_NO_FATAL_FAILURE(login());
    state::OrderBook& book = state::SessionTestAccess::orderBook(*session);

    // A limit order far from the market stays pending and replaces its placeholder.
    auto placeholder = std::make_shared<model::Order>();
    placeholder->RequestId = state::servicesOf(*session).requestId() + 1;
    book.AddPendingOrder(placeholder);
    const std::size_t pending = book.PendingOrderCollection().size();
    send(0, {{34, "1001"}, {12, "GOLD"}, {32, "30"}, {36, "45"}, {37, "1"}, {38, "1000.00"}, {117, "51"}, {43, "47"}});
    ASSERT_TRUE(pump([&] {
        return std::find(book.PendingOrderCollection().begin(), book.PendingOrderCollection().end(), placeholder) ==
               book.PendingOrderCollection().end();
    }));
    ASSERT_EQ(book.PendingOrderCollection().size(), pending);
    EXPECT_EQ(book.PendingOrderCollection().back()->orderType, model::Order::kLimit);
    EXPECT_EQ(book.PendingOrderCollection().back()->OrderPrice, "1000.00");

    // A market order opens a position with the trade confirmation.
    const std::size_t positions = book.OpenOrderCollection().size();
    send(0, {{34, "1001"}, {12, "GOLD"}, {32, "29"}, {36, "45"}, {37, "2"}, {117, "51"}, {43, "47"}});
    ASSERT_TRUE(pump([&] { return book.OpenOrderCollection().size() == positions + 1; }));
    const auto position = book.OpenOrderCollection().back();
    EXPECT_EQ(position->tradingMode, model::Order::kBuy);
    EXPECT_EQ(position->orderType, model::Order::kMarket);
    ASSERT_TRUE(pump([&] { return !ui.sounds.empty(); }));
    EXPECT_EQ(ui.sounds.back(), "order");

    // A partial close keeps it with the rest; the full close moves it to the copy.
    const std::size_t settled = book.SettledOrderCollection().size();
    send(1, {{125, position->OpenPositionId}, {34, "1001"}, {12, "GOLD"}, {32, "29"}, {36, "46"}, {37, "1"}});
    ASSERT_TRUE(pump([&] { return book.SettledOrderCollection().size() == settled + 1; }));
    ASSERT_TRUE(pump([&] { return model::TextValue::doubleValue(position->RemainingQty) == 1; }));
    EXPECT_EQ(open(position->OpenPositionId), position);
    send(1, {{125, position->OpenPositionId}, {34, "1001"}, {12, "GOLD"}, {32, "29"}, {36, "46"}, {37, "1"}});
    ASSERT_TRUE(pump([&] { return !open(position->OpenPositionId); }));
    EXPECT_EQ(book.OpenOrderCollectionCopy().back(), position);
    ASSERT_TRUE(pump([&] { return book.SettledOrderCollection().size() == settled + 2; }));
    EXPECT_EQ(book.SettledOrderCollection().back()->OpenPositionId, position->OpenPositionId);
    EXPECT_EQ(book.SettledOrderCollection().back()->ItemCode, "GOLD");

    // Account figures follow the summaries.
    const auto account = *state::SessionTestAccess::referenceData(*session).AccountDetailCollection().find("1001");
    ASSERT_EQ(sim->command("send trader 1045 34=1001 560=12345.67 130=12000").rfind("ok", 0), 0u);
    ASSERT_TRUE(pump([&] { return account->Balance == 12345.67; }));
    EXPECT_EQ(account->Equity, 12000);
}

TEST_F(OrderStateTest, EquityHitProfitStaysPutOverRefreshes) {
    ASSERT_NO_FATAL_FAILURE(login({}, "eqhit", "eqhit123"));
    const auto account = *state::SessionTestAccess::referenceData(*session).AccountDetailCollection().find("3001");
    ASSERT_EQ(account->tradingStatus, model::AccountDetails::kStatusEquityHit);
    ASSERT_FALSE(state::SessionTestAccess::orderBook(*session).OpenOrderCollection().empty());
    // A currency that converts, so that a second conversion would show.
    auto currency = std::make_shared<model::TradeCurrency>();
    currency->conversionMode = model::TradeCurrency::kFixedRates;
    currency->bidRate = currency->askRate = 2;
    account->tradeCurrency = currency;
    double server = 0;
    ASSERT_TRUE(pump([&] {
        server = 0;
        for (const auto& p : state::SessionTestAccess::orderBook(*session).OpenOrderCollection())
            if (p->AccountNumber == "3001") server += p->UnrealisedPL;
        return server != 0;
    }));
    const double equity = account->Equity;
    for (int i = 0; i < 10; ++i) state::commandsOf(*session).recalculateAccounts();
    EXPECT_DOUBLE_EQ(account->UnrealisedPL, 2 * server);
    EXPECT_DOUBLE_EQ(account->Equity, equity);
}

}  // namespace
