// One full validation of a sell order (sellable lots and margin both computed)
// with 2,000 open positions and 2,000 pending orders. Baseline: one plain walk
// that sums the remaining quantities of the same 4,000 records.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "model/order_info.h"
#include "orders/order_mananger.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "silent_ui.h"

namespace {

using Clock = std::chrono::steady_clock;

std::shared_ptr<model::Order> record(const std::string& code, int side, const std::string& qty) {
    auto o = std::make_shared<model::Order>();
    o->AccountNumber = "1001";
    o->ItemCode = code;
    o->deliveryMode = 1;
    o->tradingMode = side;
    o->RemainingQty = qty;
    o->OrderPrice = "50";
    return o;
}

// Built by appending: GCC 12 warns falsely (-Wrestrict) on "I" + text at -O3.
std::string code(int i) {
    std::string out = "I";
    out += std::to_string(i);
    return out;
}

}  // namespace

int main() {
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    bench::SilentUi ui;
    ui.login.setUserName("bench");
    auto session = state::BusinessBase::create(ui, ui);
    state::servicesOf(*session).connection().isNetworkAvailable = true;
    auto& data = state::SessionTestAccess::referenceData(*session);
    auto account = state::ReferenceDataTestAccess::AccountDetailCollection(data).set("1001", std::make_shared<model::AccountDetails>());
    account->AccountId = 1001;
    account->GroupId = "10";
    account->availableOrderTypes = 0xE7;
    account->tradingStatus = 1;
    account->accountaccessType = 1;
    account->Equity = 1e9;
    auto group = state::ReferenceDataTestAccess::GroupDetailCollection(data).set("10", std::make_shared<model::GroupDetails>());
    group->TradingEnabled = true;
    auto session1 = state::ReferenceDataTestAccess::SessionSettingCollection(data).set("1", std::make_shared<model::SessionSettings>());
    session1->allowNewMarket = session1->allowNewContigent = session1->allowNewTpSl = true;
    for (int i = 0; i < 20; ++i) {
        const std::string itemCode = code(i);
        auto item = state::ReferenceDataTestAccess::ItemCollection(data).set(itemCode, std::make_shared<model::ItemDetails>());
        item->InstrumentId = i + 1;
        item->Code = itemCode;
        item->availableOrderTypes = 0xE7;
        item->DecimalPlaces = 2;
        item->TickSize = 0.01;
        item->ContractSize = 100;
        item->Bid = 50;
        item->Ask = 50.1;
        item->CurrentTradeSessionSettingId = 1;
        auto gi = std::make_shared<model::GroupInstruments>();
        gi->isAvailableForTrading = true;
        gi->availableOrderSettings = 3;
        gi->MaxOrderQty = 1000;
        gi->OrderQtyStep = 0.01;
        gi->InitialMargin = 10;
        gi->margincalculationMode = 2;  // always the full computation
        group->GroupInstrumentCollection[std::to_string(i + 1)] = gi;
    }
    auto& book = state::SessionTestAccess::orderBook(*session);
    for (int i = 0; i < 2000; ++i) {
        state::OrderBookTestAccess::OpenOrderCollection(book).push_back(record(code(i % 20), i % 2, "3"));
        state::OrderBookTestAccess::PendingOrderCollection(book).push_back(record(code(i % 20), 1, "1"));
    }

    const auto needs = session->orderManagerParts();
    orders::OrderMananger manager(needs.view, needs.services, needs.reference, needs.book, needs.commands);
    model::OrderInfo info;
    info.itemCode = "I0";
    info.accountNo = 1001;
    info.orderType = 1;
    info.deliveryMode = 1;
    info.tradingMode = 1;
    info.timeinForce = 1;
    info.quantity = "1";
    info.deviation = -1;

    constexpr int kRuns = 2000;
    int valid = 0;
    const auto t0 = Clock::now();
    for (int i = 0; i < kRuns; ++i) valid += manager.GenerateOrder(info) ? 1 : 0;
    const auto t1 = Clock::now();
    double sum = 0;
    for (int i = 0; i < kRuns; ++i) {
        for (const auto& o : book.OpenOrderCollection()) sum += std::stod(o->RemainingQty);
        for (const auto& o : book.PendingOrderCollection()) sum += std::stod(o->RemainingQty);
    }
    const auto t2 = Clock::now();
    const double perValidation = std::chrono::duration<double, std::micro>(t1 - t0).count() / kRuns;
    const double perWalk = std::chrono::duration<double, std::micro>(t2 - t1).count() / kRuns;
    std::printf("orders_bench: one validation, 2000 positions + 2000 pending: %.1f us (valid %d/%d, target < 1000 us)\n",
                perValidation, valid, kRuns);
    std::printf("orders_bench: baseline walk of the 4000 records: %.1f us (checksum %.0f); ratio %.2f\n", perWalk, sum,
                perValidation / perWalk);
    session.reset();
    loop->runUntilIdle();
    platform::MainExecutor::install(nullptr);
    return 0;
}
