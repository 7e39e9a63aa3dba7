#pragma once
// The live tables' shared machinery: a QTableView over the rows the state's
// getter returned at the last reload or tick, columns named by language keys,
// the header's column menu, sorting through the state, the row font from the
// preferences, one reload per event-loop turn on the table notification, the
// 1.0 s tick of the live columns and the row-menu guard. Main thread.
#include <QAbstractTableModel>
#include <QFont>
#include <QTableView>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "kit/live_ticker.h"
#include "platform/notification_center.h"
#include "state/session_view.h"
#include "kit/core/table_rules.h"

class QMenu;

namespace kit {
class PreferenceManager;
class SheetHost;
// A right click on the table's rows prepares the menu for the clicked row
// (-1 below the rows) and opens it when an entry shows.
void attachRowMenu(QTableView& view, std::function<QMenu*(int row)> prepare);

}  // namespace kit

namespace kit {

class TableControllerBase;

struct TableColumn {
    std::string identifier;
    int width = 90;
    // The sort a header click asks of the state; none: not sortable.
    std::optional<state::SortDescriptor> sort;
};

// The model over the controller's snapshot; every read checks the row.
class TableModel : public QAbstractTableModel {
public:
    explicit TableModel(TableControllerBase& owner) : owner_(owner) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

private:
    friend class TableControllerBase;
    TableControllerBase& owner_;
    int rows_ = 0;
    int snapshotRows_ = 0;  // rows the owner holds now; reads beyond give nothing
    bool detached_ = false;  // the owner is being destroyed
};

class TableControllerBase : public QWidget {
public:
    // Rows read when widths are fitted to content.
    static constexpr int kFitSampleRows = 40;
    // Rows an empty table shows in its first slice when it fills, and per
    // batch after it (batches while a slice's budget lasts).
    static constexpr int kFillBatchRows = 500;
    // Rows a refresh reads per main-thread slice at most (fewer once a
    // step's time is spent); a longer one continues in later slices.
    static constexpr std::size_t kRefreshRangeRows = 2000;

    struct Setup {
        TableKind kind = TableKind::Watchlist;
        std::vector<TableColumn> columns;
        std::int64_t language = 0;
        const kit::PreferenceManager* preferences = nullptr;  // null: 12 points
        kit::SheetHost* sheets = nullptr;
        // The state's sort of the table's collection.
        std::function<void(const std::optional<std::vector<state::SortDescriptor>>&)> sort;
        // The login's ticker: a table with live columns refreshes on its tick.
        LiveTicker* ticker = nullptr;
    };

    TableControllerBase(Setup setup, QWidget* parent);
    ~TableControllerBase() override;

    QTableView* tableView() const { return view_; }
    QMenu* headerMenuWidget() const { return headerMenu_; }
    TableModel* model() const { return model_; }
    const TableTraits& traits() const { return traits_; }
    int columnWithIdentifier(const std::string& identifier) const;
    const std::string& identifierOf(int column) const;
    int rowCount() const { return model_->rows_; }

    // Reloads every row and column, keeping the selection and the scroll place.
    // An empty table shows its first kFillBatchRows rows at once and the rest
    // in later slices, as many batches a slice as its time budget allows.
    void reloadTable();
    // The 1.0 s tick: the live columns of every row.
    virtual void RefreshTableview();
    // Header menu: toggles the entry's column.
    void headerMenu(QAction* entry);
    void hideandShowTableColumns(const std::string& identifier, bool hide);
    // A header click on a sortable column.
    void sortByColumn(int column);

    // Before the row menu opens: clears the selection, hides every entry and
    // shows the table's entries only for an existing clicked row while no
    // sheet is attached.
    void menuNeedsUpdate(QMenu& rowMenu, int clickedRow);
    // Every visible column and a few rows.
    QSize sizeHint() const override;

