#include "views/pending_order_table_controller.h"

#include "kit/window_context.h"
#include "kit/window_opener.h"
#include "kit/core/preference_manager.h"
#include "model/language_string.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "views/core/position_cells.h"
#include "views/core/position_rules.h"
#include "views/position_table_support.h"
#include "kit/shown_text.h"

namespace views {

PendingOrderTableController::PendingOrderTableController(kit::WindowContext& context, QWidget* parent)
    : kit::TableControllerBase(
          Setup{kit::TableKind::PendingOrders, positionTableColumns(pendingOrderColumnIdentifiers()), context.language,
                &context.preferences, &context.sheets,
                [&commands = context.commands](const std::optional<std::vector<state::SortDescriptor>>& d) {
                    commands.sortPendingOrderCollection(d);
                },
                &context.ticker},
          parent),
      context_(context) {
    setObjectName("pendingOrderTableView");
    rowMenu_ = new QMenu(this);
    rowMenu_->setObjectName("PendingOrderMenu");
    editEntry_ = rowMenu_->addAction(QString());
    cancelEntry_ = rowMenu_->addAction(QString());
    connect(editEntry_, &QAction::triggered, this, [this] { editOrderButtonClicked(clickedRow_); });
    connect(cancelEntry_, &QAction::triggered, this, [this] { cancelOrderButtonClicked(clickedRow_); });
    kit::attachRowMenu(*tableView(), [this](int row) { return prepareRowMenu(row); });
    SetHeaderMenuItems();
    reloadTable();
}

std::string PendingOrderTableController::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language, model::LanguageString::setLanguageKey(key));
}

int PendingOrderTableController::takeSnapshot() {
    rows_.clear();
    const state::Orders pending = context_.view.getPendingOrderCollection();
    rows_.reserve(pending.size());
    for (const auto& order : pending) rows_.push_back(lookUpRecords(context_.view, order));
    return static_cast<int>(rows_.size());
}

QVariant PendingOrderTableController::cellData(int row, int column, int role) const {
    if (row < 0 || row >= static_cast<int>(rows_.size()) || !rows_[std::size_t(row)].order) return {};
    const std::string& id = identifierOf(column);
    switch (role) {
        case Qt::DisplayRole:
            return kit::shownText(
                pendingOrderCellText(id, rows_[std::size_t(row)], tableView()->columnWidth(column)));
        case Qt::TextAlignmentRole: return cellAlignment(id);
        default: return {};
    }
}

QMenu* PendingOrderTableController::prepareRowMenu(int row) {
    clickedRow_ = row;
    menuNeedsUpdate(*rowMenu_, row);
    return rowMenu_;
}

const PositionRecords* PendingOrderTableController::currentRow(int row) const {
    const state::SessionView* session = &context_.view;
    if (row < 0 || row >= static_cast<int>(rows_.size())) return nullptr;
    // The dialogs read the row of the state's current list: it must still be this order.
    const state::Orders pending = session->getPendingOrderCollection();
    if (std::size_t(row) >= pending.size() || pending[std::size_t(row)] != rows_[std::size_t(row)].order) return nullptr;
    return &rows_[std::size_t(row)];
}

void PendingOrderTableController::showRowMenuEntries(QMenu&, int row) {
    const PositionRecords* r = currentRow(row);
    if (!r) return;
    const auto titles = pendingOrderMenu(r->order->orderType);
    if (!titles) return;
    editEntry_->setText(kit::shownText(text(titles->edit)));
    cancelEntry_->setText(kit::shownText(text(titles->cancel)));
    editEntry_->setVisible(true);
    cancelEntry_->setVisible(true);
    const kit::OpenRequest request = kit::recordRequest(r->order->PendingOrderId, kit::kPendingMode);
    editEntry_->setEnabled(context_.opener.canOpenWindow(kEditDialog, request));
    cancelEntry_->setEnabled(context_.opener.canOpenWindow(kCancelDialog, request));
}

void PendingOrderTableController::cancelOrderButtonClicked(int row) {
    if (const PositionRecords* r = currentRow(row))
        context_.opener.openWindow(kCancelDialog, kit::recordRequest(r->order->PendingOrderId, kit::kPendingMode));
}

void PendingOrderTableController::editOrderButtonClicked(int row) {
    if (const PositionRecords* r = currentRow(row))
        context_.opener.openWindow(kEditDialog, kit::recordRequest(r->order->PendingOrderId, kit::kPendingMode));
}

}  // namespace views
