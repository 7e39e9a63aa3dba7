#pragma once
// The deposits and withdrawals list: an account's posted financial
// transactions over a period, filtered by a transaction code, searched,
// cleared and printed. The rows live in the session; the window keeps only
// its dates, boxes and a copy of the rows for the table. One per login, kept;
// each showing re-applies texts and theme only. Main thread.
#include <QWidget>

#include "platform/notification_center.h"

class QComboBox;
class QDateTimeEdit;
class QPushButton;
class QTableView;

namespace kit {
struct WindowContext;
}

namespace funds {

class FinancialTransactionsModel;

class DepositsWithdrawalsWindowController : public QWidget {
public:
    explicit DepositsWithdrawalsWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Each showing: texts, then theme.
    void onWindowLoad();
    void searchButtonClicked();
    void clearButtonClicked();
    void printButtonClicked();
    const FinancialTransactionsModel& transactions() const { return *model_; }

    QComboBox* accountComboBox = nullptr;
    QDateTimeEdit* fromDatePicker = nullptr;
    QDateTimeEdit* toDatePicker = nullptr;
    QComboBox* transactioncodeComboBox = nullptr;
    QTableView* depositwithdrawalTableView = nullptr;
    QPushButton* searchButton = nullptr;
    QPushButton* clearButton = nullptr;
    QPushButton* printButton = nullptr;

private:
    void updateLanguageStrings();
    void applyTheme();
    void setDefaultValues();
    void loadAccountCombo();
    void loadTransactionCodeCombo();
    void DepositWithdrawalTableUpdate();

    kit::WindowContext& context_;
    FinancialTransactionsModel* model_ = nullptr;
    bool sized_ = false;
    platform::ObserverHandle tableUpdates_;
    platform::ObserverHandle themeChanges_;
};

}  // namespace funds