    // The rows' font at the stored size, read at each drawing.
    QFont rowFont() const;

protected:
    // Reads the state's getter once and keeps the result; returns its size.
    virtual int takeSnapshot() = 0;
    // A cell of the snapshot; `row` is within it.
    virtual QVariant cellData(int row, int column, int role) const = 0;
    virtual void showRowMenuEntries(QMenu& /*rowMenu*/, int /*row*/) {}
    // The tick's rows whose live cells may have changed, sorted, when the
    // list itself is known not to have changed (a reload then redraws those
    // rows whole); nullopt: read the list anew and refresh every row.
    virtual std::optional<std::vector<int>> changedRows() { return std::nullopt; }
    // Reads these rows (sorted, within the snapshot) anew; returns those that changed.
    virtual std::vector<int> readRows(std::span<const int> /*rows*/) { return {}; }
    // For changedRows: reads `rows` (sorted) through readRows, the first
    // range now and the rest a range a slice, each range's changed
    // rows redrawn as it is read. Rows a pass under way has not read yet join
    // these; rows it read already are read again only when listed here.
    std::vector<int> readInRanges(std::vector<int> rows);
    bool passUnderWay() const { return passNext_ < passRows_.size(); }
    // After a pass's last range read in a later slice.
    virtual void didFinishPass() {}
    // After every whole-table reload.
    virtual void didReload() {}
    // After the reload that follows the table's notification.
    virtual void didNotifiedReload() {}
    // The text a drag of these rows carries; "" refuses the drag.
    virtual std::string dragText(const std::vector<int>& /*rows*/) const { return ""; }
    // Sets the titles, the menu and the widths; call from the subclass's constructor.
    void SetHeaderMenuItems();
    const std::vector<TableColumn>& columns() const { return setup_.columns; }

private:
    friend class TableModel;
    // The table's notification: one reload in a later turn of the event loop,
    // however many notifications come before it.
    void reloadSoon();
    // Applies a snapshot of `after` rows to the model; the view lays them out at once.
    void applyRows(int after);
    // The model's row count alone; the caller has the view lay the rows out.
    void countRows(int after);
    // The next batches of a fill, in a later slice, until the snapshot's rows all show.
    void showNextBatch();
    void emitColumns(const std::vector<int>& columns);
    // The live columns of the tick, in runs of rows.
    void emitTickColumns(const std::vector<int>& rows);
    // The pass's next range in a later slice.
    void continuePass();
    // The pass's next range: up to kRefreshRangeRows, read in runs while a step's time lasts.
    std::vector<int> readPassStep();
    // A new snapshot: the pass's rows are no longer the shown ones.
    void dropPass();
    // Draws in the row font, first fitting the widths and row height to it
    // when its size is new.
    void drawInRowFont();
    void fitToRowFont();

    Setup setup_;
    const TableTraits& traits_;
    QTableView* view_ = nullptr;
    TableModel* model_ = nullptr;
    QMenu* headerMenu_ = nullptr;
    LiveTicker::Subscription tick_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
    platform::ObserverHandle observer_;
    platform::ObserverHandle fontObserver_;
    std::vector<QString> titles_;  // set once: the language is chosen before the tables exist
    bool reloadQueued_ = false;
    // The rows a refresh pass reads, from passNext_ on; whole rows or the tick's columns.
    std::vector<int> passRows_;
    std::size_t passNext_ = 0;
    bool passWhole_ = false;
    bool readingWhole_ = false;  // changedRows is asked for a reload
    bool passPosted_ = false;
    int sortedColumn_ = -1;
    bool ascending_ = true;
    int fittedRowHeight_ = 0;  // the row height fitted to the row font
    int fittedPointSize_ = 0;  // the row font's size at the last fit to content; 0: none yet
    mutable QFont rowFont_;       // the last row font, made from these two
    mutable QFont rowFontBase_;
    mutable int rowFontSize_ = 0;
};

// A right click on the table's rows prepares the menu for the clicked row
// (-1 below the rows) and opens it when an entry shows.
void attachRowMenu(QTableView& view, std::function<QMenu*(int row)> prepare);

}  // namespace kit
