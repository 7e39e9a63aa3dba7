#include "reports/account_statement_window_controller.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <algorithm>
#include <cassert>


#include "charts/core/pie_data.h"
#include "charts/pie_chart_controller.h"
#include "kit/control_texts_walk.h"
#include "kit/core/kit_payloads.h"
#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/formatter.h"
#include "platform/clock.h"
#include "platform/main_executor.h"
#include "reports/core/statement_period.h"
#include "reports/statement_table_controllers.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace reports {

namespace {

// "The statement could not be loaded."
constexpr const char* kStatementNotLoadedKey = "90690";
constexpr int kSummaryPage = 0;
constexpr int kDetailsPage = 1;

// What a statement fills, by page: the details' tables and status lines; the
// summary's tables and addresses, then its pies.
enum Part : int { kDetailTables, kSummaryTables, kPies };
constexpr Part kParts[] = {kDetailTables, kSummaryTables, kPies};

int pageOf(int part) { return part == kDetailTables ? kDetailsPage : kSummaryPage; }

model::Date wallNow() {
    return std::chrono::time_point_cast<std::chrono::milliseconds>(platform::defaultClock().wallNow());
}

QDateTime toQt(model::Date date) { return QDateTime::fromMSecsSinceEpoch(date.time_since_epoch().count()); }

model::Date fromQt(const QDateTime& date) { return model::Date{std::chrono::milliseconds{date.toMSecsSinceEpoch()}}; }

// The pie goes into its box when it is first built; later loads redraw it there.
void loadPie(charts::PieChartController*& pie, QGroupBox* box, const model::PieChartDictionary& data,
             std::vector<std::size_t> colours) {
    if (!pie) {
        pie = new charts::PieChartController(box);
        box->layout()->addWidget(pie->view());
    }
    pie->setPieChartData(data, std::move(colours));
}

}  // namespace

AccountStatementWindowController::AccountStatementWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
    setObjectName("AccountStatementWindowController");
    buildWindow();
    updateValuesinWindow();
    showAccountStatement();
    auto& center = platform::NotificationCenter::defaultCenter();
    statementObserver_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kAccountStatement,
                                    [this](const platform::Notification&) { accountStatementUpdate(); }));
    themeObserver_ = platform::ObserverHandle(
        &center, center.addObserver(kit::kThemeChangedNotification, [this](const auto&) { applyTheme(); }));
}

AccountStatementWindowController::~AccountStatementWindowController() = default;

void AccountStatementWindowController::windowDidAppear() {
    updateLanguageStrings();
    applyTheme();
    reloadDateValues();
    summaryButtonClicked();
}

void AccountStatementWindowController::updateValuesinWindow() {
    loadAccountCombo();
    reloadDateValues();
    disclaimerTextField->setText(kit::tableText(context_, "20295"));
}

void AccountStatementWindowController::loadAccountCombo() {
    const state::Accounts accounts = context_.view.getAccountCollection();
    if (accounts.empty()) return;
    const QSignalBlocker quiet(accountComboBox);
    accountComboBox->clear();
    for (const auto& account : accounts)
        if (account) accountComboBox->addItem(QString::number(account->AccountId));
    accountComboBox->setCurrentIndex(0);
}

void AccountStatementWindowController::reloadDateValues() {
    // The limits first, and wide enough to hold the defaults: a picker clamps
    // its value into its range, which would shrink the period sent.
    setMaxandMinDates(accountComboBox->currentText().toStdString());
    const StatementPeriod period = defaultPeriod(wallNow());
    fromDatePicker->setDateTime(toQt(period.start));
    toDatePicker->setDateTime(toQt(period.end));
}

void AccountStatementWindowController::setMaxandMinDates(const std::string& accountText) {
    const model::Date now = wallNow();
    const StatementPeriod range =
        pickerRange(now, reportHistoryDaysLimit(context_.view, accountText), defaultPeriod(now));
    for (QDateTimeEdit* picker : {fromDatePicker, toDatePicker}) picker->setDateTimeRange(toQt(range.start), toQt(range.end));
}

void AccountStatementWindowController::showAccountStatement() {
    const auto account = context_.view.account(accountComboBox->currentText().toStdString());
    const model::Date from = fromQt(fromDatePicker->dateTime());
    const model::Date to = fromQt(toDatePicker->dateTime());
    lastRequest_ = {account ? account->AccountId : 0, from, to};
    accountLabel->setText(QString::number(lastRequest_.accountId));
    statementPeriodLabel->setText(kit::shownText(model::Formatter::fillFormat(
        "%@ - %@", {model::Formatter::formatDate(from), model::Formatter::formatDate(to)})));
    leverageLabel->setText(kit::shownText(model::Formatter::formatDecimal(account ? account->Leverage : 0.0, 2)));
    model::StatementQuery query;
    query.AccountId = std::to_string(lastRequest_.accountId);
    query.FromDate = from;
    query.ToDate = to;
    context_.commands.requestAccountStatement(query);
    context_.commands.requestCancelledOrderHistoryForAccount(query);
}

