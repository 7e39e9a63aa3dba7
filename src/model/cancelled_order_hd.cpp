#include "model/cancelled_order_hd.h"

#include "model/history_row.h"

namespace model {

std::shared_ptr<CancelledOrderHD> CancelledOrderHD::fromRow(std::string_view text) {
    const HistoryRow row(text);
    if (row.size() < kFieldCount) {
        HistoryRow::logShortRow("CancelledOrderHD", row.size(), kFieldCount);
        return nullptr;
    }
    auto r = std::make_shared<CancelledOrderHD>();
    r->CancelledOrderId = row.text(0);
    r->CancelledQty = row.number(1);
    r->RefTicketId = row.text(2);
    r->RefPendingOrderId = row.text(3);
    r->InstrumentId = row.integer(4);
    r->AccountId = row.text(5);
    r->CancelReasonId = row.text(6);
    r->CancelDateTime = row.text(7);
    r->ActionByUserId = row.text(8);
    r->IsBuy = row.boolean(9);
    r->DeliveryMode = row.integer(10);
    r->OrderAsk = row.number(11);
    r->OrderBid = row.number(12);
    r->OrderHigh = row.number(13);
    r->OrderLow = row.number(14);
    r->OrderTypeId = row.integer(15);
    r->OrderPrice = row.number(16);
    r->OrderTime = row.text(17);
    return r;
}

}  // namespace model
