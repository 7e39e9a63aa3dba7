#pragma once
// What the open positions and pending orders tables share: their columns,
// alignment and colours.
#include <QFont>
#include <QTableView>
#include <QVariant>
#include <functional>
#include <string>
#include <vector>

#include "kit/table_controller_base.h"

class QMenu;

namespace views {

// Widths and sorts of the columns, in the given order; `sortOf` gives each
// column's sort (the position tables' by default).
std::vector<kit::TableColumn> positionTableColumns(
    const std::vector<std::string>& identifiers,
    const std::function<std::optional<state::SortDescriptor>(const std::string&)>& sortOf = nullptr);
// Numbers right, texts left.
QVariant cellAlignment(const std::string& identifier);
// Below 0 red (230, 0, 38), else green (0, 0.6, 0).
QColor profitLossColor(double value);
// Digits of one width, so totals do not jitter.
QFont figuresFont(const QFont& base);

}  // namespace views
