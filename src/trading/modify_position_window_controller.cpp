#include "trading/modify_position_window_controller.h"

#include <QHBoxLayout>
#include <tuple>

#include "kit/controls/input_filter_fields.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "trading/core/position_row_reference.h"
#include "trading/core/ticket_offers.h"
#include "trading/core/ticket_quantities.h"
#include "trading/ticket_stepper.h"
#include "kit/shown_text.h"

namespace trading {

namespace {
constexpr std::int32_t kMarketType = 1;

QString q(const std::string& s) { return kit::shownText(s); }

QHBoxLayout* priceRow(QLineEdit* field, QWidget* stepper) {
    auto* row = new QHBoxLayout;
    row->setSpacing(6);
    row->addWidget(field, 1);
    row->addWidget(stepper);
    return row;
}
}  // namespace

ModifyPositionWindowController::ModifyPositionWindowController(kit::WindowContext& context, QWidget* parent)
    : PositionDialog(parent), context_(context) {
    buildWindow();
}

ModifyPositionWindowController::~ModifyPositionWindowController() = default;

void ModifyPositionWindowController::buildWindow() {
    DialogFrame frame = buildDialogFrame(*this, "ModifyPositionWindowController");
    EditOrderBox = frame.box;
    AccountTextField = frame.account;
    SymbolTextField = frame.symbol;
    SymbolDescriptionTextField = frame.name;
    QuantityComboField = frame.quantity;
    QuantityDescriptionTextField = frame.quantityDescription;
    orderTypeTextField = frame.orderType;
    OrderPriceTextField = new kit::DecimalInputField;
    TakeProfitTextField = new kit::DecimalInputField;
    StopLossTextField = new kit::DecimalInputField;
    for (QLineEdit* f : {OrderPriceTextField, TakeProfitTextField, StopLossTextField}) {
        numberField(f);
        f->setMinimumWidth(AccountTextField->minimumWidth());
    }
    takeProfitCheckBox = new QCheckBox;
    stopLossCheckBox = new QCheckBox;
    takeProfitStepper = new TicketStepper;
    stopLossStepper = new TicketStepper;
    priceTitleTextField = kit::plainLabel();
    priceTitleTextField->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    // The price row keeps the steppers' column so the three prices line up.
    auto* spacer = new QWidget;
    spacer->setFixedWidth(takeProfitStepper->sizeHint().width());
    frame.layout->addRow(priceTitleTextField, priceRow(OrderPriceTextField, spacer));
    frame.layout->addRow(takeProfitCheckBox, priceRow(TakeProfitTextField, takeProfitStepper));
    frame.layout->addRow(stopLossCheckBox, priceRow(StopLossTextField, stopLossStepper));
    std::tie(ModifyButton, notNowButton) = addDialogButtons(frame);
    form_ = std::move(frame.form);

    connect(ModifyButton, &QPushButton::clicked, this, [this] { ModifyButtonClicked(); });
    connect(notNowButton, &QPushButton::clicked, this, [this] { closeModal(); });
    connect(takeProfitCheckBox, &QCheckBox::clicked, this, [this] { takeProfitCheckboxSelect(); });
    connect(stopLossCheckBox, &QCheckBox::clicked, this, [this] { stopLossCheckboxSelect(); });
    connect(QuantityComboField, &QComboBox::activated, this, [this](int i) { comboBoxSelectionIsChanging(i); });
    connect(QuantityComboField->lineEdit(), &QLineEdit::textEdited, this, [this] { UpdateValueFields(); });
    for (QLineEdit* f : {TakeProfitTextField, StopLossTextField})
        connect(f, &QLineEdit::textEdited, this, [this] { SetStepperValues(); });
    takeProfitStepper->stepped = [this] { writeSteppedValue(takeProfitStepper, TakeProfitTextField); };
    stopLossStepper->stepped = [this] { writeSteppedValue(stopLossStepper, StopLossTextField); };
}

std::string ModifyPositionWindowController::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language,
                                                            key);
}

const std::shared_ptr<model::Order>& ModifyPositionWindowController::row() const {
    static const std::shared_ptr<model::Order> none;
    if (editOrder_ == kPositionMode) return openOrder_;
    if (editOrder_ == kPendingMode) return pendingOrder_;
    return none;
}

// --- Opening and closing -------------------------------------------------------------------

void ModifyPositionWindowController::setValue(const std::string& value, const std::string& key) {
    openOrder_.reset();
    pendingOrder_.reset();
    item_.reset();
    accountDet_.reset();
    const state::SessionView* session = &context_.view;
    const auto index = rowIndexOf(value);
    if (session && (key == kRecordIdKey || index)) {
        auto order = key == kRecordIdKey ? orderWithId(*session, editOrder_, value)
                                         : orderAtRow(*session, editOrder_, *index);
        if (order) {
            item_ = itemOf(*session, *order);
            accountDet_ = accountOf(*session, *order);
        }
        (editOrder_ == kPendingMode ? pendingOrder_ : openOrder_) = std::move(order);
    }
    UpdateValuesinWindow();
}

