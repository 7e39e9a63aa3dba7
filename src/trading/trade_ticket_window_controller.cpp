// The ticket's opening and closing, its lists of accounts, instruments, order
// types, validities and times in force, its modes, texts, theme and drawers.
#include "trading/trade_ticket_window_controller.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QLayout>
#include <QLineEdit>
#include <map>

#include "kit/controls/long_list_combo.h"
#include "kit/popover_placement.h"
#include "kit/core/kit_payloads.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "charts/chart_controller.h"
#include "model/group_details.h"
#include "model/language_string.h"
#include "orders/place_order_notification.h"
#include "platform/resource_bundle.h"
#include "state/notification_payloads.h"
#include "state/session_view.h"
#include "trading/multi_trade_table_model.h"
#include "trading/buy_market_depth_table_controller.h"
#include "trading/core/ticket_offers.h"
#include "trading/sell_market_depth_table_controller.h"
#include "trading/core/ticket_quantities.h"
#include "trading/ticket_image_button.h"
#include "trading/ticket_stepper.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace trading {

namespace {
constexpr const char* kChartKey = "9#4";

QPixmap image(const char* name) {
    QPixmap pixmap;
    if (const auto path = platform::ResourceBundle::pathForResource(std::string("images/") + name, "png"))
        pixmap.load(kit::filePath(*path));
    return pixmap;
}

void setItems(QComboBox* combo, std::vector<std::string> items) { kit::setComboCodes(*combo, std::move(items)); }

// Shows `text` in a combo: its item (by name, else by text) when it has one, else as the shown text.
void showText(QComboBox* combo, const std::string& text) {
    int index = combo->findData(kit::exactText(kit::ExactInput(text)));
    if (index < 0) index = combo->findText(kit::shownText(text));
    if (index >= 0) {
        combo->setCurrentIndex(index);
    } else if (combo->isEditable()) {
        combo->setEditText(kit::shownText(text));
    } else {
        combo->setCurrentIndex(-1);
        combo->setPlaceholderText(kit::shownText(text));
    }
}
}  // namespace

std::string TradeTicketWindowController::chosenName(const QComboBox* combo) {
    const QVariant name = combo->currentData();
    return (name.isValid() ? name.toString() : combo->currentText()).toStdString();
}

void TradeTicketWindowController::setNamedItems(QComboBox* combo, const std::vector<std::string>& names) {
    static const std::map<std::string, std::string> keys = {{"Market", "0068"},   {"Limit", "90520"},
                                                            {"Stop", "90521"},    {"Regular", "90522"},
                                                            {"IntraDay", "90523"}, {"Day", "90524"}};
    combo->clear();
    for (const auto& name : names) {
        const auto key = keys.find(name);
        combo->addItem(key == keys.end() ? kit::shownText(name) : kit::tableText(context_, key->second),
                      kit::exactText(kit::ExactInput(name)));
    }
}

TradeTicketWindowController::TradeTicketWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Tool), context_(context) {
    greenArrow_ = image("banner_green_arrow");
    redArrow_ = image("banner_red_arrow");
    buyImage_ = image("buy_button_img");
    sellImage_ = image("sell_button_img");
    buildWindow();
    connectControls();
}

TradeTicketWindowController::~TradeTicketWindowController() = default;

std::string TradeTicketWindowController::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language,
                                                            key);
}

std::shared_ptr<const state::SessionView> TradeTicketWindowController::session() const {
    return {context_.sessionLifetime, &context_.view};
}

std::shared_ptr<model::ItemDetails> TradeTicketWindowController::item() const { return itemDetails_; }

const model::GroupInstruments* TradeTicketWindowController::groupRow() const {
    const auto s = session();
    if (!s || !accountDetails_) return nullptr;
    return groupInstrument(*s, *accountDetails_, itemCode_).get();
}

int TradeTicketWindowController::mode() const { return TradeTicketRadioGroup->checkedId(); }

