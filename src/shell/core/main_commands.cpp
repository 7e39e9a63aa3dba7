#include "shell/core/main_commands.h"

#include <charconv>

namespace shell {

SplitViewRule splitViewRule(std::string_view identifier, double leftFrameWidth) {
    if (identifier == "1000") return {330.0, 900.0, false, false};
    if (identifier == "1001") return {leftFrameWidth, leftFrameWidth, true, true};
    return {};
}

std::optional<int> toolbarTabIndex(const std::string& identifier, int tabCount) {
    int index = 0;
    const char* end = identifier.data() + identifier.size();
    const auto [ptr, error] = std::from_chars(identifier.data(), end, index);
    if (error != std::errc() || ptr != end || identifier.empty() || index < 0 || index >= tabCount) return std::nullopt;
    return index;
}

}  // namespace shell
