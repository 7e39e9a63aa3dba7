#pragma once
// The columns the close-all sheet and its status sheet share, and their views'
// settings.
#include <QStringList>
#include <QTableView>
#include <array>
#include <string>
#include <vector>

namespace trading {

// Account, position, instrument, side, quantity, price, status.
inline constexpr std::array<const char*, 7> kStatusColumns = {"0012", "0317", "0011", "0020", "0027", "0143", "0514"};

// The column titles from the keys (" " for "0").
QStringList closeTableTitles(const std::vector<std::string>& identifiers, std::int64_t language);
// 12-point rows, no editing, no selection, wrapped texts, widths fitted to a
// sample of the rows.
void setUpCloseView(QTableView& table);
// Columns from `first` on at their `widths` plus an equal share of the width the
// view has to spare; nothing when `widths` does not match the columns.
void spreadColumns(QTableView& table, const std::vector<int>& widths, int first);
// The rows in sight fitted to their wrapped texts, once per turn of the event
// loop, whenever the rows, a column's width, the view's size or the scroll
// place change: a long table never measures every row.
void keepRowsInSightFitted(QTableView& table);

}  // namespace trading
