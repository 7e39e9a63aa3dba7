#pragma once
// The main window's rules without a display: its split views and the tabs
// its toolbar selects.
#include <optional>
#include <string>
#include <string_view>

namespace shell {

// The split views of the main window, by identifier.
struct SplitViewRule {
    double minimum = 0.0;  // divider position limits
    double maximum = 0.0;
    bool firstPaneCollapsible = false;
    bool dividerHidden = false;
};
// "1001" is fixed at `leftFrameWidth`.
SplitViewRule splitViewRule(std::string_view identifier, double leftFrameWidth);

// The tab a toolbar item selects: its identifier read as an index.
std::optional<int> toolbarTabIndex(const std::string& identifier, int tabCount);

}  // namespace shell