void TradeTicketWindowController::connectControls() {
    connect(TradeTicketRadioGroup, &QButtonGroup::idClicked, this, [this](int) { TradeTicketRadioButtonClicked(); });
    for (QComboBox* combo : {AccountComboBox, SymbolComboBox, QuantityComboBox, OrderTypeComboBox, ValidityComboBox,
                             TimeinforceComboBox})
        connect(combo, &QComboBox::activated, this, [this, combo](int) { comboBoxSelectionDidChange(combo); });
    connect(QuantityComboBox->lineEdit(), &QLineEdit::textEdited, this, [this](const QString& typed) {
        calculateContarctValueforQuantity(numberOfText(typed.toStdString()));
    });
    for (QLineEdit* field : {PriceTextField, TakeProfitPriceTextField, StopLossPriceTextField})
        connect(field, &QLineEdit::textEdited, this, [this] { SetStepperValues(); });
    PriceStepper->stepped = [this] { writeSteppedValue(PriceStepper, PriceTextField); };
    TakeProfitStepper->stepped = [this] { writeSteppedValue(TakeProfitStepper, TakeProfitPriceTextField); };
    StopLossStepper->stepped = [this] { writeSteppedValue(StopLossStepper, StopLossPriceTextField); };
    connect(TakeProfitCheckBox, &QCheckBox::clicked, this, [this] { takeProfitCheckboxSelect(); });
    connect(StopLossCheckBox, &QCheckBox::clicked, this, [this] { stopLossCheckboxSelect(); });
    connect(DeviationCheckBox, &QCheckBox::clicked, this, [this] { deviationCheckboxSelect(); });
    connect(buyButton, &QPushButton::clicked, this, [this] { buyButtonClicked(); });
    connect(sellButton, &QPushButton::clicked, this, [this] { sellButtonClicked(); });
    // The side boxes act as the price buttons do in advanced mode.
    connect(BuyCheckBox, &QCheckBox::clicked, this, [this] { buyButtonClicked(); });
    connect(SellCheckBox, &QCheckBox::clicked, this, [this] { sellButtonClicked(); });
    connect(PlaceOrderButton, &QPushButton::clicked, this, [this] { placeOrderButtonClicked(); });
    connect(showConfirmationCheckBox, &QCheckBox::clicked, this, [this] { showConfirmationCheckBoxClicked(); });
    connect(marketDepthChartButton, &QPushButton::clicked, this, [this] { toggleRightDrawer(); });
    connect(multitradeButton, &QPushButton::clicked, this, [this] { toggleLeftDrawer(); });
    connect(multiAccountSelectAllCheckBox, &QCheckBox::clicked, this, [this] { selectAllMultiAccountCheckBoxClicked(); });
    connect(multitradeTableView->horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int column) { doubleClickInTableViewHeader(column); });
    multiTradeModel_->ticked = [this](int) {
        multiAccountSelectAllCheckBox->setChecked(false);
        showQuantity(multiTradeRows().total());
    };
    multiTradeModel_->quantityEdited = [this](int) { showQuantity(multiTradeRows().total()); };
}

// --- Opening and closing ----------------------------------------------------------

void TradeTicketWindowController::setValue(const std::string& value, const std::string&) { itemCode_ = value; }

void TradeTicketWindowController::windowDidAppear() {
    updateLanguageStrings();
    applyTheme();
    LoadAccountDetails();
    LoadSymbolDetails(isTradeTicketfromWatchlist_);
    TradeTicketRadioGroup->button(kSimpleMode)->setChecked(true);
    TradeTicketRadioButtonClicked();
    LoadQuantity();
    UpdateValuesinTimer();
    if (!tick_) {
        auto& center = platform::NotificationCenter::defaultCenter();
        observers_.emplace_back(&center, center.addObserver(orders::kPlaceOrderNotification,
                                                            [this](const platform::Notification& n) {
                                                                ShowStatusMessage(n);
                                                            }));
        observers_.emplace_back(&center, center.addObserver(state::notifications::kItemUpdate, [this](const auto&) {
                                    updateItemsinSymbolComboBox();
                                }));
        observers_.emplace_back(&center, center.addObserver(kit::kTableHeaderEditNotification,
                                                            [this](const platform::Notification& n) {
                                                                const auto* typed = n.as<state::TextPayload>();
                                                                if (!typed || !headerEditor_ ||
                                                                    headerEditor_->text().toStdString() != typed->text)
                                                                    return;
                                                                closeHeaderEditor();
                                                                TableHeaderEdited(typed->text);
                                                            }));
        // An open ticket takes a new theme whole.
        observers_.emplace_back(&center, center.addObserver(kit::kThemeChangedNotification,
                                                            [this](const auto&) { applyTheme(); }));
        tick_ = context_.ticker.subscribe([this] { UpdateValuesinTimer(); });
    }
    checkMultiTradeisAvailable();
    setDefaultWindow();
}

void TradeTicketWindowController::runModalWindow() {
    show();
    raise();
    activateWindow();
}

void TradeTicketWindowController::closeEvent(QCloseEvent* event) {
    windowWillClose();
    QWidget::closeEvent(event);
}

void TradeTicketWindowController::windowWillClose() {
    setDefaultWindow();
    observers_.clear();
    tick_.reset();
}

