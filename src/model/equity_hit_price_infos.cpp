#include "model/equity_hit_price_infos.h"

#include "model/history_row.h"

namespace model {

std::shared_ptr<EquityHitPriceInfos> EquityHitPriceInfos::fromRow(std::string_view text) {
    const HistoryRow row(text);
    if (row.size() < kFieldCount) {
        HistoryRow::logShortRow("EquityHitPriceInfos", row.size(), kFieldCount);
        return nullptr;
    }
    auto r = std::make_shared<EquityHitPriceInfos>();
    r->EHOrderHistoryId = row.integer(0);
    r->RefEHMCId = row.integer(1);
    r->PositionId = row.text(2);
    r->InstrumentId = row.integer(3);
    r->OrderPrice = row.number(4);
    r->HitPrice = row.number(5);
    r->AccountId = row.text(6);
    r->UnrealisedPL = row.number(7);
    r->UnrealisedCharges = row.number(8);
    r->AccumulatingStorage = row.number(9);
    r->IsBuy = row.boolean(10);
    r->PositionQty = row.number(11);
    r->CurrencyRate = row.number(12);
    r->ContractSize = row.number(13);
    return r;
}

}  // namespace model
