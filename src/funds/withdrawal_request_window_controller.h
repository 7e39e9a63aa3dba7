#pragma once
// The withdrawal request window: an account's figures, its open withdrawals and
// the amount it may still withdraw, refreshed each tick; the request sent, and
// the server's answer on the second page. One per login, kept. Main thread.
#include <QWidget>
#include <map>
#include <memory>
#include <string>

#include "kit/live_ticker.h"
#include "platform/notification_center.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace kit {
struct WindowContext;
}
namespace model {
class AccountDetails;
}

namespace funds {

class DetailLinesModel;

class WithdrawalRequestWindowController : public QWidget {
public:
    explicit WithdrawalRequestWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Each showing: texts, defaults, observers, theme, accounts, figures, refresh.
    void windowDidAppear();
    void windowWillClose();
    void selectAccount(const std::string& key);
    // The limit of the account shown, with its open withdrawals.
    double withdrawableLimit() const;
    bool verifyWithdrawalInformation();
    void sendRequest();
    void updateAccountDetails();
    const model::AccountDetails* accountDetail() const { return accountDetail_.get(); }
    const DetailLinesModel& answer() const { return *answer_; }

    QStackedWidget* withdrawalRequestTabView = nullptr;
    QComboBox* accountComboBox = nullptr;
    QLineEdit* accountNameTextField = nullptr;
    QLineEdit* balanceTextField = nullptr;
    QLineEdit* unrealisedPLTextField = nullptr;
    QLineEdit* equityTextField = nullptr;
    QLineEdit* marginTextField = nullptr;
    QLineEdit* availableMarginTextField = nullptr;
    QLineEdit* pendingWithdrawalsTextField = nullptr;
    QLineEdit* minimumBalanceTextField = nullptr;
    QLineEdit* withdrawableFundTextField = nullptr;
    QLineEdit* amountTextField = nullptr;
    QLineEdit* resultingBalanceTextField = nullptr;
    QLineEdit* remarksTextField = nullptr;
    QPushButton* sendRequestButton = nullptr;
    QPushButton* notNowButton = nullptr;
    QPushButton* okButton = nullptr;  // closes the window from the answer page
    QTableView* answerTable = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void applyTheme();
    void loadAccountsData();
    void updateValuesinViews();
    void calculateResultingBalance();
    void refreshAccount();
    double pending() const;

    kit::WindowContext& context_;
    std::map<std::string, std::shared_ptr<model::AccountDetails>> withdrawalRequestAccounts_;
    std::shared_ptr<model::AccountDetails> accountDetail_;  // the window's own copy
    DetailLinesModel* answer_ = nullptr;
    kit::LiveTicker::Subscription timer_;
    platform::ObserverHandle answers_;
    bool observing_ = false;
    platform::ObserverHandle themeChanges_;
};

}  // namespace funds
