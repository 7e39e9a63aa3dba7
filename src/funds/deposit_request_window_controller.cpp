#include "funds/deposit_request_window_controller.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "funds/core/deposit_rules.h"
#include "funds/core/funds_amount.h"
#include "funds/detail_lines_model.h"
#include "funds/funds_form.h"
#include "kit/control_texts_walk.h"
#include "kit/text_direction.h"
#include "kit/core/kit_payloads.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/financial_enum.h"
#include "model/formatter.h"
#include "platform/main_executor.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace funds {

namespace {

// Account settings bits read here.
constexpr std::int64_t kDepositsAllowed = 0x10;
constexpr std::int64_t kOnlinePaymentAllowed = 0x100;
constexpr std::int64_t kOnlinePaymentMode = 3;

QFormLayout* groupForm(QWidget* group) {
    auto* form = new QFormLayout(group);
    form->setContentsMargins(0, 0, 0, 0);
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    form->setHorizontalSpacing(12);
    form->setVerticalSpacing(6);
    form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    return form;
}

std::string grouped(double value) { return groupedTwoPlaces(value); }

}  // namespace

DepositRequestWindowController::DepositRequestWindowController(kit::WindowContext& context,
                                                               std::shared_ptr<DepositAnswerRouter> router,
                                                               QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context), router_(std::move(router)) {
    setObjectName("DepositRequestWindowController");
    depositRequestTabView = new QStackedWidget(this);
    auto* form = new QWidget(depositRequestTabView);
    buildForm(form);
    depositRequestTabView->addWidget(form);
    auto* answerPage = new QWidget(depositRequestTabView);
    buildAnswerPage(answerPage);
    depositRequestTabView->addWidget(answerPage);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->addWidget(depositRequestTabView);
    setMinimumSize(440, 480);

    connect(accountComboBox, &QComboBox::activated, this,
            [this](int index) { selectAccount(accountComboBox->itemText(index).toStdString()); });
    connect(depositModeComboBox, &QComboBox::activated, this, [this](int index) { selectMode(index); });
    paymentGatewayComboBox->willPopUp = [this] { loadPaymentGateway(); };
    connect(paymentGatewayComboBox, &QComboBox::activated, this, [this](int index) { selectPaymentGateway(index); });
    connect(amountTextField, &QLineEdit::textChanged, this, [this] { updateEstimatedAmount(); });
    connect(depositDatePicker, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime& t) { depositDate_ = t; });
    connect(sendRequestButton, &QPushButton::clicked, this, [this] { sendRequest(); });
    connect(notNowButton, &QPushButton::clicked, this, [this] { close(); });
    connect(okButton, &QPushButton::clicked, this, [this] { close(); });
    auto& center = platform::NotificationCenter::defaultCenter();
    themeChanges_ = platform::ObserverHandle(
        &center, center.addObserver(kit::kThemeChangedNotification, [this](const platform::Notification&) { applyTheme(); }));
}

DepositRequestWindowController::~DepositRequestWindowController() { windowWillClose(); }

