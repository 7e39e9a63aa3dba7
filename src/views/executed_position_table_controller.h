#pragma once
// The main window's executed positions: the open and the session-closed
// positions, or the answer of a search by date while the state's search flag
// is on. Search and reset above the table; a row menu whose one entry opens
// the executed delivery receipt by the position's id. Reloads on its
// notification only; no sort.
#include <QDateTimeEdit>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <string>
#include <vector>

#include "kit/open_request.h"
#include "kit/table_controller_base.h"
#include "views/register_windows.h"
#include "views/core/position_records.h"

namespace kit {
struct WindowContext;
}

namespace views {

class ExecutedPositionTableController : public kit::TableControllerBase {
public:
    // The executed receipt; the open table's receipt is another window.
    static constexpr const char* kReceiptWindow = kExecutedReceiptWindow;
    static constexpr const char* kReceiptKey = "0481";
    // A longer list is looked up this many rows a main-thread slice (as the open positions').
    static constexpr std::size_t kSnapshotStepRows = 500;

    // `sharedRecords`: the records another position table of the login found.
    explicit ExecutedPositionTableController(kit::WindowContext& context,
                                             std::shared_ptr<PositionRecordsCache::Shared> sharedRecords = nullptr,
                                             QWidget* parent = nullptr);

    void executedpositionTableUpdate() { reloadTable(); }
    // The search flag on, a reload, then one request from and to the picker's date and time.
    void searchButtonClicked();
    // The flag off, the picker at today 00:00:00, the search answer emptied, a reload.
    void resetButtonClicked();
    // The picker at today 00:00:00, local time.
    void setDefaultValues();
    void deliveryReceiptButtonClicked(int row);

    QMenu* rowMenu() const { return rowMenu_; }
    // Prepares the row menu for a click on `row` (-1: none) and returns it.
    QMenu* prepareRowMenu(int row);
    QDateTimeEdit* searchDatePicker() const { return picker_; }
    QLabel* dateTextField() const { return dateLabel_; }
    QPushButton* searchButton() const { return search_; }
    QPushButton* resetButton() const { return reset_; }

protected:
    int takeSnapshot() override;
    QVariant cellData(int row, int column, int role) const override;
    void showRowMenuEntries(QMenu& rowMenu, int row) override;

private:
    QWidget* buildSearchBar();
    // The next rows of a long list's look-up in a later slice; the table is
    // reloaded with them once whole.
    void buildNextRows();
    void updateLanguageStrings();
    // The row's position when it is still that row of the state's current collection.
    const PositionRecords* currentRow(int row) const;
    std::string text(const std::string& key) const;

    kit::WindowContext& context_;
    PositionRecordsCache records_;
    QMenu* rowMenu_ = nullptr;
    QDateTimeEdit* picker_ = nullptr;
    QLabel* dateLabel_ = nullptr;
    QPushButton* search_ = nullptr;
    QPushButton* reset_ = nullptr;
    int clickedRow_ = -1;
    bool built_ = false;  // a long list's look-up is whole: the next snapshot takes it
};

}  // namespace views