// --- Accounts and instruments ---------------------------------------------------------

std::vector<std::shared_ptr<model::AccountDetails>> TradeTicketWindowController::getAccountCollection() {
    const auto s = session();
    if (!s) return {};
    if (itemCode_.empty()) {  // the list copied only when its first code is wanted
        const std::vector<std::string> watchlist = s->watchlistCodes();
        if (!watchlist.empty()) itemCode_ = watchlist.front();
    }
    return accountsOffered(*s, itemCode_);
}

void TradeTicketWindowController::LoadAccountDetails() {
    const auto accounts = getAccountCollection();
    AccountComboBox->clear();
    if (accounts.empty()) return;  // the previous account stays
    accountDetails_ = accounts.front();
    for (const auto& account : accounts) AccountComboBox->addItem(QString::number(account->AccountId));
    AccountComboBox->setCurrentIndex(0);
}

void TradeTicketWindowController::AccountSelectionIsChanging(const std::string& text) {
    showText(AccountComboBox, text);
    const auto s = session();
    if (!s) return;
    if (auto account = s->account(text)) accountDetails_ = std::move(account);
}

void TradeTicketWindowController::LoadSymbolDetails(bool fromWatchlist) {
    const auto s = session();
    if (!s) return;
    std::vector<std::string> watchlist = s->watchlistCodes();
    if (!fromWatchlist && !watchlist.empty()) itemCode_ = watchlist.front();
    SymbolSelectionIsChanging(itemCode_);
    setItems(SymbolComboBox, std::move(watchlist));
    kit::sizeToItems(*SymbolComboBox);
    showText(SymbolComboBox, itemCode_);
}

void TradeTicketWindowController::SymbolSelectionIsChanging(const std::string& code) {
    itemCode_ = code;
    itemDetails_.reset();
    if (const auto s = session())
        itemDetails_ = s->instrument(code);
    showText(SymbolComboBox, itemDetails_ ? itemDetails_->Code.str() : code);
    kit::setShownText(*SymbolDescriptionTextField, itemDetails_ ? std::string_view(itemDetails_->Name) : "");
    // Simple mode never fills the price: no figure of the previous instrument stays.
    if (mode() == kSimpleMode) PriceTextField->clear();
    TradeChart->setValue(code, kChartKey);
    TradeChart->applyChartTheme(static_cast<int>(context_.theme ? context_.theme() : 0));  // the load reset it
    UpdateValuesinTimer();
    loadAvailableOrderControls();
    LoadQuantity();
}

void TradeTicketWindowController::updateItemsinSymbolComboBox() {
    const auto s = session();
    if (s && s->watchlistCodes().empty()) close();
    LoadSymbolDetails(false);
    updatePriceinTextField();
    LoadOrderType();
    LoadValidity();
}

// --- Modes and offers ---------------------------------------------------------------

void TradeTicketWindowController::TradeTicketRadioButtonClicked() {
    LoadOrderType();
    LoadValidity();
    setOrderButtonImage(true);
    TakeProfitPriceTextField->clear();
    StopLossPriceTextField->clear();
    DeviationTextField->clear();
    if (mode() == kAdvancedMode) {
        enableSubviews(true, 1.0);
        EnableAdvancedControls();
        TakeProfitCheckBox->setChecked(false);
        StopLossCheckBox->setChecked(false);
        EnableTakeProfitControl(false);
        EnableStopLossControl(false);
        DeviationCheckBox->setChecked(false);
        setEnableDeviationControl(false);
        BuyCheckBox->show();
        SellCheckBox->show();
        BuyCheckBox->setChecked(true);
        SellCheckBox->setChecked(false);
    } else {
        enableSubviews(false, 0.4);
        TakeProfitCheckBox->setChecked(false);
        StopLossCheckBox->setChecked(false);
        DeviationCheckBox->setChecked(false);
        BuyCheckBox->hide();
        SellCheckBox->hide();
        BuyCheckBox->setChecked(false);
        SellCheckBox->setChecked(false);
        updatePriceinTextField();
    }
    loadAvailableOrderControls();
}

void TradeTicketWindowController::LoadOrderType() {
    orderTypeArray_.clear();
    const std::int32_t itemTypes = itemDetails_ ? itemDetails_->availableOrderTypes : 0;
    if (toggleMultiTrade_) {
        std::vector<std::int32_t> accountTypes;
        for (const auto& account : getAccountCollection()) accountTypes.push_back(account->availableOrderTypes);
        orderTypeArray_ = orderTypesOffered(accountTypes, itemTypes);
    } else if (accountDetails_) {
        orderTypeArray_ = orderTypesOffered(accountDetails_->availableOrderTypes, itemTypes);
    }
    setNamedItems(OrderTypeComboBox, orderTypeArray_);
    SetOrderType(orderTypeArray_.empty() ? std::string() : orderTypeArray_.front());
    SetFieldsforAvailableOrderTypes();
    checkDeviationisAvailable(chosenName(OrderTypeComboBox));
}

