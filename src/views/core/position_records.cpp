#include "views/core/position_records.h"

#include "model/group_details.h"
#include "state/session_view.h"

namespace views {

PositionRecords lookUpRecords(const state::SessionView& session, std::shared_ptr<model::Order> order) {
    PositionRecords r;
    r.order = std::move(order);
    if (!r.order) return r;
    r.item = session.instrument(r.order->ItemCode);
    r.account = session.account(r.order->AccountNumber);
    if (r.account && r.item)
        if (const auto group = session.group(r.account->GroupId))
            r.groupInstrument = group->instrument(r.item->InstrumentId);
    return r;
}

}  // namespace views
