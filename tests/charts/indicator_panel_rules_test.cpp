// The set of indicators a chart shows and the
// panel's boxes.
#include <gtest/gtest.h>

#include "charts/core/indicator_panel_rules.h"

namespace charts {
namespace {

TEST(IndicatorPanelRulesTest, AnyExactlyWhileSomethingIsShown) {
    using I = Indicator;
    struct Step {
        bool on;
        Indicator which;
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
        bool any;
    } cases[] = {
        {"sma and macd on, macd off", {{true, I::SMA}, {true, I::MACD}, {false, I::MACD}}, true},
        {"then sma off too", {{true, I::SMA}, {true, I::MACD}, {false, I::MACD}, {false, I::SMA}}, false},
        {"rsi replaces macd without its off, rsi off", {{true, I::MACD}, {true, I::RSI}, {false, I::RSI}}, false},
        {"an overlay stays beside a sub-graph one", {{true, I::EMA}, {true, I::RSI}, {true, I::CCI}, {false, I::CCI}}, true},
        {"an off of what is not shown", {{false, I::ATR}}, false},
    };
    for (const auto& c : cases) {
        IndicatorsShown shown;
        for (const Step& s : c.steps) s.on ? shown.on(s.which) : shown.off(s.which);
        EXPECT_EQ(shown.any(), c.any) << c.what;
    }
}

TEST(IndicatorPanelRulesTest, BoxesOverlaysAndKeys) {
    int overlays = 0;
    for (const PanelBox& box : panelBoxes()) {
        EXPECT_EQ(isOverlayTag(box.tag), describe(box.which).overlay);
        EXPECT_EQ(usesBottomPane(box.which), !isOverlayTag(box.tag));
        overlays += isOverlayTag(box.tag);
    }
    EXPECT_EQ(panelBoxes().size(), static_cast<std::size_t>(kIndicatorCount));
    EXPECT_EQ(overlays, 4);
    EXPECT_EQ(chartLoadKey(intervalOfTag(7), chartTypeOfTag(2)), "8#3");
}

}  // namespace
}  // namespace charts
