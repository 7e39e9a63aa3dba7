#include "views/executed_position_table_controller.h"

#include <QHBoxLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <utility>

#include "kit/plain_text.h"
#include "kit/text_direction.h"
#include "kit/window_context.h"
#include "kit/window_opener.h"
#include "model/language_string.h"
#include "model/search_info.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "views/core/history_cells.h"
#include "views/core/position_rules.h"
#include "views/position_table_support.h"
#include "kit/shown_text.h"

namespace views {

namespace {

bool offersReceipt(const PositionRecords& row) {
    const std::int32_t settings = row.groupInstrument ? row.groupInstrument->availableOrderSettings : 0;
    const std::int32_t wanted = permission::kDelivery | permission::kBuy;
    return (settings & wanted) == wanted;
}

}  // namespace

ExecutedPositionTableController::ExecutedPositionTableController(kit::WindowContext& context,
                                                                 std::shared_ptr<PositionRecordsCache::Shared> sharedRecords,
                                                                 QWidget* parent)
    : kit::TableControllerBase(Setup{kit::TableKind::ExecutedPositions,
                                     positionTableColumns(executedPositionColumnIdentifiers()), context.language,
                                     &context.preferences, &context.sheets, nullptr, &context.ticker},
                               parent),
      context_(context),
      records_(std::move(sharedRecords)) {
    setObjectName("executedPositionTableView");
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, buildSearchBar());
    rowMenu_ = new QMenu(this);
    rowMenu_->setObjectName("executedPositionMenu");
    QAction* receipt = rowMenu_->addAction(QString());
    receipt->setProperty("tag", std::atoi(kReceiptKey));
    connect(receipt, &QAction::triggered, this, [this] { deliveryReceiptButtonClicked(clickedRow_); });
    kit::attachRowMenu(*tableView(), [this](int row) { return prepareRowMenu(row); });
    updateLanguageStrings();
    SetHeaderMenuItems();
    setDefaultValues();
    reloadTable();
}

QWidget* ExecutedPositionTableController::buildSearchBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName("searchBar");
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(8, 6, 8, 6);
    row->setSpacing(6);
    dateLabel_ = kit::plainLabel(bar);
    dateLabel_->setObjectName("dateTextField");
    picker_ = new QDateTimeEdit(bar);
    kit::keepLeftToRight(picker_);
    picker_->setObjectName("searchDatePicker");
    picker_->setCalendarPopup(true);
    picker_->setDisplayFormat(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
    picker_->setMinimumWidth(picker_->sizeHint().width() + picker_->fontMetrics().horizontalAdvance(QStringLiteral("00")));
    dateLabel_->setBuddy(picker_);
    search_ = new QPushButton(bar);
    search_->setObjectName("searchButton");
    reset_ = new QPushButton(bar);
    reset_->setObjectName("resetButton");
    connect(search_, &QPushButton::clicked, this, [this] { searchButtonClicked(); });
    connect(reset_, &QPushButton::clicked, this, [this] { resetButtonClicked(); });
    row->addWidget(dateLabel_);
    row->addWidget(picker_);
    row->addWidget(search_);
    row->addWidget(reset_);
    row->addStretch(1);
    return bar;
}

std::string ExecutedPositionTableController::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language, model::LanguageString::setLanguageKey(key));
}

void ExecutedPositionTableController::updateLanguageStrings() {
    for (QAction* entry : rowMenu_->actions())
        entry->setText(kit::shownText(text(std::to_string(entry->property("tag").toLongLong()))));
    dateLabel_->setText(kit::shownText(text("0459")));
    search_->setText(kit::shownText(text("0471")));
    reset_->setText(kit::shownText(text("10851")));
}

void ExecutedPositionTableController::setDefaultValues() {
    picker_->setDateTime(QDateTime(QDate::currentDate(), QTime(0, 0, 0)));
}

void ExecutedPositionTableController::searchButtonClicked() {
    context_.commands.setExecutedPositionState(true);
    reloadTable();
    model::SearchInfo search;
    search.FromDate = model::Date(std::chrono::milliseconds(picker_->dateTime().toMSecsSinceEpoch()));
    search.ToDate = search.FromDate;
    context_.commands.requestExecutedPosition(search);
}

void ExecutedPositionTableController::resetButtonClicked() {
    context_.commands.setExecutedPositionState(false);
    setDefaultValues();
    context_.commands.clearExecutedOrderSearchCollection();
    reloadTable();
}

int ExecutedPositionTableController::takeSnapshot() {
    if (std::exchange(built_, false)) return static_cast<int>(records_.records().size());
    state::Orders list = context_.view.getExecutedOrderCollection();
    if (list.size() <= kSnapshotStepRows) return static_cast<int>(records_.lookUp(context_.view, list).size());
    // The rows shown stay until the new ones are whole.
    const int shown = rowCount();
    records_.start(context_.view, std::move(list));
    buildNextRows();
    return std::min(shown, static_cast<int>(records_.records().size()));
}

void ExecutedPositionTableController::buildNextRows() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!records_.started()) return;  // a short list was looked up meanwhile
            if (!records_.step(context_.view, kSnapshotStepRows)) {
                buildNextRows();
                return;
            }
            built_ = true;
            reloadTable();
        },
        Qt::QueuedConnection);
}

QVariant ExecutedPositionTableController::cellData(int row, int column, int role) const {
    if (row < 0 || row >= static_cast<int>(records_.records().size())) return {};
    const std::string& id = identifierOf(column);
    switch (role) {
        case Qt::DisplayRole:
            return kit::shownText(
                executedPositionCellText(id, records_.records()[std::size_t(row)], tableView()->columnWidth(column)));
        case Qt::TextAlignmentRole: return cellAlignment(id);
        default: return {};
    }
}

QMenu* ExecutedPositionTableController::prepareRowMenu(int row) {
    clickedRow_ = row;
    menuNeedsUpdate(*rowMenu_, row);
    return rowMenu_;
}

const PositionRecords* ExecutedPositionTableController::currentRow(int row) const {
    if (row < 0 || row >= static_cast<int>(records_.records().size())) return nullptr;
    const state::Orders executed = context_.view.getExecutedOrderCollection();
    if (std::size_t(row) >= executed.size() || executed[std::size_t(row)] != records_.records()[std::size_t(row)].order)
        return nullptr;
    return &records_.records()[std::size_t(row)];
}

void ExecutedPositionTableController::showRowMenuEntries(QMenu& menu, int row) {
    const PositionRecords* r = currentRow(row);
    if (!r || !offersReceipt(*r) || menu.actions().isEmpty()) return;
    QAction* receipt = menu.actions().front();
    receipt->setVisible(true);
    receipt->setEnabled(context_.opener.canOpenWindow(kReceiptWindow, kit::recordRequest(r->order->OpenPositionId)));
}

void ExecutedPositionTableController::deliveryReceiptButtonClicked(int row) {
    const PositionRecords* r = currentRow(row);
    if (!r) return;
    const kit::OpenRequest request = kit::recordRequest(r->order->OpenPositionId);
    if (context_.opener.canOpenWindow(kReceiptWindow, request)) context_.opener.openWindow(kReceiptWindow, request);
}

}  // namespace views