void DepositRequestWindowController::buildForm(QWidget* page) {
    const auto group = [page](QVBoxLayout* column) {
        auto* view = new QWidget(page);
        column->addWidget(view);
        return view;
    };
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);

    accountView = group(column);
    auto* account = groupForm(accountView);
    accountComboBox = new QComboBox(accountView);
    accountNameTextField = figureField(accountView);
    accountNameTextField->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    depositModeComboBox = new QComboBox(accountView);
    depositDatePicker = new QDateTimeEdit(accountView);
    kit::keepLeftToRight(depositDatePicker);
    depositDatePicker->setDisplayFormat(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    depositDatePicker->setCalendarPopup(true);
    account->addRow(taggedLabel(12, accountView), accountComboBox);
    account->addRow(taggedLabel(21181, accountView), accountNameTextField);
    account->addRow(taggedLabel(714, accountView), depositModeComboBox);
    account->addRow(taggedLabel(459, accountView), depositDatePicker);

    payGateView = group(column);
    auto* payGate = groupForm(payGateView);
    paymentGatewayComboBox = new PopUpComboBox(payGateView);
    emailTextField = inputField(payGateView);
    payGate->addRow(taggedLabel(11121, payGateView), paymentGatewayComboBox);
    payGate->addRow(taggedLabel(392, payGateView), emailTextField);

    balanceView = group(column);
    auto* balance = groupForm(balanceView);
    balanceTextField = figureField(balanceView);
    equityTextField = figureField(balanceView);
    availableMarginTextField = figureField(balanceView);
    amounTitleLabel = kit::plainLabel(balanceView);
    amountTextField = inputField(balanceView);
    amountTextField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    balance->addRow(taggedLabel(13, balanceView), balanceTextField);
    balance->addRow(taggedLabel(222, balanceView), equityTextField);
    balance->addRow(taggedLabel(14, balanceView), availableMarginTextField);
    balance->addRow(amounTitleLabel, amountTextField);

    depositView = group(column);
    auto* deposit = groupForm(depositView);
    depositTitleLabel = kit::plainLabel(depositView);
    depositTextField = figureField(depositView);
    deposit->addRow(depositTitleLabel, depositTextField);

    bankView = group(column);
    auto* bank = groupForm(bankView);
    sourceBankNameTextField = inputField(bankView);
    sourceBankBranchTextField = inputField(bankView);
    sourceBankAccountTextField = inputField(bankView);
    depositedBankAccountTextField = inputField(bankView);
    bank->addRow(taggedLabel(624, bankView), sourceBankNameTextField);
    bank->addRow(taggedLabel(716, bankView), sourceBankBranchTextField);
    bank->addRow(taggedLabel(717, bankView), sourceBankAccountTextField);
    bank->addRow(taggedLabel(718, bankView), depositedBankAccountTextField);

    remarksView = group(column);
    auto* remarks = groupForm(remarksView);
    remarksTextField = inputField(remarksView);
    remarks->addRow(taggedLabel(622, remarksView), remarksTextField);

    column->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    notNowButton = new QPushButton(page);
    sendRequestButton = new QPushButton(page);
    sendRequestButton->setDefault(true);
    buttons->addWidget(notNowButton);
    buttons->addWidget(sendRequestButton);
    column->addLayout(buttons);
}

void DepositRequestWindowController::buildAnswerPage(QWidget* page) {
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    headerLabel = kit::plainLabel(page);
    headerLabel->setAlignment(Qt::AlignCenter);
    QFont bold = headerLabel->font();
    bold.setBold(true);
    headerLabel->setFont(bold);
    headerLabel->setWordWrap(true);
    answer_ = new DetailLinesModel(this);
    answerTable = detailTable(answer_, page);
    footerLabel = kit::plainLabel(page);
    footerLabel->setWordWrap(true);
    okButton = new QPushButton(page);
    okButton->setProperty("tag", 167);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(okButton);
    column->addWidget(headerLabel);
    column->addWidget(answerTable, 1);
    column->addWidget(footerLabel);
    column->addLayout(buttons);
}

void DepositRequestWindowController::windowDidAppear() {
    platform::assertMainThread();
    const auto user = context_.view.userInfo();
    systemCurrency_ = user ? context_.view.tradeCurrency(user->systemCurrencyId) : nullptr;
    setWindowTitle(kit::tableText(context_, "0713"));
    kit::applyControlTexts(depositRequestTabView->widget(0), context_.language);
    okButton->setText(kit::tableText(context_, "0167"));
    sendRequestButton->setText(kit::tableText(context_, "0719"));
    notNowButton->setText(kit::tableText(context_, "0249"));
    setDefaults();
    applyTheme();
    loadAccountsData();
    updateValuesinViews();
    if (!timer_) timer_ = context_.ticker.subscribe([this] { calcAccountDetails(); });
}

void DepositRequestWindowController::windowWillClose() {
    timer_.reset();
    if (router_) router_->leave(this);
}

void DepositRequestWindowController::closeEvent(QCloseEvent* event) {
    windowWillClose();
    QWidget::closeEvent(event);
}

void DepositRequestWindowController::setDefaults() {
    if (QWidget* focused = focusWidget()) focused->clearFocus();
    depositRequestTabView->setCurrentIndex(0);
    for (QLineEdit* field : {amountTextField, sourceBankNameTextField, sourceBankBranchTextField,
                             sourceBankAccountTextField, depositedBankAccountTextField, remarksTextField})
        field->clear();
    arrangeViews();
}

