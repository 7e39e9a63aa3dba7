#pragma once
// Texts of the chart: x labels by interval and the crosshair's value box.
#include <string>

#include "charts/core/chart_bars.h"
#include "model/month_names.h"

namespace charts {

// The words of the chart's texts in the selected language: month names and
// the value box's field names; English where the table has no entry.
struct ChartWords {
    model::MonthNames months = model::englishMonthNames();
    std::string high = "High", low = "Low", open = "Open", close = "Close";

    // `text` answers a key with the table's entry, or with the key itself when the table lacks it.
    static ChartWords of(const std::function<std::string(const std::string&)>& text);
};

// "MM/dd/yy" and "HH:mm:ss" written as "dd MMM yyyy" (codes "D", "W"),
// "HH:mm:ss" ("T", "BA") or "dd MMM HH:mm"; empty when they do not parse.
std::string DateandTimeFormatting(const std::string& date, const std::string& time, const std::string& intervalCode,
                                  const ChartWords& words = {});

// "<label>\nHigh: h\nLow: l\nOpen: o\nClose: c" of `row` with `decimals`
// places; a value the row does not hold stays empty.
std::string crosshairText(const ChartBars& bars, long long row, int decimals, const std::string& intervalCode,
                          const ChartWords& words = {});

// A price with exactly `decimals` places (2 when 0 is given, as the formatter does).
std::string priceText(double value, int decimals);

}  // namespace charts
