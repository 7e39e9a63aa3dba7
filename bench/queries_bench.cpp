// The main window's per-second account pass: the visible open positions plus
// the figures of one account, over 2,000 positions in 200 accounts. The
// baseline is a plain loop summing the same positions' P/L.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "state/state_queries.h"

namespace {

constexpr int kAccounts = 200;
constexpr int kPositions = 2000;
constexpr int kCalls = 2000;

}  // namespace

int main() {
    state::AccountMap accounts;
    state::GroupMap groups;
    state::Orders open;
    auto group = std::make_shared<model::GroupDetails>();
    group->LeverageOnFProfit = 100;
    group->RevLeverageOnFLoss = 100;
    groups.set("1", group);
    for (int i = 0; i < kAccounts; ++i) {
        auto a = std::make_shared<model::AccountDetails>();
        a->AccountId = 1000 + i;
        a->GroupId = std::string("1");
        a->tradingStatus = i % 10 == 0 ? 6 : 1;  // every tenth account closed
        a->accountaccessType = 1;
        a->Balance = 10000;
        accounts.set(std::to_string(a->AccountId), a);
    }
    for (int i = 0; i < kPositions; ++i) {
        auto o = std::make_shared<model::Order>();
        o->AccountNumber = std::to_string(1000 + i % kAccounts);
        std::string code = std::to_string(i % 50);
        code.insert(code.begin(), 'I');
        o->ItemCode = code;
        o->OpenPositionId = std::to_string(i);
        o->UnrealisedPL = (i % 7) - 3.0;
        open.push_back(o);
    }

    double checksum = 0.0;
    const auto t0 = std::chrono::steady_clock::now();
    for (int c = 0; c < kCalls; ++c) {
        const state::Orders visible = state::Queries::visibleOrders(open, accounts);
        const std::int32_t id = 1000 + c % kAccounts;
        state::Queries::calcAccountDetails(id, accounts, groups, open);
        checksum += static_cast<double>(visible.size()) + (*accounts.find(std::to_string(id)))->Equity;
    }
    const auto t1 = std::chrono::steady_clock::now();

    double baseline = 0.0;
    for (int c = 0; c < kCalls; ++c) {
        const std::string account = std::to_string(1000 + c % kAccounts);
        for (const auto& o : open)
            if (o->AccountNumber == account) baseline += o->UnrealisedPL;
    }
    const auto t2 = std::chrono::steady_clock::now();

    const double perCall = std::chrono::duration<double, std::micro>(t1 - t0).count() / kCalls;
    const double perBase = std::chrono::duration<double, std::micro>(t2 - t1).count() / kCalls;
    std::printf("getOpenOrderCollection + calcAccountDetails, %d positions, %d accounts: %.1f us per call "
                "(target < 2000 us)\n",
                kPositions, kAccounts, perCall);
    std::printf("baseline (plain P/L sum over the same positions): %.1f us per call, ratio %.1f\n", perBase,
                perBase > 0 ? perCall / perBase : 0.0);
    std::printf("checksum %.1f %.1f\n", checksum, baseline);
    return 0;
}
