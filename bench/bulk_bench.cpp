// Bulk trading: the close-all sheet's checks and request over 1,000 open
// positions, the multi-account drawer's margin column (100 accounts over
// 5,000 positions) and the offset rows of one position among 5,000. Each is
// printed beside a plain walk of the same records in the same run.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "orders/order_mananger.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "silent_ui.h"
#include "state/business_base.h"
#include "state/session_services.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "trading/core/close_all_rows.h"
#include "trading/core/multi_trade_rows.h"
#include "trading/core/offset_rows.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double bestUs(int runs, F&& f) {
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        f();
        best = std::min(best, std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    }
    return best;
}

std::string code(int i) {
    std::string out = "I";
    out += std::to_string(i);
    return out;
}

struct Book {
    bench::SilentUi ui;
    std::shared_ptr<state::BusinessBase> session;
    std::unique_ptr<orders::OrderMananger> manager;
    trading::Accounts accounts;

    Book(int accountCount, int positions, int instruments) {
        ui.login.setUserName("bench");
        state::SessionParts parts;
        parts.outgoing = [](const protocol::RequestMessage&) { return true; };
        session = state::BusinessBase::create(ui, ui, std::move(parts));
        state::servicesOf(*session).connection().isNetworkAvailable = true;
        auto& data = state::SessionTestAccess::referenceData(*session);
        auto group = state::ReferenceDataTestAccess::GroupDetailCollection(data).set(
            "10", std::make_shared<model::GroupDetails>());
        group->TradingEnabled = true;
        group->LeverageOnFProfit = 50;
        group->RevLeverageOnFLoss = 100;
        auto hours = state::ReferenceDataTestAccess::SessionSettingCollection(data).set(
            "1", std::make_shared<model::SessionSettings>());
        hours->allowNewMarket = hours->allowNewContigent = hours->allowNewTpSl = true;
        for (int i = 0; i < instruments; ++i) {
            auto item = state::ReferenceDataTestAccess::ItemCollection(data).set(code(i),
                                                                                 std::make_shared<model::ItemDetails>());
            item->InstrumentId = i + 1;
            item->instrumentTradingStatus = item->CurrentTradeSessionSettingId = 1;
            item->Code = code(i);
            item->availableOrderTypes = 0xE7;
            item->DecimalPlaces = 2;
            item->TickSize = 0.01;
            item->ContractSize = 100;
            item->Bid = 10 + i;
            item->Ask = item->Bid + 0.02;
            auto row = std::make_shared<model::GroupInstruments>();
            row->isAvailableForTrading = row->AllowShortSelling = true;
            row->availableOrderSettings = 3;
            row->MinOrderQty = row->OrderQtyStep = 0.1;
            row->MaxOrderQty = 1000;
            row->InitialMargin = 10;
            row->margincalculationMode = 1;
            group->GroupInstrumentCollection[std::to_string(i + 1)] = row;
        }
        for (int i = 0; i < accountCount; ++i) {
            auto a = std::make_shared<model::AccountDetails>();
            a->AccountId = 1000 + i;
            a->GroupId = "10";
            a->availableOrderTypes = 0xE7;
            a->tradingStatus = a->accountaccessType = 1;
            a->Balance = a->Equity = a->AvailableMargin = 1e9;
            state::ReferenceDataTestAccess::AccountDetailCollection(data).set(std::to_string(a->AccountId), a);
            accounts.push_back(a);
        }
        auto& open = state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session));
        for (int i = 0; i < positions; ++i) {
            auto p = std::make_shared<model::Order>();
            p->OpenPositionId = std::to_string(80000 + i);
            p->AccountNumber = std::to_string(1000 + i % accountCount);
            p->ItemCode = code(i % instruments);
            p->deliveryMode = 1;
            p->tradingMode = (i / 3) % 2;
            p->RemainingQty = p->OrderQty = std::to_string(1 + i % 5);
            p->OrderPrice = "10";
            p->UnrealisedPL = (i % 7) * 10.0 - 30;
            open.push_back(p);
        }
        const auto needs = session->orderManagerParts();
        manager = std::make_unique<orders::OrderMananger>(needs.view, needs.services, needs.reference, needs.book,
                                                          needs.commands);
    }
    state::Orders open() const { return state::viewOf(*session).getOpenOrderCollection(); }
};