void TradeTicketWindowController::SetOrderType(const std::string& name) {
    showText(OrderTypeComboBox, name);
    LoadTimeinForce();
    orderType_ = orderTypeValue(name);
    EnableAdvancedControls();
    checkandloadOrderTypesforMultiAccount(name);
    checkDeviationisAvailable(name);
}

void TradeTicketWindowController::EnableAdvancedControls() {
    const bool pending = orderType_ == 2 || orderType_ == 3;
    SetEnableAdvancedControls(pending);
    if (orderType_ != 0) updatePriceinTextField();
}

void TradeTicketWindowController::SetFieldsforAvailableOrderTypes() {
    if (toggleMultiTrade_) {
        for (QWidget* w : std::initializer_list<QWidget*>{TakeProfitCheckBox, TakeProfitPriceTextField,
                                                          TakeProfitStepper, StopLossCheckBox,
                                                          StopLossPriceTextField, StopLossStepper})
            w->show();
        return;
    }
    const BracketOffer offer = bracketsOffered(accountDetails_ ? accountDetails_->availableOrderTypes : 0,
                                               itemDetails_ ? itemDetails_->availableOrderTypes : 0);
    auto apply = [this](bool shown, QCheckBox* box, QLineEdit* field, TicketStepper* stepper, QLabel* hint) {
        for (QWidget* w : std::initializer_list<QWidget*>{box, field, stepper, hint}) w->setVisible(shown);
        if (shown) return;
        box->setChecked(false);
        field->setEnabled(false);
        stepper->setEnabled(false);
        field->clear();
    };
    apply(offer.takeProfit, TakeProfitCheckBox, TakeProfitPriceTextField, TakeProfitStepper,
          takeprofitpricesuggestionLabel);
    apply(offer.stopLoss, StopLossCheckBox, StopLossPriceTextField, StopLossStepper, stoplosspricesuggestionLabel);
}

void TradeTicketWindowController::loadAvailableOrderControls() {
    if (mode() != kAdvancedMode) return;
    const model::GroupInstruments* row = groupRow();
    const SideOffer offer = sidesOffered(row ? row->availableOrderSettings : 0);
    if (!offer.bracketsEnabled) {
        TakeProfitCheckBox->setEnabled(false);
        StopLossCheckBox->setEnabled(false);
        TakeProfitCheckBox->setChecked(false);
        StopLossCheckBox->setChecked(false);
        takeProfitCheckboxSelect();
        stopLossCheckboxSelect();
    }
    if (offer.sell) {
        sellButtonClicked();
    } else {
        buyButtonClicked();
    }
    if (offer.bracketsEnabled) {
        TakeProfitCheckBox->setEnabled(true);
        StopLossCheckBox->setEnabled(true);
    }
}

void TradeTicketWindowController::LoadTimeinForce() {
    setNamedItems(TimeinforceComboBox, timesInForce());
    SetTimeinForce("Day");
}

void TradeTicketWindowController::LoadValidity() {
    setNamedItems(ValidityComboBox, validitiesOffered(groupRow()));
    SetValidity("Regular");
}

void TradeTicketWindowController::SetTimeinForce(const std::string& name) {
    showText(TimeinforceComboBox, name);
    if (const auto value = timeinForceValue(name)) timeinForce_ = *value;
}

void TradeTicketWindowController::SetValidity(const std::string& name) {
    showText(ValidityComboBox, name);
    if (const auto value = deliveryModeValue(name)) deliveryMode_ = *value;
}

void TradeTicketWindowController::comboBoxSelectionDidChange(QComboBox* combo) {
    const std::string chosen = chosenName(combo);
    if (combo == AccountComboBox) {
        AccountSelectionIsChanging(chosen);
        LoadOrderType();
        LoadValidity();
        loadAvailableOrderControls();
    } else if (combo == SymbolComboBox) {
        SymbolSelectionIsChanging(chosen);
        updatePriceinTextField();
        LoadOrderType();
        LoadValidity();
        calculateContarctValueforQuantity(numberOfText(QuantityComboBox->currentText().toStdString()));
    } else if (combo == QuantityComboBox) {
        const std::string plain = plainNumberText(numberOfText(chosen));
        QuantityComboBox->setEditText(kit::shownText(plain));
        calculateContarctValueforQuantity(numberOfText(plain));
    } else if (combo == OrderTypeComboBox) {
        SetOrderType(chosen);
        SetStepperValues();
    } else if (combo == ValidityComboBox) {
        SetValidity(chosen);
    } else if (combo == TimeinforceComboBox) {
        SetTimeinForce(chosen);
    }
}

