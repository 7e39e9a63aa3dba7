#include "trading/core/multi_trade_rows.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <unordered_map>

#include "model/formatter.h"
#include "model/order.h"
#include "trading/core/ticket_offers.h"

namespace trading {

namespace {
std::int32_t typeBit(const std::string& name) {
    if (name == kMarket) return kMarketBit;
    if (name == kLimit) return kLimitBit;
    if (name == kStop) return kStopBit;
    return 0;
}

bool bracketsFit(std::int32_t both, const MultiTradeChoice& choice) {
    if (choice.takeProfit && !(both & kTakeProfitBit)) return false;
    if (choice.stopLoss && !(both & kStopLossBit)) return false;
    return true;
}

bool keptForDeviation(const model::AccountDetails& account, bool deviationTicked) {
    return !deviationTicked || (account.accountSettings & kDeviationBit) != 0;
}

// The leading integer of an account number; nullopt when there is none.
std::optional<std::int64_t> accountNumber(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr == text.data()) return std::nullopt;
    return value;
}
}  // namespace

bool multiTradeOffered(const Accounts& accounts) {
    if (accounts.size() < 2) return false;
    return std::none_of(accounts.begin(), accounts.end(),
                        [](const auto& a) { return !a || (a->accountSettings & kViewOnlyBit) != 0; });
}

Accounts multiTradeAccounts(const Accounts& accounts, bool deviationTicked) {
    Accounts kept;
    for (const auto& a : accounts)
        if (a && keptForDeviation(*a, deviationTicked)) kept.push_back(a);
    return kept;
}

Accounts multiTradeAccounts(const Accounts& accounts, std::int32_t itemTypes, const MultiTradeChoice& choice) {
    const std::int32_t bit = typeBit(choice.orderType);
    Accounts kept;
    if (!bit) return kept;
    for (const auto& a : accounts) {
        if (!a) continue;
        const std::int32_t both = a->availableOrderTypes & itemTypes;
        if ((both & bit) && bracketsFit(both, choice) && keptForDeviation(*a, choice.deviation)) kept.push_back(a);
    }
    return kept;
}

void MultiTradeRows::reset(const Accounts& accounts) {
    rows_.clear();
    ticks_.clear();
    for (const auto& a : accounts) {
        model::MultiTrade row;
        row.accountDet = a;
        rows_.push_back(std::move(row));
    }
}

bool MultiTradeRows::ticked(std::size_t index) const {
    return std::find(ticks_.begin(), ticks_.end(), index) != ticks_.end();
}

void MultiTradeRows::toggle(std::size_t index) {
    if (index >= rows_.size()) return;
    const auto at = std::find(ticks_.begin(), ticks_.end(), index);
    if (at == ticks_.end()) {
        ticks_.push_back(index);
    } else {
        ticks_.erase(at);
    }
    rows_[index].quantity = 0;
}

void MultiTradeRows::selectAll(bool all) {
    ticks_.clear();
    if (!all) return;
    for (std::size_t i = 0; i < rows_.size(); ++i) ticks_.push_back(i);
}

void MultiTradeRows::setQuantity(std::size_t index, double quantity) {
    if (index < rows_.size()) rows_[index].quantity = quantity;
}

void MultiTradeRows::setTickedQuantity(double quantity) {
    for (const std::size_t i : ticks_) rows_[i].quantity = quantity;
}

double MultiTradeRows::total() const {
    double sum = 0;
    for (const auto& row : rows_) sum += row.quantity;
    return sum;
}

std::vector<AccountQuantity> MultiTradeRows::tickedAccounts() const {
    std::vector<AccountQuantity> out;
    for (const std::size_t i : ticks_)
        out.push_back({rows_[i].accountDet ? rows_[i].accountDet->AccountId : 0, rows_[i].quantity});
    return out;
}

double availableMargin(const model::AccountDetails& account, double pl, const model::GroupDetails* group) {
    double leverage = 0;
    if (group) leverage = (pl >= 0 ? group->LeverageOnFProfit : group->RevLeverageOnFLoss) * pl / 100.0;
    const double equity = account.Balance + leverage + account.AccumulatingStorage;
    return equity - account.UsedMargin;
}

std::vector<double> availableMargins(const Accounts& accounts, const state::Orders& positions,
                                     const GroupLookup& group) {
    std::unordered_map<std::int64_t, double> pl;
    for (const auto& a : accounts)
        if (a) pl.emplace(a->AccountId, 0.0);
    for (const auto& p : positions) {
        if (!p) continue;
        const auto number = accountNumber(p->AccountNumber);
        if (!number) continue;
        if (const auto at = pl.find(*number); at != pl.end()) at->second += p->UnrealisedPL;
    }
    std::vector<double> margins;
    margins.reserve(accounts.size());
    for (const auto& a : accounts) {
        if (!a) {
            margins.push_back(0);
            continue;
        }
        const auto g = group ? group(a->GroupId) : nullptr;
        margins.push_back(availableMargin(*a, pl[a->AccountId], g.get()));
    }
    return margins;
}

std::string marginText(double margin) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.2f", margin);
    return model::Formatter::formatDecimalWithString(buffer).value_or(buffer);
}

}  // namespace trading
