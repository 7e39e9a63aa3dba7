#include "kit/table_controller_base.h"

#include <QHeaderView>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "kit/core/kit_payloads.h"
#include "kit/core/preference_manager.h"
#include "kit/sheet_host.h"
#include "kit/text_cell_delegate.h"
#include "platform/main_executor.h"
#include "platform/slice_budget.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace kit {

// --- TableModel -------------------------------------------------------------

int TableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(owner_.setup_.columns.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    if (detached_ || !index.isValid() || index.row() < 0 || index.row() >= std::min(rows_, snapshotRows_) || index.column() < 0 ||
        index.column() >= columnCount())
        return {};
    if (role == Qt::FontRole) {
        // A cell may carry a font of its own (a status in bold).
        const QVariant own = owner_.cellData(index.row(), index.column(), role);
        return own.isValid() ? own : QVariant(owner_.rowFont());
    }
    return owner_.cellData(index.row(), index.column(), role);
}

QVariant TableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (detached_ || orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
    if (role == Qt::DisplayRole) return owner_.titles_[std::size_t(section)];
    return {};
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled;
}

QStringList TableModel::mimeTypes() const { return {QStringLiteral("text/plain")}; }

QMimeData* TableModel::mimeData(const QModelIndexList& indexes) const {
    if (detached_) return nullptr;
    std::vector<int> rows;
    for (const QModelIndex& i : indexes)
        if (i.isValid() && i.row() < std::min(rows_, snapshotRows_)) rows.push_back(i.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    const std::string text = rows.empty() ? std::string() : owner_.dragText(rows);
    if (text.empty()) return nullptr;
    auto* mime = new QMimeData;
    mime->setText(kit::exactText(kit::ExactInput(text)));  // copied whole, never laid out
    return mime;
}

// --- TableControllerBase ----------------------------------------------------

TableControllerBase::TableControllerBase(Setup setup, QWidget* parent)
    : QWidget(parent), setup_(std::move(setup)), traits_(tableTraits(setup_.kind)) {
    for (const TableColumn& c : setup_.columns)
        titles_.push_back(kit::shownText(headerTitle(traits_, c.identifier, setup_.language)));
    view_ = new QTableView(this);
    model_ = new TableModel(*this);
    model_->setParent(this);
    view_->setModel(model_);
    view_->setItemDelegate(new TextCellDelegate(view_));
    view_->setSelectionBehavior(QAbstractItemView::SelectRows);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setAlternatingRowColors(true);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setWordWrap(false);
    view_->verticalHeader()->hide();
    view_->horizontalHeader()->setHighlightSections(false);
    view_->horizontalHeader()->setSectionsClickable(true);
    view_->horizontalHeader()->setSectionsMovable(false);
    view_->horizontalHeader()->setStretchLastSection(false);
    view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Widths fitted to content read a bounded sample of rows, never every row.
    view_->verticalHeader()->setResizeContentsPrecision(kFitSampleRows);
    view_->horizontalHeader()->setResizeContentsPrecision(kFitSampleRows);
    fittedRowHeight_ = QFontMetrics(rowFont()).height() + 8;
    view_->verticalHeader()->setDefaultSectionSize(fittedRowHeight_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);

    headerMenu_ = new QMenu(this);
    view_->horizontalHeader()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_->horizontalHeader(), &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (traits_.headerMenu) headerMenu_->popup(view_->horizontalHeader()->mapToGlobal(at));
    });
    connect(view_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { sortByColumn(c); });

    if (!traits_.notification.empty()) {
        auto& center = platform::NotificationCenter::defaultCenter();
        std::weak_ptr<int> alive = alive_;
        // Posted on another thread, the mark is handed to the main thread.
        observer_ = platform::ObserverHandle(
            &center, center.addObserver(traits_.notification, [this, alive](const platform::Notification&) {
                if (platform::MainExecutor::isMainThread()) {
                    reloadSoon();
                    return;
                }
                platform::MainExecutor::post([this, alive] {
                    if (alive.lock()) reloadSoon();
                });
            }));
    }
    if (!traits_.fontKey.empty()) {
        // Posted by the settings' font sheet on the main thread; a table without a tick refits at once.
        auto& center = platform::NotificationCenter::defaultCenter();
        fontObserver_ = platform::ObserverHandle(
            &center, center.addObserver(kFontSizeChangedNotification, [this](const platform::Notification&) {
                if (platform::MainExecutor::isMainThread()) drawInRowFont();
            }));
    }
    if (setup_.ticker && (!traits_.tick.always.empty() || !traits_.tick.whenVisible.empty() || traits_.wholeTableTick))
        tick_ = setup_.ticker->subscribe([this] { RefreshTableview(); });
}

