// The per-second recomputation (every open position's profit, its conversion
// and every account's figures) over 10,000 positions in 200 accounts, and the
// order-status messages the session handles per second. Baselines: the bare
// mode-1 arithmetic over the same positions, and reading the same messages'
// fields without handling them.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "model/group_details.h"
#include "model/trade_currency.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "silent_ui.h"
#include "bench_book.h"
#include "support/order_book_test_access.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kAccounts = 200;
constexpr int kPositions = 10000;
constexpr int kInstruments = 50;
constexpr int kPasses = 200;
constexpr int kOrders = 20000;  // each: pending, edited, filled, executed

using bench::text;

double recalculation(state::BusinessBase& s) {
    auto& ref = state::SessionTestAccess::referenceData(s);
    bench::addAccounts(s, bench::addGroupAndInstruments(s, kInstruments), kAccounts, kInstruments, 20);
    bench::addPositions(s, kPositions, kAccounts, kInstruments);
    struct Plain {
        double q, o;
        const model::ItemDetails* item;
        int account;
        bool buy;
    };
    std::vector<Plain> plain;
    for (const auto& p : state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(s)))
        plain.push_back({std::stod(p->RemainingQty), std::stod(p->OrderPrice), ref.ItemCollection().find(p->ItemCode)->get(),
                         std::stoi(p->AccountNumber) - 1000, p->tradingMode == 0});

    const auto t0 = Clock::now();
    for (int i = 0; i < kPasses; ++i) state::commandsOf(s).recalculateAccounts();
    const auto t1 = Clock::now();
    std::vector<double> sums(kAccounts);
    for (int i = 0; i < kPasses; ++i) {
        for (auto& v : sums) v = 0;
        for (const Plain& p : plain) {
            const double c = p.buy ? p.item->Bid : p.item->Ask;
            const double r = (p.o - c) * p.q * p.item->ContractSize;
            sums[static_cast<std::size_t>(p.account)] += p.buy ? -r : r;
        }
    }
    const auto t2 = Clock::now();
    const double perPass = std::chrono::duration<double, std::milli>(t1 - t0).count() / kPasses;
    const double perBase = std::chrono::duration<double, std::milli>(t2 - t1).count() / kPasses;
    std::printf("recalculateAccounts, %d positions in %d accounts: %.3f ms per pass (target < 5 ms)\n", kPositions,
                kAccounts, perPass);
    std::printf("  baseline (bare mode-1 arithmetic, records resolved): %.3f ms, ratio %.1f (checksum %.1f)\n", perBase,
                perBase > 0 ? perPass / perBase : 0.0, sums[0]);
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(s)).clear();
    return perPass;
}

void orderStatus(state::BusinessBase& s, platform::ManualRunLoop& loop) {
    // A book of 200 working orders that the messages walk past.
    for (int i = 0; i < 200; ++i) {
        auto o = std::make_shared<model::Order>();
        o->PendingOrderId = text("H", i);
        state::SessionTestAccess::orderBook(s).AddPendingOrder(o);
    }
    std::vector<state::IncomingMessage> messages;
    for (int i = 0; i < kOrders; ++i) {
        const long nid = 50000 + i, npos = 90000 + i;
        const std::string common = "34=1000";
        auto add = [&](std::int32_t type, std::vector<std::string> f) {
            f.insert(f.begin(), text("10=", type));
            state::IncomingMessage m = state::IncomingMessage::ofFields(type, f);
            messages.push_back(std::move(m));
        };
        add(62, {"73=28", text("33=", nid), text("79=", nid), common, "12=I1", "32=30", "36=45", "37=2", "38=10.01",
                 "43=47", "76=2", "78=20261207120000", "117=51"});
        add(62, {"73=75", text("33=", nid), text("79=", nid), common, "12=I1", "32=30", "36=45", "37=2", "38=10.02", "39=11",
                 "76=2", "117=51"});
        add(62, {"73=23", text("33=", nid), text("79=", nid), common, "12=I1", "32=30", "37=2", "38=10.02", "76=0"});
        add(67, {"73=74", text("80=", npos), text("79=", nid), text("33=", nid), common, "12=I1", "76=2", "545=1.00", "37=2",
                 "38=10.02", text("72=", nid), "78=20261207120000"});
    }
    std::size_t read = 0;
    const auto b0 = Clock::now();
    for (const auto& m : messages) read += state::MessageFields(m.fields).size();
    const double baseline = std::chrono::duration<double>(Clock::now() - b0).count();

    const auto t0 = Clock::now();
    std::size_t n = 0;
    for (auto& m : messages) {
        state::SessionTestAccess::checkNewMessage(s, std::move(m));
        if (++n % 64 == 0) loop.runUntilIdle();
    }
    loop.runUntilIdle();
    const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
    const double rate = static_cast<double>(n) / seconds;
    std::printf("order-status and execution messages: %zu in %.3f s, %.0f msg/s (target >= 20000/s)\n", n, seconds,
                rate);
    std::printf("  baseline (reading the same fields only, %zu): %.0f msg/s, ratio %.1f; %zu open, %zu pending\n", read,
                static_cast<double>(n) / baseline, (static_cast<double>(n) / baseline) / rate,
                state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(s)).size(), state::OrderBookTestAccess::PendingOrderCollection(state::SessionTestAccess::orderBook(s)).size());
}

}  // namespace

int main() {
    platform::Log::setMinimumLevel(platform::LogLevel::Error);
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    bench::SilentUi ui;
    {
        auto session = state::BusinessBase::create(ui, ui);
        recalculation(*session);
        orderStatus(*session, *loop);
    }
    loop->runUntilIdle();
    platform::MainExecutor::install(nullptr);
    return 0;
}
