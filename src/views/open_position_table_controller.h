#pragma once
// The main window's open positions: one row per visible position, the close
// price drawn as a button (a click closes), P/L colours, a totals bar, the
// close-all button, and a row menu of modify, close, offset and delivery
// receipt, each shown as a sheet or window. The 1.0 s tick refreshes the
// close price and P/L of every row, then the totals.
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "kit/figure_label.h"
#include "kit/open_request.h"
#include "views/core/position_cells.h"
#include "views/core/position_records.h"
#include "views/core/position_rules.h"
#include "kit/table_controller_base.h"
#include "views/other_windows.h"
#include "views/register_windows.h"

namespace state {
class SessionView;
class SessionCommands;
}
namespace kit {
struct WindowContext;
}

namespace views {

class OpenPositionTableController : public kit::TableControllerBase {
public:
    static constexpr const char* kCloseDialog = other_windows::kCloseOrCancel;
    static constexpr const char* kModifyDialog = other_windows::kModifyOrEdit;
    static constexpr const char* kOffsetWindow = other_windows::kOffset;
    static constexpr const char* kReceiptWindow = kOpenReceiptWindow;
    // Row-menu entries in order, by the language key of their title.
    static constexpr std::array<const char*, 4> kEntryKeys = {"0282", "0250", "0480", "0481"};
    static constexpr const char* kCloseAllKey = "0243";
    static constexpr const char* kCloseAllWindow = other_windows::kCloseAll;
    // A longer list's snapshot is built this many rows a slice and shown whole
    // (the same list's is read again in place, as many rows a slice).
    static constexpr std::size_t kSnapshotStepRows = 500;
    // Close texts kept for the rows drawn; past this many they are made again.
    static constexpr std::size_t kCloseTextsKept = 1024;

    // `sharedRecords`: the records another position table of the login found.
    OpenPositionTableController(kit::WindowContext& context, bool baseCurrencyAvailable,
                                std::shared_ptr<PositionRecordsCache::Shared> sharedRecords = nullptr,
                                QWidget* parent = nullptr);
    ~OpenPositionTableController() override;

    // The tick: the close price and P/L of every row, then the totals.
    void RefreshTableview() override;
    void openpositionTableUpdate() { reloadTable(); }
    void updateStatusLabel();

    // Row actions on a row of the table; nothing outside the rows.
    void closePositionButtonClicked(int row);
    void modifyBracketOrderButtonClicked(int row);
    void offsetPositionButtonClicked(int row);
    void deliveryReceiptButtonClicked(int row);

    QMenu* rowMenu() const { return rowMenu_; }
    // Prepares the row menu for a click on `row` (-1: none) and returns it.
    QMenu* prepareRowMenu(int row);
    QPushButton* closeAllButton() const { return closeAll_; }
    const std::array<QLabel*, 5>& totalLabels() const { return labels_; }
    const std::array<kit::FigureLabel*, 5>& totalValues() const { return values_; }
    QMessageBox* currentAlert() const { return alert_; }

protected:
    int takeSnapshot() override;
    // Between two ticks that recomputed only some positions: their rows, and
    // those whose close price showed a move.
    std::optional<std::vector<int>> changedRows() override;
    std::vector<int> readRows(std::span<const int> rows) override;
    void didFinishPass() override;
    // The totals follow every reload too, not only the tick.
    void didReload() override {
        if (values_.front()) updateStatusLabel();
    }
    QVariant cellData(int row, int column, int role) const override;
    void showRowMenuEntries(QMenu& rowMenu, int row) override;

private:
    // A row's close price beside its records.
    struct Row {
        ClosePrice close;
    };
    // What a snapshot shows of its rows.
    struct Snapshot {
        std::vector<Row> rows;  // one per record
        std::vector<PositionSums> sums;  // one per record: its share of the totals
        // The rows with a position, by their position in the records (the
        // first of a position listed twice first): sorted by ordered().
        std::vector<int> rowOf;
        std::vector<int> movedRows;  // rows whose close price shows a move
        // The close texts of the rows drawn, written at their first drawing.
        mutable std::unordered_map<int, QString> closeTexts;
        void add(const PositionRecords& r);
        // Reads a row again from its records.
        void read(int row, const PositionRecords& r);
        // Sorts the positions added from the `from`th into the ones before;
        // `records` are the rows' records.
        void ordered(std::size_t from, std::span<const PositionRecords> records);
        std::optional<int> rowOfOrder(const model::Order* order, const std::vector<PositionRecords>& records) const;
        const QString& closeText(int row) const;
    };
    // The next rows of the snapshot under way in a later slice; the last
    // puts it in and reloads.
    void buildNextRows();
    // In a turn of its own: reloads when the list shown is no longer the open positions.
    void reloadUnlessCurrent();
    QWidget* buildTotalsBar();
    void skipBaseCurrencyColumn(bool available);
    // The row's records when its position is still inside the state's current collection.
    const PositionRecords* currentRow(int row) const;
    // The row's position by its id, for the opener.
    kit::OpenRequest requestFor(const PositionRecords& row) const;
    std::string text(const std::string& key) const;

    kit::WindowContext& context_;
    std::vector<QVariant> alignments_;  // per column
    int closeColumn_ = -1;
    int profitLossColumn_ = -1;
    PositionRecordsCache records_;
    Snapshot shown_;
    Snapshot building_;  // while records_ looks up a long list
    std::uint64_t buildingFigures_ = 0;  // the figures' revision it began at
    bool built_ = false;  // the next snapshot is building_
    // The snapshot under way is shown_ read again in place (the same list), not building_.
    bool refreshing_ = false;
    std::size_t refreshedRows_ = 0;
    bool snapshotDue_ = false;  // the next reload takes a snapshot
    std::uint64_t figuresSeen_ = 0;
    std::uint64_t recordsSeen_ = 0;
    std::uint64_t listSeen_ = 0;  // the open positions' revision when the list shown was taken
    bool totalsDue_ = true;
    bool listKept_ = false;  // the last tick kept the list
    bool closeAllAsked_ = false;  // the close-all button's state asked once
    bool closeAllDue_ = false;    // its question queued
    QMenu* rowMenu_ = nullptr;
    int clickedRow_ = -1;
    QPushButton* closeAll_ = nullptr;
    std::array<QLabel*, 5> labels_{};
    std::array<kit::FigureLabel*, 5> values_{};
    QPointer<QMessageBox> alert_;
};

}  // namespace views
