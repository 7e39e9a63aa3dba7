#pragma once
// Cell texts of the cancelled orders, settled positions and executed
// positions tables by column identifier, their columns and the state's sort
// behind each sortable header.
#include <optional>
#include <string>
#include <vector>

#include "state/session_view.h"
#include "views/core/position_records.h"

namespace views {

// Columns in table order.
const std::vector<std::string>& cancelledOrderColumnIdentifiers();
const std::vector<std::string>& settledPositionColumnIdentifiers();
const std::vector<std::string>& executedPositionColumnIdentifiers();

// The text of a cell; "" for an unknown identifier or a missing order.
// `columnWidth` is the date column's width in points: at 135 or narrower the
// time alone, and nothing for a date that does not read.
std::string cancelledOrderCellText(const std::string& identifier, const PositionRecords& row, double columnWidth);
std::string settledPositionCellText(const std::string& identifier, const PositionRecords& row, double columnWidth);
std::string executedPositionCellText(const std::string& identifier, const PositionRecords& row, double columnWidth);

// The state's sort behind a header of the cancelled or the settled table.
std::optional<state::SortDescriptor> cancelledColumnSort(const std::string& identifier);
std::optional<state::SortDescriptor> settledColumnSort(const std::string& identifier);

}  // namespace views
