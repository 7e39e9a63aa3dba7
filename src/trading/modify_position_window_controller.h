#pragma once
// The modify sheet: the take-profit and stop-loss of an open position (mode 0)
// or the price, bracket and quantity of a pending order (mode 1). It takes its
// records once, at the fill, from the bound-checked row, keeps them and builds
// the request from them; nothing refreshes it while open. It closes when the
// order manager reports the request sent. Main thread.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <memory>
#include <optional>
#include <string>

#include "kit/window_context.h"
#include "model/account_details.h"
#include "model/item_details.h"
#include "model/order.h"
#include "platform/notification_center.h"
#include "trading/core/position_dialog_values.h"
#include "trading/position_dialog.h"
#include "trading/position_dialog_form.h"

namespace trading {

class TicketStepper;

class ModifyPositionWindowController : public PositionDialog {
public:
    explicit ModifyPositionWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    ~ModifyPositionWindowController() override;

    // --- Opening (PositionDialog) --------------------------------------------------
    void setDialogMode(std::int32_t mode) override { setEditOrder(mode); }
    // Reads the record of that id (or row "OrderIndex") of the mode's collection, if it exists, and fills.
    void setValue(const std::string& value, const std::string& key) override;
    // Observes "PlaceOrderNotification"; there is no timer.
    void StartTimerandNotification() override;
    void windowDidAppear() override;
    // True when the last setValue found its row; the tables open no dialog
    // without one (an index past the end fills nothing and sends nothing).
    bool hasRecord() const override { return row() != nullptr; }

    void setEditOrder(std::int32_t mode) { editOrder_ = mode; }
    std::int32_t editOrder() const { return editOrder_; }

    void updateLanguageStrings();
    void applyTheme();
    void closeModal();
    void UpdateValuesinWindow();
    void EnableTakeProfitControl(bool enabled);
    void EnableStopLossControl(bool enabled);
    void takeProfitCheckboxSelect();
    void stopLossCheckboxSelect();
    void SetStepperValues();
    void ShowStatusMessage(const platform::Notification& notification);
    void ModifyButtonClicked();
    void UpdateValueFields();
    void SetFieldsforAvailableOrderTypes();
    void comboBoxSelectionIsChanging(int index);

    // --- State the tests read --------------------------------------------------------
    bool isObserving() const { return observer_.has_value(); }
    ModifyEntries entries() const;

    // --- Controls --------------------------------------------------------------------
    QGroupBox* EditOrderBox = nullptr;
    QLineEdit* AccountTextField = nullptr;
    QLineEdit* SymbolTextField = nullptr;
    QLineEdit* SymbolDescriptionTextField = nullptr;
    QComboBox* QuantityComboField = nullptr;
    QLineEdit* QuantityDescriptionTextField = nullptr;
    QLineEdit* orderTypeTextField = nullptr;
    QLineEdit* OrderPriceTextField = nullptr;
    QLineEdit* StopLossTextField = nullptr;
    QLineEdit* TakeProfitTextField = nullptr;
    QCheckBox* stopLossCheckBox = nullptr;
    QCheckBox* takeProfitCheckBox = nullptr;
    TicketStepper* stopLossStepper = nullptr;
    TicketStepper* takeProfitStepper = nullptr;
    QPushButton* ModifyButton = nullptr;
    QPushButton* notNowButton = nullptr;
    QLabel* priceTitleTextField = nullptr;

    void done(int result) override;

private:
    void buildWindow();
    std::string text(const std::string& key) const;
    // The record of the mode: openOrder_ (0) or pendingOrder_ (1).
    const std::shared_ptr<model::Order>& row() const;
    void fillRow(const model::Order& order, const std::string& titlePrefix, const std::string& id);
    void tickLeg(bool takeProfit);
    void writeSteppedValue(TicketStepper* stepper, QLineEdit* field);

    kit::WindowContext& context_;
    std::int32_t editOrder_ = 0;
    std::shared_ptr<model::Order> openOrder_;
    std::shared_ptr<model::Order> pendingOrder_;
    std::shared_ptr<model::ItemDetails> item_;
    std::shared_ptr<model::AccountDetails> accountDet_;
    std::optional<platform::ObserverHandle> observer_;
    std::unique_ptr<DialogForm> form_;
};

}  // namespace trading
