#pragma once
// The main window's cancelled orders: one row per cancelled order of the
// accessible accounts, sorted through the state; reloads on its notification
// only. Read-only: no row menu.
#include <string>
#include <vector>

#include "kit/table_controller_base.h"
#include "views/core/position_records.h"

namespace kit {
struct WindowContext;
}

namespace views {

class CancelledOrderTableController : public kit::TableControllerBase {
public:
    explicit CancelledOrderTableController(kit::WindowContext& context, QWidget* parent = nullptr);

    void cancelledorderTableUpdate() { reloadTable(); }

protected:
    int takeSnapshot() override;
    QVariant cellData(int row, int column, int role) const override;

private:
    kit::WindowContext& context_;
    std::vector<PositionRecords> rows_;
};

}  // namespace views
