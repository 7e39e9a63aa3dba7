#include "shell/core/chart_panes.h"

namespace shell {

void ChartPanes::getChartSymbolDetails(const std::vector<std::string>& selectedSymbols) {
    if (selectedSymbols.empty()) return;
    for (std::size_t i = 0; i < panes_.size(); ++i) panes_[i] = {selectedSymbols.front(), kCandlestick, i + 1};
}

std::optional<std::size_t> ChartPanes::ReloadDataforChart(const std::vector<std::string>& object) {
    if (object.size() != 2) return std::nullopt;
    for (std::size_t i = 0; i < kIdentifiers.size(); ++i) {
        if (object[1] != kIdentifiers[i]) continue;
        panes_[i].itemDetails = object[0];
        return i;
    }
    return std::nullopt;
}

void ChartPanes::follow(std::size_t index, std::uint64_t chartType, std::uint64_t intervalType) {
    if (index >= panes_.size()) return;
    panes_[index].chartType = chartType;
    panes_[index].intervalType = intervalType;
}

}  // namespace shell
