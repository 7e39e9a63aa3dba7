#include "app/core/chart_drop.h"

namespace app {

ChartDrop chartDrop(const std::string& firstType, const std::optional<std::string>& text,
                    const std::string& paneIdentifier) {
    if (firstType != kPlainTextType) return {false, {}, "Error NSView performDragOperation"};
    if (!text) return {false, {}, "Error: NSView performDragOperation zPasteboardData == nil"};
    ChartDrop drop{true, {*text}, ""};
    if (!paneIdentifier.empty()) drop.object.push_back(paneIdentifier);
    return drop;
}

}  // namespace app