TableControllerBase::~TableControllerBase() {
    tick_.reset();
    observer_.reset();
    fontObserver_.reset();
    alive_.reset();
    // The subclass's rows are gone: the view must not ask for them any more.
    model_->detached_ = true;
    delete view_;
    view_ = nullptr;
}

int TableControllerBase::columnWithIdentifier(const std::string& identifier) const {
    for (std::size_t i = 0; i < setup_.columns.size(); ++i)
        if (setup_.columns[i].identifier == identifier) return static_cast<int>(i);
    return -1;
}

const std::string& TableControllerBase::identifierOf(int column) const {
    static const std::string none;
    return column >= 0 && column < static_cast<int>(setup_.columns.size()) ? setup_.columns[std::size_t(column)].identifier
                                                                          : none;
}

QSize TableControllerBase::sizeHint() const {
    const QHeaderView* header = view_->horizontalHeader();
    int width = 2 * view_->frameWidth() + view_->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < header->count(); ++c)
        if (!header->isSectionHidden(c)) width += header->sectionSize(c);
    const int height = 2 * view_->frameWidth() + header->sizeHint().height() +
                       8 * view_->verticalHeader()->defaultSectionSize();
    return {width, height};
}

QFont TableControllerBase::rowFont() const {
    // The font the view inherits: the view itself draws in the row font.
    const QFont base = QWidget::font();
    std::int64_t stored = 12;
    if (!traits_.fontKey.empty() && setup_.preferences)
        stored = static_cast<std::int64_t>(setup_.preferences->getFontSizeInfoForKey(traits_.fontKey));
    const int size = tableFontPointSize(stored);
    // One font object while nothing changes: its shaping engines stay cached.
    if (rowFontSize_ != size || rowFontBase_ != base) {
        rowFontBase_ = base;
        rowFontSize_ = size;
        rowFont_ = base;
        rowFont_.setPointSize(size);
    }
    return rowFont_;
}

void TableControllerBase::SetHeaderMenuItems() {
    QHeaderView* header = view_->horizontalHeader();
    std::vector<ColumnState> states;
    for (std::size_t i = 0; i < setup_.columns.size(); ++i) {
        header->resizeSection(static_cast<int>(i), setup_.columns[i].width);
        states.push_back({setup_.columns[i].identifier, view_->isColumnHidden(static_cast<int>(i))});
    }
    if (!traits_.headerMenu) return;
    const auto title = [this](const std::string& id) {
        return titles_[std::size_t(columnWithIdentifier(id))].toStdString();
    };
    for (const HeaderMenuEntry& entry : headerMenuEntries(states, title)) {
        QAction* action = headerMenu_->addAction(kit::shownText(entry.title));
        action->setCheckable(true);
        action->setChecked(entry.checked);
        action->setData(kit::identifierText(entry.identifier));
        connect(action, &QAction::triggered, this, [this, action] {
            // The trigger already flipped the check; the menu's rule flips it once.
            action->setChecked(!action->isChecked());
            headerMenu(action);
        });
    }
}

void TableControllerBase::headerMenu(QAction* entry) {
    if (!entry || !traits_.showHide) return;
    const bool show = !entry->isChecked();
    entry->setChecked(show);
    hideandShowTableColumns(entry->data().toString().toStdString(), !show);
}

void TableControllerBase::hideandShowTableColumns(const std::string& identifier, bool hide) {
    const int column = columnWithIdentifier(identifier);
    if (column >= 0) view_->setColumnHidden(column, hide);
}

void TableControllerBase::sortByColumn(int column) {
    if (!traits_.sortable || !setup_.sort || column < 0 || column >= static_cast<int>(setup_.columns.size())) return;
    const auto& sort = setup_.columns[std::size_t(column)].sort;
    if (!sort) return;
    ascending_ = column == sortedColumn_ ? !ascending_ : true;
    sortedColumn_ = column;
    state::SortDescriptor descriptor = *sort;
    descriptor.ascending = ascending_;
    setup_.sort(std::vector<state::SortDescriptor>{descriptor});
    view_->horizontalHeader()->setSortIndicatorShown(true);
    view_->horizontalHeader()->setSortIndicator(column, ascending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    reloadTable();
}

void TableControllerBase::applyRows(int after) {
    const int before = model_->rows_;
    countRows(after);
    // The view lays its rows out now, not from a zero timer after the paint
    // already queued: one repaint of the viewport, not two.
    if (after != before) view_->doItemsLayout();
}

void TableControllerBase::countRows(int after) {
    const int before = model_->rows_;
    if (after > before) {
        model_->beginInsertRows({}, before, after - 1);
        model_->rows_ = after;
        model_->endInsertRows();
    } else if (after < before) {
        model_->beginRemoveRows({}, after, before - 1);
        model_->rows_ = after;
        model_->endRemoveRows();
    }
}

void TableControllerBase::showNextBatch() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            // A reload or tick in between may have shown every row already.
            const int target = model_->snapshotRows_;
            if (model_->rows_ == 0 || model_->rows_ >= target) return;
            // Batches while the slice's time lasts: the view lays out and
            // repaints once after them, not after each.
            platform::SliceBudget budget;
            do {
                countRows(std::min(target, model_->rows_ + kFillBatchRows));
            } while (model_->rows_ < target && !budget.spent(kFillBatchRows));
            view_->doItemsLayout();  // once for the slice's batches
            if (model_->rows_ < target) showNextBatch();
        },
        Qt::QueuedConnection);
}

