#include "trading/close_all_window_controller.h"
#include "trading/register_windows.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>
#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "kit/own_text.h"
#include "kit/plain_text.h"
#include "kit/shown_text.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "model/text_value.h"
#include "orders/order_mananger.h"
#include "orders/place_order_notification.h"
#include "platform/main_executor.h"
#include "state/session_view.h"
#include "trading/close_all_table.h"
#include "trading/close_status_model.h"
#include "trading/core/offset_rows.h"

namespace trading {

namespace {

using Column = CloseAllRowsModel::Column;
const std::vector<std::string> kSelectionColumns = {"0", "0012", "0317", "0011", "0020", "0027", "0143", "0147", "0139"};

}  // namespace

CloseAllWindowController::CloseAllWindowController(kit::WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName(kCloseAllWindow);
    setMinimumSize(820, 380);
    headerTextField = kit::plainLabel(this);
    closeAllTabView = new QStackedWidget(this);
    closeAllTableView = new QTableView(closeAllTabView);
    closeAllRows = new CloseAllRowsModel(context_.view, selection_, closeTableTitles(kSelectionColumns, context_.language),
                                         [this](int row) { hitCheckbox(row); }, closeAllTableView);
    closeAllTableView->setModel(closeAllRows);
    setUpCloseView(*closeAllTableView);
    closeAllTableView->setColumnWidth(Column::kTick, 28);
    // The spare width goes to every column, not to the last alone.
    closeAllTableView->horizontalHeader()->setStretchLastSection(false);
    closeAllTableView->viewport()->installEventFilter(this);
    closeAllStatusTableView = new QTableView(closeAllTabView);
    closeAllStatus = showCloseStatus(*closeAllStatusTableView, context_.view, status_, context_.language);
    closeAllTabView->addWidget(closeAllTableView);
    closeAllTabView->addWidget(closeAllStatusTableView);
    closeAllButton = new QPushButton(this);
    closeAllButton->setDefault(true);
    notNowButton = new QPushButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(notNowButton);
    buttons->addWidget(closeAllButton);
    connect(closeAllButton, &QPushButton::clicked, this, [this] { closeAllButtonClicked(); });
    connect(notNowButton, &QPushButton::clicked, this, [this] { closeModal(); });
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(10, 10, 10, 10);
    column->setSpacing(6);
    column->addWidget(headerTextField);
    column->addWidget(closeAllTabView, 1);
    column->addLayout(buttons);
    statusSheet_ = new ClosePositionStatusWindowController(context_, *this, this);
    // Ended any way (Escape, its close box): the hidden table no longer follows the tick.
    connect(this, &QDialog::finished, this, [this] { tick_.reset(); });
}

std::string CloseAllWindowController::text(const char* key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language, key);
}

void CloseAllWindowController::windowDidAppear() {
    platform::assertMainThread();
    closeAllTabView->setCurrentIndex(0);
    headerTextField->setText(kit::tableText(context_, "0485"));
    notNowButton->setText(kit::tableText(context_, "0249"));
    closeAllButton->show();
    observers_.clear();
    auto& center = platform::NotificationCenter::defaultCenter();
    observers_.emplace_back(&center, center.addObserver(orders::kPlaceOrderNotification, [this](const auto& n) {
        const auto* report = n.template as<orders::PlaceOrderReport>();
        if (!checking_ || !report) return;
        if (auto row = failureRow(report->text, report->ValidationKey.get())) failed_.push_back(std::move(*row));
    }));
    observers_.emplace_back(&center, center.addObserver(state::notifications::kBulkClose,
                                                        [this](const auto& n) { bulkCloseNotification(n); }));
    kit::ThemeManager::applyTheme({{"Windows", {this}}, {"TableView", {closeAllTableView, closeAllStatusTableView}}},
                                  context_.theme ? context_.theme() : 0);
    failed_.clear();
    status_.clear();
    closeAllStatus->reload();
    takeList();
    selection_.tickAll(shown_);
    showSelection();
    tick_ = context_.ticker.subscribe([this] { refreshSelection(); });
}

void CloseAllWindowController::refreshSelection() {
    // A position closed or opened meanwhile (its revision tells, without a
    // copy of a long list): the rows, ticks and button again.
    if (listSeen_ != context_.view.openPositionsRevision()) {
        reloadSelection();
        return;
    }
    refreshShownRows();
}

void CloseAllWindowController::takeList() {
    listSeen_ = context_.view.openPositionsRevision();
    shown_ = context_.view.getOpenOrderCollection();
}

void CloseAllWindowController::reloadSelection() {
    takeList();
    selection_.keepOpen(shown_);
    showSelection();
}

void CloseAllWindowController::showSelection() {
    closeAllRows->setRows(shown_);
    closeAllTableView->resizeColumnsToContents();
    contentWidths_.clear();
    for (int c = 0; c < Column::kColumns; ++c) contentWidths_.push_back(closeAllTableView->columnWidth(c));
    spreadColumns(*closeAllTableView, contentWidths_, Column::kAccount);
    setButtonTitle();
}

