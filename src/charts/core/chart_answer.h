#pragma once
// The chart-data answer: "<x~KEY~...>" then six "#"-separated sections of
// ","-separated values (dates, times, closes, highs, lows, opens), "<END>".
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "charts/core/chart_bars.h"

namespace charts {

// The key of an answer: the header from its second character up to the first
// ">", split at "~", element 1. Nothing when the header has no ">" or no "~".
std::optional<std::string> chartKeyOfAnswer(std::string_view answer);

// A price text as a number: its leading decimal number, 0 when it has none.
double chartNumber(std::string_view text);

// Empties `bars` and fills it from an answer whose tags were removed. Returns
// the number of closes stored (0: no closes, the window stays as it was).
std::size_t parseChartAnswer(std::string_view text, ChartBars& bars);

}  // namespace charts
