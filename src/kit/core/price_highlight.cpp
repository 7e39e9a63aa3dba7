#include "kit/core/price_highlight.h"

#include <algorithm>

namespace kit {

std::vector<PriceRun> priceHighlightRuns(const std::string& price, int mostSignificant,
                                         int leastSignificant) {
    const auto point = price.find('.');
    std::string digits;
    std::copy_if(price.begin(), price.end(), std::back_inserter(digits), [](char c) { return c != '.'; });
    const auto n = static_cast<long>(digits.size());
    const long m = std::max(mostSignificant, 0);
    const long l = std::max(leastSignificant, 0);

    std::vector<PriceFigure> figures(digits.size(), PriceFigure::Base);
    if (m + l <= n) {
        for (long i = n - (m + l); i < n - l; ++i) figures[i] = PriceFigure::Big;
        for (long i = n - l; i < n; ++i) figures[i] = PriceFigure::Small;
    }
    if (point != std::string::npos) {
        digits.insert(digits.begin() + static_cast<long>(point), '.');
        figures.insert(figures.begin() + static_cast<long>(point), PriceFigure::Point);
    }

    std::vector<PriceRun> runs;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (runs.empty() || runs.back().figure != figures[i]) runs.push_back({"", figures[i]});
        runs.back().text += digits[i];
    }
    return runs;
}

}  // namespace kit
