#pragma once
// Texts of the chart: x labels by interval and the crosshair's value box.
#include <string>

#include "charts/core/chart_bars.h"

namespace charts {

// "MM/dd/yy" and "HH:mm:ss" written as "dd MMM yyyy" (codes "D", "W"),
// "HH:mm:ss" ("T", "BA") or "dd MMM HH:mm"; empty when they do not parse.
std::string DateandTimeFormatting(const std::string& date, const std::string& time, const std::string& intervalCode);

// "<label>\nHigh: h\nLow: l\nOpen: o\nClose: c" of `row` with `decimals`
// places; a value the row does not hold stays empty.
std::string crosshairText(const ChartBars& bars, long long row, int decimals, const std::string& intervalCode);

// A price with exactly `decimals` places (2 when 0 is given, as the formatter does).
std::string priceText(double value, int decimals);

}  // namespace charts
