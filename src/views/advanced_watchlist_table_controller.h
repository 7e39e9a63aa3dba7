#pragma once
// The watchlist's second tab: one tall row per watchlist code, painted by
// AdvancedTableCell, the whole list read on the login's tick (a row made
// again only when what it shows changed). A press on
// a price button opens the ticket of an active instrument (else alert
// "1069"); a drag carries the code as text.
#include <QMessageBox>
#include <QPointer>
#include <string>
#include <vector>

#include "kit/table_controller_base.h"
#include "views/other_windows.h"
#include "views/core/advanced_rows.h"
#include "views/core/price_marks.h"

namespace kit {
struct WindowContext;
}

namespace views {

class AdvancedWatchlistTableController : public kit::TableControllerBase {
public:
    static constexpr const char* kTicketWindow = other_windows::kTradeTicket;

    explicit AdvancedWatchlistTableController(kit::WindowContext& context, QWidget* parent = nullptr);
    ~AdvancedWatchlistTableController() override;

    void buyButtonClicked(int row);
    void sellButtonClicked(int row);
    // The ticket of the row's instrument, or the "1069" alert.
    void loadTradeTicketView(int row);
    const AdvancedRow* row(int index) const;
    QMessageBox* currentAlert() const { return alert_; }

protected:
    int takeSnapshot() override;
    QVariant cellData(int row, int column, int role) const override;
    std::string dragText(const std::vector<int>& rows) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    kit::WindowContext& context_;
    // Each row is made when first read after its inputs changed: a long list
    // makes only the rows drawn.
    mutable std::vector<AdvancedRow> rows_;
    mutable std::vector<char> stale_;  // the row is to be made again from its inputs
    std::vector<std::string> codes_;
    std::vector<AdvancedRowInputs> inputs_;  // what each row is made from
    LastShownPrices shown_;
    QPointer<QMessageBox> alert_;
};

}  // namespace views
