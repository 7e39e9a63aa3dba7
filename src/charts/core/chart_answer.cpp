#include "charts/core/chart_answer.h"

#include <charconv>
#include <cmath>

namespace charts {

std::optional<std::string> chartKeyOfAnswer(std::string_view answer) {
    if (answer.size() < 2) return std::nullopt;
    const std::size_t close = answer.find('>', 1);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view header = answer.substr(1, close - 1);
    const std::size_t first = header.find('~');
    if (first == std::string_view::npos) return std::nullopt;
    const std::string_view rest = header.substr(first + 1);
    return std::string(rest.substr(0, rest.find('~')));
}

double chartNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '+')) text.remove_prefix(1);
    double v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    (void)end;
    if (ec != std::errc() || !std::isfinite(v)) return 0;
    return v;
}

namespace {

template <typename Each>
void eachValue(std::string_view section, Each each) {
    std::size_t row = 0;
    std::size_t start = 0;
    while (start <= section.size()) {
        std::size_t comma = section.find(',', start);
        if (comma == std::string_view::npos) comma = section.size();
        const std::string_view piece = section.substr(start, comma - start);
        if (!piece.empty()) {
            if (row >= ChartBars::kMaxBars) return;
            each(row++, piece);
        }
        start = comma + 1;
    }
}

}  // namespace

std::size_t parseChartAnswer(std::string_view text, ChartBars& bars) {
    bars.clear();
    std::size_t section = 0;
    std::size_t closes = 0;
    std::size_t start = 0;
    while (section < 6 && start <= text.size()) {
        std::size_t hash = text.find('#', start);
        if (hash == std::string_view::npos) hash = text.size();
        std::string_view piece = text.substr(start, hash - start);
        start = hash + 1;
        const std::size_t number = section++;
        if (number >= 2) piece = piece.substr(0, piece.find("<END>"));
        if (piece.empty()) continue;
        switch (number) {
            case 0:
                eachValue(piece, [&](std::size_t r, std::string_view v) { ChartBars::put(bars.date, r, std::string(v)); });
                break;
            case 1:
                eachValue(piece, [&](std::size_t r, std::string_view v) { ChartBars::put(bars.time, r, std::string(v)); });
                break;
            case 2:
                eachValue(piece, [&](std::size_t r, std::string_view v) {
                    const double c = chartNumber(v);
                    for (auto* col : {&bars.Symdata, &bars.biddata, &bars.askdata}) ChartBars::put(*col, r, c);
                    closes = r + 1;
                });
                break;
            case 3:
                eachValue(piece, [&](std::size_t r, std::string_view v) {
                    ChartBars::put(bars.high, r, chartNumber(v));
                    ChartBars::put(bars.bidPriceData, r, chartNumber(v));
                });
                break;
            case 4:
                eachValue(piece, [&](std::size_t r, std::string_view v) {
                    ChartBars::put(bars.low, r, chartNumber(v));
                    ChartBars::put(bars.askPriceData, r, chartNumber(v));
                });
                break;
            default:
                eachValue(piece, [&](std::size_t r, std::string_view v) { ChartBars::put(bars.open, r, chartNumber(v)); });
                break;
        }
    }
    return closes;
}

}  // namespace charts
