// What the order book tells the windows: the changes of its lists, the trade
// and settlement banners, the rejections and the close-all results. Main thread.
#include "model/formatter.h"
#include "model/text_value.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "state/journal_data.h"
#include "state/notification_payloads.h"
#include "state/order_book.h"
#include "state/session_notifications.h"
#include "state/session_services.h"

namespace state {

namespace {
platform::NotificationCenter& center() { return platform::NotificationCenter::defaultCenter(); }
}  // namespace

void OrderBook::openPositionsChanged() {
    ++openRevision_;
    // The executed table lists the open positions too, and the pie draws them.
    for (const char* table :
         {notifications::kOpenPositionTable, notifications::kExecutedPositionTable, notifications::kPieChartUpdate})
        services_.tableChanged(table);
}
void OrderBook::pendingOrdersChanged() { services_.tableChanged(notifications::kPendingOrderTable); }
void OrderBook::cancelledOrdersChanged() { services_.tableChanged(notifications::kCancelledOrderTable); }
void OrderBook::settledOrdersChanged() { services_.tableChanged(notifications::kSettledPositionTable); }

void OrderBook::CloseHedgedPositionsNotification() {
    services_.postAboutSession(notifications::kCloseHedgePosition);
}

void OrderBook::ShowSettledOrderNotification(const std::string& t) {
    services_.onMain([this, t] {
        std::vector<std::string> p;
        std::size_t start = 0;
        while (true) {
            std::size_t pos = t.find('#', start);
            p.push_back(t.substr(start, pos == std::string::npos ? std::string::npos : pos - start));
            if (pos == std::string::npos) break;
            start = pos + 1;
        }
        if (p.size() < 3) {
            platform::Log::debug("Settled-order text with fewer than three parts: no banner");
            return;
        }
        std::string message = "#" + p[2] + "\n" + services_.text("1020") + " " + p[0] + " @" + p[1] + " ";
        std::string title = services_.text("10980");
        commonBanner(services_.ui(), message, title);
        services_.ui().showLocalNotification(title, message);
    });
}

void OrderBook::OrderRejectionNotification(const std::string& reason) {
    services_.onMain([this, reason] {
        const SessionServices& s = services_;
        std::string message = s.text("0072") + " : " + s.text("0538") + "\n" + s.text("0728") + " " + reason;
        std::string title = s.text("11006");
        commonBanner(services_.ui(), message, title);
        services_.ui().showLocalNotification(title, message);
    });
}

void OrderBook::bulkCloseRejectedNotification(const std::string& reference, const std::string& reason) {
    auto result = std::make_shared<BulkCloseResult>();
    result->status = BulkCloseResult::kRejected;
    result->reference = reference;
    result->reason = reason;
    services_.onMain([result] { center().post(notifications::kBulkClose, result); });
}

void OrderBook::bulkCloseSettledNotification(const std::shared_ptr<model::Order>& settled) {
    auto result = std::make_shared<BulkCloseResult>();
    result->status = BulkCloseResult::kSettled;
    result->settled = settled;
    services_.onMain([result] { center().post(notifications::kBulkClose, result); });
}

void OrderBook::orderexecutedNotification(const std::shared_ptr<model::Order>& o) {
    if (!o) return;
    if (model::TextValue::doubleValue(o->RemainingQty) <= 0) return;
    const SessionServices& s = services_;
    std::string side = s.text(o->tradingMode == model::Order::kBuy ? "20218" : "20219");
    side = model::Formatter::fillIndexedText(side, {o->RemainingQty, o->ItemCode});
    std::string message = s.text("0012") + " : " + o->AccountNumber + "\n" + s.text("0075") + " : " +
                          o->OpenPositionId + "\n" + side + " @ " + o->OrderPrice;
    services_.onMain([this, message] { TradeConfirmationNotification(message); });
    services_.appendJournal(JournalData::getOrderJournalData(6, *o, services_.journalContext()));
}

void OrderBook::TradeConfirmationNotification(const std::string& message) {
    UiServices& ui = services_.ui();
    ui.playSound("order");
    std::string title = services_.text("0307");
    if (services_.host().showConfirmationAlert())
        ui.showAlert(message, title);
    else
        commonBanner(ui, message, title);
    ui.showLocalNotification(title, message);
}

void OrderBook::PendingOrderNotification(const std::shared_ptr<model::Order>& order) {
    center().post(notifications::kPendingOrder, std::make_shared<const OrderPayload>(order));
}

void OrderBook::executedPositionSearchNotification() { services_.tableChanged(notifications::kExecutedPositionTable); }

}  // namespace state
