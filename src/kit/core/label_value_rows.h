#pragma once
// Label and value pairs from lines that hold "label<0x03>value".
#include <string>
#include <string_view>
#include <vector>

namespace kit {

struct LabelValueRow {
    std::string label;
    std::string value;
};

// Each line is split at every 0x03: the first part is the label, the second its
// value, any further part is dropped. A line without 0x03 adds no row.
std::vector<LabelValueRow> labelValueRows(const std::vector<std::string>& lines);

}  // namespace kit
