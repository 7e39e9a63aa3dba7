#pragma once
// The account statement window: an account and a period, the statement and
// cancelled-orders requests for them, and the answer on two pages (summary
// and details) in eight tables, two status lines, the addresses, the labels
// of the last request, two pie boxes and a disclaimer. Kept for the login; it
// follows every statement notification, shown or not. Main thread.
#include <QWidget>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/notification_center.h"
#include "reports/core/account_detail_text.h"

class QComboBox;
class QDateTimeEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QStackedWidget;
class QTableView;

namespace kit {
struct WindowContext;
}
namespace charts {
class PieChartController;
}
namespace printing {
class PrintTextView;
}

namespace reports {

class OpenPositionHistoryTableController;
class PendingOrderHistoryTableController;
class SettledPositionHistoryTableController;
class CancelledOrderHistoryTableController;
class InstrumentHistoryTableController;
class AccountSummaryHistoryTableController;
class OrderSummaryHistoryTableController;
class MarginSummaryHistoryTableController;

class AccountStatementWindowController : public QWidget {
public:
    // Builds the window, fills the account list and the period, sends the
    // first request and starts following the statement notification.
    explicit AccountStatementWindowController(kit::WindowContext& context, QWidget* parent = nullptr);
    ~AccountStatementWindowController() override;

    // Each opening: texts, theme, the default period and its limits, the summary page.
    void windowDidAppear();
    // The statement and cancelled-orders requests for the combo's account and the pickers' period.
    void showAccountStatement();
    void summaryButtonClicked();
    void detailsButtonClicked();
    // Rereads the statement record into every table and label.
    void accountStatementUpdate();

    // The printed statement through the print dialog, window-modal on the window.
    void print();
    // The document of the print, built anew from the last statement and the
    // last request: logo, title, account block, eight headed tables. The
    // columns' fit ends first (the date-time cells print as wide as shown).
    std::shared_ptr<printing::PrintTextView> printJob();

    // The hidden page's fill and the columns' fit after a statement run over
    // later event-loop turns, a part of the page, a column (or a block of
    // rows) per turn; this ends them now.
    void flushPendingFit();
    bool fitPending() const { return !fitSteps_.empty(); }

    // The account of the last request; 0 when its text named no account.
    std::int32_t selectedAccountId() const { return lastRequest_.accountId; }

    // Pages: 0 summary, 1 details. A statement fills the page shown at once
    // and the other over the first event-loop turns after it, or when it is
    // shown first (each page walks every row of the statement).
    QStackedWidget* accountSummaryTabView = nullptr;
    QComboBox* accountComboBox = nullptr;
    QDateTimeEdit* fromDatePicker = nullptr;
    QDateTimeEdit* toDatePicker = nullptr;
    QPushButton* showButton = nullptr;
    QPushButton* summaryButton = nullptr;
    QPushButton* detailsButton = nullptr;
    QPushButton* printButton = nullptr;
    QLabel* headerLabel = nullptr;
    QLabel* accountHeaderLabel = nullptr;
    QLabel* statementPeriodLabel = nullptr;
    QLabel* accountLabel = nullptr;
    QLabel* leverageLabel = nullptr;
    QLabel* addressLabel = nullptr;
    QLabel* companyAddressLabel = nullptr;
    QLabel* disclaimerTextField = nullptr;
    // Shown while the last statement could not be loaded; the print is not offered then.
    QLabel* failureLabel = nullptr;
    QLabel* openStatusLabel = nullptr;
    QLabel* closedStatusLabel = nullptr;
    QGroupBox* settledPLBox = nullptr;
    QGroupBox* unrealisedPLBox = nullptr;
    // Made at the first statement, each in its box; kept after.
    charts::PieChartController* settledPLPieChartController = nullptr;
    charts::PieChartController* openPLPieChartController = nullptr;

    OpenPositionHistoryTableController* openPositionHistoryTableController = nullptr;
    PendingOrderHistoryTableController* pendingOrderHistoryTableController = nullptr;
    SettledPositionHistoryTableController* settledPositionHistoryTableController = nullptr;
    CancelledOrderHistoryTableController* cancelledOrderHistoryTableController = nullptr;
    InstrumentHistoryTableController* instrumentHistoryTableController = nullptr;
    AccountSummaryHistoryTableController* accountSummaryHistoryTableController = nullptr;
    OrderSummaryHistoryTableController* orderSummaryHistoryTableController = nullptr;
    MarginSummaryHistoryTableController* marginSummaryHistoryTableController = nullptr;
    // In theme order: open, pending, settled, cancelled, instruments, account
    // summary, order summary; then the margin-call summary (not themed).
    std::vector<QTableView*> tableViews;

private:
    void buildWindow();
    QWidget* buildSummaryPage();
    QWidget* buildDetailsPage();
    void updateValuesinWindow();
    // A part of a page (its tables and labels, or the pies) from the held statement.
    void loadPart(int part);
    void loadPendingPart(int part);
    void loadPendingParts(int page);
    void loadAccountCombo();
    // The default period and, first, the limits that hold it.
    void reloadDateValues();
    // The limits for the account named by the text.
    void setMaxandMinDates(const std::string& accountText);
    void updateLanguageStrings();
    void applyTheme();
    // Column widths from their content, once per table, in steps.
    void fitColumnsOnce();
    void scheduleFit(std::size_t table);
    void restartPendingFit();
    void postFitStep();

    kit::WindowContext& context_;
    StatementRequest lastRequest_;
    // The account of the last statement's request, as its addresses and margin calls read it.
    std::int32_t statementAccount_ = 0;
    std::vector<int> pendingParts_;  // of the page hidden at the last statement
    std::vector<bool> fitted_;
    std::vector<std::size_t> fitting_;  // tables whose fit has steps left
    std::deque<std::function<void()>> fitSteps_;
    bool fitPosted_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    platform::ObserverHandle statementObserver_;
    platform::ObserverHandle themeObserver_;
};

}  // namespace reports
