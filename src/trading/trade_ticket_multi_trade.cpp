// The ticket's multi-account drawer: which accounts get a row, ticking,
// quantities per row and for every ticked row through the header, the margin
// column at each tick, and the per-account text of the bulk order.
#include <QHeaderView>
#include <QLineEdit>
#include <algorithm>

#include "kit/controls/table_header_cell.h"
#include "model/item_details.h"
#include "orders/order_mananger.h"
#include "state/session_view.h"
#include "trading/core/ticket_quantities.h"
#include "trading/multi_trade_table_model.h"
#include "trading/trade_ticket_window_controller.h"
#include "kit/shown_text.h"

namespace trading {

const MultiTradeRows& TradeTicketWindowController::multiTradeRows() const { return multiTradeModel_->rows(); }

void TradeTicketWindowController::checkMultiTradeisAvailable() {
    const Accounts accounts = getAccountCollection();
    if (!multiTradeOffered(accounts)) {
        multitradeButton->hide();
        return;
    }
    multitradeButton->show();
    LoadMultiAccountDetails();
    multitradeTableView->clearSelection();
    multiTradeModel_->setHeaderTitles();
}

void TradeTicketWindowController::LoadMultiAccountDetails() {
    closeHeaderEditor();
    multiTradeModel_->reset(multiTradeAccounts(getAccountCollection(), DeviationCheckBox->isChecked()));
    // New rows start at 0: the quantity box shows their total, not the old one.
    if (toggleMultiTrade_) showQuantity(multiTradeRows().total());
}

void TradeTicketWindowController::checkandloadOrderTypesforMultiAccount(const std::string& orderTypeName) {
    if (!toggleMultiTrade_) return;
    closeHeaderEditor();
    MultiTradeChoice choice;
    choice.orderType = orderTypeName;
    choice.takeProfit = TakeProfitCheckBox->isChecked();
    choice.stopLoss = StopLossCheckBox->isChecked();
    choice.deviation = DeviationCheckBox->isChecked();
    multiTradeModel_->reset(
        multiTradeAccounts(getAccountCollection(), itemDetails_ ? itemDetails_->availableOrderTypes : 0, choice));
    multiAccountSelectAllCheckBox->setChecked(false);
    showQuantity(multiTradeRows().total());
    RefreshMultiTradeTableview();
}

void TradeTicketWindowController::DisableControlsonMultiTrade() {
    AccountComboBox->setEnabled(!toggleMultiTrade_);
    QuantityComboBox->setEnabled(!toggleMultiTrade_);
    if (toggleMultiTrade_) multiAccountSelectAllCheckBox->setChecked(false);
}

void TradeTicketWindowController::RefreshMultiTradeTableview() {
    if (!toggleMultiTrade_) return;
    const auto s = session();
    if (!s) return;
    Accounts accounts;
    for (std::size_t i = 0; i < multiTradeRows().size(); ++i) accounts.push_back(multiTradeRows().row(i).accountDet);
    multiTradeModel_->setMargins(availableMargins(accounts, s->getOpenOrderCollection(),
                                                  [&s](const std::string& id) { return s->group(id); }));
    fitMarginColumn();
}

void TradeTicketWindowController::fitMarginColumn() {
    QHeaderView* header = multitradeTableView->horizontalHeader();
    int others = 0;
    for (int c = 0; c < MultiTradeTableModel::kMargin; ++c) others += header->sectionSize(c);
    const int room = multitradeTableView->viewport()->width() - others;
    const int figure = static_cast<const QAbstractItemView*>(multitradeTableView)->sizeHintForColumn(MultiTradeTableModel::kMargin);
    // A figure wider than the room widens the drawer (and the window) first; past
    // twice its width the table scrolls sideways.
    if (figure > room && leftDrawer->isVisible() && leftDrawer->width() < 2 * kMultiTradeDrawerWidth) {
        leftDrawer->setFixedWidth(std::min(2 * kMultiTradeDrawerWidth, leftDrawer->width() + figure - room));
        resizeForDrawers();
        return;  // the view's resize fits the column
    }
    const int wanted = std::max(room, figure);
    if (header->sectionSize(MultiTradeTableModel::kMargin) != wanted)
        header->resizeSection(MultiTradeTableModel::kMargin, wanted);
}

void TradeTicketWindowController::hitCheckbox(int row) {
    if (row < 0 || row >= multiTradeModel_->rowCount()) return;
    multiTradeModel_->setData(multiTradeModel_->index(row, MultiTradeTableModel::kCheck), Qt::Checked,
                              Qt::CheckStateRole);
}

void TradeTicketWindowController::selectAllMultiAccountCheckBoxClicked() {
    closeHeaderEditor();
    multiTradeModel_->rows().selectAll(multiAccountSelectAllCheckBox->isChecked());
    multiTradeModel_->reload();
}

void TradeTicketWindowController::QuantitySelectedAtIndex(int row, const std::string& text) {
    if (row < 0 || row >= multiTradeModel_->rowCount()) return;
    multiTradeModel_->rows().setQuantity(static_cast<std::size_t>(row), numberOfText(text));
    multiTradeModel_->reload();
    showQuantity(multiTradeRows().total());
}

void TradeTicketWindowController::showQuantity(double quantity) {
    QuantityComboBox->setEditText(kit::shownText(plainNumberText(quantity)));
    calculateContarctValueforQuantity(quantity);
}

void TradeTicketWindowController::doubleClickInTableViewHeader(int column) {
    if (column != MultiTradeTableModel::kQuantity || multiTradeRows().ticks().size() < 2) return;
    closeHeaderEditor();
    QHeaderView* header = multitradeTableView->horizontalHeader();
    auto* editor = new kit::TableHeaderCell(header->viewport());
    editor->setObjectName("multiTradeHeaderEditor");
    QPalette palette = editor->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    editor->setPalette(palette);
    editor->setGeometry(header->sectionViewportPosition(column), 0, header->sectionSize(column), header->height());
    editor->show();
    editor->setFocus();
    headerEditor_ = editor;
}

void TradeTicketWindowController::closeHeaderEditor() {
    if (!headerEditor_) return;
    QLineEdit* editor = headerEditor_;
    headerEditor_.clear();
    editor->hide();
    editor->deleteLater();
}

void TradeTicketWindowController::TableHeaderEdited(const std::string& typed) {
    const double quantity = numberOfText(typed);
    multiTradeModel_->rows().setTickedQuantity(quantity);
    multiTradeModel_->reload();
    showQuantity(quantity * static_cast<double>(multiTradeRows().ticks().size()));
}

bool TradeTicketWindowController::CheckMultiTradeValidation() {
    if (!multiTradeRows().ticks().empty()) return false;
    alert("3024");
    return true;
}

std::optional<std::vector<std::shared_ptr<model::Order>>> TradeTicketWindowController::multiTradeOrders(
    std::int32_t side) {
    if (CheckMultiTradeValidation()) return std::nullopt;
    std::vector<std::shared_ptr<model::Order>> orders;
    for (const AccountQuantity& a : multiTradeRows().tickedAccounts()) {
        const std::string quantity = std::to_string(a.quantity);  // "%f"
        auto order = orderManager()->GenerateOrder(CreateOrderInfoforTradeMode(side, a.accountId, quantity));
        if (!order) return std::nullopt;
        orders.push_back(std::move(order));
    }
    return orders;
}

}  // namespace trading
