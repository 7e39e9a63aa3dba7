#pragma once
// The slices of the account pies, read from the session's records as they
// are: the floating profit or loss per instrument as each position's
// UnrealisedPL holds it, and each instrument's hedge margin as a share of the
// equity, with the available margin's share last ("Avl.Mgn"). Nothing is
// written and nothing recomputed. Instruments in the order they first appear.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/account_details.h"
#include "model/account_statement_info.h"
#include "model/order.h"

namespace charts {

using Positions = std::vector<std::shared_ptr<model::Order>>;
// Positions picked from a collection that outlives them.
using AccountPositions = std::vector<const model::Order*>;

// "<item code>#<delivery mode>" -> margin text, as the session holds them.
using HedgeMargins = std::vector<std::pair<std::string, std::string>>;

inline constexpr const char* kAvailableMarginTitle = "Avl.Mgn";

// The positions whose account number reads as `account`, in order.
AccountPositions positionsOfAccount(const Positions& open, std::int32_t account);

// Positions grouped per instrument, the instruments in the order they first
// appear: kept while the positions stay, a refresh only sums.
struct InstrumentSlices {
    std::vector<std::string> titles;
    AccountPositions positions;
    std::vector<std::size_t> slice;  // per position, its instrument's index in titles
};
InstrumentSlices slicesOf(const AccountPositions& positions);

// Per instrument of `positions`: the sum of their UnrealisedPL.
model::PieChartDictionary profitLossPie(const AccountPositions& positions);
model::PieChartDictionary profitLossPie(const InstrumentSlices& slices);

// Per instrument of `positions`: its hedge margins / equity x 100 (0 in equity
// hit), then "Avl.Mgn": available margin / equity x 100. Without an account,
// or with an equity not above 0, every value is 0.
model::PieChartDictionary marginPie(const AccountPositions& positions, const model::AccountDetails* account,
                                    const HedgeMargins& margins);

// A colour number (below `palette`) for each slice of each pie, so that an
// instrument has one colour in every pie shown side by side. Instruments take
// numbers in the order they first appear: a number no other instrument has
// while one is free, else one free in that pie, else they cycle.
std::vector<std::vector<std::size_t>> sharedSliceColours(const std::vector<std::vector<std::string>>& titles,
                                                         std::size_t palette);

}  // namespace charts
