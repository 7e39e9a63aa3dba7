#pragma once
// The order ticket: a tool window floating above the main window, one per
// login. It offers what the account, its group and the instrument allow,
// refreshes prices at each tick of the login's ticker, and hands filled
// requests to the order manager. The market-depth drawer hangs on its right,
// the multi-account drawer on its left. Main thread.
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "kit/live_ticker.h"
#include "kit/window_context.h"
#include "model/account_details.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/order.h"
#include "platform/notification_center.h"
#include "trading/core/multi_trade_rows.h"
#include "trading/core/ticket_order.h"
#include "trading/core/ticket_prices.h"
#include "kit/controls/quote_line_label.h"

namespace state {
class SessionView;
class SessionCommands;
}
namespace orders {
class OrderMananger;
}
namespace kit {
class PriceLabel;
}
namespace charts {
class ChartController;
}

namespace trading {

class BuyMarketDepthTableController;
class SellMarketDepthTableController;
class TicketStepper;
class TicketImageButton;
class MultiTradeTableModel;

class TradeTicketWindowController : public QWidget {
public:
    static constexpr int kSimpleMode = 1000;
    static constexpr int kAdvancedMode = 1001;

    explicit TradeTicketWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    ~TradeTicketWindowController() override;

    // --- Opening ----------------------------------------------------------------
    void setIsTradeTicketfromWatchlist(bool fromWatchlist) { isTradeTicketfromWatchlist_ = fromWatchlist; }
    // Stores the value as the item code whatever the key.
    void setValue(const std::string& value, const std::string& key);
    void windowDidAppear();
    // Floating above the main window, key and in front; not modal.
    void runModalWindow();
    void windowWillClose();

    // --- Lists and modes ---------------------------------------------------------
    std::vector<std::shared_ptr<model::AccountDetails>> getAccountCollection();
    void LoadAccountDetails();
    void AccountSelectionIsChanging(const std::string& text);
    void LoadSymbolDetails(bool fromWatchlist);
    void SymbolSelectionIsChanging(const std::string& code);
    void updateItemsinSymbolComboBox();
    void TradeTicketRadioButtonClicked();
    void enableSubviews(bool enabled, double alpha);
    void LoadOrderType();
    void SetOrderType(const std::string& name);
    void EnableAdvancedControls();
    void SetFieldsforAvailableOrderTypes();
    void loadAvailableOrderControls();
    void LoadTimeinForce();
    void LoadValidity();
    void SetTimeinForce(const std::string& name);
    void SetValidity(const std::string& name);
    void comboBoxSelectionDidChange(QComboBox* combo);
    void updateLanguageStrings();
    void updateDrawerButtonTexts();
    void applyTheme();
    void toggleRightDrawer();
    void toggleLeftDrawer();
    void setDefaultWindow();
    void checkMultiTradeisAvailable();

    // --- Multi-account drawer ------------------------------------------------------
    void LoadMultiAccountDetails();
    // Rows again for the order type and the bracket and deviation boxes; only while open.
    void checkandloadOrderTypesforMultiAccount(const std::string& orderTypeName);
    void DisableControlsonMultiTrade();
    void RefreshMultiTradeTableview();
    // The margin column as wide as the table's rest or its widest figure, whichever is wider.
    void fitMarginColumn();
    static constexpr int kMultiTradeDrawerWidth = 300;  // wider for a wide figure
    void hitCheckbox(int row);
    void selectAllMultiAccountCheckBoxClicked();
    void QuantitySelectedAtIndex(int row, const std::string& text);
    // The quantity header's editor, when at least two rows are ticked.
    void doubleClickInTableViewHeader(int column);
    void TableHeaderEdited(const std::string& text);
    // True (after the alert) when no row is ticked.
    bool CheckMultiTradeValidation();
    const MultiTradeRows& multiTradeRows() const;
    QWidget* headerEditor() const { return headerEditor_; }