void DepositRequestWindowController::applyTheme() {
    kit::ThemeManager::applyTheme(
        {{"Windows", {this}},
         {"TextField",
          {accountNameTextField, balanceTextField, equityTextField, availableMarginTextField, amountTextField,
           sourceBankNameTextField, sourceBankBranchTextField, sourceBankAccountTextField,
           depositedBankAccountTextField, remarksTextField, emailTextField, depositTextField}},
         {"TableView", {answerTable}}},
        context_.theme());
}

void DepositRequestWindowController::loadAccountsData() {
    depositRequestAccounts_.clear();
    std::vector<std::string> keys;
    for (const auto& account : context_.view.getAccountCollection()) {
        if (!account || !(account->accountSettings & kDepositsAllowed)) continue;
        const std::string key = accountKey(account->AccountId);
        if (depositRequestAccounts_.emplace(key, account).second) keys.push_back(key);
    }
    fillBox(accountComboBox, keys);
    accountDetail_ = keys.empty() ? nullptr : std::make_shared<model::AccountDetails>(*depositRequestAccounts_[keys[0]]);
}

void DepositRequestWindowController::loadFinancialTransferModes() {
    financialTransferModes_ = {model::FinancialEnum::getFinancialTransferMode(1),
                               model::FinancialEnum::getFinancialTransferMode(2)};
    if (accountDetail_ && (accountDetail_->accountSettings & kOnlinePaymentAllowed))
        financialTransferModes_.push_back(model::FinancialEnum::getFinancialTransferMode(kOnlinePaymentMode));
    fillBox(depositModeComboBox, financialTransferModes_);
}

void DepositRequestWindowController::selectAccount(const std::string& key) {
    const auto found = depositRequestAccounts_.find(key);
    if (found == depositRequestAccounts_.end() || !found->second) return;
    accountDetail_ = std::make_shared<model::AccountDetails>(*found->second);
    updateValuesinViews();
}

void DepositRequestWindowController::updateValuesinViews() {
    sendRequestButton->setEnabled(accountDetail_ != nullptr);
    if (!accountDetail_) return;
    calcAccountDetails();
    accountComboBox->setCurrentText(kit::shownText(accountKey(accountDetail_->AccountId)));
    accountNameTextField->setText(kit::shownText(accountDetail_->AccountName));
    if (router_) router_->show(this, static_cast<std::uint64_t>(static_cast<std::int64_t>(accountDetail_->AccountId)));
    depositDate_ = QDateTime::currentDateTime();
    depositDatePicker->setDateTime(depositDate_);
    // The modes follow the account shown, and its first mode applies in full.
    loadFinancialTransferModes();
    selectMode(0);
}

void DepositRequestWindowController::calcAccountDetails() {
    if (!accountDetail_) return;
    if (const auto live = context_.view.account(std::to_string(accountDetail_->AccountId))) *accountDetail_ = *live;
    context_.commands.calculateAccountDetails(*accountDetail_);
    showFigures();
}

void DepositRequestWindowController::showFigures() {
    balanceTextField->setText(kit::shownText(grouped(accountDetail_->Balance)));
    equityTextField->setText(kit::shownText(grouped(accountDetail_->Equity)));
    availableMarginTextField->setText(kit::shownText(grouped(accountDetail_->AvailableMargin)));
}

void DepositRequestWindowController::selectMode(int index) {
    if (index < 0 || index >= static_cast<int>(financialTransferModes_.size())) return;
    depositModeComboBox->setCurrentIndex(index);
    ftMode_ = model::FinancialEnum::getFinancialTransferModeValue(financialTransferModes_[std::size_t(index)]);
    isOnlinePayment_ = ftMode_ == kOnlinePaymentMode;
    if (isOnlinePayment_) {
        depositDate_ = QDateTime::currentDateTime();
        depositDatePicker->setDateTime(depositDate_);
        sendPayGateSettingsRequest();
    }
    depositDatePicker->setEnabled(!isOnlinePayment_);
    okButton->setEnabled(!isOnlinePayment_);
    arrangeViews();
    showCurrencyOnLabel();
    alignLabelColumn(depositRequestTabView->widget(0));
}

void DepositRequestWindowController::arrangeViews() {
    const bool bankDetails = context_.view.financialRequestRules().canSpecifyBankDetails;
    payGateView->setVisible(isOnlinePayment_);
    depositView->setVisible(isOnlinePayment_);
    bankView->setVisible(!isOnlinePayment_ && bankDetails);
}

