#include "model/pending_order_hd.h"

#include "model/history_row.h"

namespace model {

std::shared_ptr<PendingOrderHD> PendingOrderHD::fromRow(std::string_view text) {
    const HistoryRow row(text);
    if (row.size() < kFieldCount) {
        HistoryRow::logShortRow("PendingOrderHD", row.size(), kFieldCount);
        return nullptr;
    }
    auto r = std::make_shared<PendingOrderHD>();
    r->PendingOrderId = row.text(0);
    r->RefTicketId = row.text(1);
    r->AccountId = row.text(2);
    r->InstrumentId = row.integer(3);
    r->IsBuy = row.boolean(4);
    r->OrderTypeId = row.integer(5);
    r->OrderQty = row.number(6);
    r->MinQty = row.number(7);
    r->DisclosedQty = row.number(8);
    r->RemainingQty = row.number(9);
    r->OrderPrice = row.number(10);
    r->LimitPrice = row.number(11);
    r->StopPrice = row.number(12);
    r->TralingStopPrice = row.number(13);
    r->DeliveryModeId = row.integer(14);
    r->TimeInForceId = row.integer(15);
    r->ExpiryDateTime = row.text(16);
    r->OCOLLimitPrice = row.number(17);
    r->OCOLStopPrice = row.number(18);
    r->OCOSLimit = row.number(19);
    r->OCOSStop = row.number(20);
    r->Spread = row.text(21);
    r->TradeRouteId = row.text(22);
    r->RoutePendingOrderId = row.text(23);
    r->OrderAtServerDateTime = row.text(24);
    r->RefPositionIdOfBracket = row.text(25);
    r->TouchQty = row.number(26);
    r->TouchPrice = row.number(27);
    r->TouchDateTime = row.text(28);
    return r;
}

}  // namespace model
