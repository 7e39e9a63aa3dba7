#include "charts/core/chart_labels.h"

#include <utility>

#include "model/formatter.h"

namespace charts {

ChartWords ChartWords::of(const std::function<std::string(const std::string&)>& text) {
    ChartWords words;
    if (!text) return words;
    words.months = model::monthNamesOf(text);
    for (auto [word, key] : {std::pair{&words.high, "0195"}, std::pair{&words.low, "0196"},
                             std::pair{&words.open, "10987"}, std::pair{&words.close, "90759"}}) {
        const std::string entry = text(key);
        if (!entry.empty() && entry != key) *word = entry;
    }
    return words;
}

std::string DateandTimeFormatting(const std::string& date, const std::string& time, const std::string& intervalCode,
                                  const ChartWords& words) {
    static const model::DateFormatter source("MM/dd/yy HH:mm:ss");
    const auto fields = source.fieldsFromString(date + " " + time);
    if (!fields) return {};
    const char* pattern = "dd MMM HH:mm";
    if (intervalCode == "D" || intervalCode == "W")
        pattern = "dd MMM yyyy";
    else if (intervalCode == "T" || intervalCode == "BA")
        pattern = "HH:mm:ss";
    return model::formatWithMonthNames(*fields, pattern, words.months);
}

std::string priceText(double value, int decimals) { return model::Formatter::formatDecimal(value, decimals); }

std::string crosshairText(const ChartBars& bars, long long row, int decimals, const std::string& intervalCode,
                          const ChartWords& words) {
    auto number = [&](const std::vector<double>& column) {
        const auto v = ChartBars::value(column, row);
        return v ? priceText(*v, decimals) : std::string();
    };
    return DateandTimeFormatting(ChartBars::text(bars.date, row), ChartBars::text(bars.time, row), intervalCode, words) +
           "\n" + words.high + ": " + number(bars.high) + "\n" + words.low + ": " + number(bars.low) + "\n" +
           words.open + ": " + number(bars.open) + "\n" + words.close + ": " + number(bars.Symdata);
}

}  // namespace charts
