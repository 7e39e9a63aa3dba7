#pragma once
// The watchlist's second tab: one tall row per watchlist code, painted by
// AdvancedTableCell. The login's tick reads the rows of the instruments
// ticked since the last turn and those that showed a move; every row, a range
// a slice, after a turn skipped or of too many ticks; the list anew when it or
// the records changed (a row made again only when what it shows changed). A press on
// a price button opens the ticket of an active instrument (else alert
// "1069"); a drag carries the code as text.
#include <QMessageBox>
#include <QPointer>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "kit/table_controller_base.h"
#include "views/other_windows.h"
#include "views/core/advanced_rows.h"
#include "views/core/price_marks.h"
#include "views/core/rows_by_item.h"

namespace kit {
struct WindowContext;
}

namespace views {

class AdvancedWatchlistTableController : public kit::TableControllerBase {
public:
    static constexpr const char* kTicketWindow = other_windows::kTradeTicket;
    // A longer list is read over later slices, this many rows a slice; the
    // rows shown stay until it is whole.
    static constexpr std::size_t kSnapshotStepRows = 3000;

    explicit AdvancedWatchlistTableController(kit::WindowContext& context, QWidget* parent = nullptr);
    ~AdvancedWatchlistTableController() override;

    void buyButtonClicked(int row);
    void sellButtonClicked(int row);
    // The ticket of the row's instrument, or the "1069" alert.
    void loadTradeTicketView(int row);
    const AdvancedRow* row(int index) const;
    QMessageBox* currentAlert() const { return alert_; }

    void RefreshTableview() override;

protected:
    int takeSnapshot() override;
    std::optional<std::vector<int>> changedRows() override;
    std::vector<int> readRows(std::span<const int> rows) override;
    QVariant cellData(int row, int column, int role) const override;
    std::string dragText(const std::vector<int>& rows) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A long list's snapshot under way.
    struct Building {
        std::vector<std::string> codes;
        std::vector<AdvancedRowInputs> inputs;
        std::vector<std::shared_ptr<model::ItemDetails>> items;
        std::vector<std::size_t> moved;
        std::uint64_t list = 0, records = 0, turn = 0;
    };

    // Shows the row's instrument's prices: true when what the row is made from changed.
    bool readRow(std::size_t at);
    // The instrument's prices shown for `code`, with their moves since last shown.
    LastShownPrices::Moves showPrices(const std::string& code, const model::ItemDetails* item);
    void buildNextRows();

    kit::WindowContext& context_;
    // Each row is made when first read after its inputs changed: a long list
    // makes (and holds) only the rows drawn.
    mutable std::vector<std::unique_ptr<AdvancedRow>> rows_;
    mutable std::vector<char> stale_;  // the row is to be made again from its inputs
    std::vector<std::string> codes_;
    std::vector<AdvancedRowInputs> inputs_;  // what each row is made from
    std::vector<std::shared_ptr<model::ItemDetails>> items_;  // by row; null for a code without one
    RowsByItem rowsByItem_;
    std::vector<std::size_t> movedRows_;     // rows that showed a move at their last read
    std::uint64_t listSeen_ = 0, recordsSeen_ = 0, turnSeen_ = 0;
    bool ticking_ = false;
    Building building_;
    bool stepping_ = false, built_ = false;
    LastShownPrices shown_;
    QPointer<QMessageBox> alert_;
};

}  // namespace views
