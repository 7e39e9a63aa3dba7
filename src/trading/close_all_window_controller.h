#pragma once
// The close-all sheet: every open position ticked at opening, a close price
// and P/L refreshed on the login's tick, the order manager's check of each
// ticked close, the refusals in the status sheet, then one request and a
// status page that follows the server's answers.
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableView>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "kit/live_ticker.h"
#include "platform/notification_center.h"
#include "trading/close_all_rows_model.h"
#include "trading/close_status_model.h"
#include "trading/close_position_status_window_controller.h"
#include "trading/core/close_all_rows.h"

namespace kit {
struct WindowContext;
}

namespace trading {

class CloseAllWindowController : public QDialog, public BulkClosePositionDelegate {
public:
    explicit CloseAllWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    // Before each showing: the selection page with every position ticked.
    void windowDidAppear();
    void hitCheckbox(int row);
    void closeAllButtonClicked();
    void createBulkClosePositions(std::int64_t requestType) override;
    void closeModal();
    // The selection page's live columns.
    void refreshTableView();
    // On each tick: the rows again when the open positions changed, else the
    // live columns of the rows in sight (others as they scroll into sight).
    void refreshSelection();

    const CloseAllSelection& selection() const { return selection_; }
    const std::vector<model::OrderInfo>& failedClosePositions() const { return failed_; }
    const std::vector<model::OrderInfo>& statusRows() const { return status_; }
    ClosePositionStatusWindowController* statusSheet() const { return statusSheet_; }

    QStackedWidget* closeAllTabView = nullptr;
    QTableView* closeAllTableView = nullptr;
    CloseAllRowsModel* closeAllRows = nullptr;
    QTableView* closeAllStatusTableView = nullptr;
    CloseStatusModel* closeAllStatus = nullptr;
    QPushButton* closeAllButton = nullptr;
    QPushButton* notNowButton = nullptr;
    QLabel* headerTextField = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void takeList();
    void reloadSelection();
    void showSelection();
    void refreshShownRows();
    void setButtonTitle();
    void bulkCloseNotification(const platform::Notification& notification);
    // Checks each ticked close as it stands now; on a refusal the status sheet
    // shows every refusal so far and true is answered.
    bool refused(const state::Orders& ticked);
    void sendClose(const state::Orders& ticked, std::int64_t requestType);
    std::string text(const char* key) const;

    kit::WindowContext& context_;
    CloseAllSelection selection_;
    state::Orders shown_;  // the selection page's rows
    std::optional<std::uint64_t> listSeen_;  // the open list's revision when shown_ was taken
    std::vector<int> contentWidths_;  // the selection columns fitted to their contents
    std::vector<model::OrderInfo> failed_;
    std::vector<model::OrderInfo> status_;
    ClosePositionStatusWindowController* statusSheet_ = nullptr;
    bool checking_ = false;
    kit::LiveTicker::Subscription tick_;
    std::vector<platform::ObserverHandle> observers_;
};

}  // namespace trading
