#include "trading/core/ticket_offers.h"

#include <array>

#include "model/group_details.h"
#include "model/item_details.h"

namespace trading {

namespace {
struct NamedType {
    const char* name;
    std::int32_t bit;
};
constexpr std::array<NamedType, 3> kOrderTypes{{{kMarket, kMarketBit}, {kLimit, kLimitBit}, {kStop, kStopBit}}};

bool tradableStatus(std::int32_t status) { return status != 2 && status != 4 && status != 5; }
bool tradableAccountType(std::int64_t type) { return type >= 1 && type <= 3; }
}  // namespace

std::shared_ptr<model::GroupInstruments> groupInstrument(const state::SessionView& session,
                                                         const model::AccountDetails& account,
                                                         const std::string& itemCode) {
    const auto item = session.instrument(itemCode);
    const auto group = session.group(account.GroupId);
    if (!item || !group) return nullptr;
    return group->instrument(item->InstrumentId);
}

std::vector<std::shared_ptr<model::AccountDetails>> accountsOffered(const state::SessionView& session,
                                                                    const std::string& itemCode) {
    std::vector<std::shared_ptr<model::AccountDetails>> offered;
    for (const auto& account : session.getAccountCollection()) {
        if (!account || !tradableStatus(account->tradingStatus) || !tradableAccountType(account->tradeAccountType))
            continue;
        const auto group = session.group(account->GroupId);
        if (!group || !group->TradingEnabled) continue;
        if (!groupInstrument(session, *account, itemCode)) continue;
        offered.push_back(account);
    }
    return offered;
}

std::vector<std::string> orderTypesOffered(std::int32_t accountTypes, std::int32_t itemTypes) {
    return orderTypesOffered(std::vector<std::int32_t>{accountTypes}, itemTypes);
}

std::vector<std::string> orderTypesOffered(const std::vector<std::int32_t>& accountTypes, std::int32_t itemTypes) {
    std::vector<std::string> names;
    for (const auto& type : kOrderTypes) {
        if (!(itemTypes & type.bit)) continue;
        for (const auto account : accountTypes)
            if (account & type.bit) {
                names.emplace_back(type.name);
                break;
            }
    }
    return names;
}

std::int32_t orderTypeValue(const std::string& name) {
    for (std::size_t i = 0; i < kOrderTypes.size(); ++i)
        if (name == kOrderTypes[i].name) return static_cast<std::int32_t>(i) + 1;
    return 0;
}

std::optional<std::int32_t> deliveryModeValue(const std::string& name) {
    if (name == "Regular") return 1;
    if (name == "IntraDay") return 2;
    if (name == "BTST") return 3;
    return std::nullopt;
}

std::optional<std::int32_t> timeinForceValue(const std::string& name) {
    if (name == "Day") return 5;
    if (name == "GTF") return 2;
    if (name == "GTC") return 1;
    return std::nullopt;
}

std::vector<std::string> timesInForce() { return {"Day", "GTF", "GTC"}; }

std::vector<std::string> validitiesOffered(const model::GroupInstruments* row) {
    std::vector<std::string> names;
    if (!row) return names;
    if (row->InitialMargin != 0) names.emplace_back("Regular");
    if (row->IntradayOrderMargin != 0) names.emplace_back("IntraDay");
    if (row->BTSTOrderMargin != 0) names.emplace_back("BTST");
    return names;
}

BracketOffer bracketsOffered(std::int32_t accountTypes, std::int32_t itemTypes) {
    const std::int32_t both = accountTypes & itemTypes;
    return {(both & kTakeProfitBit) != 0, (both & kStopLossBit) != 0};
}

SideOffer sidesOffered(std::int32_t orderSettings) {
    const bool buy = orderSettings & kBuySideBit;
    const bool sell = orderSettings & kSellSideBit;
    return {sell && !buy, buy && sell};
}

bool deviationShown(const std::string& orderTypeName, std::int64_t accountSettings) {
    return orderTypeName == kMarket && (accountSettings & kDeviationBit) != 0;
}

}  // namespace trading