void DepositRequestWindowController::showCurrencyOnLabel() {
    const std::string amountTitle = context_.text("21185");
    const std::string depositTitle = context_.text("0092");
    if (!isOnlinePayment_) {
        amounTitleLabel->setText(kit::tableText(context_, "21185"));
        depositTitleLabel->setText(kit::tableText(context_, "0092"));
        return;
    }
    const model::TradeCurrency* gateway = gatewayCurrency();
    const model::TradeCurrency* account = accountCurrency();
    const std::string gatewayCode = gateway ? gateway->currencyCode : "";
    const std::string accountCode = account ? account->currencyCode : "";
    amounTitleLabel->setText(kit::shownText(gatewayCode.empty() ? amountTitle : amountTitle + " (" + gatewayCode + ")"));
    depositTitleLabel->setText(kit::shownText(depositTitle + " (" + accountCode + ")"));
}

void DepositRequestWindowController::showValidationInfo(const std::string& message) {
    context_.ui.showAlert(message, context_.text("10980"));
}

bool DepositRequestWindowController::verifyDepositInformation() {
    if (!context_.view.isNetworkAvailable()) {
        showValidationInfo(context_.text("1007"));
        return false;
    }
    const auto amount = readAmount(amountTextField->text().toStdString());
    if (!amount || *amount <= 0) {
        showValidationInfo(context_.text("1118"));
        return false;
    }
    if (ftMode_ != kOnlinePaymentMode) return true;
    if (paymentGatewayComboBox->currentText().isEmpty()) {
        showValidationInfo(context_.text("20302"));
        return false;
    }
    if (!isValidEmail(emailTextField->text().toStdString())) {
        showValidationInfo(context_.text("1047"));
        return false;
    }
    const std::int64_t code = validateCurrency(accountCurrency(), gatewayCurrency(), systemCurrency_.get());
    if (code == kCurrencyValid) return true;
    showValidationInfo(context_.text("0541") + " : " + std::to_string(code) + "\n" + context_.text("20306"));
    return false;
}

void DepositRequestWindowController::sendRequest() {
    if (!accountDetail_ || !verifyDepositInformation()) return;
    model::NewDeposit deposit;
    deposit.accountDetail = std::make_shared<model::AccountDetails>(*accountDetail_);
    deposit.mode = model::FinancialEnum::getFinancialTransferModeValue(depositModeComboBox->currentText().toStdString());
    deposit.depositDate = model::Formatter::setPackedFormat(model::Date(std::chrono::milliseconds(
        (depositDate_.isValid() ? depositDate_ : QDateTime::currentDateTime()).toMSecsSinceEpoch())));
    deposit.bankName = sourceBankNameTextField->text().toStdString();
    deposit.bankBranch = sourceBankBranchTextField->text().toStdString();
    deposit.sourceAccount = sourceBankAccountTextField->text().toStdString();
    deposit.depositedAccount = depositedBankAccountTextField->text().toStdString();
    deposit.amount = readAmount(amountTextField->text().toStdString()).value_or(0);
    deposit.remarks = remarksTextField->text().toStdString();
    deposit.email = emailTextField->text().toStdString();
    deposit.payGate = activePayGate_;
    // The estimate counts only for an online payment; a bank request never reads it.
    if (deposit.mode == kOnlinePaymentMode)
        deposit.estimatedAmount = readAmount(depositTextField->text().toStdString()).value_or(0);
    const auto accountId = static_cast<std::uint64_t>(static_cast<std::int64_t>(accountDetail_->AccountId));
    if (deposit.mode == kOnlinePaymentMode)
        router_->expectOnline(this, accountId, deposit.amount, activePayGate_ ? activePayGate_->payGateId : 0);
    else
        router_->expectBank(this, accountId, deposit.amount);
    context_.commands.sendDepositRequest(deposit);
    sendRequestButton->setEnabled(false);
}

void DepositRequestWindowController::depositAnswered(const std::vector<std::string>& lines) {
    depositRequestTabView->setCurrentIndex(1);
    headerLabel->hide();
    footerLabel->hide();
    answer_->setLines(lines);
}

}  // namespace funds
