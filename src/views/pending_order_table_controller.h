#pragma once
// The main window's pending orders: one row per visible working order with
// its current price refreshed on the 1.0 s tick. A Limit or Stop order's row
// menu edits it (modify dialog, mode 1) or cancels it (close dialog, mode 1);
// both entries are retitled each time the menu opens.
#include <QMenu>
#include <functional>
#include <string>
#include <vector>

#include "kit/open_request.h"
#include "views/core/position_records.h"
#include "kit/table_controller_base.h"
#include "views/other_windows.h"
#include "kit/window_context.h"
#include "kit/window_opener.h"

namespace state {
class SessionView;
class SessionCommands;
}

namespace views {

class PendingOrderTableController : public kit::TableControllerBase {
public:
    static constexpr const char* kCancelDialog = other_windows::kCloseOrCancel;
    static constexpr const char* kEditDialog = other_windows::kModifyOrEdit;

    explicit PendingOrderTableController(kit::WindowContext& context, QWidget* parent = nullptr);

    void pendingorderTableUpdate() { reloadTable(); }
    void cancelOrderButtonClicked(int row);
    void editOrderButtonClicked(int row);

    QMenu* rowMenu() const { return rowMenu_; }
    QMenu* prepareRowMenu(int row);

protected:
    int takeSnapshot() override;
    QVariant cellData(int row, int column, int role) const override;
    void showRowMenuEntries(QMenu& rowMenu, int row) override;

private:
    const PositionRecords* currentRow(int row) const;
    std::string text(const std::string& key) const;

    kit::WindowContext& context_;
    std::vector<PositionRecords> rows_;
    QMenu* rowMenu_ = nullptr;
    QAction* editEntry_ = nullptr;
    QAction* cancelEntry_ = nullptr;
    int clickedRow_ = -1;
};

}  // namespace views
