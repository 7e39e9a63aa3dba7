// The deposit window's online payment: the gateway list, the estimated
// deposit, the gateway's answers and its payment page.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include "funds/core/deposit_rules.h"
#include "funds/deposit_request_window_controller.h"
#include "funds/detail_lines_model.h"
#include "funds/funds_form.h"
#include "kit/window_context.h"
#include "model/formatter.h"
#include "platform/log.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace funds {

namespace {

// Values of a gateway answer's `status` and `transStatus`.
constexpr std::int64_t kAccepted = 1;
constexpr std::int64_t kInProgress = 1;
constexpr std::int64_t kCompleted = 3;
constexpr std::int64_t kFailed = 4;

bool failedStatus(std::int64_t status) { return status == 2 || status == 4 || status == 9; }

}  // namespace

const model::TradeCurrency* DepositRequestWindowController::accountCurrency() const {
    return accountDetail_ ? accountDetail_->tradeCurrency.get() : nullptr;
}

const model::TradeCurrency* DepositRequestWindowController::gatewayCurrency() const {
    return activePayGate_ ? activePayGate_->currency.get() : nullptr;
}

void DepositRequestWindowController::sendPayGateSettingsRequest() {
    if (context_.view.payGateSettings().empty()) context_.commands.requestGetAllPayGateSettings();
}

void DepositRequestWindowController::loadPaymentGateway() {
    std::vector<std::string> names;
    for (const auto& setting : context_.view.payGateSettings()) names.push_back(setting ? setting->name : "");
    const QString shown = paymentGatewayComboBox->currentText();
    fillBox(paymentGatewayComboBox, names);
    const int kept = paymentGatewayComboBox->findText(shown);
    paymentGatewayComboBox->setCurrentIndex(activePayGate_ && kept >= 0 ? kept : -1);
}

void DepositRequestWindowController::selectPaymentGateway(int index) {
    const auto settings = context_.view.payGateSettings();
    if (index < 0 || index >= static_cast<int>(settings.size())) return;
    activePayGate_ = settings[std::size_t(index)];
    showCurrencyOnLabel();
    updateEstimatedAmount();
}

void DepositRequestWindowController::updateEstimatedAmount() {
    depositTextField->setText(kit::shownText(estimatedDeposit(
        amountTextField->text().toStdString(), isOnlinePayment_, accountCurrency(), gatewayCurrency(),
        systemCurrency_.get())));
}

void DepositRequestWindowController::paymentAnswered(const state::PayGateUpdate& update) {
    if (!update.data) return;
    if (update.state == state::PayGateUpdate::kMasterAdded || update.state == state::PayGateUpdate::kStatusAnswer)
        handleMasterUpdate(*update.data);
    else if (update.state == state::PayGateUpdate::kTransactionAnswer)
        handleTransactionUpdate(*update.data, update.error.value_or(0));
}

void DepositRequestWindowController::showStatus(const std::string& key, bool final) {
    headerLabel->setText(kit::tableText(context_, key).toUpper());
    headerLabel->show();
    if (final) okButton->setEnabled(true);
}

void DepositRequestWindowController::handleMasterUpdate(const model::PayGateTransaction& payment) {
    if (payment.status == kAccepted) {
        showStatus("20296", false);
        footerLabel->setText(kit::tableText(context_, "20301"));
        footerLabel->show();
        showOnlinePaymentConfirmation(payment);
        redirectToPaymentGateway(payment);
    } else if (failedStatus(payment.status)) {
        showStatus("20300", true);
        showOnlinePaymentConfirmation(payment);
    }
}

void DepositRequestWindowController::handleTransactionUpdate(const model::PayGateTransaction& payment,
                                                             std::int64_t error) {
    if (error != 0 || payment.transStatus == kFailed) {
        showStatus("20300", true);
    } else if (payment.transStatus == kInProgress) {
        showStatus("20296", false);
    } else if (payment.transStatus == kCompleted) {
        headerLabel->setText(kit::shownText(model::Formatter::fillIndexedText(context_.text("20303"), {payment.payTransactionId})));
        headerLabel->show();
        okButton->setEnabled(true);
    } else {
        return;
    }
    showOnlinePaymentConfirmation(payment);
}

void DepositRequestWindowController::showOnlinePaymentConfirmation(const model::PayGateTransaction& payment) {
    depositRequestTabView->setCurrentIndex(1);
    answer_->setLines(confirmationLines(payment, context_.text));
}

void DepositRequestWindowController::redirectToPaymentGateway(const model::PayGateTransaction& payment) {
    // One page per request: a second one would invite a second payment.
    if (!pagesOpened_.insert(payment.requestId).second) return;
    const auto address = paymentAddress(payment);
    if (!address) {
        platform::Log::error("Failed to open url");
        return;
    }
    context_.ui.openUrl(*address);
}

}  // namespace funds
