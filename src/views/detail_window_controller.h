#pragma once
// The two-column detail table: the instrument details (type 0), the delivery
// receipt of an open (1) or executed (2) position, the instrument panes of the
// advanced window (3 to 9) and the deposit or withdrawal answer (10). A
// receipt finds its position by id at every rebuild and print, and shows the
// bank record only when it answers the receipt's own latest request.
#include <QDialog>
#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "kit/live_ticker.h"
#include "platform/notification_center.h"
#include "views/core/detail_rows.h"

class QLabel;
class QPushButton;
class QTableView;

namespace kit {
struct WindowContext;
}
namespace model {
class Order;
}
namespace platform {
class Timer;
}

namespace views {

class DetailTableModel;

class DetailWindowController : public QDialog {
public:
    static constexpr const char* kPrintJob = "Delivery Receipt";
    static constexpr int kScheduleDelayMs = 2000;

    // `embedded`: a pane inside another window, not a window of its own.
    explicit DetailWindowController(kit::WindowContext& context, QWidget* parent = nullptr, bool embedded = false);
    ~DetailWindowController() override;

    int detailViewType() const { return detailViewType_; }
    void setDetailViewType(int type) { detailViewType_ = type; }
    // Loads by the type: an item code (0, 3 to 9) or a position id (1, 2).
    void setValue(const std::string& value);
    // Type 10: the answer lines.
    void setAnswerLines(const std::vector<std::string>& lines);
    // Titles and theme; a receipt also shows its print button and follows the
    // bank answers (and, for an open position, its closing) until closeModal.
    void showWindow();
    void closeModal();
    void print();
    // A new opening of the host: the schedule of each market may be asked once again.
    void forgetScheduleRequests() { askedMarkets_.clear(); }

    QLabel* titleTextField = nullptr;
    QPushButton* printButton = nullptr;
    QPushButton* closeButton = nullptr;
    QTableView* detailTableView = nullptr;
    const DetailRows& rows() const;
    // A receipt whose position is still in its collection.
    bool hasPosition() const { return position() != nullptr; }
    // The receipt's own latest bank request (0: none).
    std::uint64_t bankRequest() const { return bankRequest_; }

protected:
    void reject() override;

private:
    void loadRows(DetailRows rows);
    void loadDeliveryReceiptDetails();
    void requestBankDetails();
    void loadMarketSessions(const std::string& code);
    std::shared_ptr<model::Order> position() const;
    void applyTheme();
    void stopFollowing();

    kit::WindowContext& context_;
    DetailTableModel* model_ = nullptr;
    int detailViewType_ = 0;
    std::string value_;
    std::uint64_t bankRequest_ = 0;
    std::set<std::uint64_t> askedMarkets_;
    std::unique_ptr<platform::Timer> scheduleTimer_;
    platform::ObserverHandle bankObserver_;
    kit::LiveTicker::Subscription positionWatch_;
};

}  // namespace views
