#include "views/cancelled_order_table_controller.h"

#include "kit/window_context.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "views/core/history_cells.h"
#include "views/position_table_support.h"
#include "kit/shown_text.h"

namespace views {

CancelledOrderTableController::CancelledOrderTableController(kit::WindowContext& context, QWidget* parent)
    : kit::TableControllerBase(
          Setup{kit::TableKind::CancelledOrders,
                positionTableColumns(cancelledOrderColumnIdentifiers(), cancelledColumnSort), context.language,
                &context.preferences, &context.sheets,
                [&commands = context.commands](const std::optional<std::vector<state::SortDescriptor>>& d) {
                    commands.sortCancelledOrderCollection(d);
                },
                &context.ticker},
          parent),
      context_(context) {
    setObjectName("cancelledOrderTableView");
    SetHeaderMenuItems();
    reloadTable();
}

int CancelledOrderTableController::takeSnapshot() {
    rows_.clear();
    const state::Orders cancelled = context_.view.getCancelledOrderCollection();
    rows_.reserve(cancelled.size());
    for (const auto& order : cancelled) rows_.push_back(lookUpRecords(context_.view, order));
    return static_cast<int>(rows_.size());
}

QVariant CancelledOrderTableController::cellData(int row, int column, int role) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
    const std::string& id = identifierOf(column);
    switch (role) {
        case Qt::DisplayRole:
            return kit::shownText(
                cancelledOrderCellText(id, rows_[std::size_t(row)], tableView()->columnWidth(column)));
        case Qt::TextAlignmentRole: return cellAlignment(id);
        default: return {};
    }
}

}  // namespace views
