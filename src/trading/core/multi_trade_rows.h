#pragma once
// The ticket's multi-account drawer without Qt: which accounts get a row, the
// rows with their ticks (in ticking order) and quantities, and each row's
// available margin computed from the open positions without touching the
// shared account record.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <memory>
#include <string>
#include <vector>

#include "model/account_details.h"
#include "model/group_details.h"
#include "model/multi_trade.h"
#include "state/session_view.h"

namespace trading {

using Accounts = std::vector<std::shared_ptr<model::AccountDetails>>;

// `accountSettings`: the account only views; no drawer beside it.
inline constexpr std::int64_t kViewOnlyBit = 0x01;

// Fewer than two accounts, or one of them view-only: no drawer.
bool multiTradeOffered(const Accounts& accounts);

// Every account, but only those allowed deviation while the deviation box is ticked.
Accounts multiTradeAccounts(const Accounts& accounts, bool deviationTicked);

struct MultiTradeChoice {
    std::string orderType;  // "Market", "Limit", "Stop"; another name: no row
    bool takeProfit = false;
    bool stopLoss = false;
    bool deviation = false;
};
// The accounts that, with the instrument's bits, allow the order type and
// the ticked brackets (the deviation rule applies too).
Accounts multiTradeAccounts(const Accounts& accounts, std::int32_t itemTypes, const MultiTradeChoice& choice);

struct AccountQuantity {
    std::int32_t accountId = 0;
    double quantity = 0;
};

class MultiTradeRows {
public:
    // New rows at quantity 0, nothing ticked.
    void reset(const Accounts& accounts);
    std::size_t size() const { return rows_.size(); }
    const model::MultiTrade& row(std::size_t index) const { return rows_.at(index); }
    bool ticked(std::size_t index) const;
    const std::vector<std::size_t>& ticks() const { return ticks_; }
    // Ticks or unticks a row (a new tick goes last); its quantity starts again at 0.
    void toggle(std::size_t index);
    // Unticks every row, then ticks all in table order when `all`.
    void selectAll(bool all);
    // Out-of-range rows are ignored.
    void setQuantity(std::size_t index, double quantity);
    void setTickedQuantity(double quantity);
    // Sum of every row's quantity.
    double total() const;
    // The ticked rows in ticking order.
    std::vector<AccountQuantity> tickedAccounts() const;

private:
    std::vector<model::MultiTrade> rows_;
    std::vector<std::size_t> ticks_;
};

// Available margin of an account whose positions float `pl`: Balance +
// leverage of pl + AccumulatingStorage - UsedMargin; no group: leverage 0.
double availableMargin(const model::AccountDetails& account, double pl, const model::GroupDetails* group);

using GroupLookup = std::function<std::shared_ptr<model::GroupDetails>(const std::string& groupId)>;
// The available margin of each account, in order, after one walk over the
// positions (their `AccountNumber` read as an integer).
std::vector<double> availableMargins(const Accounts& accounts, const state::Orders& positions,
                                     const GroupLookup& group);
// "%.2f", grouped, at least two fraction digits.
std::string marginText(double margin);

}  // namespace trading
