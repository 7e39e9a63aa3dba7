#pragma once
// The price with big figures: which characters take the base, big or small font.
#include <string>
#include <vector>

namespace kit {

enum class PriceFigure { Base, Big, Small, Point };

struct PriceRun {
    std::string text;
    PriceFigure figure;
};

// `price` with its points removed, the m figures before the last l enlarged,
// the last l reduced, and the first point put back where it stood. With fewer
// figures than m + l every figure stays in the base font.
std::vector<PriceRun> priceHighlightRuns(const std::string& price, int mostSignificant,
                                         int leastSignificant);

inline double bigPriceFontSize(double base) { return base + 12.0; }
inline double smallPriceFontSize(double base) { return base / 1.5; }
// How far the small figures are raised.
inline double smallFigureRise(double bigCapHeight, double smallCapHeight) {
    return bigCapHeight - 0.5 * smallCapHeight;
}

}  // namespace kit
