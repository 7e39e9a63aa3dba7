#pragma once
// Reference data shared by the benchmarks of positions and accounts: one
// group, instruments "I0", "I1", ... with P/L modes 1 to 6, accounts 1000, ...
// with conversion modes 0 to 5, positions 70000, ... over them; and the
// timing loop.
#include <chrono>
#include <memory>
#include <string>

#include "model/group_details.h"
#include "model/item_details.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"

namespace bench {

// prefix followed by the number.
inline std::string text(const char* prefix, long n) {
    std::string out(prefix);
    out += std::to_string(n);
    return out;
}

// Adds the group and the instruments; returns the group's id.
inline std::string addGroupAndInstruments(state::BusinessBase& s, int instruments) {
    auto& ref = state::SessionTestAccess::referenceData(s);
    auto group = std::make_shared<model::GroupDetails>();
    group->LeverageOnFProfit = 50;
    group->RevLeverageOnFLoss = 100;
    const std::string groupId = "1";
    state::ReferenceDataTestAccess::GroupDetailCollection(ref).set(groupId, group);
    for (int i = 0; i < instruments; ++i) {
        auto item = std::make_shared<model::ItemDetails>();
        item->InstrumentId = i + 1;
        item->Code = text("I", i);
        item->PLCalcModeId = 1 + i % 6;
        item->ContractSize = 100;
        item->DecimalPlaces = 2;
        item->Point = 1;
        item->Bid = 10 + i * 0.01;
        item->Ask = item->Bid + 0.02;
        state::ReferenceDataTestAccess::ItemCollection(ref).set(item->Code, item);
    }
    return groupId;
}

// Accounts 1000, 1001, ... of the group; every `equityHitEvery`-th (0: none)
// in trading status 5.
inline void addAccounts(state::BusinessBase& s, const std::string& groupId, int accounts, int instruments,
                        int equityHitEvery = 0) {
    for (int i = 0; i < accounts; ++i) {
        auto a = std::make_shared<model::AccountDetails>();
        a->AccountId = 1000 + i;
        a->GroupId = groupId;
        a->tradingStatus = equityHitEvery > 0 && i % equityHitEvery == 0 ? 5 : 1;
        a->accountaccessType = 1;
        a->Balance = 10000;
        auto currency = std::make_shared<model::TradeCurrency>();
        currency->conversionMode = i % 6;
        currency->instrumentID = 1 + i % instruments;
        currency->bidRate = currency->askRate = 1.1;
        currency->isDirect = i % 2 == 0;
        a->tradeCurrency = currency;
        state::ReferenceDataTestAccess::AccountDetailCollection(state::SessionTestAccess::referenceData(s)).set(std::to_string(a->AccountId), a);
    }
}

// Open positions 70000, 70001, ... spread over the accounts and instruments.
inline void addPositions(state::BusinessBase& s, int positions, int accounts, int instruments) {
    auto& open = state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(s));
    for (int i = 0; i < positions; ++i) {
        auto p = std::make_shared<model::Order>();
        p->OpenPositionId = std::to_string(70000 + i);
        p->AccountNumber = std::to_string(1000 + i % accounts);
        p->ItemCode = text("I", i % instruments);
        p->tradingMode = i % 2;
        p->RemainingQty = std::to_string(1 + i % 5);
        p->OrderPrice = std::to_string(9.5 + (i % 100) * 0.01);
        open.push_back(p);
    }
}

// Moves each instrument's prices by -0.01, 0 or 0.01, by round.
inline void movePrices(state::ReferenceData& data, int round) {
    for (auto& [code, item] : state::ReferenceDataTestAccess::ItemCollection(data)) {
        const double step = ((round + item->InstrumentId) % 3 - 1) * 0.01;
        item->Bid += step;
        item->Ask += step;
    }
}

// Mean milliseconds of `f(round)` over the rounds.
template <class F>
double millisecondsPer(int rounds, F&& f) {
    const auto t0 = std::chrono::steady_clock::now();
    for (int r = 0; r < rounds; ++r) f(r);
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count() / rounds;
}

}  // namespace bench
