#pragma once
// A position's or order's row with the records it depends on: the instrument
// under its ItemCode, the account under its AccountNumber and the group's
// conditions for the instrument. Any of them may be missing.
#include <memory>
#include <vector>

#include "model/account_details.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/order.h"

namespace state {
class SessionView;
}

namespace views {

struct PositionRecords {
    std::shared_ptr<model::Order> order;
    std::shared_ptr<model::ItemDetails> item;
    std::shared_ptr<model::AccountDetails> account;
    std::shared_ptr<model::GroupInstruments> groupInstrument;
};

PositionRecords lookUpRecords(const state::SessionView& session, std::shared_ptr<model::Order> order);

}  // namespace views