bool CloseAllWindowController::eventFilter(QObject* watched, QEvent* event) {
    // The table's own width changed: the spare width is shared again.
    if (watched == closeAllTableView->viewport() && event->type() == QEvent::Resize) {
        spreadColumns(*closeAllTableView, contentWidths_, Column::kAccount);
    }
    return QDialog::eventFilter(watched, event);
}

void CloseAllWindowController::refreshTableView() { closeAllRows->refreshLive(0, closeAllRows->rowCount() - 1); }

void CloseAllWindowController::refreshShownRows() {
    const int top = closeAllTableView->rowAt(0);
    if (top < 0) return;
    const int bottom = closeAllTableView->rowAt(closeAllTableView->viewport()->height() - 1);
    closeAllRows->refreshLive(top, bottom < 0 ? closeAllRows->rowCount() - 1 : bottom);
}

void CloseAllWindowController::setButtonTitle() {
    const CloseAllButton b = trading::closeAllButton(selection_.count(), selection_.isCloseAll(shown_), text("0243"), text("0706"));
    closeAllButton->setEnabled(b.enabled);
    closeAllButton->setText(kit::shownText(b.title));
}

void CloseAllWindowController::hitCheckbox(int row) {
    if (row < 0 || row >= static_cast<int>(shown_.size())) return;
    selection_.toggle(shown_[std::size_t(row)]->OpenPositionId);
    setButtonTitle();
}

void CloseAllWindowController::closeAllButtonClicked() {
    platform::assertMainThread();
    failed_.clear();
    const state::Orders open = context_.view.getOpenOrderCollection();
    selection_.keepOpen(open);  // closed meanwhile: no longer ticked
    const state::Orders ticked = selection_.tickedPositions(open);
    if (ticked.empty()) return;
    if (refused(ticked)) return;
    sendClose(ticked, selection_.isCloseAll(open) ? orders::OrderMananger::kCloseAll
                                                  : orders::OrderMananger::kCloseSelected);
}

bool CloseAllWindowController::refused(const state::Orders& ticked) {
    const std::size_t before = failed_.size();
    checking_ = true;
    for (const auto& p : ticked) context_.orderManager.validateBeforeCloseAllPositions(*p);
    checking_ = false;
    const std::size_t refusedNow = failed_.size() - before;
    if (refusedNow == 0) return false;
    // Each position's side found once: the refusals may be every position.
    std::unordered_map<std::string_view, const char*> sides;
    const state::Orders open = context_.view.getOpenOrderCollection();
    sides.reserve(open.size());
    for (const auto& p : open)
        if (p) sides.emplace(p->OpenPositionId, p->tradingMode == 0 ? "B" : "S");
    statusSheet_->windowDidAppear(failed_, refusedNow == ticked.size() ? 0 : 1, [&sides](const std::string& id) {
        const auto found = sides.find(id);
        return std::string(found == sides.end() ? "" : found->second);
    });
    statusSheet_->setWindowModality(Qt::WindowModal);
    statusSheet_->open();
    return true;
}

void CloseAllWindowController::createBulkClosePositions(std::int64_t requestType) {
    const state::Orders open = context_.view.getOpenOrderCollection();
    selection_.keepOpen(open);
    if (requestType == orders::OrderMananger::kCloseSelected)
        for (const model::OrderInfo& refused : failed_) selection_.untick(refused.orderNo);
    const state::Orders ticked = selection_.tickedPositions(open);
    if (ticked.empty()) return;
    // The status sheet may have stood open a while: the others are checked again
    // as they are now, and a refusal shows in the sheet again instead of a close.
    if (refused(ticked)) return;
    sendClose(ticked, requestType);
}

void CloseAllWindowController::sendClose(const state::Orders& ticked, std::int64_t requestType) {
    // The accepted answer is handled before the call returns: keep the rows sent
    // (until the next tick takes the list again).
    shown_ = ticked;
    listSeen_.reset();
    context_.orderManager.createBulkClosePositionInfo(ticked, requestType);
}

void CloseAllWindowController::bulkCloseNotification(const platform::Notification& notification) {
    const auto* result = notification.as<state::BulkCloseResult>();
    if (!result) return;
    if (result->status == "82") {
        tick_.reset();
        closeAllTabView->setCurrentIndex(1);
        closeAllButton->hide();
        status_.clear();
        status_.reserve(shown_.size());
        const std::string accepted = text("0531");
        for (const auto& p : shown_) {
            const auto item = context_.view.instrument(p->ItemCode);
            status_.push_back(statusRow(*p,
                                        model::Formatter::formatDecimal(model::TextValue::doubleValue(p->OrderPrice),
                                                                        item ? item->DecimalPlaces : 2),
                                        accepted));
        }
        closeAllStatus->reload();
        return;
    }
    // Only the answered row is written again: a close-all of many positions gets an answer for each.
    if (const auto at = applyBulkResult(status_, *result, text("90300"))) closeAllStatus->rowChanged(int(*at));
}

void CloseAllWindowController::closeModal() {
    observers_.clear();
    tick_.reset();
    if (statusSheet_->isVisible()) statusSheet_->reject();
    reject();
}

}  // namespace trading
