// The ticket's number fields: quantities and contract value, default prices,
// steppers, brackets, hints and colours, deviation, and the live values.
#include <QPixmap>

#include "kit/controls/price_label.h"
#include "model/formatter.h"
#include "orders/order_mananger.h"
#include "trading/buy_market_depth_table_controller.h"
#include "trading/core/ticket_offers.h"
#include "trading/core/ticket_quantities.h"
#include "trading/sell_market_depth_table_controller.h"
#include "trading/ticket_stepper.h"
#include "trading/trade_ticket_window_controller.h"
#include "kit/shown_text.h"

namespace trading {

namespace {
const QColor kValidColour(0, 180, 0);
const QColor kInvalidColour(180, 0, 0);

std::string fieldText(const QLineEdit* field) { return field->text().toStdString(); }
}  // namespace

// --- Quantities ---------------------------------------------------------------------

void TradeTicketWindowController::LoadQuantity() {
    QuantityComboBox->clear();
    QuantityComboBox->setEditText(QStringLiteral("0"));
    calculateContarctValueforQuantity(0);
    const model::GroupInstruments* row = groupRow();
    if (!row) return;
    for (const auto& q : quantityList(row->MinOrderQty, row->OrderQtyStep, row->MaxOrderQty))
        QuantityComboBox->addItem(kit::shownText(q));
    QuantityComboBox->setCurrentIndex(-1);
    QuantityComboBox->setEditText(QStringLiteral("0"));
}

void TradeTicketWindowController::calculateContarctValueforQuantity(double quantity) {
    QuantityDescriptionTextField->setText(
        kit::shownText(contractValueText(quantity, itemDetails_ ? itemDetails_->ContractSize : 0)));
}

// --- Prices ----------------------------------------------------------------------------

void TradeTicketWindowController::updatePriceinTextField() {
    const orders::OrderMananger* manager = orderManager();
    if (!manager) return;
    const std::int32_t buyFlag = GetTradingMode() == kBuySide ? 1 : 0;
    if (mode() == kAdvancedMode)
        PriceTextField->setText(kit::shownText(
            manager->OrderTypeChange(orderType_, GetTradingMode(), itemCode_, accountId(), false)));
    if (TakeProfitCheckBox->isChecked())
        TakeProfitPriceTextField->setText(kit::shownText(manager->UpdateTakeProfitandStopLoss(
            buyFlag, itemCode_, true, accountId(), orderType_, fieldText(PriceTextField), false)));
    if (StopLossCheckBox->isChecked())
        StopLossPriceTextField->setText(kit::shownText(manager->UpdateTakeProfitandStopLoss(
            buyFlag, itemCode_, false, accountId(), orderType_, fieldText(PriceTextField), false)));
    SetStepperValues();
}

void TradeTicketWindowController::SetStepperValues() {
    const double tick = itemDetails_ ? itemDetails_->TickSize : 0;
    for (auto [stepper, field] : {std::pair{PriceStepper, PriceTextField},
                                  std::pair{TakeProfitStepper, TakeProfitPriceTextField},
                                  std::pair{StopLossStepper, StopLossPriceTextField}}) {
        if (tick > 0) stepper->setIncrement(tick);
        stepper->setValue(numberOfText(fieldText(field)));
    }
}

void TradeTicketWindowController::writeSteppedValue(TicketStepper* stepper, QLineEdit* field) {
    if (QWidget* focused = focusWidget()) focused->clearFocus();
    field->setText(kit::shownText(
        model::Formatter::formatDecimal(stepper->value(), itemDetails_ ? itemDetails_->DecimalPlaces : 2)));
}

void TradeTicketWindowController::EnableTakeProfitControl(bool enabled) {
    TakeProfitPriceTextField->setEnabled(enabled);
    TakeProfitStepper->setEnabled(enabled);
}

void TradeTicketWindowController::EnableStopLossControl(bool enabled) {
    StopLossPriceTextField->setEnabled(enabled);
    StopLossStepper->setEnabled(enabled);
}

void TradeTicketWindowController::SetEnableAdvancedControls(bool enabled) {
    PriceTextField->setEnabled(enabled);
    PriceStepper->setEnabled(enabled);
    TimeinforceComboBox->setEnabled(enabled);
}

void TradeTicketWindowController::takeProfitCheckboxSelect() {
    const bool ticked = TakeProfitCheckBox->isChecked();
    EnableTakeProfitControl(ticked);
    if (ticked && orderManager()) {
        TakeProfitPriceTextField->setText(kit::shownText(orderManager()->UpdateTakeProfitandStopLoss(
            GetTradingMode() == kBuySide ? 1 : 0, itemCode_, true, accountId(), orderType_, fieldText(PriceTextField),
            false)));
    } else if (!ticked) {
        TakeProfitPriceTextField->clear();
    }
    SetStepperValues();
    checkandloadOrderTypesforMultiAccount(chosenName(OrderTypeComboBox));
}

void TradeTicketWindowController::stopLossCheckboxSelect() {
    const bool ticked = StopLossCheckBox->isChecked();
    EnableStopLossControl(ticked);
    if (ticked && orderManager()) {
        StopLossPriceTextField->setText(kit::shownText(orderManager()->UpdateTakeProfitandStopLoss(
            GetTradingMode() == kBuySide ? 1 : 0, itemCode_, false, accountId(), orderType_,
            fieldText(PriceTextField), false)));
    } else if (!ticked) {
        StopLossPriceTextField->clear();
    }
    SetStepperValues();
    checkandloadOrderTypesforMultiAccount(chosenName(OrderTypeComboBox));
}

void TradeTicketWindowController::SetTextFieldColor(bool invalid, QLineEdit* field) {
    QPalette palette = field->palette();
    palette.setColor(QPalette::Base, invalid ? kInvalidColour : kValidColour);
    palette.setColor(QPalette::Text, Qt::white);
    field->setPalette(palette);
}

void TradeTicketWindowController::updatePriceTextFieldColor() {
    const orders::OrderMananger* manager = orderManager();
    if (!manager) return;
    const std::int32_t side = GetTradingMode();
    const std::int32_t buyFlag = side == kBuySide ? 1 : 0;
    auto neutral = [](QLineEdit* field) { field->setPalette(QPalette()); };
    auto paint = [&](PriceVerdict verdict, QLineEdit* field) {
        if (verdict == PriceVerdict::Neutral) neutral(field);
        if (verdict == PriceVerdict::Valid || verdict == PriceVerdict::Invalid)
            SetTextFieldColor(verdict == PriceVerdict::Invalid, field);
    };
    const double h = numberOfText(manager->OrderTypeChange(orderType_, side, itemCode_, accountId(), false));
    contigentpricesuggestionLabel->setText(
        kit::shownText(manager->OrderTypeChange(orderType_, side, itemCode_, accountId(), true)));
    paint(orderPriceVerdict(orderType_, side, numberOfText(fieldText(PriceTextField)), h), PriceTextField);

    auto bracket = [&](QCheckBox* box, QLineEdit* field, QLabel* hint, bool takeProfit) {
        if (!box->isChecked()) {
            neutral(field);
            hint->clear();
            return;
        }
        const std::string price = fieldText(PriceTextField);
        const double boundary = numberOfText(manager->UpdateTakeProfitandStopLoss(
            buyFlag, itemCode_, takeProfit, accountId(), orderType_, price, false));
        hint->setText(kit::shownText(manager->UpdateTakeProfitandStopLoss(
            buyFlag, itemCode_, takeProfit, accountId(), orderType_, price, true)));
        const double v = numberOfText(fieldText(field));
        paint(takeProfit ? takeProfitVerdict(side, v, boundary) : stopLossVerdict(side, v, boundary), field);
    };
    bracket(TakeProfitCheckBox, TakeProfitPriceTextField, takeprofitpricesuggestionLabel, true);
    bracket(StopLossCheckBox, StopLossPriceTextField, stoplosspricesuggestionLabel, false);
}

// --- Deviation ---------------------------------------------------------------------------

void TradeTicketWindowController::checkDeviationisAvailable(const std::string& orderTypeName) {
    const bool shown = orderTypeName == kMarket &&
                       (toggleMultiTrade_ || (accountDetails_ && deviationShown(orderTypeName,
                                                                                accountDetails_->accountSettings)));
    DeviationCheckBox->setVisible(shown);
    DeviationTextField->setVisible(shown);
    if (shown) return;
    DeviationCheckBox->setChecked(false);
    setEnableDeviationControl(false);
    DeviationTextField->clear();
}

void TradeTicketWindowController::setEnableDeviationControl(bool enabled) { DeviationTextField->setEnabled(enabled); }

void TradeTicketWindowController::deviationCheckboxSelect() {
    const bool ticked = DeviationCheckBox->isChecked();
    setEnableDeviationControl(ticked);
    DeviationTextField->setText(ticked ? QStringLiteral("0") : QString());
    checkandloadOrderTypesforMultiAccount(chosenName(OrderTypeComboBox));
}

bool TradeTicketWindowController::DeviationValidation() {
    if (!DeviationCheckBox->isChecked() || !DeviationTextField->text().isEmpty()) return false;
    alert("1076");
    return true;
}

// --- Live values --------------------------------------------------------------------------

void TradeTicketWindowController::showPriceButton(bool ask) {
    const model::ItemDetails& it = *itemDetails_;
    const double price = ask ? it.Ask : it.Bid;
    kit::PriceLabel* label = ask ? buyPriceLabel : sellPriceLabel;
    label->setPrice(kit::shownText(model::Formatter::formatDecimal(price, it.DecimalPlaces)),
                    static_cast<int>(it.mostSignificantDigitLength), static_cast<int>(it.leastSignificantDigitLength));
    QLabel* arrow = ask ? buyIndicatorImageView : sellIndicatorImageView;
    switch (lastShown_.show(itemCode_, ask, price)) {
    case TickArrow::Up:
        arrow->setPixmap(greenArrow_);
        break;
    case TickArrow::Down:
        arrow->setPixmap(redArrow_);
        break;
    case TickArrow::None:
        arrow->clear();
        break;
    }
}

void TradeTicketWindowController::UpdateValuesinTimer() {
    if (itemDetails_) {
        const model::ItemDetails& it = *itemDetails_;
        SymbolTextLabel->setText(kit::shownText(it.Code));
        TimeTextLabel->setText(kit::shownText(tickTimeText(it.UpdateTime)));
        LowTextLabel->setText(
            kit::shownText(text("0196") + " : " + model::Formatter::formatDecimal(it.Low, it.DecimalPlaces)));
        HighTextLabel->setText(
            kit::shownText(text("0195") + " : " + model::Formatter::formatDecimal(it.High, it.DecimalPlaces)));
        SpreadTextLabel->setText(kit::shownText(spreadText(it.Ask, it.Bid, it.priceTick)));
        showPriceButton(true);
        showPriceButton(false);
        updatePriceTextFieldColor();
    }
    buyMarketDepthTableController->setValue(itemCode_, "ItemCode");
    sellMarketDepthTableController->setValue(itemCode_, "ItemCode");
    RefreshMultiTradeTableview();
}

}  // namespace trading
