#include "charts/core/pie_data.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <unordered_map>

namespace charts {

namespace {

bool readsAs(const std::string& text, std::int32_t account) {
    std::int32_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value == account;
}

double numberOf(const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    return end != text.c_str() && std::isfinite(v) ? v : 0;
}

// The codes of `positions` in first-appearance order, each with its index.
struct Slices {
    model::PieChartDictionary pie;
    std::unordered_map<std::string, std::size_t> index;
    std::size_t add(const std::string& code) {
        const auto [at, added] = index.emplace(code, pie.PieChartTitle.size());
        if (added) {
            pie.PieChartTitle.push_back(code);
            pie.PieChartData.push_back(0.0);
        }
        return at->second;
    }
};

double finiteOrZero(double v) { return std::isfinite(v) ? v : 0; }

}  // namespace

Positions positionsOfAccount(const Positions& open, std::int32_t account) {
    Positions out;
    for (const auto& o : open)
        if (o && readsAs(o->AccountNumber, account)) out.push_back(o);
    return out;
}

model::PieChartDictionary profitLossPie(const Positions& positions) {
    Slices slices;
    for (const auto& o : positions) {
        if (!o) continue;
        slices.pie.PieChartData[slices.add(o->ItemCode)] += finiteOrZero(o->UnrealisedPL);
    }
    return std::move(slices.pie);
}

model::PieChartDictionary marginPie(const Positions& positions, const model::AccountDetails* account,
                                    const HedgeMargins& margins) {
    Slices slices;
    for (const auto& o : positions)
        if (o) slices.add(o->ItemCode);
    const double equity = account ? account->Equity : 0;
    const bool shares = equity > 0 && std::isfinite(equity);
    if (shares && account->tradingStatus != model::AccountDetails::kStatusEquityHit) {
        for (const auto& [key, value] : margins) {
            const auto it = slices.index.find(key.substr(0, key.find('#')));
            if (it != slices.index.end()) slices.pie.PieChartData[it->second] += numberOf(value);
        }
        for (double& v : slices.pie.PieChartData) v = finiteOrZero(v / equity * 100);
    }
    slices.pie.PieChartTitle.push_back(kAvailableMarginTitle);
    slices.pie.PieChartData.push_back(shares ? finiteOrZero(account->AvailableMargin / equity * 100) : 0.0);
    return std::move(slices.pie);
}

}  // namespace charts
