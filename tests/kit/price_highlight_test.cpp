#include "kit/core/price_highlight.h"

#include <gtest/gtest.h>

namespace kit {
namespace {

using F = PriceFigure;

std::string describe(const std::vector<PriceRun>& runs) {
    std::string out;
    for (const auto& r : runs) {
        const char* tag = r.figure == F::Base ? "b" : r.figure == F::Big ? "B" : r.figure == F::Small ? "s" : "p";
        out += std::string(tag) + ":" + r.text + " ";
    }
    return out;
}

TEST(PriceHighlight, Figures) {
    struct Case {
        const char* price;
        int m, l;
        const char* runs;
    } cases[] = {
        {"1.23456", 2, 1, "b:1 p:. b:23 B:45 s:6 "},
        {"1850", 2, 1, "b:1 B:85 s:0 "},
        {"1.2", 2, 1, "b:1 p:. b:2 "},  // fewer figures than m + l: all base
        {"12.5", 3, 0, "B:12 p:. B:5 "},
        {"0.91", 0, 0, "b:0 p:. b:91 "},
        {"1.2.3", 1, 1, "b:1 p:. B:2 s:3 "},  // only the first point comes back
        {"", 2, 1, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(describe(priceHighlightRuns(c.price, c.m, c.l)), c.runs) << c.price;
}

TEST(PriceHighlight, Sizes) {
    EXPECT_DOUBLE_EQ(bigPriceFontSize(12), 24);
    EXPECT_DOUBLE_EQ(smallPriceFontSize(12), 8);
    EXPECT_DOUBLE_EQ(smallFigureRise(17, 6), 14);
}

}  // namespace
}  // namespace kit
