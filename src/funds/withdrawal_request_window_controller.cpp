#include "funds/withdrawal_request_window_controller.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "funds/core/funds_amount.h"
#include "funds/core/withdrawal_rules.h"
#include "funds/detail_lines_model.h"
#include "funds/funds_form.h"
#include "kit/control_texts_walk.h"
#include "kit/core/kit_payloads.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "platform/main_executor.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace funds {

namespace {
// Account settings bit of the accounts offered here.
constexpr std::int64_t kWithdrawalsAllowed = 0x20;
}  // namespace

WithdrawalRequestWindowController::WithdrawalRequestWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setObjectName("WithdrawalRequestWindowController");
    withdrawalRequestTabView = new QStackedWidget(this);
    auto* form = new QWidget(withdrawalRequestTabView);
    auto* fields = new QFormLayout;
    fields->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    fields->setHorizontalSpacing(12);
    fields->setVerticalSpacing(6);
    accountComboBox = new QComboBox(form);
    accountNameTextField = figureField(form);
    accountNameTextField->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    balanceTextField = figureField(form);
    unrealisedPLTextField = figureField(form);
    equityTextField = figureField(form);
    marginTextField = figureField(form);
    availableMarginTextField = figureField(form);
    pendingWithdrawalsTextField = figureField(form);
    minimumBalanceTextField = figureField(form);
    withdrawableFundTextField = figureField(form);
    amountTextField = inputField(form);
    amountTextField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    resultingBalanceTextField = figureField(form);
    remarksTextField = inputField(form);
    const std::pair<int, QWidget*> rows[] = {
        {12, accountComboBox},           {21181, accountNameTextField},    {13, balanceTextField},
        {319, unrealisedPLTextField},    {222, equityTextField},           {128, marginTextField},
        {14, availableMarginTextField},  {21182, pendingWithdrawalsTextField}, {21183, minimumBalanceTextField},
        {21184, withdrawableFundTextField}, {21185, amountTextField},      {21186, resultingBalanceTextField},
        {622, remarksTextField},
    };
    for (const auto& [tag, field] : rows) fields->addRow(taggedLabel(tag, form), field);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    notNowButton = new QPushButton(form);
    sendRequestButton = new QPushButton(form);
    sendRequestButton->setDefault(true);
    buttons->addWidget(notNowButton);
    buttons->addWidget(sendRequestButton);
    auto* formColumn = new QVBoxLayout(form);
    formColumn->addLayout(fields);
    formColumn->addStretch();
    formColumn->addLayout(buttons);
    withdrawalRequestTabView->addWidget(form);

    // The answer page: the details and a button that closes the window.
    auto* answerPage = new QWidget(withdrawalRequestTabView);
    answer_ = new DetailLinesModel(this);
    answerTable = detailTable(answer_, answerPage);
    okButton = new QPushButton(answerPage);
    auto* okRow = new QHBoxLayout;
    okRow->addStretch();
    okRow->addWidget(okButton);
    auto* answerColumn = new QVBoxLayout(answerPage);
    answerColumn->setContentsMargins(0, 0, 0, 0);
    answerColumn->addWidget(answerTable, 1);
    answerColumn->addLayout(okRow);
    withdrawalRequestTabView->addWidget(answerPage);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->addWidget(withdrawalRequestTabView);
    setMinimumSize(400, 460);

    connect(accountComboBox, &QComboBox::activated, this,
            [this](int index) { selectAccount(accountComboBox->itemText(index).toStdString()); });
    connect(amountTextField, &QLineEdit::textChanged, this, [this] { calculateResultingBalance(); });
    connect(sendRequestButton, &QPushButton::clicked, this, [this] { sendRequest(); });
    connect(notNowButton, &QPushButton::clicked, this, [this] { close(); });
    connect(okButton, &QPushButton::clicked, this, [this] { close(); });
    auto& center = platform::NotificationCenter::defaultCenter();
    themeChanges_ = platform::ObserverHandle(
        &center, center.addObserver(kit::kThemeChangedNotification, [this](const platform::Notification&) { applyTheme(); }));
}

void WithdrawalRequestWindowController::windowDidAppear() {
    platform::assertMainThread();
    setWindowTitle(kit::tableText(context_, "0722"));
    kit::applyControlTexts(withdrawalRequestTabView->widget(0), context_.language);
    sendRequestButton->setText(kit::tableText(context_, "0719"));
    notNowButton->setText(kit::tableText(context_, "0249"));
    okButton->setText(kit::tableText(context_, "0167"));
    if (QWidget* focused = focusWidget()) focused->clearFocus();
    withdrawalRequestTabView->setCurrentIndex(0);
    amountTextField->clear();
    remarksTextField->clear();
    if (!observing_) {  // the set-up may run more than once per showing
        observing_ = true;
        auto& center = platform::NotificationCenter::defaultCenter();
        answers_ = platform::ObserverHandle(
            &center, center.addObserver(state::notifications::kWithdrawalRequest, [this](const platform::Notification& n) {
                const auto* details = n.as<state::DetailLines>();
                if (!details) return;
                withdrawalRequestTabView->setCurrentIndex(1);
                answer_->setLines(details->lines);
                okButton->setDefault(true);
            }));
    }
    applyTheme();
    loadAccountsData();
    updateValuesinViews();
    if (!timer_) timer_ = context_.ticker.subscribe([this] {
        refreshAccount();
        updateAccountDetails();
    });
}

