// Partial close, edits, confirmations, multi-account orders, offsets and
// close-all sent by the order manager to the loopback simulator.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "integration/sim_login.h"
#include "model/formatter.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "state/business_base.h"
#include "state/notification_payloads.h"
#include "state/recording_ui_services.h"
#include "state/session_notifications.h"

namespace {

using state::BusinessBase;
using model::Order;

std::string valueOf(const state::FieldList& fields, const std::string& tag) {
    for (const std::string& f : fields)
        if (f.rfind(tag + "=", 0) == 0) return f.substr(tag.size() + 1);
    return {};
}

// Notes the server's answers as they reach the order book's handlers.
class RecordingBook : public state::OrderBook {
public:
    RecordingBook(BusinessBase& s, std::vector<std::string>& seen) : OrderBook(s), seen_(seen) {}
    void FillPendingOrderCollection(const state::FieldList& f, const std::optional<std::string>& id) override {
        seen_.push_back("pending:" + id.value_or(""));
        OrderBook::FillPendingOrderCollection(f, id);
    }
    void UpdatePendingOrderCollection(const state::FieldList& f, const std::optional<std::string>& id) override {
        seen_.push_back("edited:" + id.value_or("") + ":" + valueOf(f, "37") + "@" + valueOf(f, "38"));
        OrderBook::UpdatePendingOrderCollection(f, id);
    }
    void RemovePendingOrder(const std::optional<std::string>& id, bool byServerId) override {
        seen_.push_back((byServerId ? "removed:" : "refused:") + id.value_or(""));
        OrderBook::RemovePendingOrder(id, byServerId);
    }
    void FillOpenOrderCollection(const state::FieldList& f) override {
        seen_.push_back("position:" + valueOf(f, "80") + ":" + valueOf(f, "34"));
        OrderBook::FillOpenOrderCollection(f);
    }
    void FillSettledOrderCollection(const state::FieldList& f) override {
        seen_.push_back("settled:" + valueOf(f, "80"));
        OrderBook::FillSettledOrderCollection(f);
    }

private:
    std::vector<std::string>& seen_;
};

class OrderRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        sim = integration::SimProcess::start(TRADING_SIM_PATH, {"--login-form", "packed"});
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        integration::setLogin(ui.login, *sim);
        state::SessionParts parts;
        parts.orderBook = [this](BusinessBase& s) { return std::make_unique<RecordingBook>(s, seen); };
        session = BusinessBase::create(ui, ui, std::move(parts));
        auto& center = platform::NotificationCenter::defaultCenter();
        tokens.push_back(center.addObserver(state::notifications::kLoginSuccess,
                                            [this](const platform::Notification&) { loggedIn = true; }));
        tokens.push_back(center.addObserver(orders::kPlaceOrderNotification, [this](const platform::Notification& n) {
            reports.push_back(n.as<orders::PlaceOrderReport>()->text);
        }));
        tokens.push_back(center.addObserver(state::notifications::kPendingOrder,
                                            [this](const platform::Notification&) { ++announced; }));
        tokens.push_back(center.addObserver(state::notifications::kCloseHedgePosition,
                                            [this](const platform::Notification&) { ++hedgeAnswers; }));
        tokens.push_back(center.addObserver(state::notifications::kBulkClose, [this](const platform::Notification& n) {
            const auto* r = n.as<state::BulkCloseResult>();
            if (r->status == "66") return;  // settlements, announced by the order book
            bulk.push_back(r->status + (r->reference.empty() ? "" : ":" + r->reference));
        }));
        session->StreamingConnection(true, false);
        // Orders start once the login's data-service answers are all in (they move Requestid).
        ASSERT_TRUE(integration::pump(*loop, [&] {
            auto channel = session->conn ? session->conn->requestChannel() : nullptr;
            return loggedIn && sim->command("received trader").find("getfinancialapprovals") != std::string::npos &&
                   channel && channel->queuedRequests() == 0;
        }));
        manager = std::make_unique<orders::OrderMananger>(*session);
    }
    void TearDown() override {
        auto& center = platform::NotificationCenter::defaultCenter();
        for (auto t : tokens) center.removeObserver(t);
        manager.reset();
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
    }
    static model::OrderInfo order(int type, int side, const std::string& qty) {
        model::OrderInfo o;
        o.itemCode = "GOLD";
        o.accountNo = 1001;
        o.orderType = type;
        o.tradingMode = side;
        o.deliveryMode = o.timeinForce = 1;
        o.quantity = qty;
        o.deviation = -1;
        return o;
    }
    long positions() const {
        return std::count_if(seen.begin(), seen.end(), [](const std::string& s) { return s.rfind("position:", 0) == 0; });
    }
    bool saw(const std::string& what) { return std::find(seen.begin(), seen.end(), what) != seen.end(); }
    bool pump(const std::function<bool()>& done) { return integration::pump(*loop, done); }
    // The order request types the simulator received from the user, in order.
    std::string ordersReceived() {
        std::istringstream line(sim->command("received trader"));
        std::string word, out;
        while (line >> word)
            if (word == "60" || word == "72" || word == "77" || word == "82" || word == "1052") out += " " + word;
        return out;
    }
    std::string lastPendingId() const {
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (it->rfind("pending:", 0) == 0) return it->substr(8);
        return {};
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::unique_ptr<integration::SimProcess> sim;
    state::testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::unique_ptr<orders::OrderMananger> manager;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> seen, reports, bulk;
    int announced = 0, hedgeAnswers = 0;
    bool loggedIn = false;
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
    const auto& gold = **session->referenceData().ItemCollection.find("GOLD");
    model::OrderInfo limit = order(2, 0, "1");
    limit.price = model::Formatter::formatDecimal(gold.Ask - 50, gold.DecimalPlaces);
    manager->PlaceOrder(limit);
    limit.quantity = "2";
    manager->PlaceOrder(limit);
    const auto confirmations = [&] {
        std::vector<std::string> texts;
        for (const auto& b : ui.banners)
            if (b.subtitle == "2139" || b.subtitle == session->text("2139")) texts.push_back(b.informativeText);
        return texts;
    };
    ASSERT_TRUE(pump([&] { return confirmations().size() == 2; }));
    EXPECT_NE(confirmations()[0].find("Buy Limit 1 GOLD"), std::string::npos) << confirmations()[0];
    EXPECT_NE(confirmations()[1].find("Buy Limit 2 GOLD"), std::string::npos) << confirmations()[1];
    const std::string working = lastPendingId();

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
    model::OrderInfo multi = order(1, 0, "");
    multi.orderDetails = *manager->multiAccountOrderDetails({{1001, 1}, {1002, 0.5}});
    manager->CreateNewBulkOrderMessage(multi);
    ASSERT_TRUE(pump([&] { return positions() == 2; }));
    std::string bought;
    for (const std::string& s : seen)
        if (s.rfind("position:", 0) == 0 && s.ends_with(":1001")) bought = s.substr(9, s.find(':', 9) - 9);

    // A sell of 1 lot offsets the bought lot; the answer carries no request id.
    manager->PlaceOrder(order(1, 1, "1"));
    ASSERT_TRUE(pump([&] { return positions() == 3; }));
    const std::string sold = seen.back().substr(9, seen.back().find(':', 9) - 9);
    const std::int32_t requestId = session->Requestid;
    model::OffsetPosition opposite;
    opposite.postionId = sold;
    opposite.offsetQty = "1";
    manager->PlaceOffsetOrder(*orders::OrderMananger::offsetPositionList(bought, "1", {opposite}), "GOLD", "1001");
    ASSERT_TRUE(pump([&] { return hedgeAnswers == 1; }));
    EXPECT_TRUE(saw("settled:" + bought));
    EXPECT_TRUE(saw("settled:" + sold));
    EXPECT_EQ(session->Requestid, requestId);
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