    // --- Fields ------------------------------------------------------------------
    void LoadQuantity();
    void calculateContarctValueforQuantity(double quantity);
    void updatePriceinTextField();
    void SetStepperValues();
    void takeProfitCheckboxSelect();
    void stopLossCheckboxSelect();
    void EnableTakeProfitControl(bool enabled);
    void EnableStopLossControl(bool enabled);
    void SetEnableAdvancedControls(bool enabled);
    void updatePriceTextFieldColor();
    void SetTextFieldColor(bool invalid, QLineEdit* field);
    void checkDeviationisAvailable(const std::string& orderTypeName);
    void setEnableDeviationControl(bool enabled);
    void deviationCheckboxSelect();
    // True (after the alert) when the deviation is ticked and empty.
    bool DeviationValidation();
    void UpdateValuesinTimer();

    // --- Placing -----------------------------------------------------------------
    void buyButtonClicked();
    void sellButtonClicked();
    void placeOrderButtonClicked();
    bool checkMarketOrderisAvailable() const;
    std::int32_t GetTradingMode() const;
    model::OrderInfo CreateOrderInfoforTradeMode(std::int32_t side, std::int32_t account, const std::string& quantity);
    // The order of a click, built and checked at the click (prices, time); the
    // confirmation shows it and the ticket sends it with those prices, once the
    // order manager's checks pass again.
    struct TicketOrder {
        std::shared_ptr<model::Order> order;
        // Several accounts: each account's own order, sent within the bulk order.
        std::vector<std::shared_ptr<model::Order>> accountOrders;
        std::int32_t side = 0;
        std::string quantity;  // as the confirmation shows it
        TicketEntries entries;
    };
    // Nothing when a check refused it (reported) or nothing is ticked.
    std::optional<TicketOrder> buildOrder(std::int32_t side);
    void sendPlaceorderObjects(const TicketOrder& built);
    void orderConfirmation(const TicketOrder& built);
    void handleResult(QMessageBox* alert, bool defaultButton, const TicketOrder& built);
    void ShowStatusMessage(const platform::Notification& notification);
    void showConfirmationCheckBoxClicked();

    // --- State the tests read ------------------------------------------------------
    const std::string& itemCode() const { return itemCode_; }
    std::int32_t orderType() const { return orderType_; }
    std::int32_t deliveryMode() const { return deliveryMode_; }
    std::int32_t timeinForce() const { return timeinForce_; }
    const std::shared_ptr<model::AccountDetails>& accountDetails() const { return accountDetails_; }
    bool toggleMarketDepth() const { return toggleMarketDepth_; }
    bool toggleMultiTrade() const { return toggleMultiTrade_; }
    bool hasTimer() const { return bool(tick_); }
    std::size_t observerCount() const { return observers_.size(); }
    int mode() const;
    QMessageBox* confirmation() const { return confirmation_; }

