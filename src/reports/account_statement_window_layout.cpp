// The statement window's controls: the request bar, the two pages in scroll
// areas, and the page buttons. Texts by key come with each opening.
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStackedWidget>
#include <QTableView>
#include <QVBoxLayout>

#include "kit/controls/input_filter_fields.h"
#include "kit/text_direction.h"
#include "kit/plain_text.h"
#include "kit/window_context.h"
#include "reports/account_statement_window_controller.h"
#include "reports/statement_table_controllers.h"
#include "reports/statement_table_view.h"

namespace reports {

namespace {

// Keys of the boxes, page buttons and period labels (their "tag").
constexpr int kOpenPositionsBox = 21001;
constexpr int kPendingOrdersBox = 21002;
constexpr int kSettledPositionsBox = 21003;
constexpr int kCancelledOrdersBox = 21004;
constexpr int kInstrumentsBox = 276;
constexpr int kAccountSummaryBox = 700;
constexpr int kOrderSummaryBox = 701;
constexpr int kMarginSummaryBox = 702;
constexpr int kSummaryButton = 21300;
constexpr int kDetailsButton = 21301;
constexpr int kPrintButton = 30;
constexpr int kFromLabel = 21302;
constexpr int kToLabel = 21303;
constexpr int kPeriodLabel = 21304;
constexpr int kAccountLabel = 12;
constexpr int kLeverageLabel = 438;
constexpr int kClientAddressBox = 21306;
constexpr int kCompanyAddressBox = 21307;
constexpr int kSettledPieBox = 21308;
constexpr int kOpenPieBox = 21309;
constexpr int kDisclaimerBox = 21310;

template <typename W>
W* tagged(W* widget, int tag) {
    widget->setProperty("tag", tag);
    return widget;
}

QGroupBox* box(int tag, QWidget* content, QWidget* below = nullptr) {
    auto* group = tagged(new QGroupBox, tag);
    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    if (content) layout->addWidget(content);
    if (below) layout->addWidget(below);
    return group;
}

// Server texts shown as they came: never read as markup.
QLabel* valueLabel(bool wrap = true) {
    auto* label = kit::plainLabel();
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(wrap);
    return label;
}

std::vector<int> dateTimeColumns(const DetailHistoryTableController& model) {
    std::vector<int> columns;
    for (int c = 0; c < model.columnCount(); ++c)
        if (isDateTimeColumn(model.table(), model.identifiers()[std::size_t(c)])) columns.push_back(c);
    return columns;
}

QScrollArea* scrolled(QWidget* page) {
    auto* area = new QScrollArea;
    area->setWidgetResizable(true);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidget(page);
    return area;
}

}  // namespace

void AccountStatementWindowController::buildWindow() {
    const KeyText text = context_.text;
    openPositionHistoryTableController = new OpenPositionHistoryTableController(text, this);
    pendingOrderHistoryTableController = new PendingOrderHistoryTableController(text, this);
    settledPositionHistoryTableController = new SettledPositionHistoryTableController(text, this);
    cancelledOrderHistoryTableController = new CancelledOrderHistoryTableController(text, this);
    instrumentHistoryTableController = new InstrumentHistoryTableController(text, this);
    accountSummaryHistoryTableController = new AccountSummaryHistoryTableController(text, this);
    orderSummaryHistoryTableController = new OrderSummaryHistoryTableController(text, this);
    marginSummaryHistoryTableController = new MarginSummaryHistoryTableController(text, this);
    for (DetailHistoryTableController* detail :
         std::initializer_list<DetailHistoryTableController*>{openPositionHistoryTableController,
                                                               pendingOrderHistoryTableController,
                                                               settledPositionHistoryTableController,
                                                               cancelledOrderHistoryTableController,
                                                               instrumentHistoryTableController})
        tableViews.push_back(makeStatementTable(detail, dateTimeColumns(*detail), detail != instrumentHistoryTableController, nullptr));
    for (StatementTableModel* summary :
         std::initializer_list<StatementTableModel*>{accountSummaryHistoryTableController,
                                                      orderSummaryHistoryTableController,
                                                      marginSummaryHistoryTableController}) {
        QTableView* view = makeStatementTable(summary, {}, false, nullptr);
        view->horizontalHeader()->hide();
        tableViews.push_back(view);
    }

    // The request bar.
    headerLabel = kit::plainLabel();
    QFont heading = headerLabel->font();
    heading.setPointSizeF(heading.pointSizeF() * 1.4);
    heading.setBold(true);
    headerLabel->setFont(heading);
    accountHeaderLabel = kit::plainLabel();
    accountComboBox = new QComboBox;
    accountComboBox->setEditable(true);
    accountComboBox->setInsertPolicy(QComboBox::NoInsert);
    accountComboBox->setMinimumContentsLength(8);
    kit::attachSeparatorGuard(accountComboBox->lineEdit());
    fromDatePicker = new QDateTimeEdit;
    toDatePicker = new QDateTimeEdit;
    for (QDateTimeEdit* picker : {fromDatePicker, toDatePicker}) {
        kit::keepLeftToRight(picker);
        picker->setDisplayFormat(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
        picker->setCalendarPopup(true);
    }
    showButton = new QPushButton;
    auto* bar = new QHBoxLayout;
    bar->setSpacing(6);
    bar->addWidget(accountHeaderLabel);
    bar->addWidget(accountComboBox);
    bar->addSpacing(12);
    bar->addWidget(tagged(kit::plainLabel(), kFromLabel));
    bar->addWidget(fromDatePicker);
    bar->addWidget(tagged(kit::plainLabel(), kToLabel));
    bar->addWidget(toDatePicker);
    bar->addWidget(showButton);
    bar->addStretch(1);

    // The period box: the account, period and leverage of the last request.
    auto* periodBox = new QGroupBox;
    periodBox->setObjectName("periodBox");
    auto* period = new QFormLayout(periodBox);
    period->setLabelAlignment(Qt::AlignRight);
    accountLabel = valueLabel(false);
    statementPeriodLabel = valueLabel(false);
    leverageLabel = valueLabel(false);
    period->addRow(tagged(kit::plainLabel(), kAccountLabel), accountLabel);
    period->addRow(tagged(kit::plainLabel(), kPeriodLabel), statementPeriodLabel);
    period->addRow(tagged(kit::plainLabel(), kLeverageLabel), leverageLabel);

    accountSummaryTabView = new QStackedWidget;
    accountSummaryTabView->addWidget(scrolled(buildSummaryPage()));
    accountSummaryTabView->addWidget(scrolled(buildDetailsPage()));

    // The status bar: the page buttons.
    summaryButton = tagged(new QPushButton, kSummaryButton);
    detailsButton = tagged(new QPushButton, kDetailsButton);
    connect(summaryButton, &QPushButton::clicked, this, [this] { summaryButtonClicked(); });
    connect(detailsButton, &QPushButton::clicked, this, [this] { detailsButtonClicked(); });
    printButton = tagged(new QPushButton, kPrintButton);
    connect(printButton, &QPushButton::clicked, this, [this] { print(); });
    auto* statusBar = new QHBoxLayout;
    statusBar->addWidget(summaryButton);
    statusBar->addWidget(detailsButton);
    statusBar->addStretch(1);
    statusBar->addWidget(printButton);

    auto* top = new QHBoxLayout;
    failureLabel = kit::plainLabel();
    failureLabel->setObjectName("failureLabel");
    QFont failure = failureLabel->font();
    failure.setBold(true);
    failureLabel->setFont(failure);
    failureLabel->hide();
    auto* titles = new QVBoxLayout;
    titles->addWidget(headerLabel);
    titles->addLayout(bar);
    titles->addWidget(failureLabel);
    top->addLayout(titles, 1);
    top->addWidget(periodBox);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(6);
    layout->addLayout(top);
    layout->addWidget(accountSummaryTabView, 1);
    layout->addLayout(statusBar);
    setMinimumSize(900, 620);
    resize(1180, 780);

    connect(showButton, &QPushButton::clicked, this, [this] { showAccountStatement(); });
    // The limits follow the account being chosen; nothing is sent.
    connect(accountComboBox, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index >= 0) setMaxandMinDates(accountComboBox->itemText(index).toStdString());
    });
}

