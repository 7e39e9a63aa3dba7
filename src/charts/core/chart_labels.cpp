#include "charts/core/chart_labels.h"

#include "model/formatter.h"

namespace charts {

std::string DateandTimeFormatting(const std::string& date, const std::string& time, const std::string& intervalCode) {
    static const model::DateFormatter source("MM/dd/yy HH:mm:ss");
    const auto fields = source.fieldsFromString(date + " " + time);
    if (!fields) return {};
    const char* pattern = "dd MMM HH:mm";
    if (intervalCode == "D" || intervalCode == "W")
        pattern = "dd MMM yyyy";
    else if (intervalCode == "T" || intervalCode == "BA")
        pattern = "HH:mm:ss";
    return model::DateFormatter(pattern).stringFromFields(*fields);
}

std::string priceText(double value, int decimals) { return model::Formatter::formatDecimal(value, decimals); }

std::string crosshairText(const ChartBars& bars, long long row, int decimals, const std::string& intervalCode) {
    auto number = [&](const std::vector<double>& column) {
        const auto v = ChartBars::value(column, row);
        return v ? priceText(*v, decimals) : std::string();
    };
    return DateandTimeFormatting(ChartBars::text(bars.date, row), ChartBars::text(bars.time, row), intervalCode) +
           "\nHigh: " + number(bars.high) + "\nLow: " + number(bars.low) + "\nOpen: " + number(bars.open) +
           "\nClose: " + number(bars.Symdata);
}

}  // namespace charts
