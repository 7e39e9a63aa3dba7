// The ticket's road to the order manager: the price buttons, Place order, the
// request, the confirmation sheet and the refusals it shows. Every road builds
// and checks its order at the click and sends that order once confirmed.
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
#include "kit/own_text.h"
#include "kit/shown_text.h"

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
    if (!toggleMultiTrade_ && !checkMarketOrderisAvailable()) {
        alert("1080");
        return;
    }
    const auto built = buildOrder(buy ? kBuySide : kSellSide);
    if (!built) return;
    BuyCheckBox->setChecked(buy);
    if (context_.preferences.dontShowOrderConfirmation())
        sendPlaceorderObjects(*built);
    else
        orderConfirmation(*built);
}

void TradeTicketWindowController::placeOrderButtonClicked() {
    if (DeviationValidation()) return;
    const auto built = buildOrder(GetTradingMode());
    if (!built) return;
    if (orderType_ == 1 && !context_.preferences.dontShowOrderConfirmation())
        orderConfirmation(*built);
    else
        sendPlaceorderObjects(*built);
}

std::optional<TradeTicketWindowController::TicketOrder> TradeTicketWindowController::buildOrder(std::int32_t side) {
    if (!orderManager()) return std::nullopt;
    TicketOrder built;
    built.side = side;
    built.entries = entries();
    if (toggleMultiTrade_) {
        auto accountOrders = multiTradeOrders(side);  // each ticked account's order, checked
        if (!accountOrders) return std::nullopt;
        built.accountOrders = std::move(*accountOrders);
        double total = 0;
        for (const AccountQuantity& a : multiTradeRows().tickedAccounts()) total += a.quantity;
        built.quantity = plainNumberText(total);
        // The account stays unset and each quantity travels in the per-account text, written
        // when the order is sent; the total is the order's quantity in the log.
        built.order = orderManager()->GenerateBulkOrderDetails(
            trading::CreateOrderInfoforTradeMode(built.entries, side, 0, built.quantity));
    } else {
        built.quantity = QuantityComboBox->currentText().toStdString();
        built.order = orderManager()->GenerateOrder(
            trading::CreateOrderInfoforTradeMode(built.entries, side, accountId(), built.quantity));
    }
    if (!built.order) return std::nullopt;
    return built;
}

void TradeTicketWindowController::sendPlaceorderObjects(const TicketOrder& built) {
    if (!orderManager()) return;
    // The order manager checks again what may have changed since the click.
    if (!built.accountOrders.empty())
        orderManager()->CreateNewBulkOrderMessage(built.order, built.accountOrders);
    else
        orderManager()->PlaceOrder(built.order);
}

void TradeTicketWindowController::orderConfirmation(const TicketOrder& built) {
    if (confirmation_) return;  // one sheet at a time
    const TextOfKey lookup = [this](const std::string& key) { return text(key); };
    auto* sheet =
        kit::plainMessageBox(QMessageBox::Information, windowTitle(), kit::tableText(context_, kMarketOrderKey), this);
    sheet->setObjectName("orderConfirmation");
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    std::vector<ConfirmedAccount> accounts;
    for (const auto& one : built.accountOrders)
        accounts.push_back({static_cast<std::int32_t>(numberOfText(one->AccountNumber)),
                            plainNumberText(numberOfText(one->OrderQty))});
    const std::string shown = confirmationText(lookup, built.side, itemCode_, itemDetails_ ? itemDetails_->ContractSize : 0,
                                               built.quantity, built.entries, built.order->OrderPrice, accounts);
    kit::setPlainInformativeText(*sheet, kit::shownText(shown).trimmed());
    QPushButton* confirm = sheet->addButton(kit::tableText(context_, "0124"), QMessageBox::AcceptRole);
    sheet->addButton(kit::tableText(context_, "0060"), QMessageBox::RejectRole);
    sheet->setDefaultButton(confirm);
    sheet->setCheckBox(new QCheckBox(kit::tableText(context_, "21021")));
    connect(sheet, &QMessageBox::buttonClicked, this,
            [this, sheet, confirm, built](QAbstractButton* b) { handleResult(sheet, b == confirm, built); });
    confirmation_ = sheet;
    sheet->open();
}

void TradeTicketWindowController::handleResult(QMessageBox* sheet, bool defaultButton, const TicketOrder& built) {
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
