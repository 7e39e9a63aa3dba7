#include "views/detail_window_controller.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "kit/plain_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "orders/order_mananger.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/timer.h"
#include "printing/print_operation.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "views/core/receipt_rows.h"
#include "views/detail_table_model.h"
#include "kit/own_text.h"
#include "kit/shown_text.h"

namespace views {

namespace {

bool isReceipt(int type) { return type == detail_type::kOpenReceipt || type == detail_type::kExecutedReceipt; }

}  // namespace

DetailWindowController::DetailWindowController(kit::WindowContext& context, QWidget* parent, bool embedded)
    : QDialog(parent), context_(context) {
    if (embedded) setWindowFlags(Qt::Widget);
    titleTextField = kit::plainLabel();
    QFont bold = titleTextField->font();
    bold.setBold(true);
    titleTextField->setFont(bold);
    model_ = new DetailTableModel(this);
    if (context_.text)
        model_->setTitles(kit::tableText(context_, "90519"), kit::tableText(context_, "21301"));
    detailTableView = new QTableView;
    detailTableView->setModel(model_);
    detailTableView->setWordWrap(true);
    detailTableView->setAlternatingRowColors(true);
    detailTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    detailTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    detailTableView->verticalHeader()->hide();
    detailTableView->horizontalHeader()->setStretchLastSection(true);
    detailTableView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Interactive);
    printButton = new QPushButton(kit::shownText(context_.text ? context_.text("0030") : "Print"));
    closeButton = new QPushButton(kit::shownText(context_.text ? context_.text("0246") : "Close"));
    printButton->hide();
    connect(printButton, &QPushButton::clicked, this, [this] { print(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { closeModal(); });

    auto* layout = new QVBoxLayout(this);
    if (embedded) {
        layout->setContentsMargins(0, 0, 0, 0);
        titleTextField->hide();
        closeButton->hide();
    } else {
        layout->setContentsMargins(10, 10, 10, 10);
        setMinimumSize(460, 440);
    }
    layout->setSpacing(6);
    layout->addWidget(titleTextField);
    layout->addWidget(detailTableView, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(printButton);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
}

DetailWindowController::~DetailWindowController() = default;

const DetailRows& DetailWindowController::rows() const { return model_->rows(); }

void DetailWindowController::loadRows(DetailRows rows) {
    model_->setRows(std::move(rows));
    detailTableView->resizeColumnToContents(0);
    // Long values wrap onto several lines.
    detailTableView->resizeRowsToContents();
}

void DetailWindowController::setValue(const std::string& value) {
    platform::assertMainThread();
    const int type = detailViewType_;
    if (type < detail_type::kInstrument || type > detail_type::kAnswerLines || type == detail_type::kAnswerLines)
        return;
    value_ = value;
    if (isReceipt(type)) {
        bankRequest_ = 0;
        loadDeliveryReceiptDetails();
        if (hasPosition()) requestBankDetails();
        return;
    }
    if (type == detail_type::kSessions) {
        loadMarketSessions(value);
        return;
    }
    InstrumentSource source;
    const auto item = context_.view.instrument(value);
    source.item = item.get();
    std::shared_ptr<model::GroupInstruments> conditions;
    if (const auto account = context_.view.selectedAccount(); account && item)
        if (const auto group = context_.view.group(account->GroupId)) conditions = group->instrument(item->InstrumentId);
    source.conditions = conditions.get();
    if (type == detail_type::kPriceLimits) {
        source.limitUp = orders::OrderMananger::getFluctuationLimitUpPrice(item.get());
        source.limitDown = orders::OrderMananger::getFluctuationLimitDownPrice(item.get());
    }
    loadRows(instrumentRows(type, source, context_.text));
}

void DetailWindowController::setAnswerLines(const std::vector<std::string>& lines) {
    if (detailViewType_ == detail_type::kAnswerLines) loadRows(answerLineRows(lines));
}

void DetailWindowController::loadMarketSessions(const std::string& code) {
    const auto item = context_.view.instrument(code);
    if (!item) {
        loadRows({});
        return;
    }
    const std::uint64_t market = item->marketID;
    if (context_.view.checkMarketSessionSchedulesIsAvailable(market)) {
        loadRows(sessionRows(context_.view.getMarketSessionSchedulesCollection(market),
                             [this](std::uint64_t day) { return context_.view.getDaysOfTheWeekName(day); }));
        return;
    }
    // Not held: no other instrument's sessions stay, and the market is asked once per opening.
    loadRows({});
    if (!askedMarkets_.insert(market).second) return;
    scheduleTimer_ = std::make_unique<platform::Timer>([this, market] {
        if (!context_.view.checkMarketSessionSchedulesIsAvailable(market)) context_.commands.requestSessionSchedule(market);
    });
    scheduleTimer_->start(std::chrono::milliseconds(kScheduleDelayMs), false);
}

std::shared_ptr<model::Order> DetailWindowController::position() const {
    if (value_.empty()) return nullptr;
    if (detailViewType_ != detail_type::kOpenReceipt) return context_.view.executedPosition(value_);
    for (const auto& order : context_.view.getOpenOrderCollection())
        if (order && order->OpenPositionId == value_) return order;
    return nullptr;
}

void DetailWindowController::loadDeliveryReceiptDetails() {
    if (!isReceipt(detailViewType_)) return;
    ReceiptSource source;
    const auto order = position();
    const auto item = order ? context_.view.instrument(order->ItemCode) : nullptr;
    const auto account = order ? context_.view.account(order->AccountNumber) : nullptr;
    const auto group = account ? context_.view.group(account->GroupId) : nullptr;
    const auto conditions = group && item ? group->instrument(item->InstrumentId) : nullptr;
    // Only the answer to this receipt's own latest request.
    const auto bank = bankRequest_ != 0 && context_.view.bankDetailsRequest() == bankRequest_ ? context_.view.bankDetails()
                                                                                            : nullptr;
    source.position = order.get();
    source.item = item.get();
    source.account = account.get();
    source.conditions = conditions.get();
    source.bank = bank.get();
    loadRows(receiptRows(source, context_.text));
}

void DetailWindowController::requestBankDetails() {
    const auto order = position();
    const auto account = order ? context_.view.account(order->AccountNumber) : nullptr;
    bankRequest_ = account ? context_.commands.requestBankDetails(*account) : 0;
}

void DetailWindowController::showWindow() {
    applyTheme();
    const int type = detailViewType_;
    if (isReceipt(type)) {
        detailTableView->clearSelection();
        titleTextField->setText(kit::shownText(context_.text("0481") + ":"));
        setWindowTitle(kit::identifierText(kPrintJob));
        printButton->setText(kit::tableText(context_, "0030"));
        printButton->show();
        auto& center = platform::NotificationCenter::defaultCenter();
        bankObserver_ = platform::ObserverHandle(
            &center, center.addObserver(state::notifications::kBankDetails,
                                        [this](const platform::Notification&) { loadDeliveryReceiptDetails(); }));
        // An open position that goes closes its receipt.
        if (type == detail_type::kOpenReceipt)
            positionWatch_ = context_.ticker.subscribe([this] {
                if (!position()) closeModal();
            });
    } else if (type == detail_type::kInstrument) {
        titleTextField->setText(kit::shownText(context_.text("90517") + ":"));
    }
}

void DetailWindowController::stopFollowing() {
    bankObserver_.reset();
    positionWatch_.reset();
}

void DetailWindowController::closeModal() {
    stopFollowing();
    // Whatever answers later is not this receipt's.
    bankRequest_ = 0;
    QDialog::reject();
}

void DetailWindowController::reject() { closeModal(); }

void DetailWindowController::print() {
    if (isReceipt(detailViewType_)) loadDeliveryReceiptDetails();
    printing::printTableView(this, *detailTableView, model_->rowCount(), kit::identifierText(kPrintJob), context_.language);
}

void DetailWindowController::applyTheme() {
    kit::ThemeManager::applyTheme({{"Windows", {this}}, {"TableView", {detailTableView}}}, context_.theme ? context_.theme() : 0);
}

}  // namespace views