    // --- Controls ----------------------------------------------------------------
    QButtonGroup* TradeTicketRadioGroup = nullptr;
    QGroupBox* tradeTicketBox = nullptr;
    QGroupBox* AdvancedTradeTicketBox = nullptr;
    QComboBox* AccountComboBox = nullptr;
    QComboBox* SymbolComboBox = nullptr;
    QLabel* SymbolDescriptionTextField = nullptr;
    QComboBox* QuantityComboBox = nullptr;
    QLabel* QuantityDescriptionTextField = nullptr;
    QComboBox* OrderTypeComboBox = nullptr;
    QComboBox* ValidityComboBox = nullptr;
    QComboBox* TimeinforceComboBox = nullptr;
    QLineEdit* PriceTextField = nullptr;
    TicketStepper* PriceStepper = nullptr;
    QCheckBox* TakeProfitCheckBox = nullptr;
    QLineEdit* TakeProfitPriceTextField = nullptr;
    TicketStepper* TakeProfitStepper = nullptr;
    QCheckBox* StopLossCheckBox = nullptr;
    QLineEdit* StopLossPriceTextField = nullptr;
    TicketStepper* StopLossStepper = nullptr;
    QLabel* contigentpricesuggestionLabel = nullptr;
    QLabel* takeprofitpricesuggestionLabel = nullptr;
    QLabel* stoplosspricesuggestionLabel = nullptr;
    QCheckBox* DeviationCheckBox = nullptr;
    QLineEdit* DeviationTextField = nullptr;
    QCheckBox* BuyCheckBox = nullptr;
    QCheckBox* SellCheckBox = nullptr;
    TicketImageButton* PlaceOrderButton = nullptr;
    QPushButton* buyButton = nullptr;
    QPushButton* sellButton = nullptr;
    kit::PriceLabel* buyPriceLabel = nullptr;
    kit::PriceLabel* sellPriceLabel = nullptr;
    QLabel* buyIndicatorImageView = nullptr;
    QLabel* sellIndicatorImageView = nullptr;
    QLabel* SymbolTextLabel = nullptr;
    kit::QuoteLineLabel* TimeTextLabel = nullptr;
    kit::QuoteLineLabel* LowTextLabel = nullptr;
    kit::QuoteLineLabel* HighTextLabel = nullptr;
    kit::QuoteLineLabel* SpreadTextLabel = nullptr;
    QCheckBox* showConfirmationCheckBox = nullptr;
    QPushButton* marketDepthChartButton = nullptr;
    QFrame* rightDrawer = nullptr;
    QGroupBox* depthBox = nullptr;  // the right drawer's titled box
    QPushButton* multitradeButton = nullptr;
    QFrame* leftDrawer = nullptr;
    QGroupBox* multiTradeBox = nullptr;  // the left drawer's titled box
    BuyMarketDepthTableController* buyMarketDepthTableController = nullptr;
    SellMarketDepthTableController* sellMarketDepthTableController = nullptr;
    QTableView* BuyMarketDepthTableView = nullptr;
    QTableView* SellMarketDepthTableView = nullptr;
    charts::ChartController* TradeChart = nullptr;
    QTableView* multitradeTableView = nullptr;
    QCheckBox* multiAccountSelectAllCheckBox = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Simple mode: the order at once (confirmed); advanced mode: only the side.
    void sideButtonClicked(bool buy);
    // Each ticked row's own order, checked; nullopt when nothing is ticked or a row fails.
    std::optional<std::vector<std::shared_ptr<model::Order>>> multiTradeOrders(std::int32_t side);
    void showQuantity(double quantity);
    void closeHeaderEditor();
    void buildWindow();
    QWidget* buildPriceButtons();
    QWidget* buildAdvancedBox();
    QFrame* buildDepthDrawer();
    QFrame* buildMultiTradeDrawer();
    void connectControls();
    void resizeForDrawers();
    std::string text(const std::string& key) const;
    // A pop-up's chosen entry by its name ("Market", "Day"), whatever the language shows.
    static std::string chosenName(const QComboBox* combo);
    // Order types, validities and times in force by name, shown in the language.
    void setNamedItems(QComboBox* combo, const std::vector<std::string>& names);
    std::shared_ptr<const state::SessionView> session() const;
    orders::OrderMananger* orderManager() const { return &context_.orderManager; }
    std::shared_ptr<model::ItemDetails> item() const;
    const model::GroupInstruments* groupRow() const;
    TicketEntries entries() const;
    std::int32_t accountId() const { return accountDetails_ ? accountDetails_->AccountId : 0; }
    void setOrderButtonImage(bool buy);
    void showPriceButton(bool ask);
    void alert(const std::string& messageKey);
    void writeSteppedValue(TicketStepper* stepper, QLineEdit* field);

    kit::WindowContext& context_;
    bool isTradeTicketfromWatchlist_ = false;
    std::string itemCode_;
    std::shared_ptr<model::AccountDetails> accountDetails_;
    std::shared_ptr<model::ItemDetails> itemDetails_;
    std::int32_t orderType_ = 0;
    std::int32_t deliveryMode_ = 1;
    std::int32_t timeinForce_ = 5;
    std::vector<std::string> orderTypeArray_;
    bool toggleMarketDepth_ = false;
    bool toggleMultiTrade_ = false;
    kit::LiveTicker::Subscription tick_;
    std::vector<platform::ObserverHandle> observers_;
    LastShownPrices lastShown_;
    QPointer<QMessageBox> confirmation_;
    QPixmap greenArrow_, redArrow_, buyImage_, sellImage_;
    QWidget* advancedContent_ = nullptr;
    std::vector<QLabel*> taggedLabels_;
    MultiTradeTableModel* multiTradeModel_ = nullptr;
    QPointer<QLineEdit> headerEditor_;
};

}  // namespace trading