void TableControllerBase::reloadTable() {
    platform::assertMainThread();
    const int before = model_->rows_;
    readingWhole_ = true;
    const std::optional<std::vector<int>> changed = changedRows();
    readingWhole_ = false;
    if (const std::optional<std::vector<int>>& rows = changed) {
        // The list stayed: only the changed rows, every column of them.
        drawInRowFont();
        const int last = model_->columnCount() - 1;
        for (const auto& [top, bottom] : indexRuns(*rows))
            if (top >= 0 && bottom < model_->rows_ && last >= 0)
                emit model_->dataChanged(model_->index(top, 0), model_->index(bottom, last));
        return;
    }
    dropPass();
    const int after = std::max(0, takeSnapshot());
    model_->snapshotRows_ = after;
    applyRows(before == 0 ? std::min(after, kFillBatchRows) : after);
    if (model_->rows_ < after) showNextBatch();
    const int kept = std::min(before, after);
    if (kept > 0 && model_->columnCount() > 0)
        emit model_->dataChanged(model_->index(0, 0), model_->index(kept - 1, model_->columnCount() - 1));
    drawInRowFont();
    didReload();
}

void TableControllerBase::reloadSoon() {
    if (reloadQueued_) return;
    reloadQueued_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            reloadQueued_ = false;
            reloadTable();
            didNotifiedReload();
        },
        Qt::QueuedConnection);
}

void TableControllerBase::fitToRowFont() {
    const QFont font = rowFont();
    if (model_->rows_ == 0 || font.pointSize() == fittedPointSize_) return;
    // Widths from a sample of the content at the first fill and after a font
    // change (the settings sheet changes it between two ticks); the user's in
    // between.
    fittedPointSize_ = font.pointSize();
    // A table that drew its own row height keeps it.
    if (view_->verticalHeader()->defaultSectionSize() == fittedRowHeight_) {
        fittedRowHeight_ = QFontMetrics(font).height() + 8;
        // The header's own least height follows the font it still has: a
        // smaller font's rows would stop at the larger one's.
        view_->verticalHeader()->setMinimumSectionSize(fittedRowHeight_);
        view_->verticalHeader()->setDefaultSectionSize(fittedRowHeight_);
    }
    view_->resizeColumnsToContents();
    if (const auto* delegate = dynamic_cast<const TextCellDelegate*>(view_->itemDelegate())) delegate->forgetSizes();
    // Never narrower than the column's own width at 12 points, grown with the
    // font: later values may be longer than the sample's.
    for (std::size_t c = 0; c < setup_.columns.size(); ++c) {
        const int least = setup_.columns[c].width * std::max(12, fittedPointSize_) / 12;
        if (view_->columnWidth(int(c)) < least) view_->setColumnWidth(int(c), least);
    }
    updateGeometry();  // the hint of every visible column
}

void TableControllerBase::drawInRowFont() {
    // Cells then inherit the font the model gives them, so drawing one needs
    // no font of its own; the header keeps the font it had.
    fitToRowFont();
    const QFont font = rowFont();
    if (view_->font() == font) return;
    QHeaderView* header = view_->horizontalHeader();
    if (!header->testAttribute(Qt::WA_SetFont)) {
        // Every property its own: an inherited one would follow the view's.
        QFont own = header->font();
        own.setResolveMask(QFont::AllPropertiesResolved);
        header->setFont(own);
    }
    view_->setFont(font);
    // The very object the view holds: a cell's font then resolves without a copy.
    if (view_->font() == font) rowFont_ = view_->font();
}

void TableControllerBase::emitColumns(const std::vector<int>& columns) {
    const int rows = model_->rows_;
    if (rows == 0) return;
    for (const auto& [first, last] : indexRuns(columns))
        emit model_->dataChanged(model_->index(0, first), model_->index(rows - 1, last));
}