void ModifyPositionWindowController::StartTimerandNotification() {
    auto& center = platform::NotificationCenter::defaultCenter();
    observer_.reset();
    observer_.emplace(&center, center.addObserver(orders::kPlaceOrderNotification,
                                                  [this](const platform::Notification& n) { ShowStatusMessage(n); }));
}

void ModifyPositionWindowController::windowDidAppear() {
    updateLanguageStrings();
    applyTheme();
}

void ModifyPositionWindowController::closeModal() { done(QDialog::Rejected); }

void ModifyPositionWindowController::done(int result) {
    observer_.reset();
    QDialog::done(result);
}

void ModifyPositionWindowController::updateLanguageStrings() {
    form_->applyTexts([this](const std::string& key) { return text(key); });
    stopLossCheckBox->setText(q(text("0234")));
    takeProfitCheckBox->setText(q(text("0233")));
    priceTitleTextField->setText(q(text("0232")));
    notNowButton->setText(q(text("0249")));
}

void ModifyPositionWindowController::applyTheme() {
    kit::ThemeManager::applyTheme(
        {{"Windows", {this}},
         {"TextField", {AccountTextField, SymbolTextField, SymbolDescriptionTextField, QuantityDescriptionTextField,
                        OrderPriceTextField, orderTypeTextField, StopLossTextField, TakeProfitTextField}}},
        context_.theme ? context_.theme() : 0);
}

// --- Fill -------------------------------------------------------------------------------------

void ModifyPositionWindowController::UpdateValuesinWindow() {
    EnableStopLossControl(false);
    EnableTakeProfitControl(false);
    QuantityComboField->setEnabled(false);
    StopLossTextField->clear();
    TakeProfitTextField->clear();
    const auto& order = row();
    if (order && editOrder_ == kPositionMode) {
        OrderPriceTextField->setReadOnly(true);
        if (const auto typeKey = orderTypeKey(order->orderType)) orderTypeTextField->setText(q(text(*typeKey)));
        fillRow(*order, text("0282"), order->OpenPositionId);
    } else if (order && editOrder_ == kPendingMode) {
        OrderPriceTextField->setReadOnly(false);
        const std::string prefix = editPrefixKey(order->orderType);
        if (const auto typeKey = orderTypeKey(order->orderType)) orderTypeTextField->setText(q(text(*typeKey)));
        fillRow(*order, prefix.empty() ? "" : text(prefix), order->PendingOrderId);
        QuantityComboField->setEnabled(order->RefPositionIdOfBracket().empty());
    }
    SetStepperValues();
    SetFieldsforAvailableOrderTypes();
    ModifyButton->setEnabled(order != nullptr);
}

void ModifyPositionWindowController::fillRow(const model::Order& order, const std::string& titlePrefix,
                                             const std::string& id) {
    const model::ItemDetails* item = item_.get();
    const std::string title = numberedTitle(titlePrefix, id);
    EditOrderBox->setTitle(kit::shownText(title));
    setWindowTitle(kit::shownText(title));
    AccountTextField->setText(kit::shownText(order.AccountNumber));
    SymbolTextField->setText(kit::shownText(order.ItemCode));
    SymbolDescriptionTextField->setText(item ? kit::shownText(item->Name) : QString());
    const double remaining = numberOfText(order.RemainingQty);
    QuantityComboField->clear();
    for (const auto& entry : unitQuantityList(remaining)) QuantityComboField->addItem(q(entry));
    QuantityComboField->setCurrentIndex(-1);
    QuantityComboField->setEditText(q(plainNumberText(remaining)));
    QuantityDescriptionTextField->setText(
        q(quantityDescription(QuantityComboField->currentText().toStdString(), item ? item->ContractSize : 0)));
    OrderPriceTextField->setText(q(priceText(order.OrderPrice, item)));
    if (!order.LimitPrice.empty()) {
        EnableTakeProfitControl(true);
        TakeProfitTextField->setText(q(priceText(order.LimitPrice, item)));
    }
    if (!order.StopPrice.empty()) {
        EnableStopLossControl(true);
        StopLossTextField->setText(q(priceText(order.StopPrice, item)));
    }
    ModifyButton->setText(kit::shownText(title));
}