QWidget* AccountStatementWindowController::buildSummaryPage() {
    addressLabel = valueLabel();
    companyAddressLabel = valueLabel();
    disclaimerTextField = valueLabel();
    settledPLBox = box(kSettledPieBox, nullptr);
    unrealisedPLBox = box(kOpenPieBox, nullptr);
    for (QGroupBox* pie : {settledPLBox, unrealisedPLBox}) pie->setMinimumSize(320, 260);
    QTableView* account = tableViews[5];
    QTableView* orders = tableViews[6];
    QTableView* margin = tableViews[7];
    account->setMinimumHeight(18 * account->verticalHeader()->defaultSectionSize() + 4);
    orders->setFixedHeight(4 * orders->verticalHeader()->defaultSectionSize() + 4);
    margin->setFixedHeight(margin->verticalHeader()->defaultSectionSize() + 4);

    auto* page = new QWidget;
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(6);
    grid->addWidget(box(kClientAddressBox, addressLabel), 0, 0);
    grid->addWidget(box(kCompanyAddressBox, companyAddressLabel), 0, 1);
    grid->addWidget(box(kAccountSummaryBox, account), 1, 0);
    auto* summaries = new QVBoxLayout;
    summaries->setSpacing(6);
    summaries->addWidget(box(kOrderSummaryBox, orders));
    summaries->addWidget(box(kMarginSummaryBox, margin));
    summaries->addStretch(1);
    grid->addLayout(summaries, 1, 1);
    grid->addWidget(settledPLBox, 2, 0);
    grid->addWidget(unrealisedPLBox, 2, 1);
    grid->addWidget(box(kDisclaimerBox, disclaimerTextField), 3, 0, 1, 2);
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    return page;
}

QWidget* AccountStatementWindowController::buildDetailsPage() {
    openStatusLabel = valueLabel();
    closedStatusLabel = valueLabel();
    auto* page = new QWidget;
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    const int rows = tableViews[0]->verticalHeader()->defaultSectionSize();
    for (QTableView* view : {tableViews[0], tableViews[1], tableViews[2], tableViews[3], tableViews[4]})
        view->setMinimumHeight(6 * rows);
    column->addWidget(box(kOpenPositionsBox, tableViews[0], openStatusLabel));
    column->addWidget(box(kPendingOrdersBox, tableViews[1]));
    column->addWidget(box(kSettledPositionsBox, tableViews[2], closedStatusLabel));
    column->addWidget(box(kCancelledOrdersBox, tableViews[3]));
    column->addWidget(box(kInstrumentsBox, tableViews[4]));
    return page;
}

}  // namespace reports
