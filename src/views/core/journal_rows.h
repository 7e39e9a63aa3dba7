#pragma once
// The journal's rows: newest first, each line split at "#$#" into its time
// and its text.
#include <cstddef>
#include <string>
#include <string_view>

namespace views {

inline constexpr const char* kJournalTimeColumn = "0153";
inline constexpr const char* kJournalTextColumn = "0157";

// The line shown in `row` of `count` lines appended oldest first.
inline std::size_t journalLineIndex(std::size_t row, std::size_t count) { return count - 1 - row; }

// The column's piece of the line: "0153" before the first "#$#", "0157"
// between the first and the second; "" for other columns or a missing piece.
std::string_view journalCell(std::string_view line, std::string_view identifier);

}  // namespace views