// The ids and quantities of the records, as the plainest request would list them.
std::size_t plainList(const state::Orders& open) {
    std::string out;
    for (const auto& p : open) {
        out += p->OpenPositionId;
        out += '\x05';
        out += p->RemainingQty;
        out += '\x06';
    }
    return out.size();
}

void closeAll() {
    Book book(20, 1000, 10);
    const state::Orders open = book.open();
    trading::CloseAllSelection selection;
    selection.tickAll(open);
    selection.untick(open[3]->OpenPositionId);  // one left open: a "close selected" request
    std::size_t sent = 0;
    const double ours = bestUs(20, [&] {
        const state::Orders now = book.open();
        selection.keepOpen(now);
        const state::Orders ticked = selection.tickedPositions(now);
        for (const auto& p : ticked) book.manager->validateBeforeCloseAllPositions(*p);
        book.manager->createBulkClosePositionInfo(ticked, selection.isCloseAll(now)
                                                              ? orders::OrderMananger::kCloseAll
                                                              : orders::OrderMananger::kCloseSelected);
        sent = ticked.size();
    });
    bool all = true;
    const double ticks = bestUs(20, [&] {
        const state::Orders now = book.open();
        selection.keepOpen(now);
        all = selection.isCloseAll(now) && selection.tickedPositions(now).empty();
    });
    std::size_t bytes = 0;
    const double plain = bestUs(20, [&] { bytes = plainList(book.open()); });
    std::printf("close all, 1,000 positions: keep, ticked, %zu checks, request: %.0f us (the ticks alone %.0f us); "
                "plain walk (%zu bytes): %.1f us; ratio %.0fx\n",
                sent, ours, ticks, bytes, plain, ours / plain);
    (void)all;
}

void margins() {
    Book book(100, 5000, 10);
    const state::Orders open = book.open();
    const auto& view = state::viewOf(*book.session);
    std::vector<double> column;
    const double ours = bestUs(50, [&] {
        column = trading::availableMargins(book.accounts, view.getOpenOrderCollection(),
                                           [&](const std::string& id) { return view.group(id); });
    });
    double sum = 0;
    const double plain = bestUs(50, [&] {
        sum = 0;
        for (const auto& p : view.getOpenOrderCollection()) sum += p->UnrealisedPL;
    });
    // Every cell walking every position, as a per-cell figure would.
    const double perCell = bestUs(5, [&] {
        for (const auto& a : book.accounts) {
            double pl = 0;
            const std::string id = std::to_string(a->AccountId);
            for (const auto& p : open)
                if (p->AccountNumber == id) pl += p->UnrealisedPL;
            sum += trading::availableMargin(*a, pl, view.group(a->GroupId).get());
        }
    });
    std::printf("drawer margin column, 100 accounts over 5,000 positions: %.0f us (%zu rows); plain walk: %.1f us; "
                "ratio %.1fx; a walk per cell: %.0f us\n",
                ours, column.size(), plain, ours / plain, perCell);
}

void offsets() {
    Book book(10, 5000, 10);
    const state::Orders open = book.open();
    const model::Order& main = *open[0];
    std::size_t rows = 0;
    const double ours = bestUs(50, [&] { rows = trading::offsetRows(main, book.open()).size(); });
    std::size_t matches = 0;
    const double plain = bestUs(50, [&] {
        matches = 0;
        for (const auto& p : book.open())
            if (p->AccountNumber == main.AccountNumber && p->ItemCode == main.ItemCode &&
                p->tradingMode != main.tradingMode)
                ++matches;
    });
    std::printf("offset rows among 5,000 positions: %.0f us (%zu rows); plain walk (%zu): %.1f us; ratio %.1fx\n",
                ours, rows, matches, plain, ours / plain);
}

}  // namespace

int main() {
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    closeAll();
    loop->runUntilIdle();
    margins();
    offsets();
    loop->runUntilIdle();
    platform::MainExecutor::install(nullptr);
    return 0;
}
