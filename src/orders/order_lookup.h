#pragma once
// The records an order rule reads, looked up afresh at each call: account by
// the order's account number text, instrument by its code, group by the
// account's group id, group instrument by the instrument id as "%d". A missing
// link is null and every number read through it is 0.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/account_details.h"
#include "model/group_details.h"
#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/session_settings.h"
#include "state/reference_data.h"

namespace orders {

struct OrderRecords {
    const model::AccountDetails* account = nullptr;
    const model::ItemDetails* item = nullptr;
    const model::GroupDetails* group = nullptr;
    const model::GroupInstruments* groupInstrument = nullptr;
};

OrderRecords lookUp(const state::ReferenceData& data, const std::string& accountNumber, const std::string& itemCode);
const model::ItemDetails* findItem(const state::ReferenceData& data, const std::string& itemCode);
const model::SessionSettings* findSession(const state::ReferenceData& data, const model::ItemDetails* item);

// The leading number of a text; 0 when there is none.
double numberOf(std::string_view text);
// A number in its shortest decimal form: 10.0 gives "10", 2.1234567 stays "2.1234567".
std::string normalised(double value);
// The market price: Bid or Ask, each replaced by Last when exactly 0.
double marketBid(const model::ItemDetails* item);
double marketAsk(const model::ItemDetails* item);

}  // namespace orders
