#pragma once
// What a chart pane does with a drop: only plain text is taken.
#include <optional>
#include <string>
#include <vector>

namespace kit {

struct ChartDrop {
    bool accepted = false;
    std::vector<std::string> object;  // [text, pane identifier] to post when accepted
    std::string error;                // logged when refused
};

// `firstType` is the first of plain text and file names that the drop offers.
ChartDrop chartDrop(const std::string& firstType, const std::optional<std::string>& text,
                    const std::string& paneIdentifier);

constexpr const char* kPlainTextType = "text/plain";

}  // namespace kit