// --- Texts, theme and drawers -------------------------------------------------------------

void TradeTicketWindowController::updateLanguageStrings() {
    auto q = [this](const char* key) { return kit::tableText(context_, key); };
    setWindowTitle(q("0109"));
    TradeTicketRadioGroup->button(kSimpleMode)->setText(q("0341"));
    TradeTicketRadioGroup->button(kAdvancedMode)->setText(q("0342"));
    TakeProfitCheckBox->setText(q("0233"));
    StopLossCheckBox->setText(q("0234"));
    DeviationCheckBox->setText(q("10848"));
    PlaceOrderButton->setText(q("0123"));
    showConfirmationCheckBox->setText(q("0343"));
    BuyCheckBox->setText(q("0009"));
    SellCheckBox->setText(q("0010"));
    updateDrawerButtonTexts();
    tradeTicketBox->setTitle(q("0072"));
    AdvancedTradeTicketBox->setTitle(q("0342"));
    depthBox->setTitle(q("0288"));
    multiTradeBox->setTitle(q("0482"));
    multiAccountSelectAllCheckBox->setText(q("90302"));
    for (QLabel* label : taggedLabels_) {
        const int tag = label->property("tag").toInt();
        if (tag > 0)
            label->setText(kit::tableText(context_, model::LanguageString::setLanguageKey(std::to_string(tag))));
    }
    buyMarketDepthTableController->setHeaderTitles();
    sellMarketDepthTableController->setHeaderTitles();
}

void TradeTicketWindowController::applyTheme() {
    const std::int64_t theme = context_.theme ? context_.theme() : 0;
    kit::ThemeManager::applyTheme({{"Windows", {this}},
                                   {"TextField", {SymbolDescriptionTextField, QuantityDescriptionTextField,
                                                  DeviationTextField}},
                                   {"Drawer", {rightDrawer, leftDrawer}},
                                   {"TableView", {BuyMarketDepthTableView, SellMarketDepthTableView,
                                                  multitradeTableView}}},
                                  theme);
    TradeChart->applyChartTheme(static_cast<int>(theme));
}

void TradeTicketWindowController::resizeForDrawers() {
    layout()->activate();
    resize(sizeHint().width(), height());
    // A drawer that grew the window past the screen's edge stays on the screen.
    if (isVisible()) kit::keepOnScreen(*this);
}

void TradeTicketWindowController::updateDrawerButtonTexts() {
    // Each arrow points the way its drawer opens: a right-to-left window has the depth on its left.
    const bool rtl = isRightToLeft();
    const QString depth = kit::tableText(context_, "0288");
    const QString multi = kit::tableText(context_, "0482");
    marketDepthChartButton->setText(rtl ? QStringLiteral("<< %1").arg(depth) : QStringLiteral("%1 >>").arg(depth));
    multitradeButton->setText(rtl ? QStringLiteral("%1 >>").arg(multi) : QStringLiteral("<< %1").arg(multi));
}

void TradeTicketWindowController::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LayoutDirectionChange && marketDepthChartButton) updateDrawerButtonTexts();
}

void TradeTicketWindowController::toggleRightDrawer() {
    toggleMarketDepth_ = !rightDrawer->isVisible();
    rightDrawer->setVisible(toggleMarketDepth_);
    resizeForDrawers();
}

void TradeTicketWindowController::toggleLeftDrawer() {
    toggleMultiTrade_ = leftDrawer->isHidden();
    leftDrawer->setVisible(toggleMultiTrade_);
    resizeForDrawers();
    DisableControlsonMultiTrade();
    LoadOrderType();
    if (toggleMultiTrade_) {
        showQuantity(multiTradeRows().total());
        RefreshMultiTradeTableview();
    }
}

void TradeTicketWindowController::setDefaultWindow() {
    if (toggleMarketDepth_ && rightDrawer->isVisible()) {
        rightDrawer->hide();
        toggleMarketDepth_ = false;
    }
    if (toggleMultiTrade_ && !leftDrawer->isHidden()) {
        leftDrawer->hide();
        toggleMultiTrade_ = false;
    }
    closeHeaderEditor();
    DisableControlsonMultiTrade();
    if (isVisible()) resizeForDrawers();
}

}  // namespace trading
