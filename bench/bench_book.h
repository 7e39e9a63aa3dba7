#pragma once
// Reference data shared by the benchmarks of positions and accounts: one
// group and instruments "I0", "I1", ... with P/L modes 1 to 6.
#include <memory>
#include <string>

#include "model/group_details.h"
#include "model/item_details.h"
#include "state/business_base.h"

namespace bench {

// prefix followed by the number.
inline std::string text(const char* prefix, long n) {
    std::string out(prefix);
    out += std::to_string(n);
    return out;
}

// Adds the group and the instruments; returns the group's id.
inline std::string addGroupAndInstruments(state::BusinessBase& s, int instruments) {
    auto& ref = s.referenceData();
    auto group = std::make_shared<model::GroupDetails>();
    group->LeverageOnFProfit = 50;
    group->RevLeverageOnFLoss = 100;
    const std::string groupId = "1";
    ref.GroupDetailCollection.set(groupId, group);
    for (int i = 0; i < instruments; ++i) {
        auto item = std::make_shared<model::ItemDetails>();
        item->InstrumentId = i + 1;
        item->Code = text("I", i);
        item->PLCalcModeId = 1 + i % 6;
        item->ContractSize = 100;
        item->DecimalPlaces = 2;
        item->Point = 1;
        item->Bid = 10 + i * 0.01;
        item->Ask = item->Bid + 0.02;
        ref.ItemCollection.set(item->Code, item);
    }
    return groupId;
}

}  // namespace bench
