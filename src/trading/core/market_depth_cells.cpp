#include "trading/core/market_depth_cells.h"

#include <algorithm>

#include "model/decimal.h"
#include "model/formatter.h"

namespace trading {

std::size_t depthRowCount(const std::vector<std::string>* levels) {
    return levels ? std::min(levels->size(), kDepthRows) : 0;
}

std::string depthCellText(const std::vector<std::string>* levels, std::size_t row, DepthColumn column,
                          std::int32_t decimals) {
    if (!levels || row >= levels->size() || column == DepthColumn::Other) return {};
    const std::string& level = (*levels)[row];
    const auto comma = level.find(',');
    if (comma == std::string::npos) return {};
    if (column == DepthColumn::Quantity) return level.substr(comma + 1);
    const auto price = model::Decimal::fromString(level.substr(0, comma));
    if (!price || price->isNaN()) return {};
    return model::Formatter::formatDecimal(price->toDouble(), decimals);
}

}  // namespace trading
