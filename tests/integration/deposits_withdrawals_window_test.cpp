// The deposits and withdrawals list against the simulator: the code each
// search sends, the answer's rows in order, Clear, an erroneous answer, and
// the printed list.
#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <sstream>

#include "funds/deposits_withdrawals_window_controller.h"
#include "funds/financial_transactions_model.h"
#include "funds/pdf_capture.h"
#include "integration/app_window_fixture.h"
#include "kit/core/kit_payloads.h"
#include "platform/resource_bundle.h"

namespace {

using kit::testing::runUntil;
using Texts = std::vector<std::string>;

class DepositsWithdrawalsWindowTest : public integration::LoggedInWindowTest {
public:
    DepositsWithdrawalsWindowTest() : LoggedInWindowTest("deposits_withdrawals") {}
    void SetUp() override {
        LoggedInWindowTest::SetUp();
        if (HasFatalFailure()) return;
        main->runCommand("DepositsWithdrawalsButtonClicked");
        list = dynamic_cast<funds::DepositsWithdrawalsWindowController*>(
            main->keptWindow("DepositsWithdrawalsWindowController"));
        ASSERT_TRUE(list && list->isVisible());
        // The scenario's transactions are of November 2026.
        list->fromDatePicker->setDateTime(QDateTime(QDate(2026, 11, 1), QTime(0, 0, 0)));
        list->toDatePicker->setDateTime(QDateTime(QDate(2026, 11, 30), QTime(0, 0, 0)));
    }
    // The searches the simulator received, "account:code" each.
    Texts searches() {
        Texts out;
        std::istringstream words(sim->command("received trader"));
        for (std::string w; words >> w;)
            if (w.rfind("getfinancialtransactions:", 0) == 0) out.push_back(w.substr(25));
        return out;
    }
    // Searches with code item `index` chosen (-1: the box emptied); true once received.
    bool search(int index) {
        const std::size_t before = searches().size();
        list->transactioncodeComboBox->setCurrentIndex(index);
        list->searchButton->click();
        return runUntil([&] { return searches().size() > before; }, 5000);
    }
    Texts column(int c) const {
        Texts out;
        for (int r = 0; r < list->transactions().rowCount(); ++r)
            out.push_back(list->transactions().index(r, c).data().toString().toStdString());
        return out;
    }
    funds::DepositsWithdrawalsWindowController* list = nullptr;
};

TEST_F(DepositsWithdrawalsWindowTest, EachSearchSendsItsCodeAndShowsTheAnswerInOrder) {
    QAbstractItemModelTester tester(list->depositwithdrawalTableView->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(list->accountComboBox->currentText(), "1001");
    EXPECT_EQ(list->transactioncodeComboBox->count(), 11);
    EXPECT_EQ(list->transactioncodeComboBox->currentText(), "");
    const struct {
        int index;
        const char* sent;
        Texts narrations;
        QDate from = {}, to = {};
    } cases[] = {
        {-1, "1001:#DWR", {"Opening deposit", "Withdrawal to bank"}},
        {3, "1001:#ODE", {}},
        {7, "1001:#ADJ", {"Fee refund & credit"}},
        // Only the days asked for, the last one whole.
        {-1, "1001:#DWR", {"Withdrawal to bank"}, QDate(2026, 11, 10), QDate(2026, 11, 15)},
    };
    for (const auto& c : cases) {
        if (c.from.isValid()) {
            list->fromDatePicker->setDateTime(QDateTime(c.from, QTime(0, 0, 0)));
            list->toDatePicker->setDateTime(QDateTime(c.to, QTime(0, 0, 0)));
        }
        ASSERT_TRUE(search(c.index)) << c.sent;
        EXPECT_EQ(searches().back(), c.sent);
        EXPECT_TRUE(runUntil([&] { return column(6) == c.narrations; }, 5000)) << c.sent;
    }
    list->fromDatePicker->setDateTime(QDateTime(QDate(2026, 11, 1), QTime(0, 0, 0)));
    list->toDatePicker->setDateTime(QDateTime(QDate(2026, 11, 30), QTime(0, 0, 0)));
    // A typed text that names no entry sends nothing: the next search is the only one more.
    const std::size_t before = searches().size();
    list->transactioncodeComboBox->setEditText(list->transactioncodeComboBox->itemText(3) + "x");
    list->searchButton->click();
    ASSERT_TRUE(search(-1));
    EXPECT_EQ(searches().size(), before + 1);
    ASSERT_TRUE(runUntil([&] { return list->transactions().rowCount() == 2; }, 5000));
    EXPECT_EQ(column(1), (Texts{"1", "2"}));
    EXPECT_EQ(column(4), (Texts{"0.00", "1,500.00"}));
    EXPECT_EQ(column(7), (Texts{"11/01/2026 09:00:00", "11/15/2026 10:30:00"}));

    // A separator byte never reaches the account box.
    QApplication::clipboard()->setText(QString("2") + QChar(0x02));
    list->accountComboBox->lineEdit()->paste();
    EXPECT_EQ(list->accountComboBox->currentText(), "1001");
    bothThemes(list, "deposits-withdrawals-rows", nullptr, 100);
}

TEST_F(DepositsWithdrawalsWindowTest, ClearAndAnErroneousAnswerEmptyTheList) {
    ASSERT_TRUE(search(-1));
    ASSERT_TRUE(runUntil([&] { return list->transactions().rowCount() == 2; }, 5000));
    list->transactioncodeComboBox->setCurrentIndex(2);
    list->fromDatePicker->setDateTime(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    list->clearButton->click();
    EXPECT_EQ(list->transactions().rowCount(), 0);  // at once, before any answer
    EXPECT_TRUE(state::viewOf(*session).financialTransactions().empty());
    EXPECT_EQ(list->transactioncodeComboBox->currentText(), "");
    EXPECT_EQ(list->fromDatePicker->dateTime(), QDateTime(QDate::currentDate(), QTime(0, 0, 0)));
    EXPECT_EQ(list->toDatePicker->dateTime(), QDateTime(QDate::currentDate(), QTime(12, 0, 0)));

    // Kept between showings, rows included; an erroneous answer empties them.
    list->fromDatePicker->setDateTime(QDateTime(QDate(2026, 11, 1), QTime(0, 0, 0)));
    list->toDatePicker->setDateTime(QDateTime(QDate(2026, 11, 30), QTime(0, 0, 0)));
    ASSERT_TRUE(search(-1));
    ASSERT_TRUE(runUntil([&] { return list->transactions().rowCount() == 2; }, 5000));
    main->runCommand("DepositsWithdrawalsButtonClicked");
    EXPECT_EQ(list->transactions().rowCount(), 2);
    ASSERT_EQ(sim->command("fault ds-answer error"), "ok");
    ASSERT_TRUE(search(-1));
    EXPECT_TRUE(runUntil([&] { return list->transactions().rowCount() == 0; }, 5000));
    bothThemes(list, "deposits-withdrawals-empty", nullptr, 100);
}

TEST_F(DepositsWithdrawalsWindowTest, PrintsTheListToPdf) {
    auto pdf = std::make_shared<funds::testing::PdfCapture>(QString::fromStdString(path) + "_list.pdf");
    printing::PrintTarget::install(pdf);
    list->printButton->click();  // empty: the header row only
    EXPECT_EQ(pdf->tableRows, std::vector<int>{1});

    ASSERT_TRUE(search(-1));
    ASSERT_TRUE(runUntil([&] { return list->transactions().rowCount() == 2; }, 5000));
    list->depositwithdrawalTableView->setColumnHidden(1, true);  // not printed
    list->printButton->click();
    printing::PrintTarget::install(nullptr);
    EXPECT_EQ(pdf->printed(), 2);
    EXPECT_EQ(pdf->jobTitle.toStdString(), platform::ResourceBundle::applicationName() + " - " + integration::tr("0422"));
    EXPECT_EQ(pdf->tableRows, std::vector<int>{3});
    EXPECT_TRUE(pdf->text.contains("48,500.00"));
    EXPECT_TRUE(pdf->text.contains(QString::fromStdString(integration::tr("0386"))));
    EXPECT_FALSE(pdf->text.contains(QString::fromStdString(integration::tr("0378"))));
    EXPECT_TRUE(pdf->bytes().startsWith("%PDF-"));
    EXPECT_GE(pdf->pageCount(), 1);
    EXPECT_TRUE(pdf->firstPage.save(QString(TC_BINARY_DIR) + "/screenshots/deposits-withdrawals-print.png"));
}

}  // namespace
