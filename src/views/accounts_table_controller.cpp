#include "views/accounts_table_controller.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QMenu>

#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/language_string.h"
#include "kit/window_opener.h"
#include "platform/main_executor.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "views/core/account_cells.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace views {

namespace {
std::string text(const std::string& key, std::int64_t language) {
    return model::LanguageString::stringforSelectedLanguage(language, key);
}
}  // namespace

namespace {

namespace col = account_column;

std::vector<kit::TableColumn> accountColumns() {
    std::vector<kit::TableColumn> columns;
    for (const std::string& id : accountColumnIdentifiers()) {
        int width = isMoneyAccountColumn(id) ? 110 : 90;
        if (id == col::kId) width = 70;
        else if (id == col::kName || id == col::kStatus || id == col::kType) width = 130;
        columns.push_back({id, width, std::nullopt});
    }
    return columns;
}

}  // namespace

AccountsTableController::AccountsTableController(kit::WindowContext& context, bool showAccountCurrency,
                                                 QWidget* parent)
    : kit::TableControllerBase(Setup{kit::TableKind::Accounts, accountColumns(), context.language, nullptr,
                                     &context.sheets, nullptr, &context.ticker},
                               parent),
      context_(context) {
    setObjectName("accountsTableView");
    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(8, 6, 8, 6);
    buttons->setSpacing(6);
    deposit_ = new QPushButton(kit::shownText(text("0711", context_.language)), this);
    deposit_->setObjectName("newDepositButton");
    withdrawal_ = new QPushButton(kit::shownText(text("0712", context_.language)), this);
    withdrawal_->setObjectName("newWithdrawalButton");
    buttons->addWidget(deposit_);
    buttons->addWidget(withdrawal_);
    buttons->addStretch(1);
    static_cast<QVBoxLayout*>(layout())->addLayout(buttons);
    connect(deposit_, &QPushButton::clicked, this, [this] { context_.opener.openWindow(kDepositWindow, {}); });
    connect(withdrawal_, &QPushButton::clicked, this, [this] { context_.opener.openWindow(kWithdrawalWindow, {}); });
    connect(tableView(), &QAbstractItemView::clicked, this, [this] { singleAction(); });
    SetHeaderMenuItems();
    setupAccountUserInterface(showAccountCurrency);
    reloadTable();
}

void AccountsTableController::setupAccountUserInterface(bool showAccountCurrency) {
    const AccountButtons shown = accountButtons(context_.view.getAccountCollection());
    deposit_->setVisible(shown.deposit);
    withdrawal_->setVisible(shown.withdrawal);
    if (showAccountCurrency) return;
    hideandShowTableColumns(col::kCurrency, true);
    // Nor can the menu show it again.
    for (QAction* entry : headerMenuWidget()->actions())
        if (entry->data().toString() == kit::identifierText(col::kCurrency)) headerMenuWidget()->removeAction(entry);
}

int AccountsTableController::takeSnapshot() {
    rows_ = context_.view.getAccountCollection();
    return static_cast<int>(rows_.size());
}

QVariant AccountsTableController::cellData(int row, int column, int role) const {
    if (row < 0 || std::size_t(row) >= rows_.size() || !rows_[std::size_t(row)]) return {};
    const model::AccountDetails& account = *rows_[std::size_t(row)];
    const std::string& id = identifierOf(column);
    switch (role) {
        case Qt::DisplayRole:
            return kit::shownText(
                accountCellText(id, account, [this](const std::string& key) { return text(key, context_.language); }));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(isMoneyAccountColumn(id) || id == col::kId ? Qt::AlignRight | Qt::AlignVCenter
                                                                                  : Qt::AlignLeft | Qt::AlignVCenter);
        case Qt::ForegroundRole:
            if (const auto c = accountFigureColor(id, account))
                return QBrush(QColor::fromRgbF(float(c->red), float(c->green), float(c->blue), float(c->alpha)));
            if (id == col::kStatus && accountStatusStyle(account).alarm) return QBrush(kit::ThemeManager::fallColor());
            return {};
        case Qt::FontRole: {
            if (id != col::kStatus) return {};
            const AccountStatusStyle style = accountStatusStyle(account);
            QFont font = tableView()->font();
            font.setPointSize(style.pointSize);
            font.setBold(style.alarm);
            return font;
        }
        default: return {};
    }
}

void AccountsTableController::singleAction() {
    platform::assertMainThread();
    const QModelIndexList selected = tableView()->selectionModel()->selectedRows();
    if (selected.isEmpty()) return;
    const int row = selected.first().row();
    if (row < 0 || std::size_t(row) >= rows_.size() || !rows_[std::size_t(row)]) return;
    const std::int32_t accountId = rows_[std::size_t(row)]->AccountId;
    context_.opener.setAccount(accountId);
    context_.commands.setCurrentAccountSelected(accountId);
}

}  // namespace views
