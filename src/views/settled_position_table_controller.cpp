#include "views/settled_position_table_controller.h"

#include <QMenu>
#include <QVBoxLayout>

#include "kit/plain_text.h"
#include "kit/window_context.h"
#include "model/language_string.h"
#include "platform/main_executor.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "views/core/history_cells.h"
#include "views/core/position_cells.h"
#include "views/core/settled_totals.h"
#include "views/position_table_support.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace views {

SettledPositionTableController::SettledPositionTableController(kit::WindowContext& context, bool showAccountCurrency,
                                                               QWidget* parent)
    : kit::TableControllerBase(
          Setup{kit::TableKind::SettledPositions,
                positionTableColumns(settledPositionColumnIdentifiers(), settledColumnSort), context.language,
                &context.preferences, &context.sheets,
                [&commands = context.commands](const std::optional<std::vector<state::SortDescriptor>>& d) {
                    commands.sortSettledOrderCollection(d);
                },
                &context.ticker},
          parent),
      context_(context) {
    setObjectName("settledPositionTableView");
    statusLabel_ = kit::plainLabel(this);
    statusLabel_->setObjectName("statusLabel");
    statusLabel_->setContentsMargins(8, 4, 8, 4);
    statusLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    static_cast<QVBoxLayout*>(layout())->addWidget(statusLabel_);
    SetHeaderMenuItems();
    if (!showAccountCurrency) hideAccountCurrencyColumn();
    reloadTable();
}

void SettledPositionTableController::hideAccountCurrencyColumn() {
    for (QAction* entry : headerMenuWidget()->actions()) {
        if (entry->data().toString() != kit::identifierText(position_column::kAccountCurrencyRate)) continue;
        headerMenuWidget()->removeAction(entry);
        entry->deleteLater();
    }
    hideandShowTableColumns(position_column::kAccountCurrencyRate, true);
}

void SettledPositionTableController::settledpositionTableUpdate() {
    reloadTable();
    updateStatusLabel();
}

void SettledPositionTableController::updateStatusLabel() {
    platform::assertMainThread();
    const auto text = settledTotalsText(settledTotals(context_.view.getSettledOrderCollection()),
                                        [this](const std::string& key) {
                                            return model::LanguageString::stringforSelectedLanguage(
                                                context_.language, model::LanguageString::setLanguageKey(key));
                                        });
    if (text) kit::setShownText(*statusLabel_, *text);
}

int SettledPositionTableController::takeSnapshot() {
    rows_.clear();
    const state::Orders settled = context_.view.getSettledOrderCollection();
    rows_.reserve(settled.size());
    for (const auto& order : settled) rows_.push_back(lookUpRecords(context_.view, order));
    return static_cast<int>(rows_.size());
}

QVariant SettledPositionTableController::cellData(int row, int column, int role) const {
    if (row < 0 || row >= static_cast<int>(rows_.size())) return {};
    const std::string& id = identifierOf(column);
    switch (role) {
        case Qt::DisplayRole:
            return kit::shownText(
                settledPositionCellText(id, rows_[std::size_t(row)], tableView()->columnWidth(column)));
        case Qt::TextAlignmentRole: return cellAlignment(id);
        default: return {};
    }
}

}  // namespace views
