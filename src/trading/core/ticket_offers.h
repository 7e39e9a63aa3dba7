#pragma once
// What the order ticket offers for an account and an instrument: accounts,
// order types, validities, times in force, brackets, sides and deviation.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/account_details.h"
#include "model/group_instruments.h"
#include "state/session_view.h"

namespace trading {

// Permission bits of `availableOrderTypes` (account and instrument).
inline constexpr std::int32_t kMarketBit = 0x01;
inline constexpr std::int32_t kTakeProfitBit = 0x02;
inline constexpr std::int32_t kStopLossBit = 0x04;
inline constexpr std::int32_t kLimitBit = 0x40;
inline constexpr std::int32_t kStopBit = 0x80;
// `availableOrderSettings` of the group instrument.
inline constexpr std::int32_t kBuySideBit = 0x01;
inline constexpr std::int32_t kSellSideBit = 0x02;
// `accountSettings`: deviation allowed.
inline constexpr std::int64_t kDeviationBit = 0x02;

inline constexpr const char* kMarket = "Market";
inline constexpr const char* kLimit = "Limit";
inline constexpr const char* kStop = "Stop";

// The group instrument of an account and an instrument, or null.
std::shared_ptr<model::GroupInstruments> groupInstrument(const state::SessionView& session,
                                                         const model::AccountDetails& account,
                                                         const std::string& itemCode);
// The visible accounts that may trade the instrument, in their order.
std::vector<std::shared_ptr<model::AccountDetails>> accountsOffered(const state::SessionView& session,
                                                                    const std::string& itemCode);

// Names in the order Market, Limit, Stop; both bit sets must allow each.
std::vector<std::string> orderTypesOffered(std::int32_t accountTypes, std::int32_t itemTypes);
// Several accounts: a type is offered when one account and the instrument allow it.
std::vector<std::string> orderTypesOffered(const std::vector<std::int32_t>& accountTypes, std::int32_t itemTypes);
// 1 Market, 2 Limit, 3 Stop; any other text 0.
std::int32_t orderTypeValue(const std::string& name);
// "Regular" 1, "IntraDay" 2, "BTST" 3; nullopt for another name.
std::optional<std::int32_t> deliveryModeValue(const std::string& name);
// "Day" 5, "GTF" 2, "GTC" 1; nullopt for another name.
std::optional<std::int32_t> timeinForceValue(const std::string& name);
std::vector<std::string> timesInForce();
// "Regular", "IntraDay", "BTST" for the margins that are not 0; none without a group instrument.
std::vector<std::string> validitiesOffered(const model::GroupInstruments* row);

// Take profit and stop loss with the multi-account drawer closed.
struct BracketOffer {
    bool takeProfit = false;
    bool stopLoss = false;
};
BracketOffer bracketsOffered(std::int32_t accountTypes, std::int32_t itemTypes);

// Advanced mode: the side chosen for the group instrument's settings and
// whether the bracket boxes stay enabled.
struct SideOffer {
    bool sell = false;
    bool bracketsEnabled = false;
};
SideOffer sidesOffered(std::int32_t orderSettings);

// The deviation box with the drawer closed: only for Market on an account with the bit.
bool deviationShown(const std::string& orderTypeName, std::int64_t accountSettings);

}  // namespace trading
