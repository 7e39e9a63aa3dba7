#include "funds/deposits_withdrawals_window_controller.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "funds/core/transaction_list.h"
#include "funds/financial_transactions_model.h"
#include "funds/funds_form.h"
#include "kit/control_texts_walk.h"
#include "kit/text_direction.h"
#include "kit/controls/input_filter_fields.h"
#include "kit/core/kit_payloads.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/search_info.h"
#include "platform/clock.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/resource_bundle.h"
#include "printing/print_operation.h"
#include "state/notification_payloads.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace funds {

namespace {

// Tags of the labels and buttons: the keys of their texts.
constexpr int kAccountTag = 12;
constexpr int kFromTag = 21302;
constexpr int kToTag = 21303;
constexpr int kTransactionCodeTag = 21431;
constexpr int kSearchTag = 471;
constexpr int kClearTag = 21432;
constexpr int kPrintTag = 30;

QPushButton* taggedButton(int tag, QWidget* parent) {
    auto* button = new QPushButton(parent);
    button->setProperty("tag", tag);
    return button;
}

QComboBox* editableBox(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);  // a typed text never becomes an item
    kit::attachSeparatorGuard(box->lineEdit());
    box->setMinimumWidth(170);
    return box;
}

model::Date fromQt(const QDateTime& date) { return model::Date{std::chrono::milliseconds{date.toMSecsSinceEpoch()}}; }

}  // namespace

DepositsWithdrawalsWindowController::DepositsWithdrawalsWindowController(kit::WindowContext& context, QWidget* parent)
    : QWidget(parent, Qt::Window), context_(context) {
    setObjectName("DepositsWithdrawalsWindowController");
    accountComboBox = editableBox(this);
    transactioncodeComboBox = editableBox(this);
    fromDatePicker = new QDateTimeEdit(this);
    toDatePicker = new QDateTimeEdit(this);
    kit::keepLeftToRight(fromDatePicker);
    kit::keepLeftToRight(toDatePicker);
    for (QDateTimeEdit* picker : {fromDatePicker, toDatePicker}) {
        picker->setDisplayFormat(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
        picker->setCalendarPopup(true);
    }
    searchButton = taggedButton(kSearchTag, this);
    searchButton->setDefault(true);
    clearButton = taggedButton(kClearTag, this);
    printButton = taggedButton(kPrintTag, this);

    auto* criteria = new QGridLayout;
    criteria->setHorizontalSpacing(12);
    criteria->setVerticalSpacing(6);
    criteria->addWidget(taggedLabel(kAccountTag, this), 0, 0);
    criteria->addWidget(accountComboBox, 0, 1);
    criteria->addWidget(taggedLabel(kTransactionCodeTag, this), 1, 0);
    criteria->addWidget(transactioncodeComboBox, 1, 1);
    criteria->addWidget(taggedLabel(kFromTag, this), 0, 2);
    criteria->addWidget(fromDatePicker, 0, 3);
    criteria->addWidget(taggedLabel(kToTag, this), 1, 2);
    criteria->addWidget(toDatePicker, 1, 3);
    for (QLabel* label : findChildren<QLabel*>()) label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(6);
    buttons->addWidget(searchButton);
    buttons->addWidget(clearButton);
    auto* top = new QHBoxLayout;
    top->addLayout(criteria);
    top->addLayout(buttons);
    top->addStretch();
    top->addWidget(printButton, 0, Qt::AlignBottom);

    model_ = new FinancialTransactionsModel(this);
    depositwithdrawalTableView = new QTableView(this);
    depositwithdrawalTableView->setModel(model_);
    depositwithdrawalTableView->setSortingEnabled(false);
    depositwithdrawalTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    depositwithdrawalTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    depositwithdrawalTableView->setAlternatingRowColors(true);
    depositwithdrawalTableView->setWordWrap(false);
    depositwithdrawalTableView->verticalHeader()->hide();
    depositwithdrawalTableView->horizontalHeader()->setSectionsClickable(false);
    depositwithdrawalTableView->horizontalHeader()->setStretchLastSection(true);
    QFont rows = depositwithdrawalTableView->font();
    rows.setPointSize(12);
    depositwithdrawalTableView->setFont(rows);
    depositwithdrawalTableView->verticalHeader()->setDefaultSectionSize(QFontMetrics(rows).height() + 6);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(8);
    column->addLayout(top);
    column->addWidget(depositwithdrawalTableView, 1);
    setMinimumSize(760, 360);
    resize(1080, 460);

    connect(searchButton, &QPushButton::clicked, this, [this] { searchButtonClicked(); });
    connect(clearButton, &QPushButton::clicked, this, [this] { clearButtonClicked(); });
    connect(printButton, &QPushButton::clicked, this, [this] { printButtonClicked(); });

    // Set up once: the boxes, the dates, the titles and the observers.
    setDefaultValues();
    loadAccountCombo();
    loadTransactionCodeCombo();
    model_->setTitles(context_.text);
    // Until the first rows size them: wide enough for the titles and typical cells.
    const int widths[] = {80, 90, 120, 120, 120, 130, 220, 170};
    for (int c = 0; c < model_->columnCount(); ++c)
        depositwithdrawalTableView->setColumnWidth(
            c, std::max(widths[c], depositwithdrawalTableView->horizontalHeader()->sectionSizeHint(c)));
    auto& center = platform::NotificationCenter::defaultCenter();
    tableUpdates_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kDepositWithdrawalTable,
                                    [this](const platform::Notification&) { DepositWithdrawalTableUpdate(); }));
    themeChanges_ = platform::ObserverHandle(
        &center, center.addObserver(kit::kThemeChangedNotification, [this](const platform::Notification&) { applyTheme(); }));
    DepositWithdrawalTableUpdate();
}

