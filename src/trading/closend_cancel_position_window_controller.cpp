#include "trading/closend_cancel_position_window_controller.h"

#include <QHBoxLayout>
#include <algorithm>
#include <tuple>

#include "kit/controls/input_filter_fields.h"
#include "kit/own_text.h"
#include "kit/theme_manager.h"
#include "model/language_string.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "trading/core/position_dialog_values.h"
#include "trading/core/ticket_offers.h"
#include "trading/core/ticket_quantities.h"
#include "kit/shown_text.h"

namespace trading {

namespace {
// Language keys of the labelled fields.
constexpr const char* kOrderPriceKey = "0354";
constexpr const char* kCurrentPriceKey = "0147";
constexpr const char* kEstimatedPLKey = "0139";

QString q(const std::string& s) { return kit::shownText(s); }
}  // namespace

ClosendCancelPositionWindowController::ClosendCancelPositionWindowController(kit::WindowContext& context,
                                                                             QWidget* parent)
    : PositionDialog(parent), context_(context) {
    buildWindow();
}

ClosendCancelPositionWindowController::~ClosendCancelPositionWindowController() = default;

void ClosendCancelPositionWindowController::buildWindow() {
    DialogFrame frame = buildDialogFrame(*this, "ClosendCancelPositionWindowController");
    ClosenadCancelBox = frame.box;
    AccountTextField = frame.account;
    SymbolTextField = frame.symbol;
    SymbolDescriptionTextField = frame.name;
    QuantityComboField = frame.quantity;
    QuantityDescriptionTextField = frame.quantityDescription;
    OrderTypeTextField = frame.orderType;
    OrderPriceTextField = valueField(true);
    CurrentPriceTextField = valueField(true);
    EstimatedPLTextField = valueField(true);
    for (QWidget* w : std::initializer_list<QWidget*>{OrderPriceTextField, CurrentPriceTextField, EstimatedPLTextField})
        w->setMinimumWidth(AccountTextField->minimumWidth());
    DeviationCheckBox = new QCheckBox;
    DeviationTextField = new kit::CustomTextField;
    numberField(DeviationTextField);
    DeviationTextField->setMaximumWidth(90);

    frame.form->addRow(kOrderPriceKey, OrderPriceTextField);
    frame.form->addRow(kCurrentPriceKey, CurrentPriceTextField);
    EstimatedPLLabel = frame.form->addRow(kEstimatedPLKey, EstimatedPLTextField);
    frame.layout->addRow(DeviationCheckBox, DeviationTextField);
    std::tie(CloseandCancelButton, notNowButton) = addDialogButtons(frame);
    form_ = std::move(frame.form);

    connect(CloseandCancelButton, &QPushButton::clicked, this, [this] { CloseandCancelButtonClicked(); });
    connect(notNowButton, &QPushButton::clicked, this, [this] { closeModal(); });
    connect(DeviationCheckBox, &QCheckBox::clicked, this, [this] { deviationCheckboxSelect(); });
    connect(QuantityComboField, &QComboBox::activated, this, [this](int i) { comboBoxSelectionIsChanging(i); });
    for (QLineEdit* edited : {QuantityComboField->lineEdit(), DeviationTextField})
        connect(edited, &QLineEdit::textEdited, this, [this] { UpdateValuesonTimer(false); });
}

std::string ClosendCancelPositionWindowController::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language, key);
}

std::shared_ptr<const state::SessionView> ClosendCancelPositionWindowController::session() const {
    return {context_.sessionLifetime, &context_.view};
}

// --- Opening and closing ---------------------------------------------------------------

void ClosendCancelPositionWindowController::setValue(const std::string& value, const std::string& key) {
    row_.reset();
    if (const auto s = session()) {
        if (key == kRecordIdKey)
            row_.openId(*s, closeorcancelOrder_, value);
        else
            row_.open(*s, closeorcancelOrder_, value);
    }
    CloseandCancelButton->setEnabled(row_.resolved());
    UpdateValuesinWindow();
}

