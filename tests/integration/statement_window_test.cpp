// The account statement window against the simulator: the first opening's
// request and the eight tables it fills, later openings, the account combo's
// limits, repeated and unresolved requests, and the printed statement.
// Screenshots of both pages in both themes, one with a hidden column, and the
// printed first page.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFile>
#include <QHeaderView>
#include <QPainter>
#include <QPushButton>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextTable>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QStyle>
#include <QTableView>
#include <cstdio>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>

#include "charts/pie_chart_controller.h"
#include "integration/app_window_fixture.h"
#include "kit/core/kit_payloads.h"
#include "platform/resource_bundle.h"
#include "printing/consolidated_table_data.h"
#include "printing/print_operation.h"
#include "printing/print_text_view.h"
#include "reports/account_statement_window_controller.h"
#include "reports/statement_table_controllers.h"
#include "reports/statement_table_view.h"
#include "shell/main_window_controller.h"
#include "state/session_commands.h"
#include "state/session_view.h"

namespace {

using kit::testing::runUntil;
using kit::testing::saveScreenshot;
using reports::AccountStatementWindowController;

std::vector<std::string> column(const QAbstractItemModel* model, int c) {
    std::vector<std::string> out;
    for (int r = 0; r < model->rowCount(); ++r) out.push_back(model->index(r, c).data().toString().toStdString());
    return out;
}

// The printed document in reading order: each non-empty paragraph's text
// ("[image]" for the logo) and each table as "[table <rows>]".
std::vector<std::string> outline(const QTextDocument& document, std::vector<QTextTable*>* tables = nullptr) {
    std::vector<std::string> out;
    for (auto it = document.rootFrame()->begin(); !it.atEnd(); ++it) {
        if (auto* table = qobject_cast<QTextTable*>(it.currentFrame())) {
            out.push_back("[table " + std::to_string(table->rows()) + "]");
            if (tables) tables->push_back(table);
        } else if (const QString text = it.currentBlock().text(); !text.isEmpty()) {
            out.push_back(text == QChar(QChar::ObjectReplacementCharacter) ? "[image]" : text.toStdString());
        }
    }
    return out;
}

std::vector<std::string> tableRow(QTextTable* table, int row) {
    std::vector<std::string> out;
    for (int c = 0; c < table->columns(); ++c)
        out.push_back(table->cellAt(row, c).firstCursorPosition().block().text().toStdString());
    return out;
}

// The scenario with a 30-day history limit for group 10 (accounts 1001, 1003)
// and a negative one for group 20 (account 1002).
class StatementWindowTest : public integration::LoggedInWindowTest {
protected:
    StatementWindowTest() : LoggedInWindowTest("statement_window") {
        std::ifstream in(SIM_DEFAULT_SCENARIO);
        nlohmann::json root = nlohmann::json::parse(in);
        for (auto& group : root["groups"]) group["ReportHistoryDaysLimit"] = group["GroupId"] == 10 ? 30 : -7;
        std::ofstream(scenario) << root.dump();
        simArguments = {"--scenario", scenario};
    }
    ~StatementWindowTest() override { std::remove(scenario.c_str()); }
    void SetUp() override {
        LoggedInWindowTest::SetUp();
        if (HasFatalFailure()) return;
        observer = platform::ObserverHandle(
            &platform::NotificationCenter::defaultCenter(),
            platform::NotificationCenter::defaultCenter().addObserver(state::notifications::kAccountStatement,
                                                                      [this](const auto&) { ++refreshes; }));
    }
    void TearDown() override {
        observer.reset();
        LoggedInWindowTest::TearDown();
    }
    AccountStatementWindowController* open() {
        if (!main->runCommand("AccountStatementButtonClicked")) return nullptr;
        return dynamic_cast<AccountStatementWindowController*>(main->keptWindow("AccountStatementWindowController"));
    }
    // Both answers of one more request have refreshed the window.
    bool answered(int before) { return runUntil([&] { return refreshes >= before + 2; }, 10000); }
    // And the page hidden then has been filled, the columns fitted.
    bool filled(AccountStatementWindowController* window, int before) {
        return answered(before) && runUntil([&] { return !window->fitPending(); }, 10000);
    }
    static QDateTime today(int hour) { return QDateTime(QDate::currentDate(), QTime(hour, 0)); }

