#pragma once
// The open positions' totals bar, the row-menu rules of both tables and the
// decision of the close action.
#include <array>
#include <optional>
#include <string>
#include <vector>

#include "state/session_view.h"
#include "views/core/position_records.h"

namespace views {

// Permission bits.
namespace permission {
constexpr std::int32_t kBuy = 0x01;       // availableOrderSettings
constexpr std::int32_t kSell = 0x02;
constexpr std::int32_t kDelivery = 0x04;
constexpr std::int32_t kBracket = 0x06;   // availableOrderTypes: take profit or stop loss
constexpr std::int32_t kClose = 0x20;
}  // namespace permission

// The five figures of the totals bar, in order: quantity, profit and loss,
// commission, margin, storage.
struct PositionTotals {
    static constexpr std::array<const char*, 5> kLabelKeys = {"0027", "0319", "0275", "0128", "0432"};
    std::array<std::string, 5> values;
};
// Quantity: the exact sum in its shortest plain text ("12345678", "1.5");
// money: "%.2f" grouped ("1,234.50"). The margin of every position is
// computed here, whether or not its cell was drawn.
PositionTotals positionTotals(const std::vector<PositionRecords>& rows);
// One row's share of the totals, kept per row so that a tick re-sums without
// recomputing the rows it did not change.
struct PositionSums {
    bool counted = false;  // a row with a position
    bool hasMargin = false;
    double quantity = 0, margin = 0, profit = 0, commission = 0, storage = 0;
};
PositionSums positionSums(const PositionRecords& row);
// The same totals from the rows' shares, in row order.
PositionTotals positionTotals(const std::vector<PositionSums>& rows);

// A sum of quantities in its shortest plain text ("12345678", "0.3", never
// scientific); money "%.2f" grouped ("1,234.50"). "" for a sum that is not a number.
std::string quantitySumText(double sum);
std::string moneyText(double sum);

struct OpenPositionMenu {
    bool modify = false;
    bool close = false;
    bool offset = false;
    bool receipt = false;
};
// Modify and close when buying and selling are allowed (modify: account and
// instrument share a bracket bit; close: both have 0x20); else the receipt
// when buying with delivery is; offset when `open` holds an opposite position
// of the same account, instrument and delivery mode.
OpenPositionMenu openPositionMenu(const PositionRecords& row, const state::Orders& open);

// The pending table's two entry titles by order type: Limit "0254", "0252";
// Stop "0255", "0253"; any other type: no entries. The first entry edits,
// the second cancels.
struct PendingMenuTitles {
    const char* edit;
    const char* cancel;
};
std::optional<PendingMenuTitles> pendingOrderMenu(std::int32_t orderType);

// The state's sort behind a column's header; none for the close price and margin.
std::optional<state::SortDescriptor> positionColumnSort(const std::string& identifier);

enum class CloseDecision { Nothing, Covered, OpenDialog };
// Nothing unless the group allows buying and selling; Covered when the
// pending closing orders (LiqudateOrderNumber = OpenPositionId) sum exactly
// to RemainingQty; else the dialog.
CloseDecision closeDecision(const PositionRecords& row, const state::Orders& pending);

}  // namespace views