bool ClosendCancelPositionWindowController::hasRecord() const {
    const auto s = session();
    return s && row_.current(*s) != nullptr;
}

void ClosendCancelPositionWindowController::StartTimerandNotification() {
    stopRefreshing();
    auto& center = platform::NotificationCenter::defaultCenter();
    observer_.emplace(&center, center.addObserver(orders::kPlaceOrderNotification,
                                                  [this](const platform::Notification& n) { ShowStatusMessage(n); }));
    tick_ = context_.ticker.subscribe([this] { UpdatePrice(); });
}

void ClosendCancelPositionWindowController::windowDidAppear() {
    updateLanguageStrings();
    applyTheme();
}

void ClosendCancelPositionWindowController::stopRefreshing() {
    observer_.reset();
    tick_.reset();
}

void ClosendCancelPositionWindowController::closeModal() { done(QDialog::Rejected); }

void ClosendCancelPositionWindowController::done(int result) {
    stopRefreshing();
    QDialog::done(result);
}

void ClosendCancelPositionWindowController::updateLanguageStrings() {
    form_->applyTexts([this](const std::string& key) { return text(key); });
    DeviationCheckBox->setText(q(text("10848")));
    notNowButton->setText(q(text("0249")));
    setWindowTitle(ClosenadCancelBox->title());
}

void ClosendCancelPositionWindowController::applyTheme() {
    kit::ThemeManager::applyTheme(
        {{"Windows", {this}},
         {"TextField", {AccountTextField, SymbolTextField, SymbolDescriptionTextField, QuantityDescriptionTextField,
                        OrderTypeTextField, OrderPriceTextField, CurrentPriceTextField, EstimatedPLTextField,
                        DeviationTextField}}},
        context_.theme ? context_.theme() : 0);
    plThemeSheet_ = EstimatedPLTextField->styleSheet();
    if (const auto s = session(); s && closeorcancelOrder_ == kPositionMode)
        if (const auto row = row_.current(*s)) showEstimatedPL(*row, itemOf(*s, *row).get());
}

// --- Fill and refresh ---------------------------------------------------------------------

std::shared_ptr<model::Order> ClosendCancelPositionWindowController::currentRow() {
    const auto s = session();
    auto row = s ? row_.current(*s) : nullptr;
    if (!row && row_.resolved()) {
        // Closed, cancelled or hidden meanwhile: nothing left to act on.
        row_.reset();
        CloseandCancelButton->setEnabled(false);
        closeModal();
    }
    return row;
}

void ClosendCancelPositionWindowController::UpdateValuesinWindow() {
    if (closeorcancelOrder_ != kPositionMode && closeorcancelOrder_ != kPendingMode) return;
    const auto s = session();
    const auto row = s ? row_.current(*s) : nullptr;
    if (!row) return;
    const auto item = itemOf(*s, *row);
    if (closeorcancelOrder_ == kPositionMode) {
        fillClose(*row, item.get());
    } else {
        fillCancel(*row, item.get());
    }
    setWindowTitle(ClosenadCancelBox->title());
}

void ClosendCancelPositionWindowController::fillClose(const model::Order& position, const model::ItemDetails* item) {
    setDeviationControlProperties();
    QuantityComboField->setEnabled(true);
    EstimatedPLTextField->show();
    EstimatedPLLabel->show();
    ClosenadCancelBox->setTitle(kit::numberedTitle(kit::tableText(context_, "0250"), position.OpenPositionId));
    AccountTextField->setText(kit::shownText(position.AccountNumber));
    SymbolTextField->setText(kit::shownText(position.ItemCode));
    SymbolDescriptionTextField->setText(item ? kit::shownText(item->Name) : QString());
    const double closable = closableQuantity(position, session()->getPendingOrderCollection());
    const std::string quantity = plainNumberText(closable);
    QuantityComboField->clear();
    for (const auto& entry : unitQuantityList(closable)) QuantityComboField->addItem(q(entry));
    QuantityComboField->setCurrentIndex(-1);
    QuantityComboField->setEditText(q(quantity));
    shownQuantity_ = q(quantity);
    QuantityDescriptionTextField->setText(q(quantityDescription(quantity, item ? item->ContractSize : 0)));
    OrderTypeTextField->setText(q(text("0068")));
    OrderPriceTextField->setText(q(priceText(position.OrderPrice, item)));
    showLivePrice(position, item);
    showEstimatedPL(position, item);
    showCloseTitle(position, quantity, true);
    checkDeviationisAvailable(position.AccountNumber);
}

