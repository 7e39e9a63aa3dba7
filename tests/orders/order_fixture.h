#pragma once
// A session with one account, one group, one instrument and one trading
// session, an order manager over it, and what it posted and sent.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "model/language_string.h"
#include "model/order_info.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"

namespace orders::testing {

inline std::string tr(const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

struct Report {
    std::string text;
    std::shared_ptr<const model::Order> order;
};

class OrderFixture : public ::testing::Test {
public:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        ui.login.setUserName("trader");
        ui.login.setSecurityKey("Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE");
        state::SessionParts parts;
        parts.outgoing = [this](const protocol::RequestMessage&) {
            ++sent;
            return true;
        };
        session = state::BusinessBase::create(ui, ui, std::move(parts));
        state::servicesOf(*session).connection().isNetworkAvailable = true;
        auto& data = state::SessionTestAccess::referenceData(*session);
        account = state::ReferenceDataTestAccess::AccountDetailCollection(data).set("1001", std::make_shared<model::AccountDetails>()).get();
        account->AccountId = 1001;
        account->GroupId = "10";
        account->availableOrderTypes = 0xE7;
        account->tradingStatus = account->accountaccessType = 1;
        account->Equity = account->AvailableMargin = 100000;
        group = state::ReferenceDataTestAccess::GroupDetailCollection(data).set("10", std::make_shared<model::GroupDetails>()).get();
        group->TradingEnabled = true;
        auto row = std::make_shared<model::GroupInstruments>();
        gi = row.get();
        group->GroupInstrumentCollection["1"] = row;
        gi->isAvailableForTrading = gi->AllowShortSelling = true;
        gi->availableOrderSettings = 3;
        gi->MaxOrderQty = 100;
        gi->MinOrderQty = gi->OrderQtyStep = 0.1;
        gi->LimitMinPips = 10;
        gi->StopMinPips = 5;
        gi->InitialMargin = 10;
        gi->margincalculationMode = 1;
        item = state::ReferenceDataTestAccess::ItemCollection(data).set("GOLD", std::make_shared<model::ItemDetails>()).get();
        item->InstrumentId = item->instrumentTradingStatus = item->CurrentTradeSessionSettingId = 1;
        item->Code = "GOLD";
        item->availableOrderTypes = 0xE7;
        item->DecimalPlaces = 2;
        item->TickSize = 0.01;
        item->ContractSize = 100;
        item->Bid = 50;
        item->Ask = 50.1;
        item->Last = 50.05;
        item->High = 51;
        item->Low = 49;
        item->UpdateTime = "12/07/2026 10:11:12";
        sessionSettings = state::ReferenceDataTestAccess::SessionSettingCollection(data).set("1", std::make_shared<model::SessionSettings>()).get();
        sessionSettings->allowNewMarket = sessionSettings->allowNewContigent = sessionSettings->allowNewTpSl = true;
        token = platform::NotificationCenter::defaultCenter().addObserver(
            kPlaceOrderNotification, [this](const platform::Notification& n) {
                const auto* r = n.as<PlaceOrderReport>();
                reports.push_back({r ? r->text : "?", r ? r->ValidationKey : nullptr});
            });
        state::SessionTestAccess::setSessionValues(*session, 41, "R9");
        const auto needs = session->orderManagerParts();
        manager = std::make_unique<OrderMananger>(needs.view, needs.services, needs.reference, needs.book, needs.commands);
    }
    void TearDown() override {
        platform::NotificationCenter::defaultCenter().removeObserver(token);
        manager.reset();
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
    }

    // A fresh fixture for the next row of a table.
    void reset() {
        TearDown();
        reports.clear();
        ui.sounds.clear();
        sent = 0;
        SetUp();
    }
    // The body of the last frame built: between the length's 0x03 and the end byte.
    std::string body() const {
        const std::string& f = state::servicesOf(*session).outgoingMessage().lastFrame();
        const auto start = f.find('\x03');
        return start == std::string::npos ? std::string() : f.substr(start + 1, f.size() - start - 2);
    }
    static model::OrderInfo marketBuy(const std::string& qty = "1") {
        model::OrderInfo o;
        o.itemCode = "GOLD";
        o.accountNo = 1001;
        o.orderType = o.deliveryMode = o.timeinForce = 1;
        o.tradingMode = 0;
        o.quantity = qty;
        o.deviation = -1;
        return o;
    }
    static model::OrderInfo limit(int side, const std::string& price, const std::string& qty = "1") {
        model::OrderInfo o = marketBuy(qty);
        o.orderType = 2;
        o.tradingMode = side;
        o.price = price;
        return o;
    }
    // A GOLD order of `side` in the open (position) or the pending list.
    std::shared_ptr<model::Order> addOrder(bool open, int side, const std::string& qty,
                                           const std::string& account = "1001", const std::string& id = "") {
        auto p = std::make_shared<model::Order>();
        p->AccountNumber = account;
        p->ItemCode = "GOLD";
        p->deliveryMode = 1;
        p->tradingMode = side;
        p->RemainingQty = qty;
        (open ? p->OpenPositionId : p->PendingOrderId) = id;
        auto& book = state::SessionTestAccess::orderBook(*session);
        (open ? state::OrderBookTestAccess::OpenOrderCollection(book) : state::OrderBookTestAccess::PendingOrderCollection(book)).push_back(p);
        return p;
    }
    // A GOLD order for the order checks.
    static std::shared_ptr<model::Order> order(int side, const std::string& qty) {
        auto o = std::make_shared<model::Order>();
        o->AccountNumber = "1001";
        o->ItemCode = "GOLD";
        o->deliveryMode = 1;
        o->tradingMode = side;
        o->OrderQty = qty;
        o->OrderPrice = "50";
        return o;
    }
    std::shared_ptr<model::Order> openPosition(int side, const std::string& qty, const std::string& account = "1001",
                                               const std::string& id = "") {
        auto p = addOrder(true, side, qty, account, id);
        p->OrderPrice = "50";
        return p;
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    state::testing::RecordingUi ui;
    std::shared_ptr<state::BusinessBase> session;
    std::unique_ptr<OrderMananger> manager;
    model::AccountDetails* account = nullptr;
    model::GroupDetails* group = nullptr;
    model::GroupInstruments* gi = nullptr;
    model::ItemDetails* item = nullptr;
    model::SessionSettings* sessionSettings = nullptr;
    platform::NotificationCenter::Token token = 0;
    std::vector<Report> reports;
    int sent = 0;
};

}  // namespace orders::testing
