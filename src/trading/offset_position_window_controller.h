#pragma once
// The offset sheet: one open position closed against ticked opposite
// positions of its account, instrument and delivery mode, each with its own
// quantity. The checks pass, the order manager sends one request; the
// server's answer ("CloseHedgePositionNotification") closes the sheet.
#include <QDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <array>
#include <string>
#include <vector>

#include "platform/notification_center.h"
#include "trading/core/offset_rows.h"

namespace kit {
struct WindowContext;
}

namespace trading {

class OffsetPositionWindowController : public QDialog {
public:
    explicit OffsetPositionWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Fills the sheet for the open position with that id and starts
    // listening; false when no such position is open.
    bool setPosition(const std::string& positionId);
    void hitCheckbox(int row);
    // A chosen or typed quantity of a ticked row; false for a text that is no quantity.
    bool QuantitySelectedAtIndex(int row, const std::string& quantity);
    // The quantities a row's cell offers: none while unticked.
    std::vector<std::string> quantitiesOf(int row) const;
    bool offsetPositionValidation();
    void OffsetButtonClicked();
    void closeModal();
    const OffsetSelection& selection() const { return selection_; }

    QGroupBox* OffsetBox = nullptr;
    // Account, symbol, open price, quantity, offset quantity, remaining quantity.
    std::array<QLineEdit*, 6> fields{};
    QTableWidget* offsetPositionTableView = nullptr;
    QPushButton* offsetButton = nullptr;
    QPushButton* notNowButton = nullptr;

private:
    void UpdateValuesinWindow(const model::Order& main);
    void reloadRows();
    // One row's cells from its record.
    void showRow(int row);
    void updateTextFieldValues();
    void ShowStatusMessage(const std::string& text);
    std::string text(const std::string& key) const;

    kit::WindowContext& context_;
    std::string positionId_;
    // The main position's open price as shown and its quantity, from its record.
    double openPrice_ = 0;
    double quantity_ = 0;
    OffsetSelection selection_;
    std::vector<platform::ObserverHandle> observers_;
};

}  // namespace trading
