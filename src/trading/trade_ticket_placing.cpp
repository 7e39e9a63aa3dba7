// The ticket's road to the order manager: the price buttons, Place order, the
// request, the confirmation sheet and the refusals it shows.
#include <QCheckBox>

#include "kit/core/preference_manager.h"
#include "kit/plain_text.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "state/ui_services.h"
#include "trading/core/ticket_offers.h"
#include "trading/core/ticket_quantities.h"
#include "trading/ticket_image_button.h"
#include "trading/trade_ticket_window_controller.h"

namespace trading {

namespace {
constexpr const char* kMarketOrderKey = "90888";
}  // namespace

void TradeTicketWindowController::alert(const std::string& messageKey) {
    context_.ui.showAlert(text(messageKey), text("10980"));
}

void TradeTicketWindowController::setOrderButtonImage(bool buy) { PlaceOrderButton->setImage(buy ? buyImage_ : sellImage_); }

std::int32_t TradeTicketWindowController::GetTradingMode() const {
    return BuyCheckBox->isChecked() ? kBuySide : kSellSide;
}

bool TradeTicketWindowController::checkMarketOrderisAvailable() const {
    return accountDetails_ && itemDetails_ && (accountDetails_->availableOrderTypes & kMarketBit) &&
           (itemDetails_->availableOrderTypes & kMarketBit);
}

TicketEntries TradeTicketWindowController::entries() const {
    TicketEntries e;
    e.itemCode = itemCode_;
    e.orderType = orderType_;
    e.deliveryMode = deliveryMode_;
    e.timeinForce = timeinForce_;
    e.price = PriceTextField->text().toStdString();
    e.takeProfit = TakeProfitPriceTextField->text().toStdString();
    e.stopLoss = StopLossPriceTextField->text().toStdString();
    e.takeProfitTicked = TakeProfitCheckBox->isChecked();
    e.stopLossTicked = StopLossCheckBox->isChecked();
    e.deviationTicked = DeviationCheckBox->isChecked();
    e.deviation = DeviationTextField->text().toStdString();
    return e;
}

model::OrderInfo TradeTicketWindowController::CreateOrderInfoforTradeMode(std::int32_t side, std::int32_t account,
                                                                          const std::string& quantity) {
    return trading::CreateOrderInfoforTradeMode(entries(), side, account, quantity);
}

void TradeTicketWindowController::buyButtonClicked() { sideButtonClicked(true); }

void TradeTicketWindowController::sellButtonClicked() { sideButtonClicked(false); }

void TradeTicketWindowController::sideButtonClicked(bool buy) {
    if (mode() == kAdvancedMode) {
        (buy ? SellCheckBox : BuyCheckBox)->setChecked(false);
        (buy ? BuyCheckBox : SellCheckBox)->setChecked(true);
        updatePriceinTextField();
        setOrderButtonImage(buy);
        return;
    }
    std::string quantity;
    if (toggleMultiTrade_) {
        const auto total = multiTradeQuantity(buy ? kBuySide : kSellSide);
        if (!total) return;
        quantity = *total;
    } else {
        if (!checkMarketOrderisAvailable()) {
            alert("1080");
            return;
        }
        quantity = QuantityComboBox->currentText().toStdString();
    }
    const bool skip = context_.preferences.dontShowOrderConfirmation();
    BuyCheckBox->setChecked(buy);
    if (skip) {
        sendPlaceorderObjects();
    } else {
        orderConfirmation(GetTradingMode(), itemCode_, itemDetails_ ? itemDetails_->ContractSize : 0, quantity);
    }
}

void TradeTicketWindowController::placeOrderButtonClicked() {
    if (DeviationValidation()) return;
    if (!orderManager()) return;
    std::string quantity = QuantityComboBox->currentText().toStdString();
    std::shared_ptr<model::Order> built;  // checked here and sent as it is
    if (toggleMultiTrade_) {
        const auto total = multiTradeQuantity(GetTradingMode());
        if (!total) return;
        quantity = *total;
    } else if (!(built = orderManager()->GenerateOrder(
                     CreateOrderInfoforTradeMode(GetTradingMode(), accountId(), quantity)))) {
        return;
    }
    const bool skip = context_.preferences.dontShowOrderConfirmation();
    if (orderType_ == 1 && !skip) {
        orderConfirmation(GetTradingMode(), itemCode_, itemDetails_ ? itemDetails_->ContractSize : 0, quantity, built);
    } else {
        sendPlaceorderObjects(built);
    }
}

void TradeTicketWindowController::sendPlaceorderObjects(const std::shared_ptr<model::Order>& built) {
    if (!orderManager()) return;
    if (toggleMultiTrade_) {
        const auto details = GenerateMultiTradeOrderDetails();
        if (!details) return;
        // The account stays unset and each quantity travels in the per-account text; the
        // total is the order's quantity in the log.
        double total = 0;
        for (const AccountQuantity& a : multiTradeRows().tickedAccounts()) total += a.quantity;
        model::OrderInfo info =
            trading::CreateOrderInfoforTradeMode(entries(), GetTradingMode(), 0, plainNumberText(total));
        info.orderDetails = *details;
        orderManager()->CreateNewBulkOrderMessage(info);
        return;
    }
    if (built) return orderManager()->PlaceOrder(built);
    orderManager()->PlaceOrder(
        CreateOrderInfoforTradeMode(GetTradingMode(), accountId(), QuantityComboBox->currentText().toStdString()));
}

void TradeTicketWindowController::orderConfirmation(std::int32_t side, const std::string& code, double contractSize,
                                                    const std::string& quantity,
                                                    const std::shared_ptr<model::Order>& built) {
    if (confirmation_) return;  // one sheet at a time
    const TextOfKey lookup = [this](const std::string& key) { return text(key); };
    auto* sheet =
        kit::plainMessageBox(QMessageBox::Information, windowTitle(), QString::fromStdString(text(kMarketOrderKey)), this);
    sheet->setObjectName("orderConfirmation");
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    kit::setPlainInformativeText(
        *sheet, QString::fromStdString(confirmationText(lookup, side, code, contractSize, quantity, entries())).trimmed());
    QPushButton* confirm = sheet->addButton(QString::fromStdString(text("0124")), QMessageBox::AcceptRole);
    sheet->addButton(QString::fromStdString(text("0060")), QMessageBox::RejectRole);
    sheet->setDefaultButton(confirm);
    sheet->setCheckBox(new QCheckBox(QString::fromStdString(text("21021"))));
    connect(sheet, &QMessageBox::buttonClicked, this,
            [this, sheet, confirm, built](QAbstractButton* b) { handleResult(sheet, b == confirm, built); });
    confirmation_ = sheet;
    sheet->open();
}

void TradeTicketWindowController::handleResult(QMessageBox* sheet, bool defaultButton,
                                               const std::shared_ptr<model::Order>& built) {
    if (!defaultButton) return;
    if (sheet && sheet->checkBox() && sheet->checkBox()->isChecked())
        context_.preferences.setDontShowOrderConfirmation(true);
    sendPlaceorderObjects(built);
}

void TradeTicketWindowController::ShowStatusMessage(const platform::Notification& notification) {
    const auto* report = notification.as<orders::PlaceOrderReport>();
    if (!report || report->text.empty() || report->text == orders::kAbortModal) return;
    context_.ui.showAlert(report->text, text("10980"));
}

void TradeTicketWindowController::showConfirmationCheckBoxClicked() {
    context_.preferences.setShowConfirmationAlert(showConfirmationCheckBox->isChecked());
}

}  // namespace trading
