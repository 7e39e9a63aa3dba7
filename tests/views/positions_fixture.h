#pragma once
// A session with an instrument "GOLD", an account "1001" of group "7" whose
// conditions allow buying and selling, and helpers adding open positions and
// pending orders, for the position tables' tests.
#include <memory>
#include <string>

#include "model/account_details.h"
#include "model/group_details.h"
#include "model/order.h"
#include "state/order_book.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "views/core/position_records.h"
#include "views/watchlist_fixture.h"

namespace views::testing {

class PositionsSession : public WatchlistSession {
public:
    PositionsSession() {
        gold = item("GOLD", 2035.39, 2035.59);
        gold->InstrumentId = 5;
        gold->availableOrderTypes = 0xFF;
        gold->ContractSize = 100;
        account = std::make_shared<model::AccountDetails>();
        account->AccountId = 1001;
        account->GroupId = "7";
        account->tradingStatus = 1;
        account->accountaccessType = 1;
        account->availableOrderTypes = 0xFF;
        state::ReferenceDataTestAccess::AccountDetailCollection(data()).set("1001", account);
        auto group = std::make_shared<model::GroupDetails>();
        conditions = std::make_shared<model::GroupInstruments>();
        conditions->availableOrderSettings = 0x03;
        conditions->margincalculationMode = 1;
        conditions->InitialMargin = 0.125;
        group->GroupInstrumentCollection["5"] = conditions;
        state::ReferenceDataTestAccess::GroupDetailCollection(data()).set("7", group);
    }

    std::shared_ptr<model::Order> position(const std::string& id, std::int32_t side, const std::string& quantity) {
        auto o = order(side, quantity);
        o->OpenPositionId = id;
        state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(o);
        return o;
    }
    std::shared_ptr<model::Order> pending(const std::string& id, std::int32_t type, const std::string& quantity) {
        auto o = order(model::Order::kBuy, quantity);
        o->PendingOrderId = id;
        o->orderType = type;
        o->OrderQty = quantity;
        state::OrderBookTestAccess::PendingOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(o);
        return o;
    }
    PositionRecords records(const std::shared_ptr<model::Order>& o) { return lookUpRecords(*session, o); }

    std::shared_ptr<model::ItemDetails> gold;
    std::shared_ptr<model::AccountDetails> account;
    std::shared_ptr<model::GroupInstruments> conditions;

private:
    std::shared_ptr<model::Order> order(std::int32_t side, const std::string& quantity) {
        auto o = std::make_shared<model::Order>();
        o->AccountNumber = "1001";
        o->ItemCode = "GOLD";
        o->tradingMode = side;
        o->RemainingQty = quantity;
        o->OrderPrice = "2030.5";
        o->deliveryMode = model::Order::kRegular;
        o->timeinForce = model::Order::kGTC;
        o->TransactionDateTime = "12/07/2026 09:30:15";
        return o;
    }
};

}  // namespace views::testing
