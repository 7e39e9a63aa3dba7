#pragma once
// The deposit request window: an account, a transfer mode, the amount and the
// bank details or, for an online payment, a gateway and an e-mail address with
// the amount estimated in the account's currency. The request is sent, and
// only the answer to this window's own request is shown on the second page;
// an accepted online payment opens the gateway's page once. New per press.
// Main thread.
#include <QDateTime>
#include <QWidget>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "funds/core/deposit_answer_router.h"
#include "kit/live_ticker.h"
#include "platform/notification_center.h"

class QComboBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace kit {
struct WindowContext;
}
namespace model {
class AccountDetails;
class PayGateSetting;
class PayGateTransaction;
class TradeCurrency;
}  // namespace model

namespace funds {

class DetailLinesModel;
class PopUpComboBox;

class DepositRequestWindowController : public QWidget, public DepositAnswerTarget {
public:
    DepositRequestWindowController(kit::WindowContext& context, std::shared_ptr<DepositAnswerRouter> router,
                                   QWidget* parent = nullptr);
    ~DepositRequestWindowController() override;

    // The set-up of a showing: texts, defaults, theme, accounts and modes, figures, refresh.
    void windowDidAppear();
    void windowWillClose();
    void selectAccount(const std::string& key);
    void selectMode(int index);
    void loadPaymentGateway();
    void selectPaymentGateway(int index);
    bool verifyDepositInformation();
    void sendRequest();

    void depositAnswered(const std::vector<std::string>& lines) override;
    void paymentAnswered(const state::PayGateUpdate& update) override;

    bool isOnlinePayment() const { return isOnlinePayment_; }
    std::int64_t ftMode() const { return ftMode_; }
    const std::vector<std::string>& financialTransferModes() const { return financialTransferModes_; }
    const DetailLinesModel& answer() const { return *answer_; }

    QStackedWidget* depositRequestTabView = nullptr;
    QComboBox* accountComboBox = nullptr;
    QLineEdit* accountNameTextField = nullptr;
    QComboBox* depositModeComboBox = nullptr;
    QDateTimeEdit* depositDatePicker = nullptr;
    QLineEdit* balanceTextField = nullptr;
    QLineEdit* equityTextField = nullptr;
    QLineEdit* availableMarginTextField = nullptr;
    QLabel* amounTitleLabel = nullptr;
    QLineEdit* amountTextField = nullptr;
    PopUpComboBox* paymentGatewayComboBox = nullptr;
    QLineEdit* emailTextField = nullptr;
    QLabel* depositTitleLabel = nullptr;
    QLineEdit* depositTextField = nullptr;
    QLineEdit* sourceBankNameTextField = nullptr;
    QLineEdit* sourceBankBranchTextField = nullptr;
    QLineEdit* sourceBankAccountTextField = nullptr;
    QLineEdit* depositedBankAccountTextField = nullptr;
    QLineEdit* remarksTextField = nullptr;
    QPushButton* sendRequestButton = nullptr;
    QPushButton* notNowButton = nullptr;
    QLabel* headerLabel = nullptr;
    QLabel* footerLabel = nullptr;
    QTableView* answerTable = nullptr;
    QPushButton* okButton = nullptr;
    QWidget* accountView = nullptr;
    QWidget* payGateView = nullptr;
    QWidget* balanceView = nullptr;
    QWidget* depositView = nullptr;
    QWidget* bankView = nullptr;
    QWidget* remarksView = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildForm(QWidget* page);
    void buildAnswerPage(QWidget* page);
    void setDefaults();
    void applyTheme();
    void loadAccountsData();
    void loadFinancialTransferModes();
    void updateValuesinViews();
    void arrangeViews();
    void showCurrencyOnLabel();
    void calcAccountDetails();
    void showFigures();
    void showValidationInfo(const std::string& message);
    // Online payment (deposit_online_payment.cpp).
    void sendPayGateSettingsRequest();
    void updateEstimatedAmount();
    void handleMasterUpdate(const model::PayGateTransaction& payment);
    void handleTransactionUpdate(const model::PayGateTransaction& payment, std::int64_t error);
    void showStatus(const std::string& key, bool final);
    void showOnlinePaymentConfirmation(const model::PayGateTransaction& payment);
    void redirectToPaymentGateway(const model::PayGateTransaction& payment);
    const model::TradeCurrency* accountCurrency() const;
    const model::TradeCurrency* gatewayCurrency() const;

    kit::WindowContext& context_;
    std::shared_ptr<DepositAnswerRouter> router_;
    std::map<std::string, std::shared_ptr<model::AccountDetails>> depositRequestAccounts_;
    std::shared_ptr<model::AccountDetails> accountDetail_;  // the window's own copy
    std::vector<std::string> financialTransferModes_;
    std::int64_t ftMode_ = 0;
    bool isOnlinePayment_ = false;
    QDateTime depositDate_;
    std::shared_ptr<model::PayGateSetting> activePayGate_;
    std::shared_ptr<model::TradeCurrency> systemCurrency_;
    std::set<std::uint64_t> pagesOpened_;  // request ids whose payment page was opened
    DetailLinesModel* answer_ = nullptr;
    kit::LiveTicker::Subscription timer_;
    platform::ObserverHandle themeChanges_;
};

}  // namespace funds
