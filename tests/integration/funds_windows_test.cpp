// The deposit and withdrawal windows against the simulator: a bank deposit
// and a withdrawal sent and answered, an online payment through its gateway
// page, an answer no window awaits as a banner, and the refusals of the forms.
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTest>

#include "funds/core/funds_amount.h"
#include "funds/deposit_request_window_controller.h"
#include "funds/detail_lines_model.h"
#include "funds/funds_form.h"
#include "funds/withdrawal_request_window_controller.h"
#include "integration/app_window_fixture.h"
#include "kit/banner/app_user_notification_banner_controller.h"
#include "kit/core/kit_payloads.h"

namespace {

using kit::testing::runUntil;

class FundsWindowsTest : public integration::LoggedInWindowTest {
public:
    FundsWindowsTest() : LoggedInWindowTest("funds_windows") {}

    funds::DepositRequestWindowController* newDeposit() {
        const auto before = main->window()->findChildren<funds::DepositRequestWindowController*>();
        main->runCommand("newDepositRequest");
        for (auto* w : main->window()->findChildren<funds::DepositRequestWindowController*>())
            if (!before.contains(w)) return w;
        return nullptr;
    }
    funds::WithdrawalRequestWindowController* withdrawal() {
        main->runCommand("newWithdrawalRequest");
        return dynamic_cast<funds::WithdrawalRequestWindowController*>(
            main->keptWindow("WithdrawalRequestWindowController"));
    }
    // An online payment of `amount` through the first gateway, filled in.
    void fillOnline(funds::DepositRequestWindowController* deposit, const char* amount) {
        deposit->selectMode(2);
        ASSERT_TRUE(runUntil([&] { return !state::viewOf(*session).payGateSettings().empty(); }, 5000));
        deposit->loadPaymentGateway();
        ASSERT_EQ(deposit->paymentGatewayComboBox->count(), 1);
        deposit->paymentGatewayComboBox->setCurrentIndex(0);
        deposit->selectPaymentGateway(0);
        deposit->amountTextField->setText(amount);
        deposit->emailTextField->setText("trader@example.com");
    }
};

TEST_F(FundsWindowsTest, BankDepositIsSentOnlyItsWindowShowsTheAnswerAndAnotherAccountBringsItsModes) {
    auto* deposit = newDeposit();
    auto* other = newDeposit();
    ASSERT_TRUE(deposit && other && deposit != other);
    EXPECT_EQ(kit::testing::comboItems(deposit->accountComboBox), (std::vector<std::string>{"1001", "1002"}));
    EXPECT_EQ(deposit->financialTransferModes().size(), 3u);  // 1001 offers online payment
    EXPECT_TRUE(deposit->bankView->isVisible());
    // Refused before any mode check, nothing sent.
    for (const char* bad : {"0", "-5", "abc", "1,00", "1e3"}) {
        deposit->amountTextField->setText(bad);
        deposit->sendRequestButton->click();
        EXPECT_TRUE(refusedWith("1118")) << bad;
        EXPECT_TRUE(deposit->sendRequestButton->isEnabled());
    }
    deposit->amountTextField->setText("1,250.50");
    QApplication::clipboard()->setText(QString("12") + QChar(0x03) + "3");
    deposit->remarksTextField->paste();
    EXPECT_EQ(deposit->remarksTextField->text(), "");  // a separator never reaches a field
    deposit->depositTextField->setText("junk");         // the hidden estimate is not read for a bank request
    deposit->sourceBankNameTextField->setText("First Bank");
    deposit->remarksTextField->setText("monthly");
    bothThemes(deposit, "deposit-bank", nullptr, 100);
    deposit->sendRequestButton->click();
    ASSERT_TRUE(runUntil([&] { return deposit->depositRequestTabView->currentIndex() == 1; }, 5000));
    EXPECT_EQ(deposit->answer().rowCount(), 11);
    EXPECT_FALSE(deposit->sendRequestButton->isEnabled());
    EXPECT_EQ(deposit->answer().data(deposit->answer().index(1, 1), Qt::DisplayRole).toString(), "1001");
    EXPECT_EQ(other->depositRequestTabView->currentIndex(), 0);
    bothThemes(deposit, "deposit-answer", nullptr, 100);

    // Another account brings its own modes, fully applied.
    other->selectMode(2);
    ASSERT_TRUE(other->isOnlinePayment());
    EXPECT_FALSE(other->depositDatePicker->isEnabled());
    other->selectAccount("1002");  // deposits without online payment
    EXPECT_EQ(other->financialTransferModes(), (std::vector<std::string>{"TTCopy", "BankTransfer"}));
    EXPECT_EQ(other->depositModeComboBox->currentText(), "TTCopy");
    EXPECT_FALSE(other->isOnlinePayment());
    EXPECT_EQ(other->ftMode(), 1);
    EXPECT_TRUE(other->depositDatePicker->isEnabled() && other->okButton->isEnabled());
    EXPECT_FALSE(other->payGateView->isVisibleTo(other));
    EXPECT_TRUE(other->bankView->isVisibleTo(other));
}

TEST_F(FundsWindowsTest, ABankAnswerBookedACentHigherStillReachesTheWindowThatSent) {
    ASSERT_EQ(sim->command("fault funds-answer amount-cent"), "ok");
    auto* deposit = newDeposit();
    ASSERT_TRUE(deposit);
    EXPECT_EQ(deposit->amounTitleLabel->text().toStdString(), integration::tr("21185"));  // typed, not approved
    deposit->amountTextField->setText("250");
    deposit->sendRequestButton->click();
    ASSERT_FALSE(deposit->sendRequestButton->isEnabled());
    ASSERT_TRUE(runUntil([&] { return deposit->depositRequestTabView->currentIndex() == 1; }, 5000));
    EXPECT_EQ(deposit->answer().data(deposit->answer().index(1, 1), Qt::DisplayRole).toString(), "1001");
    ASSERT_EQ(sim->command("fault funds-answer normal"), "ok");
}

TEST_F(FundsWindowsTest, ABankAnswerArrivingWithNoDepositWindowOpenIsABannerWithItsDetails) {
    auto* deposit = newDeposit();
    ASSERT_TRUE(deposit);
    deposit->amountTextField->setText("250");
    deposit->sendRequestButton->click();
    ASSERT_FALSE(deposit->sendRequestButton->isEnabled());
    deposit->close();
    delete deposit;  // as its deletion on close would, before the answer arrives: no deposit window is left
    const auto banner = [&]() -> const kit::AppUserNotification* {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* b = dynamic_cast<kit::AppUserNotificationBannerController*>(w))
                if (b->userNotification().subtitle == integration::tr("0713")) return &b->userNotification();
        return nullptr;
    };
    ASSERT_TRUE(runUntil([&] { return banner() != nullptr; }, 5000));
    EXPECT_NE(banner()->informativeText.find(integration::tr("0012") + " : 1001"), std::string::npos);
    EXPECT_EQ(std::count(banner()->informativeText.begin(), banner()->informativeText.end(), '\n'), 10);  // 11 lines
}