void ClosendCancelPositionWindowController::showCloseTitle(const model::Order& position, const std::string& quantity,
                                                           bool fit) {
    const auto title = [&](const std::string& shown) {
        return kit::shownText(closeButtonTitle([this](const std::string& key) { return text(key); }, position, shown));
    };
    if (fit) {
        // Measured with a quantity of as many digits as a trader types, or the closable one's.
        constexpr std::size_t kTypedDigits = 10;
        CloseandCancelButton->setMinimumWidth(0);
        CloseandCancelButton->setText(title(std::string(std::max(kTypedDigits, quantity.size()), '0')));
        CloseandCancelButton->setMinimumWidth(CloseandCancelButton->sizeHint().width());
    }
    CloseandCancelButton->setText(title(quantity));
    // A longer quantity still shows whole.
    if (CloseandCancelButton->sizeHint().width() > CloseandCancelButton->minimumWidth())
        CloseandCancelButton->setMinimumWidth(CloseandCancelButton->sizeHint().width());
}

void ClosendCancelPositionWindowController::fillCancel(const model::Order& order, const model::ItemDetails* item) {
    QuantityComboField->setEnabled(false);
    CloseandCancelButton->setMinimumWidth(0);
    EstimatedPLTextField->hide();
    EstimatedPLLabel->hide();
    ClosenadCancelBox->setTitle(kit::numberedTitle(kit::tableText(context_, "10968"), order.PendingOrderId));
    AccountTextField->setText(kit::shownText(order.AccountNumber));
    SymbolTextField->setText(kit::shownText(order.ItemCode));
    SymbolDescriptionTextField->setText(item ? kit::shownText(item->Name) : QString());
    const std::string quantity = plainNumberText(numberOfText(order.RemainingQty));
    QuantityComboField->setEditText(q(quantity));
    QuantityDescriptionTextField->setText(q(quantityDescription(quantity, item ? item->ContractSize : 0)));
    if (const auto typeKey = orderTypeKey(order.orderType)) {
        OrderTypeTextField->setText(q(text(*typeKey)));
        const std::string prefix = cancelPrefixKey(order.orderType);
        CloseandCancelButton->setText(
            kit::numberedTitle(prefix.empty() ? QString() : kit::tableText(context_, prefix), order.PendingOrderId));
    }
    OrderPriceTextField->setText(q(priceText(order.OrderPrice, item)));
    showLivePrice(order, item);
    checkDeviationisAvailable(order.AccountNumber);
}

void ClosendCancelPositionWindowController::showLivePrice(const model::Order& row, const model::ItemDetails* item) {
    if (!item) {
        CurrentPriceTextField->clear();
        return;
    }
    const auto price = closeorcancelOrder_ == kPositionMode ? closingPrice(*item, row.tradingMode)
                                                            : pendingSidePrice(*item, row.tradingMode);
    if (price) CurrentPriceTextField->setText(q(priceText(*price, item)));
}

void ClosendCancelPositionWindowController::showEstimatedPL(const model::Order& position,
                                                            const model::ItemDetails* item) {
    const double quantity = numberOfText(QuantityComboField->currentText().toStdString());
    const std::string pl = estimatedPLText(*session(), position, item, quantity);
    EstimatedPLTextField->setText(q(pl));  // a figure
    // The theme styles the field with a sheet, so the sign's colour goes after it.
    const QColor colour = numberOfText(pl) < 0 ? kit::ThemeManager::fallColor() : kit::ThemeManager::riseColor();
    EstimatedPLTextField->setStyleSheet(plThemeSheet_ +
                                        QStringLiteral(" QLineEdit { color: %1; }").arg(colour.name(QColor::HexRgb)));
}

