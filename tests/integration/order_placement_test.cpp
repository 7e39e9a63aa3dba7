// Orders placed through the order manager against the loopback simulator, after
// a login in the compact form and in the XML form.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "integration/sim_login.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "state/business_base.h"
#include "state/recording_ui_services.h"

namespace {

using state::BusinessBase;

std::string tr(const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

// Notes which order-status handlers the server's answers reached, then does what the book does.
class RecordingBook : public state::OrderBook {
public:
    RecordingBook(BusinessBase& s, std::vector<std::string>& seen) : OrderBook(s), seen_(seen) {}
    void FillPendingOrderCollection(const state::FieldList& f, const std::optional<std::string>& id) override {
        seen_.push_back("pending");
        OrderBook::FillPendingOrderCollection(f, id);
    }
    void RemovePendingOrder(const std::optional<std::string>& id, bool byServerId) override {
        seen_.push_back(byServerId ? "removed" : "refused");
        OrderBook::RemovePendingOrder(id, byServerId);
    }
    void FillOpenOrderCollection(const state::FieldList& f) override {
        seen_.push_back("position");
        OrderBook::FillOpenOrderCollection(f);
    }

private:
    std::vector<std::string>& seen_;
};

class OrderPlacementTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
    }
    void TearDown() override {
        auto& center = platform::NotificationCenter::defaultCenter();
        for (auto t : tokens) center.removeObserver(t);
        manager.reset();
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
    }
    void login(const std::string& form) {
        sim = integration::SimProcess::start(TRADING_SIM_PATH, {"--login-form", form});
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        integration::setLogin(ui.login, *sim);
        state::SessionParts parts;
        parts.orderBook = [this](BusinessBase& s) { return std::make_unique<RecordingBook>(s, seen); };
        session = BusinessBase::create(ui, ui, std::move(parts));
        auto& center = platform::NotificationCenter::defaultCenter();
        tokens.push_back(center.addObserver("LoginSuccessNotification",
                                            [this](const platform::Notification&) { loggedIn = true; }));
        tokens.push_back(center.addObserver(orders::kPlaceOrderNotification, [this](const platform::Notification& n) {
            reports.push_back(n.as<orders::PlaceOrderReport>()->text);
        }));
        session->StreamingConnection(true, false);
        ASSERT_TRUE(integration::pump(*loop, [&] { return loggedIn; }));
        manager = std::make_unique<orders::OrderMananger>(*session);
    }
    model::OrderInfo order(const std::string& code, int type, int side, const std::string& qty) const {
        model::OrderInfo o;
        o.itemCode = code;
        o.accountNo = 1001;
        o.orderType = type;
        o.deliveryMode = 1;
        o.tradingMode = side;
        o.timeinForce = 1;
        o.quantity = qty;
        o.deviation = -1;
        return o;
    }
    int count(const std::string& what) const { return static_cast<int>(std::count(seen.begin(), seen.end(), what)); }
    // The session types the simulator received from the user, as its "received" command lists them.
    int ordersReceived() {
        const std::string line = sim->command("received trader");
        int n = 0;
        for (std::size_t at = line.find(" 60"); at != std::string::npos; at = line.find(" 60", at + 3))
            if (at + 3 == line.size() || line[at + 3] == ' ') ++n;
        return n;
    }
    bool pump(const std::function<bool()>& done) { return integration::pump(*loop, done); }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::unique_ptr<integration::SimProcess> sim;
    state::testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::unique_ptr<orders::OrderMananger> manager;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> seen;
    std::vector<std::string> reports;
    bool loggedIn = false;
};

TEST_P(OrderPlacementTest, MarketOrderFillsLimitOrderWorksAndRefusedOrdersStayHome) {
    login(GetParam());

    // A market buy: placeholder at once, then the pending answer, the fill and the position.
    manager->PlaceOrder(order("GOLD", 1, 0, "1"));
    ASSERT_TRUE(reports.empty()) << reports.front();
    const auto& pending = session->orderBook().PendingOrderCollection;
    ASSERT_EQ(std::count_if(pending.begin(), pending.end(),
                            [&](const auto& o) {
                                return o->PendingOrderId.empty() && o->ItemCode == "GOLD" &&
                                       o->RequestId == session->Requestid + 1;
                            }),
              1);
    EXPECT_NE(session->messageBase.lastFrame().find("\x03" "10=60\x03" "34=1001\x03" "23=trader\x03"), std::string::npos);
    ASSERT_TRUE(pump([&] { return count("position") == 1; }));
    EXPECT_EQ(count("pending"), 1);
    EXPECT_EQ(count("removed"), 1);
    EXPECT_EQ(ordersReceived(), 1);

    // A limit buy a whole unit below the Ask stays working.
    const auto& gold = **session->referenceData().ItemCollection.find("GOLD");
    manager->PlaceOrder(order("GOLD", 2, 0, "1"));  // the Ask itself is too close: refused here
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].rfind(tr("1039"), 0), 0u);
    model::OrderInfo working = order("GOLD", 2, 0, "1");
    working.price = model::Formatter::formatDecimal(gold.Ask - 1, gold.DecimalPlaces);
    manager->PlaceOrder(working);
    EXPECT_EQ(reports.size(), 1u);
    ASSERT_TRUE(pump([&] { return count("pending") == 2; }));
    EXPECT_EQ(ordersReceived(), 2);

    // A sell of a buy-only instrument: the compact form carries the right and the
    // client refuses; the XML form does not, so the server refuses it.
    manager->PlaceOrder(order("NHSY", 1, 1, "1"));
    if (std::string(GetParam()) == "packed") {
        ASSERT_EQ(reports.size(), 2u);
        EXPECT_EQ(reports[1], tr("1107"));
        EXPECT_EQ(ordersReceived(), 2);
    } else {
        EXPECT_EQ(reports.size(), 1u);
        ASSERT_TRUE(pump([&] { return count("refused") == 1; }));
        ASSERT_TRUE(pump([&] { return !ui.locals.empty(); }));
        EXPECT_NE(ui.locals.back().text.find(tr("1058")), std::string::npos);
        EXPECT_EQ(ordersReceived(), 3);
    }
}

INSTANTIATE_TEST_SUITE_P(BothForms, OrderPlacementTest, ::testing::Values("packed", "xml"));

}  // namespace