void AccountStatementWindowController::summaryButtonClicked() {
    loadPendingParts(kSummaryPage);
    accountSummaryTabView->setCurrentIndex(kSummaryPage);
}

void AccountStatementWindowController::detailsButtonClicked() {
    loadPendingParts(kDetailsPage);
    accountSummaryTabView->setCurrentIndex(kDetailsPage);
}

void AccountStatementWindowController::accountStatementUpdate() {
    assert(platform::MainExecutor::isMainThread());
    // A fit still measuring the last statement starts again on this one.
    restartPendingFit();
    const model::AccountStatementInfo& statement = context_.view.accountStatement();
    failureLabel->setVisible(statement.loadFailed);
    printButton->setEnabled(!statement.loadFailed);
    statementAccount_ = lastRequest_.accountId;
    const int shown = accountSummaryTabView->currentIndex() == kDetailsPage ? kDetailsPage : kSummaryPage;
    pendingParts_.clear();
    for (const Part part : kParts) {
        if (pageOf(part) == shown) {
            loadPart(part);
            continue;
        }
        // The hidden page's parts first among the steps, a part a turn, each followed by its tables' fit.
        pendingParts_.push_back(part);
        fitSteps_.push_back([this, part] { loadPendingPart(part); });
    }
    fitColumnsOnce();
}

void AccountStatementWindowController::loadPendingParts(int page) {
    for (const Part part : kParts)
        if (pageOf(part) == page) loadPendingPart(part);
}

void AccountStatementWindowController::loadPendingPart(int part) {
    if (std::erase(pendingParts_, part) == 0) return;
    loadPart(part);
    fitColumnsOnce();
}

void AccountStatementWindowController::loadPart(int part) {
    // The statement as held now: a later one already held is followed by its own update.
    const model::AccountStatementInfo& statement = context_.view.accountStatement();
    switch (part) {
    case kDetailTables: {
        const SessionInstrument sessionInstrument = [this](const std::string& code) { return context_.view.instrument(code); };
        openPositionHistoryTableController->reloadData(statement, sessionInstrument);
        openStatusLabel->setText(kit::shownText(openPositionHistoryTableController->getOpenStatusInfo(statement)));
        pendingOrderHistoryTableController->reloadData(statement, sessionInstrument);
        settledPositionHistoryTableController->reloadData(statement, sessionInstrument);
        closedStatusLabel->setText(kit::shownText(settledPositionHistoryTableController->getSettledStatusInfo(statement)));
        cancelledOrderHistoryTableController->reloadData(statement, sessionInstrument);
        instrumentHistoryTableController->reloadData(statement, sessionInstrument);
        return;
    }
    case kPies: {
        // Side by side, an instrument has one colour in both pies.
        const auto settled = statement.getSettledPLForItems();
        const auto open = statement.getOpendPLForItems();
        auto colours = charts::sharedSliceColours({settled.PieChartTitle, open.PieChartTitle},
                                                  charts::PieChartController::kColourCount);
        loadPie(settledPLPieChartController, settledPLBox, settled, std::move(colours[0]));
        loadPie(openPLPieChartController, unrealisedPLBox, open, std::move(colours[1]));
        return;
    }
    case kSummaryTables: break;
    }
    accountSummaryHistoryTableController->loadAccountSummary(statement);
    // No account resolved: nothing of an earlier account stays beside account "0".
    const std::int32_t account = statementAccount_;
    kit::setShownText(*addressLabel, account ? statement.getClientAddressForAccountId(account).value_or("") : "");
    kit::setShownText(*companyAddressLabel, account ? statement.getCompanyAddressForAccountId(account).value_or("") : "");
    marginSummaryHistoryTableController->loadMarginSummaryForAccount(statement, account);
    orderSummaryHistoryTableController->loadOrderSummary(statement);
}

void AccountStatementWindowController::updateLanguageStrings() {
    const QString title = kit::tableText(context_, "0263");
    setWindowTitle(title);
    headerLabel->setText(title);
    accountHeaderLabel->setText(kit::tableText(context_, "0012"));
    showButton->setText(kit::tableText(context_, "0441"));
    failureLabel->setText(kit::tableText(context_, kStatementNotLoadedKey));
    // The boxes, the page buttons and the period labels by their tags.
    kit::applyControlTexts(this, context_.language);
}

void AccountStatementWindowController::applyTheme() {
    kit::ThemeTargets targets;
    targets["Windows"] = {this};
    targets["TableView"].assign(tableViews.begin(), tableViews.begin() + 7);
    kit::ThemeManager::applyTheme(targets, context_.theme());
}

}  // namespace reports
