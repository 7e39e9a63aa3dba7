#pragma once
// The texts of the market-depth tables: at most five levels a side, each
// level "price,quantity".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace trading {

inline constexpr std::size_t kDepthRows = 5;

// The number of rows for a side's levels (null: no depth), capped at five.
std::size_t depthRowCount(const std::vector<std::string>* levels);

enum class DepthColumn { Price, Quantity, Other };

// The cell text: the price with `decimals` places, the quantity as received;
// empty for a missing row, a level without a comma or a price that is no number.
std::string depthCellText(const std::vector<std::string>* levels, std::size_t row, DepthColumn column,
                          std::int32_t decimals);

}  // namespace trading