void DepositsWithdrawalsWindowController::onWindowLoad() {
    platform::assertMainThread();
    updateLanguageStrings();
    applyTheme();
}

void DepositsWithdrawalsWindowController::updateLanguageStrings() {
    setWindowTitle(kit::tableText(context_, "0422"));
    kit::applyControlTexts(this, context_.language);
}

void DepositsWithdrawalsWindowController::applyTheme() {
    kit::ThemeManager::applyTheme({{"Windows", {this}}, {"TableView", {depositwithdrawalTableView}}}, context_.theme());
}

void DepositsWithdrawalsWindowController::setDefaultValues() {
    const QDate today = QDateTime::fromMSecsSinceEpoch(
                            std::chrono::duration_cast<std::chrono::milliseconds>(
                                platform::defaultClock().wallNow().time_since_epoch())
                                .count())
                            .date();
    fromDatePicker->setDateTime(QDateTime(today, QTime(0, 0, 0)));
    toDatePicker->setDateTime(QDateTime(today, QTime(12, 0, 0)));
    // The session's list itself: every reader sees it empty.
    context_.commands.clearFinancialTransactions();
    DepositWithdrawalTableUpdate();
    transactioncodeComboBox->setCurrentIndex(-1);
    transactioncodeComboBox->clearEditText();
}

void DepositsWithdrawalsWindowController::loadAccountCombo() {
    std::vector<std::string> ids;
    for (const auto& account : context_.view.getAccountCollection())
        if (account) ids.push_back(std::to_string(account->AccountId));
    if (ids.empty()) return;
    fillBox(accountComboBox, ids);
}

void DepositsWithdrawalsWindowController::loadTransactionCodeCombo() {
    const QSignalBlocker quiet(transactioncodeComboBox);
    transactioncodeComboBox->clear();
    for (const TransactionCode& entry : transactionCodes())
        transactioncodeComboBox->addItem(kit::tableText(context_, entry.labelKey));
    transactioncodeComboBox->setCurrentIndex(-1);
    transactioncodeComboBox->clearEditText();
}

void DepositsWithdrawalsWindowController::clearButtonClicked() { setDefaultValues(); }

void DepositsWithdrawalsWindowController::searchButtonClicked() {
    const std::string typed = transactioncodeComboBox->currentText().toStdString();
    std::vector<std::string> labels;
    for (int i = 0; i < transactioncodeComboBox->count(); ++i)
        labels.push_back(transactioncodeComboBox->itemText(i).toStdString());
    const auto code = searchTransactionCode(typed, transactioncodeComboBox->currentIndex(), labels);
    if (!code) {
        platform::Log::info("Deposits and withdrawals: no transaction code is named \"" + typed + "\"; nothing sent");
        return;
    }
    model::SearchInfo search;
    search.AccountNumber = accountComboBox->currentText().toStdString();
    search.FromDate = fromQt(fromDatePicker->dateTime());
    search.ToDate = fromQt(toDatePicker->dateTime());
    search.TransactionDetails = *code;
    context_.commands.requestFinancialTransactions(search);
}

void DepositsWithdrawalsWindowController::DepositWithdrawalTableUpdate() {
    platform::assertMainThread();
    model_->setTransactions(context_.view.financialTransactions());
    if (sized_ || model_->rowCount() == 0) return;
    // Widths from the content once, at the first rows; the user's after that.
    sized_ = true;
    depositwithdrawalTableView->resizeColumnsToContents();
}

void DepositsWithdrawalsWindowController::printButtonClicked() {
    const QString title =
        kit::shownText(platform::ResourceBundle::applicationName() + " - " + context_.text("0422"));
    const int count = static_cast<int>(context_.view.financialTransactions().size());
    printing::printTableView(this, *depositwithdrawalTableView, count, title, context_.language);
}

}  // namespace funds
