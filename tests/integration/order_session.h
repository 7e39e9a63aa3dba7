#pragma once
// A session logged in to the simulator for the order tests: the order book's
// handlers and the order notifications recorded, an order manager over it.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "integration/sim_login.h"
#include "integration/starting_orders.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "support/session_test_access.h"
#include "state/notification_payloads.h"
#include "state/recording_ui_services.h"
#include "state/session_notifications.h"

namespace integration {

inline std::string valueOf(const state::MessageFields& fields, const std::string& tag) {
    for (const state::MessageFields::Field& f : fields)
        if (std::to_string(f.tag) == tag) return std::string(f.value);
    return {};
}

// Notes the server's answers as they reach the order book's handlers.
class RecordingBook : public state::OrderBook {
public:
    template <typename... Needs>
    RecordingBook(std::vector<std::string>& seen, Needs&... needs) : OrderBook(needs...), seen_(seen) {}
    void FillPendingOrderCollection(const state::MessageFields& f, const std::optional<std::string>& id) override {
        seen_.push_back("pending:" + id.value_or(""));
        OrderBook::FillPendingOrderCollection(f, id);
    }
    void UpdatePendingOrderCollection(const state::MessageFields& f, const std::optional<std::string>& id) override {
        seen_.push_back("edited:" + id.value_or("") + ":" + valueOf(f, "37") + "@" + valueOf(f, "38"));
        OrderBook::UpdatePendingOrderCollection(f, id);
    }
    void RemovePendingOrder(const std::optional<std::string>& id, bool byServerId) override {
        seen_.push_back((byServerId ? "removed:" : "refused:") + id.value_or(""));
        OrderBook::RemovePendingOrder(id, byServerId);
    }
    void FillOpenOrderCollection(const state::MessageFields& f) override {
        seen_.push_back("position:" + valueOf(f, "34") + ":" + valueOf(f, "80"));
        OrderBook::FillOpenOrderCollection(f);
    }
    void FillSettledOrderCollection(const state::MessageFields& f) override {
        seen_.push_back("settled:" + valueOf(f, "80"));
        OrderBook::FillSettledOrderCollection(f);
    }

private:
    std::vector<std::string>& seen_;
};

class OrderSession : public ::testing::Test {
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
    // Returns once the login's data-service answers are all in (they move Requestid).
    void login(const std::vector<std::string>& simArgs = {}, const std::string& user = "trader",
               const std::string& password = "secret1") {
        sim = SimProcess::start(TRADING_SIM_PATH, simArgs);
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        setLogin(ui.login, *sim, user, password);
        state::SessionParts parts;
        parts.orderBook = [this](auto&... needs) { return std::make_unique<RecordingBook>(seen, needs...); };
        session = state::BusinessBase::create(ui, ui, std::move(parts));
        namespace n = state::notifications;
        auto observe = [this](const char* name, std::function<void(const platform::Notification&)> f) {
            tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(name, std::move(f)));
        };
        observe(n::kLoginSuccess, [this](const auto&) { loggedIn = true; });
        observe(n::kCloseHedgePosition, [this](const auto&) { ++hedgeAnswers; });
        observe(orders::kPlaceOrderNotification,
                [this](const auto& m) { reports.push_back(m.template as<orders::PlaceOrderReport>()->text); });
        observe(n::kBulkClose, [this](const auto& m) {
            const auto* r = m.template as<state::BulkCloseResult>();
            if (r->status == "66") return;  // settlements, announced by the order book
            bulk.push_back(r->status + (r->reference.empty() ? "" : ":" + r->reference));
        });
        state::commandsOf(*session).StreamingConnection(true, false);
        ASSERT_TRUE(pump([&] {
            auto channel = state::servicesOf(*session).connection().requestChannel();
            return loggedIn && sim->command("received " + user).find("getfinancialapprovals") != std::string::npos &&
                   channel && channel->queuedRequests() == 0;
        }));
        // The starting positions and orders may still be on their way.
        const StartingOrders starting = startingOrders(user, simArgs);
        ASSERT_TRUE(pump([&] {
            const state::OrderBook& book = state::SessionTestAccess::orderBook(*session);
            return holdsAll(book.OpenOrderCollection(), &model::Order::OpenPositionId, starting.positions) &&
                   holdsAll(book.PendingOrderCollection(), &model::Order::PendingOrderId, starting.pending);
        })) << "the starting positions and pending orders did not arrive";
        const auto needs = session->orderManagerParts();
        manager = std::make_unique<orders::OrderMananger>(needs.view, needs.services, needs.reference, needs.book, needs.commands);
    }
    static model::OrderInfo order(int type, int side, const std::string& qty, const std::string& code = "GOLD") {
        model::OrderInfo o;
        o.itemCode = code;
        o.accountNo = 1001;
        o.orderType = type;
        o.tradingMode = side;
        o.deliveryMode = o.timeinForce = 1;
        o.quantity = qty;
        o.deviation = -1;
        return o;
    }
    bool pump(const std::function<bool()>& done) { return integration::pump(*loop, done); }
    long count(const std::string& prefix) const {
        return std::count_if(seen.begin(), seen.end(), [&](const auto& s) { return s.rfind(prefix, 0) == 0; });
    }
    bool saw(const std::string& what) const { return std::find(seen.begin(), seen.end(), what) != seen.end(); }
    // What follows `prefix` in the last answer noted with it.
    std::string lastSeen(const std::string& prefix) const {
        for (auto it = seen.rbegin(); it != seen.rend(); ++it)
            if (it->rfind(prefix, 0) == 0) return it->substr(prefix.size());
        return {};
    }
    // The order request types the simulator received from the trader, in order.
    std::string ordersReceived() {
        std::istringstream line(sim->command("received trader"));
        std::string word, out;
        while (line >> word)
            if (word == "60" || word == "72" || word == "77" || word == "82" || word == "1052") out += " " + word;
        return out;
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::unique_ptr<SimProcess> sim;
    state::testing::RecordingUi ui;
    std::shared_ptr<state::BusinessBase> session;
    std::unique_ptr<orders::OrderMananger> manager;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> seen, reports, bulk;
    int hedgeAnswers = 0;
    bool loggedIn = false;
};

}  // namespace integration
