// The deposits and withdrawals list against the simulator: the code each
// search sends, the answer's rows in order, Clear, an erroneous answer, and
// the printed list.
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QAbstractItemModelTester>
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

class DepositsWithdrawalsWindowTest : public integration::LoggedInWindowTest {
public:
    DepositsWithdrawalsWindowTest() : LoggedInWindowTest("deposits_withdrawals") {}

    funds::DepositsWithdrawalsWindowController* open() {
        main->runCommand("DepositsWithdrawalsButtonClicked");
        return dynamic_cast<funds::DepositsWithdrawalsWindowController*>(
            main->keptWindow("DepositsWithdrawalsWindowController"));
    }
    // The financial-transaction requests the simulator received, "account:code" each.
    std::vector<std::string> searches() {
        std::vector<std::string> out;
        std::istringstream words(sim->command("received trader"));
        const std::string prefix = "getfinancialtransactions:";
        for (std::string w; words >> w;)
            if (w.rfind(prefix, 0) == 0) out.push_back(w.substr(prefix.size()));
        return out;
    }
    // Searches with the code box showing `text` (item `index` chosen, or -1 typed);
    // true once the simulator has received one more search.
    bool search(funds::DepositsWithdrawalsWindowController* list, const QString& text, int index) {
        const std::size_t before = searches().size();
        if (index >= 0) list->transactioncodeComboBox->setCurrentIndex(index);
        list->transactioncodeComboBox->setEditText(text);
        list->searchButton->click();
        return runUntil([&] { return searches().size() > before; }, 5000);
    }
    static std::vector<std::string> column(const funds::FinancialTransactionsModel& rows, int c) {
        std::vector<std::string> out;
        for (int r = 0; r < rows.rowCount(); ++r) out.push_back(rows.index(r, c).data().toString().toStdString());
        return out;
    }
};

