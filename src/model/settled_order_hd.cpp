#include "model/settled_order_hd.h"

#include "model/history_row.h"

namespace model {

std::shared_ptr<SettledOrderHD> SettledOrderHD::fromRow(std::string_view text) {
    const HistoryRow row(text);
    if (row.size() < kFieldCount) {
        HistoryRow::logShortRow("SettledOrderHD", row.size(), kFieldCount);
        return nullptr;
    }
    auto r = std::make_shared<SettledOrderHD>();
    r->SettlementId = row.text(0);
    r->AccountId = row.text(1);
    r->InstrumentId = row.integer(2);
    r->RefPositionId = row.text(3);
    r->RefClosingPositionId = row.text(4);
    r->SettledQty = row.number(5);
    r->SettledPL = row.number(6);
    r->SettlementDate = row.text(7);
    r->CurrencyRate = row.number(8);
    r->Storage = row.number(9);
    r->CommisionPaid = row.number(10);
    r->OtherCharges = row.number(11);
    r->IsBuy = row.boolean(12);
    r->OpenPrice = row.text(13);
    r->ClosePrice = row.text(14);
    r->OpenPositionDate = row.text(15);
    r->ClosePositionDate = row.text(16);
    r->DeliveryModeId = row.integer(17);
    if (row.size() >= kFieldCountWithRate) r->accountCurrencyRate = row.number(19);
    return r;
}

}  // namespace model