    std::string scenario = path + "_scenario.json";
    platform::ObserverHandle observer;
    int refreshes = 0;
};

TEST_F(StatementWindowTest, FirstOpeningRequestsOnceAndFillsEveryTable) {
    AccountStatementWindowController* window = open();
    ASSERT_TRUE(window);
    // Watching every model from before the first statement: rows into an empty table, then reloads.
    std::vector<std::unique_ptr<QAbstractItemModelTester>> testers;
    for (QTableView* view : window->tableViews)
        testers.push_back(std::make_unique<QAbstractItemModelTester>(view->model(),
                                                                     QAbstractItemModelTester::FailureReportingMode::Fatal));
    std::vector<std::string> accounts;
    for (const auto& a : main->context().view.getAccountCollection()) accounts.push_back(std::to_string(a->AccountId));
    EXPECT_EQ(kit::testing::comboItems(window->accountComboBox), accounts);
    EXPECT_EQ(window->accountComboBox->currentText().toStdString(), "1001");
    EXPECT_EQ(window->fromDatePicker->dateTime(), today(0));
    EXPECT_EQ(window->toDatePicker->dateTime(), today(12));
    EXPECT_FALSE(window->settledPLPieChartController || window->openPLPieChartController);  // before any statement
    // Group 10 reaches back 30 calendar days; both pickers end no earlier than now.
    for (QDateTimeEdit* picker : {window->fromDatePicker, window->toDatePicker}) {
        EXPECT_EQ(picker->minimumDate(), QDate::currentDate().addDays(-30));
        EXPECT_GE(picker->maximumDateTime(), today(12));
    }
    ASSERT_TRUE(answered(0));
    charts::PieChartController* settledPie = window->settledPLPieChartController;
    charts::PieChartController* openPie = window->openPLPieChartController;
    ASSERT_TRUE(settledPie && openPie);
    EXPECT_TRUE(window->settledPLBox->isAncestorOf(settledPie) && window->unrealisedPLBox->isAncestorOf(openPie));
    EXPECT_EQ(settledPie->legendEntries().size(), 2u);  // GOLD and EURUSD
    // Date-time columns show their whole text in the view's font, never elided,
    // once the column fit has run over its turns of the event loop.
    ASSERT_TRUE(runUntil([&] { return !window->fitPending(); }, 10000));
    int dateTimes = 0;
    for (int t = 0; t < 4; ++t) {
        QTableView* view = window->tableViews[std::size_t(t)];
        const auto* detail = dynamic_cast<const reports::DetailHistoryTableController*>(view->model());
        ASSERT_TRUE(detail);
        const int margins = 2 * (view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
        for (int c = 0; c < detail->columnCount(); ++c) {
            if (!reports::isDateTimeColumn(detail->table(), detail->identifiers()[std::size_t(c)])) continue;
            for (int r = 0; r < detail->rowCount(); ++r, ++dateTimes) {
                const QString full = detail->index(r, c).data().toString();
                EXPECT_LE(view->fontMetrics().horizontalAdvance(full) + margins, view->columnWidth(c))
                    << t << " " << full.toStdString();
            }
        }
    }
    EXPECT_GT(dateTimes, 3);
    EXPECT_EQ(sent("getdsaccountstatement:1001"), 1);
    EXPECT_EQ(sent("getcancelledorders:1001"), 1);
    const QString day = QDate::currentDate().toString("MM/dd/yyyy");
    EXPECT_EQ(window->statementPeriodLabel->text(), day + " - " + day);

    // A longer period holds the scenario's cancelled order.
    window->fromDatePicker->setDateTime(today(0).addDays(-29));
    window->showButton->click();
    ASSERT_TRUE(filled(window, 2));
    EXPECT_EQ(window->statementPeriodLabel->text(), QDate::currentDate().addDays(-29).toString("MM/dd/yyyy") + " - " + day);
    EXPECT_EQ(window->cancelledOrderHistoryTableController->rowCount(), 1);
    EXPECT_EQ(window->accountLabel->text(), "1001");
    EXPECT_TRUE(QRegularExpression("^-?\\d+\\.\\d\\d$").match(window->leverageLabel->text()).hasMatch())
        << window->leverageLabel->text().toStdString();
    EXPECT_EQ(window->addressLabel->text(), "12 S&P Tower");
    EXPECT_EQ(window->companyAddressLabel->text(), "Broker &lt;b&gt; Ltd");
    EXPECT_EQ(window->companyAddressLabel->textFormat(), Qt::PlainText);  // shown as it came, not as markup
    EXPECT_EQ(column(window->openPositionHistoryTableController, 0), (std::vector<std::string>{"9", "10", "100"}));
    EXPECT_EQ(window->pendingOrderHistoryTableController->rowCount(), 2);
    EXPECT_EQ(window->settledPositionHistoryTableController->rowCount(), 3);
    EXPECT_EQ(window->instrumentHistoryTableController->rowCount(), 3);
    EXPECT_EQ(window->accountSummaryHistoryTableController->rowCount(), 17);  // with the daily TDS
    EXPECT_EQ(column(window->orderSummaryHistoryTableController, 1), (std::vector<std::string>{"4", "4", "5", "3"}));
    EXPECT_EQ(column(window->marginSummaryHistoryTableController, 1), std::vector<std::string>{"2"});
    const std::string gap(5, ' ');
    EXPECT_EQ(window->closedStatusLabel->text().toStdString(),  // worked from the scenario's settled rows
              integration::tr("0027") + " : 4" + gap + integration::tr("0152") + " : 60.50" + gap +
                  integration::tr("0275") + " : 1.50" + gap + integration::tr("0432") + " : 0.50" + gap + "TDS : 0.25" + gap);
    for (QTableView* view : window->tableViews) {
        EXPECT_EQ(view->verticalHeader()->count(), view->model()->rowCount());  // every row held is shown
        EXPECT_EQ(view->selectionMode(), QAbstractItemView::NoSelection);
    }
    const auto identifier = [](QTableView* view, int c) {
        return view->model()->headerData(c, Qt::Horizontal, printing::kColumnIdentifierRole).toString().toStdString();
    };
    EXPECT_EQ(identifier(window->tableViews[0], 0), "0317");
    EXPECT_EQ(identifier(window->tableViews[5], 1), "Details");

    window->resize(window->minimumSize());
    QApplication::processEvents();
    saveScreenshot(window, "account-statement-summary-smallest-dark");
    window->resize(1180, 900);
    bothThemes(window, "account-statement-summary");
    window->detailsButtonClicked();
    // The open table's header menu hides its market-price column.
    QTableView* openView = window->tableViews[0];
    const int market = window->openPositionHistoryTableController->columnOf("0147");
    QMenu* menu = reports::headerMenuOf(openView);
    ASSERT_TRUE(menu);
    EXPECT_FALSE(reports::headerMenuOf(window->tableViews[4]));  // instruments: none
    menu->actions()[market]->trigger();
    EXPECT_TRUE(openView->isColumnHidden(market));
    EXPECT_FALSE(menu->actions()[market]->isChecked());
    bothThemes(window, "account-statement-details-hidden-column");
    menu->actions()[market]->trigger();
    EXPECT_FALSE(openView->isColumnHidden(market));

    // Closed, then a statement of another account arrives: it shows at the next
    // opening, which resets the period and the page and sends nothing.
    window->hide();
    window->fromDatePicker->setDateTime(today(0).addDays(-3));
    const int before = refreshes;
    model::StatementQuery other{"1002", model::Date{}, model::Date{}};
    main->context().commands.requestAccountStatement(other);
    ASSERT_TRUE(runUntil([&] { return refreshes > before; }, 10000));
    ASSERT_EQ(open(), window);
    EXPECT_EQ(window->accountSummaryTabView->currentIndex(), 0);
    EXPECT_EQ(window->fromDatePicker->dateTime(), today(0));
    EXPECT_EQ(window->toDatePicker->dateTime(), today(12));
    EXPECT_EQ(column(window->openPositionHistoryTableController, 0), std::vector<std::string>{"21"});
    EXPECT_EQ(window->settledPLPieChartController, settledPie);  // kept, redrawn
    EXPECT_EQ(openPie->legendEntries().size(), 1u);                // GBPUSD
    EXPECT_EQ(sent("getdsaccountstatement:1001"), 2);
    EXPECT_EQ(sent("getdsaccountstatement:1002"), 1);
    window->hide();
}

// A statement fills the page shown at once and the hidden one by the time it
// shows, without a turn of the event loop between.
TEST_F(StatementWindowTest, EachPageShowsTheLastStatementWhenItShows) {
    AccountStatementWindowController* window = open();
    ASSERT_TRUE(window);
    ASSERT_TRUE(filled(window, 0));
    const auto openRows = [&] { return column(window->openPositionHistoryTableController, 0); };
    const auto openPieEntries = [&] { return window->openPLPieChartController->legendEntries().size(); };
    struct Case {
        std::string account;
        bool detailsShown;
        std::vector<std::string> openRows;
        std::size_t openPieEntries;
    };
    for (const Case& c : {Case{"1002", true, {"21"}, 1}, Case{"1001", true, {"9", "10", "100"}, 2},
                          Case{"1002", false, {"21"}, 1}, Case{"1001", false, {"9", "10", "100"}, 2}}) {
        c.detailsShown ? window->detailsButtonClicked() : window->summaryButtonClicked();
        bool seen = false;
        // Observers run in their order: this one right after the window's refresh.
        auto& center = platform::NotificationCenter::defaultCenter();
        platform::ObserverHandle after(&center, center.addObserver(state::notifications::kAccountStatement, [&](const auto&) {
            seen = true;
            if (c.detailsShown) {
                EXPECT_EQ(openRows(), c.openRows) << c.account;
                window->summaryButtonClicked();
                EXPECT_EQ(openPieEntries(), c.openPieEntries) << c.account;
            } else {
                EXPECT_EQ(openPieEntries(), c.openPieEntries) << c.account;
                window->detailsButtonClicked();
                EXPECT_EQ(openRows(), c.openRows) << c.account;
            }
        }));
        main->context().commands.requestAccountStatement(model::StatementQuery{c.account, model::Date{}, model::Date{}});
        ASSERT_TRUE(runUntil([&] { return seen; }, 10000)) << c.account;
        after.reset();
        ASSERT_TRUE(runUntil([&] { return !window->fitPending(); }, 10000));
    }
    window->hide();
}

TEST_F(StatementWindowTest, TheComboSetsLimitsAndShowRequestsForTheLastAccount) {
    AccountStatementWindowController* window = open();
    ASSERT_TRUE(window);
    ASSERT_TRUE(answered(0));
    // Choosing 1002 (a negative limit: none) recomputes the limits; nothing is sent.
    window->accountComboBox->setCurrentIndex(window->accountComboBox->findText("1002"));
    for (QDateTimeEdit* picker : {window->fromDatePicker, window->toDatePicker})
        EXPECT_EQ(picker->minimumDateTime(), today(0));
    EXPECT_EQ(window->fromDatePicker->dateTime(), today(0));  // the default period is not clamped

    // Two presses, four requests; each answer refreshes.
    const int first = refreshes;
    window->showButton->click();
    window->showButton->click();
    ASSERT_TRUE(runUntil([&] { return refreshes >= first + 4; }, 10000));
    EXPECT_EQ(sent("getdsaccountstatement:1002"), 2);
    EXPECT_EQ(sent("getcancelledorders:1002"), 2);
    EXPECT_EQ(sent("getdsaccountstatement:1001"), 1);
    EXPECT_EQ(window->selectedAccountId(), 1002);
    EXPECT_EQ(window->addressLabel->text(), "3 Harbour Road");

    // Another account chosen without Show: a refresh still reads the last request's account.
    window->accountComboBox->setCurrentIndex(window->accountComboBox->findText("1001"));
    platform::NotificationCenter::defaultCenter().post(state::notifications::kAccountStatement);
    EXPECT_EQ(window->addressLabel->text(), "3 Harbour Road");
    EXPECT_EQ(window->companyAddressLabel->text(), "Example Brokerage");
    EXPECT_EQ(column(window->marginSummaryHistoryTableController, 1), std::vector<std::string>{"0"});

    // A text naming no account: account "0", no leverage, the addresses and margin calls emptied.
    window->accountComboBox->setEditText("nope");
    const int second = refreshes;
    window->showButton->click();
    EXPECT_EQ(window->accountLabel->text(), "0");
    EXPECT_EQ(window->leverageLabel->text(), "0.00");
    ASSERT_TRUE(answered(second));  // both answers: they may come in either order
    EXPECT_EQ(sent("getdsaccountstatement:0"), 1);
    EXPECT_EQ(window->selectedAccountId(), 0);
    EXPECT_EQ(window->addressLabel->text(), "");
    EXPECT_EQ(window->companyAddressLabel->text(), "");
    EXPECT_EQ(window->marginSummaryHistoryTableController->rowCount(), 0);
    EXPECT_FALSE(window->failureLabel->isHidden());  // the simulator answers an unknown account with nothing
    window->hide();
}

// A failed answer (its kinds: the session's statement tests) is said and
// offers no print; it never shows as a statement of zeros. The next statement
// that loads takes its place.
TEST_F(StatementWindowTest, AFailedStatementIsSaidAndNotPrinted) {
    AccountStatementWindowController* window = open();
    ASSERT_TRUE(window);
    ASSERT_TRUE(answered(0));
    EXPECT_TRUE(window->failureLabel->isHidden());
    for (const bool failing : {true, false}) {
        ASSERT_EQ(sim->command(failing ? "fault statement-text on" : "fault statement-text off"), "ok");
        const int before = refreshes;
        window->showButton->click();
        ASSERT_TRUE(filled(window, before));
        EXPECT_EQ(!window->failureLabel->isHidden(), failing);
        EXPECT_EQ(window->printButton->isEnabled(), !failing);
        EXPECT_EQ(window->orderSummaryHistoryTableController->rowCount(), failing ? 0 : 4);  // no quantities of 0
        EXPECT_EQ(window->marginSummaryHistoryTableController->rowCount(), failing ? 0 : 1);
        EXPECT_EQ(window->closedStatusLabel->text().isEmpty(), failing);
        if (failing) {
            EXPECT_EQ(window->failureLabel->text().toStdString(), integration::tr("90690"));
            EXPECT_EQ(window->openPositionHistoryTableController->rowCount(), 0);
            bothThemes(window, "account-statement-failed");
        }
    }
    window->hide();
}

TEST_F(StatementWindowTest, PrintsTheLastStatementUnderTheLastRequestAsTheTablesShowIt) {
    AccountStatementWindowController* window = open();
    ASSERT_TRUE(window);
    using integration::tr;
    const std::string day = QDate::currentDate().toString("MM/dd/yyyy").toStdString();
    const std::string name = main->context().view.account("1001")->AccountName;
    const model::AccountStatementInfo& statement = main->context().view.accountStatement();
    const auto expectedOutline = [&](const std::vector<int>& rows) {
        std::vector<std::string> out{"[image]", tr("0263")};
        if (rows[0] > 1) out.insert(out.end(), {"12 S&P Tower", "Broker &lt;b&gt; Ltd"});
        out.insert(out.end(), {tr("0012") + " : 1001", tr("0239") + " : " + name, tr("0436") + " : " + day + " - " + day});
        const char* headings[] = {"0700", "0701", "0702", "0276", "21003", "21001", "21002", "21004"};
        for (int i = 0; i < 8; ++i) {
            out.insert(out.end(), {tr(headings[i]), "[table " + std::to_string(rows[std::size_t(i)]) + "]"});
            if (i == 4) out.push_back(window->settledPositionHistoryTableController->getSettledStatusInfo(statement));
            if (i == 5) out.push_back(window->openPositionHistoryTableController->getOpenStatusInfo(statement));
        }
        return out;
    };
    // Before any statement: every section its heading and header row.
    std::shared_ptr<printing::PrintTextView> job = window->printJob();
    // A table too wide for the page prints in bands of columns, one table each: counted once here.
    const auto bandsOnce = [](std::vector<std::string> lines) {
        lines.erase(std::unique(lines.begin(), lines.end(),
                                [](const std::string& a, const std::string& b) { return a == b && a.starts_with("[table"); }),
                    lines.end());
        return lines;
    };
    EXPECT_EQ(bandsOnce(outline(job->document())), expectedOutline({1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(job->printJobTitle().toStdString(), platform::ResourceBundle::applicationName() + " - " + tr("0263"));

    // Another account and period chosen without Show: the print keeps the last request's.
    ASSERT_TRUE(answered(0));
    ASSERT_TRUE(runUntil([&] { return !window->fitPending(); }, 10000));  // widths set below stay
    window->accountComboBox->setCurrentIndex(window->accountComboBox->findText("1002"));
    window->fromDatePicker->setDateTime(today(0).addDays(-3));
    QTableView* openView = window->tableViews[0];
    const int market = window->openPositionHistoryTableController->columnOf("0147");
    openView->setColumnHidden(market, true);
    int dateColumn = 0;
    while (!reports::isDateTimeColumn(reports::DetailTable::OpenPositions,
                                      window->openPositionHistoryTableController->identifiers()[std::size_t(dateColumn)]))
        ++dateColumn;
    openView->setColumnWidth(dateColumn, 100);  // narrow: the time only, as on screen
    std::vector<QTextTable*> tables;
    job = window->printJob();
    EXPECT_EQ(bandsOnce(outline(job->document(), &tables)), expectedOutline({18, 5, 2, 4, 4, 4, 3, 1}));
    // The settled positions' 18 columns in bands; the open positions' table follows them, unsplit.
    ASSERT_GE(tables.size(), 10u);
    EXPECT_EQ(tableRow(tables[0], 0), (std::vector<std::string>{tr("90519"), tr("21301")}));
    std::vector<std::string> header;
    for (int c = 0; c < window->openPositionHistoryTableController->columnCount(); ++c)
        if (c != market) header.push_back(tr(window->openPositionHistoryTableController->identifiers()[std::size_t(c)].c_str()));
    std::size_t openTable = 0;
    while (openTable < tables.size() && tableRow(tables[openTable], 0) != header) ++openTable;
    ASSERT_GE(openTable, 6u);  // after four tables and the settled positions' bands
    ASSERT_LT(openTable, tables.size());
    // The settled positions' P/L under the window's realised title, in whichever band it falls.
    std::vector<std::string> settledTitles;
    for (std::size_t t = 4; t < openTable; ++t)
        for (const std::string& title : tableRow(tables[t], 0)) settledTitles.push_back(title);
    EXPECT_EQ(std::count(settledTitles.begin(), settledTitles.end(), tr("0152")), 1);
    EXPECT_EQ(std::count(settledTitles.begin(), settledTitles.end(), tr("0319")), 0);
    const int printedDate = dateColumn - (market < dateColumn);
    const std::string full = window->openPositionHistoryTableController->text(0, dateColumn).toStdString();
    EXPECT_EQ(tableRow(tables[openTable], 1)[std::size_t(printedDate)], reports::dateTimeCell(100, full));
    EXPECT_NE(reports::dateTimeCell(100, full), full);
    EXPECT_EQ(tableRow(tables[openTable], 1)[0], "9");

    // The print button prints to the installed PDF target.
    const QString pdfPath = QString::fromStdString(path) + "_statement.pdf";
    auto target = std::make_shared<printing::PdfPrintTarget>(pdfPath);
    printing::PrintTarget::install(target);
    window->printButton->click();
    printing::PrintTarget::install(nullptr);
    EXPECT_EQ(target->printed(), 1);
    QFile file(pdfPath);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray pdf = file.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_GE(pdf.count("/Type /Page\n"), 1);
    file.remove();

    // Page one at 100 dpi: the logo and the headings' colour show.
    QImage page(744, 1070, QImage::Format_RGB32);
    page.setDotsPerMeterX(3937);
    page.setDotsPerMeterY(3937);
    page.fill(Qt::white);
    QPainter painter(&page);
    job->paginate(page, page.size())->paintPage(painter, 0);
    painter.end();
    // Laid out on the pages: a table that fits on one page is on one (one that ran past
    // a page's end showed its last row before the break twice as tall, without its bottom border).
    const double pageHeight = job->document().pageSize().height();
    for (QTextFrame* frame : job->document().rootFrame()->childFrames()) {
        const QRectF box = job->document().documentLayout()->frameBoundingRect(frame);
        EXPECT_TRUE(!qobject_cast<QTextTable*>(frame) || box.height() >= pageHeight ||
                    std::floor(box.top() / pageHeight) == std::floor(box.bottom() / pageHeight))
            << box.top();
    }
    const auto count = [&](QRgb colour) {
        int n = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) n += page.pixel(x, y) == colour;
        return n;
    };
    EXPECT_GT(count(qRgb(31, 93, 120)), 500);    // the logo's mark
    EXPECT_GT(count(qRgb(158, 207, 224)), 500);  // the headings
    QDir().mkpath(QString(TC_BINARY_DIR) + "/screenshots");
    EXPECT_TRUE(page.save(QString(TC_BINARY_DIR) + "/screenshots/account-statement-print-page1.png"));

    // An account text naming none: account 0, no addresses, the margin calls' header only.
    window->accountComboBox->setEditText("nope");
    const int before = refreshes;
    window->showButton->click();
    ASSERT_TRUE(answered(before));
    tables.clear();
    job = window->printJob();
    const std::vector<std::string> printed = outline(job->document(), &tables);
    ASSERT_GE(tables.size(), 9u);  // the settled positions in two bands
    EXPECT_EQ(tables[2]->rows(), 1);
    EXPECT_EQ(printed[2], tr("0012") + " : 0");
    window->hide();
}

}  // namespace
