// Orders placed through the order manager against the loopback simulator, after
// a login in the compact form and in the XML form.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "integration/order_session.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "support/session_test_access.h"

namespace {

std::string tr(const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

class OrderPlacementTest : public integration::OrderSession, public ::testing::WithParamInterface<const char*> {};

TEST_P(OrderPlacementTest, MarketOrderFillsLimitOrderWorksAndRefusedOrdersStayHome) {
    ASSERT_NO_FATAL_FAILURE(login({"--login-form", GetParam()}));

    // A market buy: placeholder at once, then the pending answer, the fill and the position.
    manager->PlaceOrder(order(1, 0, "1"));
    ASSERT_TRUE(reports.empty()) << reports.front();
    const auto& pending = state::SessionTestAccess::orderBook(*session).PendingOrderCollection();
    ASSERT_EQ(std::count_if(pending.begin(), pending.end(),
                            [&](const auto& o) {
                                return o->PendingOrderId.empty() && o->ItemCode == "GOLD" &&
                                       o->RequestId == state::servicesOf(*session).requestId() + 1;
                            }),
              1);
    EXPECT_NE(state::servicesOf(*session).outgoingMessage().lastFrame().find("\x03" "10=60\x03" "34=1001\x03" "23=trader\x03"), std::string::npos);
    ASSERT_TRUE(pump([&] { return count("position:") == 1; }));
    EXPECT_EQ(count("pending:"), 1);
    EXPECT_EQ(count("removed:"), 1);
    EXPECT_EQ(ordersReceived(), " 60");

    // A limit buy a whole unit below the Ask stays working; at the Ask it is refused here.
    const auto& gold = **state::SessionTestAccess::referenceData(*session).ItemCollection().find("GOLD");
    manager->PlaceOrder(order(2, 0, "1"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].rfind("The buy limit price must be at or below ", 0), 0u);
    model::OrderInfo working = order(2, 0, "1");
    working.price = model::Formatter::formatDecimal(gold.Ask - 1, gold.DecimalPlaces);
    manager->PlaceOrder(working);
    ASSERT_TRUE(pump([&] { return count("pending:") == 2; }));
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(ordersReceived(), " 60 60");

    // A sell of a buy-only instrument: the compact form carries the right and the
    // client refuses; the XML form does not, so the server refuses it.
    manager->PlaceOrder(order(1, 1, "1", "NHSY"));
    if (std::string(GetParam()) == "packed") {
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(reports[1], tr("1107"));
        EXPECT_EQ(ordersReceived(), " 60 60");
    } else {
        ASSERT_TRUE(pump([&] { return count("refused:") == 1 && !ui.locals.empty(); }));
        EXPECT_EQ(reports.size(), 1u);
        EXPECT_NE(ui.locals.back().text.find(tr("1058")), std::string::npos);
        EXPECT_EQ(ordersReceived(), " 60 60 60");
    }
}

INSTANTIATE_TEST_SUITE_P(BothForms, OrderPlacementTest, ::testing::Values("packed", "xml"));

}  // namespace