TEST_F(FundsWindowsTest, OnlineDepositOpensTheGatewayPageOnceAndEndsWithThePayment) {
    auto* deposit = newDeposit();
    ASSERT_TRUE(deposit);
    fillOnline(deposit, "250");
    EXPECT_EQ(deposit->depositTextField->text(), "250");  // gateway and account both in USD
    deposit->emailTextField->setText("a@b.c");
    deposit->sendRequestButton->click();
    EXPECT_TRUE(refusedWith("1047"));
    deposit->emailTextField->setText("trader@example.com");
    bothThemes(deposit, "deposit-online", nullptr, 100);
    deposit->sendRequestButton->click();
    const QString done = QString::fromStdString(integration::tr("20303")).replace("{0}", "PAY7001");
    ASSERT_TRUE(runUntil([&] { return deposit->headerLabel->text() == done; }, 5000)) << deposit->headerLabel->text().toStdString();
    EXPECT_EQ(deposit->footerLabel->text().toStdString(), integration::tr("20301"));
    EXPECT_EQ(deposit->answer().rowCount(), 8);
    ASSERT_EQ(recorder->urls.size(), 1u);
    EXPECT_EQ(recorder->urls[0].rfind("https://example.invalid/pay?p1=5001&p2=", 0), 0u) << recorder->urls[0];
    EXPECT_TRUE(deposit->okButton->isEnabled());
    bothThemes(deposit, "deposit-online-answer", nullptr, 100);
}

