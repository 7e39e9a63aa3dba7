#include "views/core/position_records.h"

#include "model/group_details.h"
#include "state/reference_data.h"

namespace views {

PositionRecords lookUpRecords(const state::ReferenceData& data, std::shared_ptr<model::Order> order) {
    PositionRecords r;
    r.order = std::move(order);
    if (!r.order) return r;
    if (const auto* item = data.ItemCollection.find(r.order->ItemCode)) r.item = *item;
    if (const auto* account = data.AccountDetailCollection.find(r.order->AccountNumber)) r.account = *account;
    if (r.account && r.item)
        if (const auto* group = data.GroupDetailCollection.find(r.account->GroupId); group && *group)
            r.groupInstrument = (*group)->instrument(r.item->InstrumentId);
    return r;
}

}  // namespace views