void WithdrawalRequestWindowController::applyTheme() {
    kit::ThemeManager::applyTheme({{"Windows", {this}},
                                   {"TextField",
                                    {accountNameTextField, balanceTextField, unrealisedPLTextField, equityTextField,
                                     marginTextField, availableMarginTextField, pendingWithdrawalsTextField,
                                     minimumBalanceTextField, withdrawableFundTextField, amountTextField,
                                     resultingBalanceTextField, remarksTextField}},
                                   {"TableView", {answerTable}}},
                                  context_.theme());
}

void WithdrawalRequestWindowController::windowWillClose() {
    timer_.reset();
    answers_.reset();
    observing_ = false;
}

void WithdrawalRequestWindowController::closeEvent(QCloseEvent* event) {
    windowWillClose();
    QWidget::closeEvent(event);
}

void WithdrawalRequestWindowController::loadAccountsData() {
    withdrawalRequestAccounts_.clear();
    std::vector<std::string> keys;
    for (const auto& account : context_.view.getAccountCollection()) {
        if (!account || !(account->accountSettings & kWithdrawalsAllowed)) continue;
        const std::string key = accountKey(account->AccountId);
        if (!withdrawalRequestAccounts_.emplace(key, account).second) continue;
        keys.push_back(key);
    }
    fillBox(accountComboBox, keys);
    accountDetail_.reset();
    if (!keys.empty()) {
        accountDetail_ = std::make_shared<model::AccountDetails>(*withdrawalRequestAccounts_[keys.front()]);
        refreshAccount();
    }
}

void WithdrawalRequestWindowController::selectAccount(const std::string& key) {
    const auto found = withdrawalRequestAccounts_.find(key);
    if (found == withdrawalRequestAccounts_.end() || !found->second) return;
    accountDetail_ = std::make_shared<model::AccountDetails>(*found->second);
    refreshAccount();
    updateValuesinViews();
}

void WithdrawalRequestWindowController::refreshAccount() {
    if (!accountDetail_) return;
    if (const auto live = context_.view.account(std::to_string(accountDetail_->AccountId))) *accountDetail_ = *live;
    context_.commands.calculateAccountDetails(*accountDetail_);
}

void WithdrawalRequestWindowController::updateValuesinViews() {
    sendRequestButton->setEnabled(accountDetail_ != nullptr);
    if (!accountDetail_) return;
    accountComboBox->setCurrentText(kit::shownText(accountKey(accountDetail_->AccountId)));
    accountNameTextField->setText(kit::shownText(accountDetail_->AccountName));
    updateAccountDetails();
}

double WithdrawalRequestWindowController::pending() const {
    return accountDetail_ ? pendingWithdrawals(context_.view.approvalRequests(), accountDetail_->AccountId) : 0;
}

double WithdrawalRequestWindowController::withdrawableLimit() const {
    if (!accountDetail_) return 0;
    const state::FinancialRequestRules rules = context_.view.financialRequestRules();
    return funds::withdrawableLimit(*accountDetail_, pending(),
                                    {rules.canWithdrawFloatingPL, rules.minimumBalance.value_or(0)});
}

void WithdrawalRequestWindowController::updateAccountDetails() {
    if (!accountDetail_) return;
    const model::AccountDetails& a = *accountDetail_;
    const auto show = [](QLineEdit* field, double value) {
        field->setText(kit::shownText(groupedTwoPlaces(value)));
    };
    show(balanceTextField, a.Balance);
    show(unrealisedPLTextField, a.UnrealisedPL);
    show(equityTextField, a.Equity);
    show(marginTextField, a.oneSideMargin);
    show(availableMarginTextField, a.AvailableMargin);
    show(pendingWithdrawalsTextField, pending());
    show(minimumBalanceTextField, context_.view.financialRequestRules().minimumBalance.value_or(0));
    const double limit = withdrawableLimit();
    show(withdrawableFundTextField, limit > 0 ? limit : 0);
    calculateResultingBalance();
}

void WithdrawalRequestWindowController::calculateResultingBalance() {
    if (!accountDetail_) return;
    const double amount = readAmount(amountTextField->text().toStdString()).value_or(0);
    resultingBalanceTextField->setText(
        kit::shownText(groupedTwoPlaces(accountDetail_->Balance - amount - pending())));
}

bool WithdrawalRequestWindowController::verifyWithdrawalInformation() {
    const auto refuse = [this](const char* key) {
        context_.ui.showAlert(context_.text(key), context_.text("10980"));
        return false;
    };
    if (!context_.view.isNetworkAvailable()) return refuse("1007");
    const auto amount = readAmount(amountTextField->text().toStdString());
    if (!amount || *amount <= 0 || *amount > withdrawableLimit()) return refuse("1117");
    return true;
}

void WithdrawalRequestWindowController::sendRequest() {
    if (!accountDetail_ || !verifyWithdrawalInformation()) return;
    model::NewWithdrawal withdrawal;
    withdrawal.accountDetail = std::make_shared<model::AccountDetails>(*accountDetail_);
    withdrawal.amount = readAmount(amountTextField->text().toStdString()).value_or(0);
    withdrawal.remarks = remarksTextField->text().toStdString();
    context_.commands.sendWithdrawalRequest(withdrawal);
    sendRequestButton->setEnabled(false);
}

}  // namespace funds