TEST_F(DepositsWithdrawalsWindowTest, EachSearchSendsItsCodeAndShowsTheAnswerInOrder) {
    auto* list = open();
    ASSERT_TRUE(list);
    ASSERT_TRUE(list->isVisible());
    EXPECT_EQ(list->accountComboBox->currentText(), "1001");
    EXPECT_EQ(list->transactioncodeComboBox->count(), 11);
    EXPECT_EQ(list->transactioncodeComboBox->currentText(), "");
    const auto& rows = list->transactions();
    QAbstractItemModelTester tester(list->depositwithdrawalTableView->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    const QString other = list->transactioncodeComboBox->itemText(3);

    struct Case {
        QString text;
        int index;
        const char* sent;
        std::vector<std::string> narrations;
    } cases[] = {
        {"", -1, "1001:#DWR", {"Opening deposit", "Withdrawal to bank"}},
        {other, 3, "1001:#ODE", {}},
        {list->transactioncodeComboBox->itemText(7), 7, "1001:#ADJ", {"Fee refund & credit"}},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(search(list, c.text, c.index)) << c.sent;
        EXPECT_EQ(searches().back(), c.sent);
        EXPECT_TRUE(runUntil([&] { return column(rows, 6) == c.narrations; }, 5000)) << c.sent;
    }
    // A typed text that names no entry sends nothing: the next search is the only one more.
    const std::size_t before = searches().size();
    list->transactioncodeComboBox->setEditText(other + "x");
    list->searchButton->click();
    ASSERT_TRUE(search(list, "", -1));
    EXPECT_EQ(searches().size(), before + 1);
    EXPECT_EQ(searches().back(), "1001:#DWR");
    ASSERT_TRUE(runUntil([&] { return rows.rowCount() == 2; }, 5000));
    EXPECT_EQ(column(rows, 1), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(column(rows, 3), (std::vector<std::string>{"50,000.00", "0.00"}));
    EXPECT_EQ(column(rows, 5), (std::vector<std::string>{"50,000.00", "48,500.00"}));
    EXPECT_EQ(column(rows, 7), (std::vector<std::string>{"11/01/2026 09:00:00", "11/15/2026 10:30:00"}));
    EXPECT_EQ(rows.headerData(3, Qt::Horizontal, Qt::DisplayRole).toString().toStdString(), integration::tr("0382"));

    // A separator byte never reaches the account box.
    list->accountComboBox->lineEdit()->setText("1001");
    QApplication::clipboard()->setText(QString("2") + QChar(0x02));
    list->accountComboBox->lineEdit()->paste();
    EXPECT_EQ(list->accountComboBox->currentText(), "1001");
    bothThemes(list, "deposits-withdrawals-rows", nullptr, 100);
}

TEST_F(DepositsWithdrawalsWindowTest, ClearAndAnErroneousAnswerEmptyTheList) {
    auto* list = open();
    ASSERT_TRUE(list);
    const auto& rows = list->transactions();
    ASSERT_TRUE(search(list, "", -1));
    ASSERT_TRUE(runUntil([&] { return rows.rowCount() == 2; }, 5000));
    list->transactioncodeComboBox->setCurrentIndex(2);
    list->fromDatePicker->setDateTime(QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
    list->clearButton->click();
    EXPECT_EQ(rows.rowCount(), 0);  // at once, before any answer
    EXPECT_TRUE(state::viewOf(*session).financialTransactions().empty());
    EXPECT_EQ(list->transactioncodeComboBox->currentText(), "");
    EXPECT_EQ(list->fromDatePicker->time(), QTime(0, 0, 0));
    EXPECT_EQ(list->toDatePicker->time(), QTime(12, 0, 0));
    EXPECT_EQ(list->fromDatePicker->date(), list->toDatePicker->date());
    EXPECT_EQ(list->fromDatePicker->date(), QDate::currentDate());

    // Kept between showings: the rows and the boxes stay.
    ASSERT_TRUE(search(list, "", -1));
    ASSERT_TRUE(runUntil([&] { return rows.rowCount() == 2; }, 5000));
    EXPECT_EQ(open(), list);
    EXPECT_EQ(rows.rowCount(), 2);

    ASSERT_EQ(sim->command("fault ds-answer error"), "ok");
    ASSERT_TRUE(search(list, "", -1));
    EXPECT_TRUE(runUntil([&] { return rows.rowCount() == 0; }, 5000));
    bothThemes(list, "deposits-withdrawals-empty", nullptr, 100);
}

TEST_F(DepositsWithdrawalsWindowTest, PrintsTheListToPdf) {
    auto* list = open();
    ASSERT_TRUE(list);
    auto pdf = std::make_shared<funds::testing::PdfCapture>(QString::fromStdString(path) + "_list.pdf");
    printing::PrintTarget::install(pdf);
    const std::string title = platform::ResourceBundle::applicationName() + " - " + integration::tr("0422");

    list->printButton->click();  // empty: the header row only
    EXPECT_EQ(pdf->tableRows, std::vector<int>{1});
    EXPECT_TRUE(pdf->text.contains(QString::fromStdString(integration::tr("0386"))));

    ASSERT_TRUE(search(list, "", -1));
    ASSERT_TRUE(runUntil([&] { return list->transactions().rowCount() == 2; }, 5000));
    list->depositwithdrawalTableView->setColumnHidden(1, true);  // a hidden column is not printed
    list->printButton->click();
    printing::PrintTarget::install(nullptr);
    EXPECT_EQ(pdf->printed(), 2);
    EXPECT_EQ(pdf->jobTitle.toStdString(), title);
    EXPECT_EQ(pdf->tableRows, std::vector<int>{3});
    EXPECT_TRUE(pdf->text.contains("Withdrawal to bank"));
    EXPECT_TRUE(pdf->text.contains("48,500.00"));
    EXPECT_FALSE(pdf->text.contains(QString::fromStdString(integration::tr("0378"))));
    EXPECT_TRUE(pdf->bytes().startsWith("%PDF-"));
    EXPECT_GE(pdf->pageCount(), 1);
    EXPECT_TRUE(pdf->firstPage.save(QString(TC_BINARY_DIR) + "/screenshots/deposits-withdrawals-print.png"));
}

}  // namespace
