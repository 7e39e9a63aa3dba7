#pragma once
// The chart windows, registered by name.
namespace kit {
class WindowRegistry;
}

namespace charts {

// The name the chart window is registered and opened by.
inline constexpr const char* kChartWindow = "ChartWindowController";

void registerWindows(kit::WindowRegistry& registry);

}  // namespace charts
