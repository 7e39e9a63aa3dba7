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
        if (const auto it = index.find(code); it != index.end()) return it->second;
        index.emplace(code, pie.PieChartTitle.size());
        pie.PieChartTitle.push_back(code);
        pie.PieChartData.push_back(0.0);
        return pie.PieChartTitle.size() - 1;
    }
};

double finiteOrZero(double v) { return std::isfinite(v) ? v : 0; }

}  // namespace

AccountPositions positionsOfAccount(const Positions& open, std::int32_t account) {
    AccountPositions out;
    out.reserve(open.size());
    for (const auto& o : open)
        if (o && readsAs(o->AccountNumber, account)) out.push_back(o.get());
    return out;
}

InstrumentSlices slicesOf(const AccountPositions& positions) {
    Slices slices;
    InstrumentSlices out;
    out.positions.reserve(positions.size());
    out.slice.reserve(positions.size());
    for (const model::Order* o : positions)
        if (o) {
            out.positions.push_back(o);
            out.slice.push_back(slices.add(o->ItemCode));
        }
    out.titles = std::move(slices.pie.PieChartTitle);
    return out;
}

model::PieChartDictionary profitLossPie(const AccountPositions& positions) { return profitLossPie(slicesOf(positions)); }

model::PieChartDictionary profitLossPie(const InstrumentSlices& slices) {
    model::PieChartDictionary pie;
    pie.PieChartTitle = slices.titles;
    pie.PieChartData.assign(slices.titles.size(), 0.0);
    for (std::size_t i = 0; i < slices.positions.size(); ++i)
        pie.PieChartData[slices.slice[i]] += finiteOrZero(slices.positions[i]->UnrealisedPL);
    return pie;
}

model::PieChartDictionary marginPie(const AccountPositions& positions, const model::AccountDetails* account,
                                    const HedgeMargins& margins) {
    Slices slices;
    for (const model::Order* o : positions)
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

std::vector<std::vector<std::size_t>> sharedSliceColours(const std::vector<std::vector<std::string>>& titles,
                                                         std::size_t palette) {
    std::vector<std::vector<std::size_t>> out(titles.size());
    if (palette == 0) return out;
    std::unordered_map<std::string, std::size_t> given;
    std::vector<std::size_t> users(palette, 0);  // instruments per colour, over every pie
    std::size_t next = 0;
    for (std::size_t p = 0; p < titles.size(); ++p) {
        std::vector<bool> inPie(palette, false);
        for (const std::string& t : titles[p])
            if (const auto it = given.find(t); it != given.end()) inPie[it->second] = true;
        for (const std::string& t : titles[p]) {
            auto it = given.find(t);
            if (it == given.end()) {
                std::size_t pick = palette;
                for (std::size_t c = 0; c < palette && pick == palette; ++c)
                    if (users[c] == 0) pick = c;
                for (std::size_t c = 0; c < palette && pick == palette; ++c)
                    if (!inPie[c]) pick = c;
                if (pick == palette) pick = next % palette;
                next = pick + 1;
                ++users[pick];
                inPie[pick] = true;
                it = given.emplace(t, pick).first;
            }
            out[p].push_back(it->second);
        }
    }
    return out;
}

}  // namespace charts
