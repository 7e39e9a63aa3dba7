#include "views/open_position_table_controller.h"

#include <QHBoxLayout>
#include <algorithm>
#include <numeric>
#include <utility>
#include <QVBoxLayout>

#include "kit/core/preference_manager.h"
#include "kit/figure_label.h"
#include "kit/common_alert.h"
#include "kit/plain_text.h"
#include "kit/strip_flow_layout.h"
#include "kit/text_direction.h"
#include "kit/theme_manager.h"
#include "kit/window_opener.h"
#include "kit/window_context.h"
#include "model/language_string.h"
#include "state/session_commands.h"
#include "state/session_view.h"
#include "views/close_price_button_delegate.h"
#include "views/core/position_rules.h"
#include "views/position_table_support.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace views {

namespace {

namespace col = position_column;

// A close price that shows a move shows it one tick.
bool shownAsMove(CloseMove move) { return move == CloseMove::Up || move == CloseMove::Down; }

constexpr const char* kBaseCurrencyTitle = "Base Currency";

enum Entry { kModify, kClose, kOffset, kReceipt };

}  // namespace

OpenPositionTableController::OpenPositionTableController(kit::WindowContext& context, bool baseCurrencyAvailable,
                                                         std::shared_ptr<PositionRecordsCache::Shared> sharedRecords,
                                                         QWidget* parent)
    : kit::TableControllerBase(
          Setup{kit::TableKind::OpenPositions, positionTableColumns(openPositionColumnIdentifiers()), context.language,
                &context.preferences, &context.sheets,
                [&commands = context.commands](const std::optional<std::vector<state::SortDescriptor>>& d) {
                    commands.sortOpenOrderCollection(d);
                },
                &context.ticker},
          parent),
      context_(context),
      records_(std::move(sharedRecords)) {
    for (const kit::TableColumn& c : columns()) alignments_.push_back(cellAlignment(c.identifier));
    closeColumn_ = columnWithIdentifier(col::kClosePrice);
    profitLossColumn_ = columnWithIdentifier(col::kProfitLoss);
    setObjectName("openPositionTableView");
    QTableView* view = tableView();
    view->setItemDelegate(new ClosePriceButtonDelegate(view));
    connect(view, &QAbstractItemView::clicked, this, [this](const QModelIndex& i) {
        if (identifierOf(i.column()) == col::kClosePrice) closePositionButtonClicked(i.row());
    });

    rowMenu_ = new QMenu(this);
    rowMenu_->setObjectName("OpenPositionMenu");
    const std::array<void (OpenPositionTableController::*)(int), 4> actions = {
        &OpenPositionTableController::modifyBracketOrderButtonClicked,
        &OpenPositionTableController::closePositionButtonClicked,
        &OpenPositionTableController::offsetPositionButtonClicked,
        &OpenPositionTableController::deliveryReceiptButtonClicked};
    for (std::size_t i = 0; i < kEntryKeys.size(); ++i) {
        QAction* entry = rowMenu_->addAction(kit::shownText(text(kEntryKeys[i])));
        entry->setProperty("tag", std::atoi(kEntryKeys[i]));
        connect(entry, &QAction::triggered, this, [this, action = actions[i]] { (this->*action)(clickedRow_); });
    }
    kit::attachRowMenu(*view, [this](int row) { return prepareRowMenu(row); });

    static_cast<QVBoxLayout*>(layout())->addWidget(buildTotalsBar());
    SetHeaderMenuItems();
    skipBaseCurrencyColumn(baseCurrencyAvailable);
    reloadTable();
}

OpenPositionTableController::~OpenPositionTableController() {
    if (alert_) alert_->deleteLater();
}

std::string OpenPositionTableController::text(const std::string& key) const {
    return model::LanguageString::stringforSelectedLanguage(context_.language, model::LanguageString::setLanguageKey(key));
}

// The totals keep their figures' places; on a pane narrower than the bar the
// "Label: value" pairs wrap into more rows, so every figure stays in sight.
QWidget* OpenPositionTableController::buildTotalsBar() {
    auto* bar = new QWidget(this);
    bar->setObjectName("totalsBar");
    bar->setAutoFillBackground(true);  // a new figure repaints the bar, not the tabs and splitters under it
    auto* flow = new kit::StripFlowLayout(bar, 12, 2);
    flow->setContentsMargins(8, 4, 8, 4);
    const QFont figures = figuresFont(font());
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        auto* pair = new QWidget(bar);
        auto* row = new QHBoxLayout(pair);
        row->setContentsMargins(0, 0, 0, 0);
        row->setSpacing(0);
        labels_[i] = kit::plainLabel(kit::shownText(text(PositionTotals::kLabelKeys[i])), pair);
        labels_[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        values_[i] = new kit::FigureLabel(QStringLiteral(": -999,999,999.99"), pair);
        values_[i]->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        values_[i]->setFont(figures);
        row->addWidget(labels_[i]);
        row->addWidget(values_[i]);
        flow->addWidget(pair);
    }
    closeAll_ = new QPushButton(kit::shownText(text(kCloseAllKey)), bar);
    closeAll_->setObjectName("closeAllButton");
    closeAll_->setEnabled(false);  // until the close-all sheet may open
    connect(closeAll_, &QPushButton::clicked, this, [this] { context_.opener.openWindow(kCloseAllWindow, {}); });
    flow->addWidget(closeAll_);  // the flow keeps it at its row's end
    return bar;
}

