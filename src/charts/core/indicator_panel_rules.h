#pragma once
// The rules of the chart hosts that need no window: the indicator panel's
// boxes in their order (the overlays tagged 1001 to 1004 and free, the
// sub-graph ones exclusive), the set of indicators a chart shows, and the
// tags of the hosts' menus.
#include <string>
#include <vector>

#include "charts/core/indicator_table.h"

namespace charts {

struct PanelBox {
    Indicator which;
    int tag;  // 1001 to 1004 for the overlays, 0 for the others
};
// The panel's boxes from top to bottom.
const std::vector<PanelBox>& panelBoxes();
bool isOverlayTag(int tag);

// What a chart shows. An overlay's "on" adds it; a sub-graph indicator's "on"
// replaces the sub-graph one held (the panel unticks the other box without an
// "off"); an "off" removes its own.
class IndicatorsShown {
public:
    void on(Indicator which);
    void off(Indicator which);
    void clear() { shown_.clear(); }
    bool contains(Indicator which) const;
    bool any() const { return !shown_.empty(); }
    const std::vector<Indicator>& all() const { return shown_; }

private:
    std::vector<Indicator> shown_;
};

// Whether the indicator's "on" opens the bottom pane and its "off" closes it.
inline bool usesBottomPane(Indicator which) { return !describe(which).overlay; }

// Menus of the chart pane: type tags 0 to 2 are types 1 to 3, interval tags 0
// to 7 are interval indexes 1 to 8; the theme tag is the theme.
inline int chartTypeOfTag(int tag) { return tag + 1; }
inline int intervalOfTag(int tag) { return tag + 1; }
// "interval#type", the chart's load key.
std::string chartLoadKey(long long interval, long long type);

// The chart window's lists: interval titles of indexes 1 to 8 with their language keys, language keys of the
// titles of types 1 to 3 with their images.
const std::vector<std::string>& windowIntervalTitles();
const std::vector<std::string>& windowIntervalTitleKeys();
const std::vector<std::string>& windowChartTypeKeys();
const std::vector<std::string>& windowChartTypeImages();

}  // namespace charts
