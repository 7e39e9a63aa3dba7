#pragma once
// The close-position (mode 0) and cancel-order (mode 1) sheet. It holds the
// record's id (or resolves a row index to it once), reads the record by that id
// at every fill, refresh and send, refreshes the live price (and in mode 0 the
// estimated profit) at every tick of the login's ticker, and closes when the
// order manager reports the request sent. A record that disappears ends the
// sheet. Main thread.
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <optional>
#include <string>

#include "kit/live_ticker.h"
#include "kit/window_context.h"
#include "platform/notification_center.h"
#include "trading/core/position_row_reference.h"
#include "trading/position_dialog.h"
#include "trading/position_dialog_form.h"

namespace trading {

class ClosendCancelPositionWindowController : public PositionDialog {
public:
    explicit ClosendCancelPositionWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    ~ClosendCancelPositionWindowController() override;

    // --- Opening (PositionDialog) --------------------------------------------------
    void setDialogMode(std::int32_t mode) override { setCloseorcancelOrder(mode); }
    // Holds the record's id (or resolves a row index to it), then fills.
    void setValue(const std::string& value, const std::string& key) override;
    void StartTimerandNotification() override;
    void windowDidAppear() override;
    // True when the last setValue found a row and that row still exists; the
    // tables open no dialog without one.
    bool hasRecord() const override;

    void setCloseorcancelOrder(std::int32_t mode) { closeorcancelOrder_ = mode; }
    std::int32_t closeorcancelOrder() const { return closeorcancelOrder_; }

    void updateLanguageStrings();
    void applyTheme();
    // Stops the observation and the refresh and ends the sheet.
    void closeModal();
    void UpdateValuesinWindow();
    void UpdatePrice() { UpdateValuesonTimer(true); }
    void UpdateValuesonTimer(bool fromTimer);
    void ShowStatusMessage(const platform::Notification& notification);
    void CloseandCancelButtonClicked();
    void comboBoxSelectionIsChanging(int index);
    void checkDeviationisAvailable(const std::string& accountNumber);
    void setDeviationControlProperties();
    void EnableDeviationControl(bool enabled);
    void deviationCheckboxSelect();
    // True (after the alert) when the deviation is ticked and empty.
    bool DeviationValidation();

    // --- State the tests read --------------------------------------------------------
    const std::string& rowId() const { return row_.id(); }
    bool hasTimer() const { return bool(tick_); }
    bool isObserving() const { return observer_.has_value(); }

    // --- Controls --------------------------------------------------------------------
    QGroupBox* ClosenadCancelBox = nullptr;
    QLineEdit* AccountTextField = nullptr;
    QLineEdit* SymbolTextField = nullptr;
    QLineEdit* SymbolDescriptionTextField = nullptr;
    QComboBox* QuantityComboField = nullptr;
    QLineEdit* QuantityDescriptionTextField = nullptr;
    QLineEdit* OrderTypeTextField = nullptr;
    QLineEdit* OrderPriceTextField = nullptr;
    QLineEdit* CurrentPriceTextField = nullptr;
    QLineEdit* EstimatedPLTextField = nullptr;
    QLabel* EstimatedPLLabel = nullptr;
    QCheckBox* DeviationCheckBox = nullptr;
    QLineEdit* DeviationTextField = nullptr;
    QPushButton* CloseandCancelButton = nullptr;
    QPushButton* notNowButton = nullptr;

    void done(int result) override;

private:
    void buildWindow();
    std::string text(const std::string& key) const;
    std::shared_ptr<const state::SessionView> session() const;
    // The row by id, its instrument; ends the sheet when the row is gone.
    std::shared_ptr<model::Order> currentRow();
    void fillClose(const model::Order& position, const model::ItemDetails* item);
    void fillCancel(const model::Order& order, const model::ItemDetails* item);
    void showLivePrice(const model::Order& row, const model::ItemDetails* item);
    void showEstimatedPL(const model::Order& position, const model::ItemDetails* item);
    // The close button's title for `quantity`; `fit`: wide enough for any usual quantity
    // from now on, so that an edit leaves the button as it is.
    void showCloseTitle(const model::Order& position, const std::string& quantity, bool fit);
    void stopRefreshing();

    kit::WindowContext& context_;
    std::int32_t closeorcancelOrder_ = kPositionMode;
    PositionRowReference row_;
    kit::LiveTicker::Subscription tick_;
    std::optional<platform::ObserverHandle> observer_;
    std::unique_ptr<DialogForm> form_;
    QString plThemeSheet_;   // the theme's sheet of the profit field
    QString shownQuantity_;  // the quantity the texts were last built from
};

}  // namespace trading