void OpenPositionTableController::skipBaseCurrencyColumn(bool available) {
    if (available) return;
    for (QAction* entry : headerMenuWidget()->actions()) {
        if (entry->text() != kit::identifierText(kBaseCurrencyTitle)) continue;
        headerMenuWidget()->removeAction(entry);
        hideandShowTableColumns(entry->data().toString().toStdString(), true);
        entry->deleteLater();
    }
}

void OpenPositionTableController::Snapshot::add(const PositionRecords& r) {
    const int row = int(rows.size());
    rows.push_back({showClosePrice(r)});
    sums.push_back(positionSums(r));
    if (r.order) rowOf.push_back(row);
    if (shownAsMove(rows.back().close.move)) movedRows.push_back(row);
}

void OpenPositionTableController::Snapshot::read(int row, const PositionRecords& r) {
    Row& shown = rows[std::size_t(row)];
    shown = {showClosePrice(r)};
    closeTexts.erase(row);
    sums[std::size_t(row)] = positionSums(r);
    if (shownAsMove(shown.close.move)) movedRows.push_back(row);
}

void OpenPositionTableController::Snapshot::ordered(std::size_t from, std::span<const PositionRecords> records) {
    // Stable: a position listed twice is found at its first row.
    const auto byOrder = [&records](int a, int b) {
        return records[std::size_t(a)].order.get() < records[std::size_t(b)].order.get();
    };
    const auto middle = rowOf.begin() + static_cast<std::ptrdiff_t>(std::min(from, rowOf.size()));
    std::stable_sort(middle, rowOf.end(), byOrder);
    std::inplace_merge(rowOf.begin(), middle, rowOf.end(), byOrder);
}

std::optional<int> OpenPositionTableController::Snapshot::rowOfOrder(const model::Order* order,
                                                                     const std::vector<PositionRecords>& records) const {
    const auto orderAt = [&records](int row) { return records[std::size_t(row)].order.get(); };
    const auto at = std::lower_bound(rowOf.begin(), rowOf.end(), order,
                                     [&](int row, const model::Order* p) { return orderAt(row) < p; });
    if (at == rowOf.end() || orderAt(*at) != order) return std::nullopt;
    return *at;
}

const QString& OpenPositionTableController::Snapshot::closeText(int row) const {
    if (const auto found = closeTexts.find(row); found != closeTexts.end()) return found->second;
    if (closeTexts.size() >= kCloseTextsKept) closeTexts.clear();
    return closeTexts.emplace(row, kit::shownText(rows[std::size_t(row)].close.text())).first->second;
}

int OpenPositionTableController::takeSnapshot() {
    totalsDue_ = true;
    if (std::exchange(built_, false)) {
        if (!std::exchange(refreshing_, false)) shown_ = std::exchange(building_, {});
        figuresSeen_ = buildingFigures_;
        recordsSeen_ = records_.revision();
        return static_cast<int>(shown_.rows.size());
    }
    listSeen_ = context_.view.openPositionsRevision();
    state::Orders list = context_.view.getOpenOrderCollection();
    if (list.size() > kSnapshotStepRows) {
        // A changed list's rows shown stay until the new snapshot is whole.
        // The records first: the look-up may grow the records shown in place.
        const std::size_t rows = list.size();
        building_ = {};
        buildingFigures_ = context_.view.recomputedFigures().revision;
        records_.start(context_.view, std::move(list));
        // The same list's rows are read again in their places, each whole at every step.
        refreshing_ = records_.refreshing() && shown_.rows.size() == rows;
        refreshedRows_ = 0;
        if (refreshing_) {
            shown_.movedRows.clear();
            buildNextRows();
            return static_cast<int>(shown_.rows.size());
        }
        building_.rows.reserve(rows);
        building_.sums.reserve(rows);
        building_.rowOf.reserve(rows);
        buildNextRows();
        return static_cast<int>(shown_.rows.size());
    }
    shown_ = {};
    refreshing_ = false;
    figuresSeen_ = context_.view.recomputedFigures().revision;
    recordsSeen_ = context_.view.recordsRevision();
    const std::vector<PositionRecords>& records = records_.lookUp(context_.view, list);
    shown_.rows.reserve(records.size());
    shown_.sums.reserve(records.size());
    shown_.rowOf.reserve(records.size());
    for (const PositionRecords& r : records) shown_.add(r);
    shown_.ordered(0, records);
    return static_cast<int>(shown_.rows.size());
}

