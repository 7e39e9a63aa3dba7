#pragma once
// The settled positions' one-line totals: quantity, profit and loss,
// commission, storage and other charges over every settlement.
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "state/session_view.h"

namespace views {

struct SettledTotals {
    static constexpr std::array<const char*, 5> kLabelKeys = {"0027", "0152", "0275", "0432", "0439"};
    // Summed in double: quantity, then the four money sums.
    std::array<double, 5> sums{};
};

SettledTotals settledTotals(const state::Orders& settled);

// Five "label : value" parts, each followed by five blanks (the last too);
// the quantity in its shortest plain text, money "%.2f" grouped. Nothing when
// a sum is not a number: the label keeps what it shows.
std::optional<std::string> settledTotalsText(const SettledTotals& totals,
                                             const std::function<std::string(const std::string&)>& text);

}  // namespace views
