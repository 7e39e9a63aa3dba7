#pragma once
// What the main window's four small chart panes show: instrument, chart type
// and interval, by pane identifier "Chart1" to "Chart4".
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace shell {

struct ChartPaneSettings {
    std::string itemDetails;    // instrument code; empty: nothing yet
    std::uint64_t chartType = 0;
    std::uint64_t intervalType = 0;
};

class ChartPanes {
public:
    static constexpr std::array<const char*, 4> kIdentifiers = {"Chart1", "Chart2", "Chart3", "Chart4"};
    static constexpr std::uint64_t kCandlestick = 3;

    // The first watchlist code in every pane, candlesticks, intervals 1 to 4;
    // nothing without codes.
    void getChartSymbolDetails(const std::vector<std::string>& selectedSymbols);
    // A dropped [code, pane identifier]: that pane changes its instrument and
    // keeps its type and interval. Answers the pane's index, nothing when the
    // object is not such a pair or names no pane.
    std::optional<std::size_t> ReloadDataforChart(const std::vector<std::string>& object);

    // The pane's own type and interval, as its menus left them.
    void follow(std::size_t index, std::uint64_t chartType, std::uint64_t intervalType);

    const ChartPaneSettings& pane(std::size_t index) const { return panes_.at(index); }

private:
    std::array<ChartPaneSettings, 4> panes_;
};

}  // namespace shell