void OpenPositionTableController::buildNextRows() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!records_.started()) return;
            const bool whole = records_.step(context_.view, kSnapshotStepRows);
            const std::span<const PositionRecords> found = whole ? std::span(records_.records()) : records_.found();
            if (refreshing_) {
                for (std::size_t i = refreshedRows_; i < found.size(); ++i) shown_.read(int(i), found[i]);
                refreshedRows_ = found.size();
            } else {
                const std::size_t before = building_.rowOf.size();
                for (std::size_t i = building_.rows.size(); i < found.size(); ++i) building_.add(found[i]);
                building_.ordered(before, found);
            }
            if (!whole) {
                buildNextRows();
                return;
            }
            built_ = snapshotDue_ = true;
            reloadTable();
            reloadUnlessCurrent();
        },
        Qt::QueuedConnection);
}

void OpenPositionTableController::reloadUnlessCurrent() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (records_.started()) return;  // a newer snapshot under way checks at its end
            // The list or its records changed while it was built: another one.
            // A list announced changed is taken again without a copy to compare:
            // the same list is then read again in place.
            if (records_.revision() == context_.view.recordsRevision() &&
                listSeen_ == context_.view.openPositionsRevision())
                return;
            snapshotDue_ = true;
            reloadTable();
        },
        Qt::QueuedConnection);
}

std::optional<std::vector<int>> OpenPositionTableController::changedRows() {
    // Every row is replaced when the snapshot under way is whole.
    if (records_.started()) return std::vector<int>{};
    if (std::exchange(snapshotDue_, false)) return std::nullopt;
    const state::RecomputedFigures& figures = context_.view.recomputedFigures();
    const std::uint64_t seen = std::exchange(figuresSeen_, figures.revision);
    const std::vector<PositionRecords>& records = records_.records();
    std::vector<Row>& shownRows = shown_.rows;
    if (figures.all || figures.summaries || (figures.revision != seen && figures.revision != seen + 1) ||
        recordsSeen_ != context_.view.recordsRevision() || shownRows.size() != records.size() ||
        int(shownRows.size()) != rowCount())
        return std::nullopt;
    listKept_ = true;
    std::vector<int> rows = std::exchange(shown_.movedRows, {});
    if (figures.revision != seen && figures.positions.size() > kit::TableControllerBase::kRefreshRangeRows) {
        // Most positions moved: every row is read, without looking each one up.
        rows.resize(shownRows.size());
        std::iota(rows.begin(), rows.end(), 0);
        return readInRanges(std::move(rows));
    }
    if (figures.revision != seen)
        for (const model::Order* p : figures.positions)
            if (const std::optional<int> row = shown_.rowOfOrder(p, records)) rows.push_back(*row);
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return readInRanges(std::move(rows));
}

std::vector<int> OpenPositionTableController::readRows(std::span<const int> rows) {
    const std::vector<PositionRecords>& records = records_.records();
    std::vector<int> read;
    read.reserve(rows.size());
    for (int row : rows) {
        if (row < 0 || std::size_t(row) >= shown_.rows.size() || std::size_t(row) >= records.size()) continue;
        shown_.read(row, records[std::size_t(row)]);
        read.push_back(row);
    }
    totalsDue_ = totalsDue_ || !read.empty();
    return read;
}

void OpenPositionTableController::didFinishPass() {
    if (std::exchange(totalsDue_, false)) updateStatusLabel();
}

QVariant OpenPositionTableController::cellData(int row, int column, int role) const {
    if (row < 0 || row >= static_cast<int>(shown_.rows.size()) || row >= static_cast<int>(records_.records().size()) ||
        column < 0 || column >= int(alignments_.size()))
        return {};
    const Row& r = shown_.rows[std::size_t(row)];
    const PositionRecords& records = records_.records()[std::size_t(row)];
    if (!records.order) return {};
    if (column == closeColumn_) {
        if (!records.item) return {};
        switch (role) {
            case ClosePriceTextRole:
                return shown_.closeText(row);
            case CloseMoveRole: return static_cast<int>(r.close.move);
            case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
            default: return {};
        }
    }
    switch (role) {
        case Qt::DisplayRole:
            return kit::shownText(
                openPositionCellText(identifierOf(column), records, tableView()->columnWidth(column)));
        case Qt::TextAlignmentRole: return alignments_[std::size_t(column)];
        case Qt::ForegroundRole:
            if (column == profitLossColumn_) return QBrush(profitLossColor(records.order->UnrealisedPL));
            return {};
        default: return {};
    }
}