void TableControllerBase::emitTickColumns(const std::vector<int>& rows) {
    if (rows.empty()) return;
    std::vector<ColumnState> states;
    for (std::size_t i = 0; i < setup_.columns.size(); ++i)
        states.push_back({setup_.columns[i].identifier, view_->isColumnHidden(static_cast<int>(i))});
    const auto columns = indexRuns(tickColumnIndexes(states, traits_.tick));
    for (const auto& [top, bottom] : indexRuns(rows)) {
        if (top < 0 || bottom >= model_->rows_) continue;
        for (const auto& [first, last] : columns)
            emit model_->dataChanged(model_->index(top, first), model_->index(bottom, last));
    }
}

std::vector<int> TableControllerBase::readInRanges(std::vector<int> rows) {
    if (passUnderWay()) {
        // The rows the pass has not read yet are read with these.
        rows.insert(rows.end(), passRows_.begin() + std::ptrdiff_t(passNext_), passRows_.end());
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        passWhole_ = passWhole_ || readingWhole_;
    } else {
        passWhole_ = readingWhole_;
    }
    passRows_.clear();
    passNext_ = 0;
    if (rows.size() <= kRefreshRangeRows) return readRows(rows);
    passRows_ = std::move(rows);
    std::vector<int> changed = readPassStep();
    if (passUnderWay() && !std::exchange(passPosted_, true)) continuePass();
    return changed;
}

std::vector<int> TableControllerBase::readPassStep() {
    constexpr std::size_t kRun = platform::SliceBudget::kItemsPerCheck;
    std::vector<int> changed;
    const std::size_t end = std::min(passRows_.size(), passNext_ + kRefreshRangeRows);
    for (platform::SliceBudget budget; passNext_ < end;) {
        const std::size_t count = std::min(kRun, end - passNext_);
        const auto from = passRows_.begin() + std::ptrdiff_t(passNext_);
        const std::vector<int> run(from, from + std::ptrdiff_t(count));
        passNext_ += count;
        const std::vector<int> read = readRows(run);
        changed.insert(changed.end(), read.begin(), read.end());
        if (budget.spent(count)) break;
    }
    return changed;
}

void TableControllerBase::continuePass() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            passPosted_ = false;
            if (!passUnderWay()) return;
            const std::vector<int> changed = readPassStep();
            if (passWhole_) {
                const int last = model_->columnCount() - 1;
                for (const auto& [top, bottom] : indexRuns(changed))
                    if (top >= 0 && bottom < model_->rows_ && last >= 0)
                        emit model_->dataChanged(model_->index(top, 0), model_->index(bottom, last));
            } else {
                emitTickColumns(changed);
            }
            if (passUnderWay()) {
                passPosted_ = true;
                continuePass();
                return;
            }
            passRows_.clear();
            passNext_ = 0;
            didFinishPass();
        },
        Qt::QueuedConnection);
}

void TableControllerBase::dropPass() {
    passRows_.clear();
    passNext_ = 0;
}

void TableControllerBase::RefreshTableview() {
    platform::assertMainThread();
    if (traits_.wholeTableTick) {
        reloadTable();
        return;
    }
    if (const std::optional<std::vector<int>> rows = changedRows()) {
        drawInRowFont();
        emitTickColumns(*rows);
        return;
    }
    dropPass();
    const int after = std::max(0, takeSnapshot());
    model_->snapshotRows_ = after;
    if (after != model_->rows_) {
        // The list itself changed: rows in or out, then every cell.
        applyRows(after);
        if (after > 0)
            emit model_->dataChanged(model_->index(0, 0), model_->index(after - 1, model_->columnCount() - 1));
        drawInRowFont();
        return;
    }
    drawInRowFont();
    std::vector<ColumnState> states;
    for (std::size_t i = 0; i < setup_.columns.size(); ++i)
        states.push_back({setup_.columns[i].identifier, view_->isColumnHidden(static_cast<int>(i))});
    emitColumns(tickColumnIndexes(states, traits_.tick));
}

void TableControllerBase::menuNeedsUpdate(QMenu& rowMenu, int clickedRow) {
    view_->clearSelection();
    for (QAction* action : rowMenu.actions()) action->setVisible(false);
    const bool attached = setup_.sheets && setup_.sheets->isSheetAttached();
    if (!rowMenuMayShow(attached, clickedRow, model_->rows_)) return;
    showRowMenuEntries(rowMenu, clickedRow);
}

void attachRowMenu(QTableView& view, std::function<QMenu*(int row)> prepare) {
    view.setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(&view, &QWidget::customContextMenuRequested, &view,
                     [&view, prepare = std::move(prepare)](const QPoint& at) {
                         QMenu* menu = prepare(view.rowAt(at.y()));
                         for (QAction* entry : menu->actions())
                             if (entry->isVisible()) {
                                 menu->popup(view.viewport()->mapToGlobal(at));
                                 return;
                             }
                     });
}

}  // namespace kit
