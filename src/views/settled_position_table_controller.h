#pragma once
// The main window's settled positions: one row per settlement of the
// accessible accounts, sorted through the state, and a one-line totals label
// that follows "SettledPositionTableNotification" only (a sort leaves it).
// Without the account currency option column "0830" stays hidden and out of
// the header menu. Read-only: no row menu.
#include <QLabel>
#include <memory>
#include <string>
#include <vector>

#include "kit/table_controller_base.h"
#include "platform/notification_center.h"
#include "views/core/position_records.h"

namespace kit {
struct WindowContext;
}

namespace views {

class SettledPositionTableController : public kit::TableControllerBase {
public:
    SettledPositionTableController(kit::WindowContext& context, bool showAccountCurrency, QWidget* parent = nullptr);

    // The notification: the whole table, then the totals.
    void settledpositionTableUpdate();
    void updateStatusLabel();
    QLabel* statusLabel() const { return statusLabel_; }

protected:
    int takeSnapshot() override;
    QVariant cellData(int row, int column, int role) const override;
    // The totals follow the notification's reload.
    void didNotifiedReload() override { updateStatusLabel(); }

private:
    void hideAccountCurrencyColumn();

    kit::WindowContext& context_;
    std::vector<PositionRecords> rows_;
    QLabel* statusLabel_ = nullptr;
};

}  // namespace views