TEST_F(FundsWindowsTest, OnlineAnswersReachOnlyTheWindowThatSentAndOpenOnePage) {
    auto* failed = newDeposit();
    auto* answered = newDeposit();
    ASSERT_TRUE(failed && answered);
    fillOnline(failed, "100");
    fillOnline(answered, "200");
    ASSERT_EQ(sim->command("fault funds-answer error"), "ok");  // an erroneous master answer: nothing posted
    failed->sendRequestButton->click();
    ASSERT_TRUE(runUntil([&] { return sent("93") > 0; }, 5000));
    ASSERT_EQ(sim->command("fault funds-answer normal"), "ok");
    answered->sendRequestButton->click();
    ASSERT_TRUE(runUntil([&] { return answered->okButton->isEnabled() && answered->answer().rowCount() == 8; }, 5000));
    EXPECT_EQ(failed->depositRequestTabView->currentIndex(), 0);
    ASSERT_EQ(recorder->urls.size(), 1u);
    // A later accepted status of the same request opens no second page.
    auto again = std::make_shared<model::PayGateTransaction>();
    again->requestId = 5002;
    again->status = 1;
    answered->paymentAnswered(state::PayGateUpdate(state::PayGateUpdate::kStatusAnswer, again));
    EXPECT_EQ(recorder->urls.size(), 1u);
    EXPECT_EQ(answered->headerLabel->text(), QString::fromStdString(integration::tr("20296")).toUpper());
}

TEST_F(FundsWindowsTest, WithdrawalWithinTheLimitIsSentAndAnswered) {
    auto* window = withdrawal();
    ASSERT_TRUE(window && window->accountDetail());
    EXPECT_EQ(kit::testing::comboItems(window->accountComboBox), std::vector<std::string>{"1001"});
    const double limit = window->withdrawableLimit();
    ASSERT_GT(limit, 100);
    // The margin the open positions hold (one side of the hedged GOLD) stays out of the limit.
    EXPECT_EQ(window->marginTextField->text(), "10,806.90");
    EXPECT_LE(limit, window->accountDetail()->Equity - 10806.90 + 0.005);
    EXPECT_EQ(window->withdrawableFundTextField->text().toStdString(), funds::groupedTwoPlaces(limit));
    window->amountTextField->setText(QString::fromStdString(funds::twoPlaces(limit + 1)));
    window->sendRequestButton->click();
    EXPECT_TRUE(refusedWith("1117"));
    window->amountTextField->setText("100");
    EXPECT_EQ(window->resultingBalanceTextField->text().toStdString(),
              funds::groupedTwoPlaces(window->accountDetail()->Balance - 100 -
                                      *funds::readAmount(window->pendingWithdrawalsTextField->text().toStdString())));
    window->remarksTextField->setText("to my bank");
    bothThemes(window, "withdrawal-form", nullptr, 100);
    window->sendRequestButton->click();
    ASSERT_TRUE(runUntil([&] { return window->withdrawalRequestTabView->currentIndex() == 1; }, 5000));
    EXPECT_EQ(window->answer().rowCount(), 5);
    EXPECT_TRUE(window->okButton->isVisibleTo(window));
    bothThemes(window, "withdrawal-answer", nullptr, 100);
    window->okButton->click();
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