void ModifyPositionWindowController::SetFieldsforAvailableOrderTypes() {
    const BracketOffer offer =
        bracketsOffered(accountDet_ ? accountDet_->availableOrderTypes : 0, item_ ? item_->availableOrderTypes : 0);
    // A hidden leg keeps its box and text: the request carries them as filled.
    for (QWidget* w : std::initializer_list<QWidget*>{takeProfitCheckBox, takeProfitStepper, TakeProfitTextField})
        w->setVisible(offer.takeProfit);
    for (QWidget* w : std::initializer_list<QWidget*>{stopLossCheckBox, stopLossStepper, StopLossTextField})
        w->setVisible(offer.stopLoss);
}

void ModifyPositionWindowController::UpdateValueFields() {
    if (editOrder_ != kPendingMode) return;
    QuantityDescriptionTextField->setText(q(quantityDescription(QuantityComboField->currentText().toStdString(),
                                                                item_ ? item_->ContractSize : 0)));
}

void ModifyPositionWindowController::comboBoxSelectionIsChanging(int index) {
    if (index < 0) return;
    QuantityComboField->setEditText(q(plainNumberText(numberOfText(QuantityComboField->itemText(index).toStdString()))));
    UpdateValueFields();
}

// --- Bracket legs ------------------------------------------------------------------------------

void ModifyPositionWindowController::EnableTakeProfitControl(bool enabled) {
    takeProfitCheckBox->setChecked(enabled);
    TakeProfitTextField->setEnabled(enabled);
    takeProfitStepper->setEnabled(enabled);
}

void ModifyPositionWindowController::EnableStopLossControl(bool enabled) {
    stopLossCheckBox->setChecked(enabled);
    StopLossTextField->setEnabled(enabled);
    stopLossStepper->setEnabled(enabled);
}

void ModifyPositionWindowController::takeProfitCheckboxSelect() { tickLeg(true); }

void ModifyPositionWindowController::stopLossCheckboxSelect() { tickLeg(false); }

void ModifyPositionWindowController::tickLeg(bool takeProfit) {
    QCheckBox* box = takeProfit ? takeProfitCheckBox : stopLossCheckBox;
    QLineEdit* field = takeProfit ? TakeProfitTextField : StopLossTextField;
    const bool ticked = box->isChecked();
    takeProfit ? EnableTakeProfitControl(ticked) : EnableStopLossControl(ticked);
    if (!ticked) {
        field->clear();
    } else if (const auto& order = row()) {
        const bool pending = editOrder_ == kPendingMode;
        field->setText(q(context_.orderManager.UpdateTakeProfitandStopLoss(
            suggestionBuyFlag(order->tradingMode), order->ItemCode, takeProfit,
            accountNumberOf(AccountTextField->text().toStdString()), pending ? order->orderType : kMarketType,
            pending ? order->OrderPrice.str() : std::string(), false)));
    }
    SetStepperValues();
}

void ModifyPositionWindowController::SetStepperValues() {
    for (auto [stepper, field] : {std::pair{takeProfitStepper, TakeProfitTextField},
                                  std::pair{stopLossStepper, StopLossTextField}}) {
        if (item_ && item_->TickSize > 0) stepper->setIncrement(item_->TickSize);
        stepper->setValue(numberOfText(field->text().toStdString()));
    }
}

void ModifyPositionWindowController::writeSteppedValue(TicketStepper* stepper, QLineEdit* field) {
    field->setText(q(model::Formatter::formatDecimal(stepper->value(), item_ ? item_->DecimalPlaces : 2)));
}

// --- Sending and the verdict ---------------------------------------------------------------------

ModifyEntries ModifyPositionWindowController::entries() const {
    ModifyEntries e;
    e.quantity = QuantityComboField->currentText().toStdString();
    e.price = OrderPriceTextField->text().toStdString();
    e.takeProfit = TakeProfitTextField->text().toStdString();
    e.stopLoss = StopLossTextField->text().toStdString();
    e.takeProfitTicked = takeProfitCheckBox->isChecked();
    e.stopLossTicked = stopLossCheckBox->isChecked();
    return e;
}

void ModifyPositionWindowController::ModifyButtonClicked() {
    orders::OrderMananger* manager = &context_.orderManager;
    const auto& order = row();
    if (!manager || !order) return;
    if (editOrder_ == kPositionMode) {
        manager->PlaceEditBracketOrder(bracketRequest(*order, entries()));
    } else {
        manager->PlaceEditWorkingOrder(editRequest(*order, entries()));
    }
}

void ModifyPositionWindowController::ShowStatusMessage(const platform::Notification& notification) {
    const auto* report = notification.as<orders::PlaceOrderReport>();
    if (!report || report->text.empty()) return;
    if (report->text == orders::kAbortModal) {
        closeModal();
        return;
    }
    context_.ui.showAlert(report->text, text("10980"));
}

}  // namespace trading
