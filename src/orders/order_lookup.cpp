#include "orders/order_lookup.h"

#include <cmath>
#include <cstdio>

#include "model/decimal.h"
#include "state/text_conversions.h"

namespace orders {

const model::ItemDetails* findItem(const state::ReferenceData& data, const std::string& itemCode) {
    const auto* item = data.ItemCollection().find(itemCode);
    return item ? item->get() : nullptr;
}

OrderRecords lookUp(const state::ReferenceData& data, const std::string& accountNumber, const std::string& itemCode) {
    OrderRecords r;
    if (const auto* account = data.AccountDetailCollection().find(accountNumber)) r.account = account->get();
    r.item = findItem(data, itemCode);
    if (r.account) {
        if (const auto* group = data.GroupDetailCollection().find(r.account->GroupId)) r.group = group->get();
    }
    if (r.group && r.item) r.groupInstrument = r.group->conditions(r.item->InstrumentId);
    return r;
}

const model::SessionSettings* findSession(const state::ReferenceData& data, const model::ItemDetails* item) {
    if (!item) return nullptr;
    const auto* s = data.SessionSettingCollection().find(std::to_string(item->CurrentTradeSessionSettingId));
    return s ? s->get() : nullptr;
}

double numberOf(std::string_view text) { return state::TextConversion::doubleValue(text); }

std::string normalised(double value) {
    if (value == 0) return "0";  // -0 too
    if (!std::isfinite(value)) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%f", value);
        return buf;
    }
    return model::Decimal::fromDouble(value).toString();
}

double marketBid(const model::ItemDetails* item) {
    if (!item) return 0;
    return item->Bid == 0 ? item->Last : item->Bid;
}

double marketAsk(const model::ItemDetails* item) {
    if (!item) return 0;
    return item->Ask == 0 ? item->Last : item->Ask;
}

}  // namespace orders
