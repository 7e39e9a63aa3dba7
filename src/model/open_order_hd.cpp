#include "model/open_order_hd.h"

#include "model/history_row.h"

namespace model {

std::shared_ptr<OpenOrderHD> OpenOrderHD::fromRow(std::string_view text) {
    const HistoryRow row(text);
    if (row.size() < kFieldCount) {
        HistoryRow::logShortRow("OpenOrderHD", row.size(), kFieldCount);
        return nullptr;
    }
    auto r = std::make_shared<OpenOrderHD>();
    r->PositionId = row.text(0);
    r->AccountId = row.text(1);
    r->InstrumentId = row.integer(2);
    r->IsBuy = row.boolean(3);
    r->RefOrderTicketId = row.text(4);
    r->RefPendingOrderId = row.text(5);
    r->OrderExecutionId = row.text(6);
    r->PositionInitialQty = row.number(7);
    r->PositionQty = row.number(8);
    r->OrderPrice = row.number(9);
    r->CommisionPaid = row.number(10);
    r->PositionDate = row.text(11);
    r->ConfirmationModeId = row.text(12);
    r->ConfirmedBy = row.text(13);
    r->UnrealisedPL = row.number(14);
    r->TradeRouteId = row.text(15);
    r->RoutePositionId = row.text(16);
    r->DeliveryMode = row.integer(17);
    r->OrderTypeId = row.integer(18);
    r->Storage = row.number(19);
    r->ValueDate = row.text(20);
    r->ExpiryDate = row.text(21);
    r->BaseCurrencyRate = row.number(27);
    return r;
}

}  // namespace model
