#include "kit/core/label_value_rows.h"

namespace kit {

std::vector<LabelValueRow> labelValueRows(const std::vector<std::string>& lines) {
    constexpr char kSeparator = '\x03';
    std::vector<LabelValueRow> rows;
    rows.reserve(lines.size());
    for (const std::string& line : lines) {
        const std::size_t first = line.find(kSeparator);
        if (first == std::string::npos) continue;
        const std::size_t second = line.find(kSeparator, first + 1);
        const std::size_t valueEnd = second == std::string::npos ? line.size() : second;
        rows.push_back({line.substr(0, first), line.substr(first + 1, valueEnd - first - 1)});
    }
    return rows;
}

}  // namespace kit
