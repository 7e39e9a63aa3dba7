#include "views/core/journal_rows.h"

namespace views {

std::string_view journalCell(std::string_view line, std::string_view identifier) {
    constexpr std::string_view kSeparator = "#$#";
    const std::size_t first = line.find(kSeparator);
    if (identifier == kJournalTimeColumn) return line.substr(0, first);
    if (identifier != kJournalTextColumn || first == std::string_view::npos) return {};
    const std::size_t from = first + kSeparator.size();
    const std::size_t second = line.find(kSeparator, from);
    return line.substr(from, second == std::string_view::npos ? std::string_view::npos : second - from);
}

}  // namespace views
