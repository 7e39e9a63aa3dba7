#include "kit/core/chart_drop.h"

namespace kit {

ChartDrop chartDrop(const std::string& firstType, const std::optional<std::string>& text,
                    const std::string& paneIdentifier) {
    // not keyed: logged
    if (firstType != kPlainTextType) return {false, {}, "Error NSView performDragOperation"};
    if (!text) return {false, {}, "Error: NSView performDragOperation zPasteboardData == nil"};
    ChartDrop drop{true, {*text}, ""};
    if (!paneIdentifier.empty()) drop.object.push_back(paneIdentifier);
    return drop;
}

}  // namespace kit
