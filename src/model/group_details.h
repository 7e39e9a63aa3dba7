#pragma once
// The trading conditions of an account group, with its instruments.
#include <charconv>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/group_instrument_table.h"
#include "model/group_instruments.h"

namespace model {

class GroupDetails {
public:
    std::int32_t GroupId = 0;
    std::string Name;
    std::int32_t CompanyId = 0;
    bool TradingEnabled = false;
    bool IsNewsEnabled = false;
    bool IsMailEnabled = false;
    bool IsChatEnabled = false;
    bool IsEAEnabled = false;
    bool IsTrailingStopEnabled = false;
    std::int32_t InstrumentLimit = 0;
    std::int32_t WatchlistItemLimit = 0;
    double MaxOrderQty = 0.0;
    double OrderQtyStep = 0.0;
    double MarginCallLevel = 0.0;
    double StopOutLevel = 0.0;
    // Percent of a floating profit / loss that counts in equity.
    std::int32_t LeverageOnFProfit = 0;
    std::int32_t RevLeverageOnFLoss = 0;
    std::int32_t ReportHistoryDaysLimit = 0;
    bool SendMailReports = false;
    bool SendExecutionSMS = false;
    std::int32_t CreditRating = 0;
    // Instrument id as decimal text -> conditions of that instrument in the group.
    GroupInstrumentTable GroupInstrumentCollection;

    // The conditions of an instrument, or null when the group has none for it.
    std::shared_ptr<GroupInstruments> instrument(std::int32_t instrumentId) const {
        const auto it = findInstrument(instrumentId);
        return it == GroupInstrumentCollection.end() ? nullptr : it->second;
    }
    // The same without a new reference, for lookups that only read.
    const GroupInstruments* conditions(std::int32_t instrumentId) const {
        const auto it = findInstrument(instrumentId);
        return it == GroupInstrumentCollection.end() ? nullptr : it->second.get();
    }

private:
    GroupInstrumentTable::const_iterator findInstrument(std::int32_t instrumentId) const {
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, instrumentId).ptr;
        return GroupInstrumentCollection.find(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
};

}  // namespace model