void ClosendCancelPositionWindowController::UpdateValuesonTimer(bool fromTimer) {
    if (closeorcancelOrder_ != kPositionMode && closeorcancelOrder_ != kPendingMode) return;
    const auto row = currentRow();
    if (!row) return;
    const auto item = itemOf(*session(), *row);
    if (closeorcancelOrder_ == kPendingMode) {
        showLivePrice(*row, item.get());
        return;
    }
    if (!fromTimer) {
        const std::string quantity = QuantityComboField->currentText().toStdString();
        shownQuantity_ = q(quantity);
        QuantityDescriptionTextField->setText(q(quantityDescription(quantity, item ? item->ContractSize : 0)));
        showCloseTitle(*row, quantity, false);
    }
    showLivePrice(*row, item.get());
    showEstimatedPL(*row, item.get());
}

void ClosendCancelPositionWindowController::comboBoxSelectionIsChanging(int index) {
    if (index < 0) return;
    const QString chosen = q(plainNumberText(numberOfText(QuantityComboField->itemText(index).toStdString())));
    // The combo also reports its own text as chosen when it loses focus: no edit then.
    if (chosen == shownQuantity_) return;
    QuantityComboField->setEditText(chosen);
    UpdateValuesonTimer(false);
}

// --- Deviation -------------------------------------------------------------------------------

void ClosendCancelPositionWindowController::checkDeviationisAvailable(const std::string& accountNumber) {
    const auto s = session();
    const auto account = s ? s->account(accountNumber) : nullptr;
    const bool allowed = closeorcancelOrder_ == kPositionMode && account && (account->accountSettings & kDeviationBit);
    if (!allowed) {
        setDeviationControlProperties();
        return;
    }
    DeviationCheckBox->show();
    DeviationTextField->show();
}

void ClosendCancelPositionWindowController::setDeviationControlProperties() {
    DeviationCheckBox->hide();
    DeviationTextField->hide();
    DeviationCheckBox->setChecked(false);
    EnableDeviationControl(false);
    DeviationTextField->clear();
}

void ClosendCancelPositionWindowController::EnableDeviationControl(bool enabled) {
    DeviationTextField->setEnabled(enabled);
}

void ClosendCancelPositionWindowController::deviationCheckboxSelect() {
    const bool ticked = DeviationCheckBox->isChecked();
    EnableDeviationControl(ticked);
    DeviationTextField->setText(ticked ? QStringLiteral("0") : QString());
}

bool ClosendCancelPositionWindowController::DeviationValidation() {
    if (!DeviationCheckBox->isChecked() || !DeviationTextField->text().isEmpty()) return false;
    context_.ui.showAlert(text("1076"), text("10980"));
    return true;
}

// --- Sending and the verdict -------------------------------------------------------------------

void ClosendCancelPositionWindowController::CloseandCancelButtonClicked() {
    if (closeorcancelOrder_ != kPositionMode && closeorcancelOrder_ != kPendingMode) return;
    orders::OrderMananger* manager = &context_.orderManager;
    if (closeorcancelOrder_ == kPositionMode && DeviationValidation()) return;
    const auto row = currentRow();
    if (!row || !manager) return;
    if (closeorcancelOrder_ == kPendingMode) {
        manager->PlaceEditWorkingOrder(cancelRequest(*row));
        return;
    }
    const bool ticked = DeviationCheckBox->isChecked();  // a hidden box is never ticked
    manager->PlacePartialOrder(closeRequest(*row, QuantityComboField->currentText().toStdString(),
                                            closeDeviation(ticked, DeviationTextField->text().toStdString())));
}

void ClosendCancelPositionWindowController::ShowStatusMessage(const platform::Notification& notification) {
    const auto* report = notification.as<orders::PlaceOrderReport>();
    if (!report || report->text.empty()) return;
    if (report->text == orders::kAbortModal) {
        closeModal();
        return;
    }
    context_.ui.showAlert(report->text, text("10980"));
}

}  // namespace trading
