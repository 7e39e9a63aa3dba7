// One refresh of the account pies' data over 5,000 positions of one account
// in 200 instruments: the profit/loss pie (and the margin pie over 400 hedge
// margins). Baseline: a plain loop summing the same UnrealisedPL values.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "charts/core/pie_data.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kPositions = 5000;
constexpr int kInstruments = 200;
constexpr int kPasses = 2000;
constexpr std::int32_t kAccount = 1001;

double microseconds(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

}  // namespace

int main() {
    charts::Positions open;
    for (int i = 0; i < kPositions; ++i) {
        auto o = std::make_shared<model::Order>();
        o->AccountNumber = std::to_string(kAccount);
        o->ItemCode = "ITEM" + std::to_string((i * 7) % kInstruments);
        o->UnrealisedPL = (i % 13) * 1.25 - 6.0;
        open.push_back(o);
    }
    charts::HedgeMargins margins;
    for (int i = 0; i < kInstruments; ++i)
        for (int mode = 0; mode < 2; ++mode) margins.emplace_back("ITEM" + std::to_string(i) + "#" + std::to_string(mode), "12.50");
    model::AccountDetails account;
    account.Equity = 100000;
    account.AvailableMargin = 60000;

    double check = 0;
    const auto t0 = Clock::now();
    for (int p = 0; p < kPasses; ++p) {
        const auto pie = charts::profitLossPie(charts::positionsOfAccount(open, kAccount));
        check += pie.PieChartData.front() + static_cast<double>(pie.PieChartData.size());
    }
    const auto t1 = Clock::now();
    for (int p = 0; p < kPasses; ++p) {
        double sum = 0;
        for (const auto& o : open) sum += o->UnrealisedPL;
        check += sum;
    }
    const auto t2 = Clock::now();
    for (int p = 0; p < kPasses; ++p) {
        const auto pie = charts::marginPie(charts::positionsOfAccount(open, kAccount), &account, margins);
        check += pie.PieChartData.back();
    }
    const auto t3 = Clock::now();

    const double pie = microseconds(t1 - t0) / kPasses;
    const double plain = microseconds(t2 - t1) / kPasses;
    const double margin = microseconds(t3 - t2) / kPasses;
    std::printf("profit/loss pie, %d positions in %d instruments: %.1f us per refresh\n", kPositions, kInstruments, pie);
    std::printf("  baseline (plain loop summing the same UnrealisedPL): %.1f us, ratio %.1f\n", plain,
                plain > 0 ? pie / plain : 0.0);
    std::printf("margin pie data (hedge margins held, %d entries): %.1f us per refresh (checksum %.1f)\n",
                static_cast<int>(margins.size()), margin, check);
    return 0;
}