void OpenPositionTableController::RefreshTableview() {
    listKept_ = false;
    kit::TableControllerBase::RefreshTableview();
    // A pass under way sums its rows once it has read them all.
    if (!passUnderWay() && !records_.started() && std::exchange(totalsDue_, false)) updateStatusLabel();
    // Asked again only when the list may have changed: the question may read
    // every position, so it takes a slice of its own after the tick's.
    if ((!listKept_ || !closeAllAsked_) && !std::exchange(closeAllDue_, true))
        QMetaObject::invokeMethod(
            this,
            [this] {
                closeAllDue_ = false;
                closeAll_->setEnabled(context_.opener.canOpenWindow(kCloseAllWindow));
            },
            Qt::QueuedConnection);
    closeAllAsked_ = true;
}

void OpenPositionTableController::updateStatusLabel() {
    // The unchanged rows' shares as kept: no margin recomputed for them.
    const PositionTotals totals = positionTotals(shown_.sums);
    for (std::size_t i = 0; i < values_.size(); ++i)
        values_[i]->setFigure(kit::labelledFigure(kit::shownText(": " + totals.values[i])));
}

QMenu* OpenPositionTableController::prepareRowMenu(int row) {
    clickedRow_ = row;
    menuNeedsUpdate(*rowMenu_, row);
    return rowMenu_;
}

const PositionRecords* OpenPositionTableController::currentRow(int row) const {
    const state::SessionView* session = &context_.view;
    if (row < 0 || row >= static_cast<int>(records_.records().size())) return nullptr;
    const PositionRecords& r = records_.records()[std::size_t(row)];
    // The dialogs read the row of the state's current list: it must still be this position.
    const state::Orders open = session->getOpenOrderCollection();
    if (std::size_t(row) >= open.size() || open[std::size_t(row)] != r.order) return nullptr;
    return &r;
}

void OpenPositionTableController::showRowMenuEntries(QMenu& menu, int row) {
    const PositionRecords* r = currentRow(row);
    if (!r) return;
    const OpenPositionMenu shown = openPositionMenu(*r, context_.view.getOpenOrderCollection());
    const QList<QAction*> entries = menu.actions();
    const kit::OpenRequest request = requestFor(*r);
    const std::array<std::pair<bool, bool>, 4> states = {{
        {shown.modify, context_.opener.canOpenWindow(kModifyDialog, request)},
        {shown.close, context_.opener.canOpenWindow(kCloseDialog, request)},
        {shown.offset, context_.opener.canOpenWindow(kOffsetWindow, request)},
        {shown.receipt, context_.opener.canOpenWindow(kReceiptWindow)},
    }};
    for (std::size_t i = 0; i < states.size() && i < std::size_t(entries.size()); ++i) {
        entries[int(i)]->setVisible(states[i].first);
        entries[int(i)]->setEnabled(states[i].second);
    }
}

kit::OpenRequest OpenPositionTableController::requestFor(const PositionRecords& row) const {
    return kit::recordRequest(row.order->OpenPositionId, kit::kPositionMode);
}

void OpenPositionTableController::closePositionButtonClicked(int row) {
    const PositionRecords* r = currentRow(row);
    if (!r) return;
    switch (closeDecision(*r, context_.view.getPendingOrderCollection())) {
        case CloseDecision::Nothing: return;
        case CloseDecision::Covered:
            if (alert_) alert_->close();
            alert_ = kit::CommonAlert::ShowCommonAlertVieWwithMessage(text("1055"), text("10980"), text("0167"));
            return;
        case CloseDecision::OpenDialog: context_.opener.openWindow(kCloseDialog, requestFor(*r)); return;
    }
}

void OpenPositionTableController::modifyBracketOrderButtonClicked(int row) {
    if (const PositionRecords* r = currentRow(row)) context_.opener.openWindow(kModifyDialog, requestFor(*r));
}

void OpenPositionTableController::offsetPositionButtonClicked(int row) {
    const PositionRecords* r = currentRow(row);
    if (r && context_.opener.canOpenWindow(kOffsetWindow, requestFor(*r)))
        context_.opener.openWindow(kOffsetWindow, requestFor(*r));
}

void OpenPositionTableController::deliveryReceiptButtonClicked(int row) {
    const PositionRecords* r = currentRow(row);
    if (r && context_.opener.canOpenWindow(kReceiptWindow))
        context_.opener.openWindow(kReceiptWindow, kit::recordRequest(r->order->OpenPositionId));
}

}  // namespace views
