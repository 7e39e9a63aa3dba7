#include "model/account_details.h"

#include <array>

#include "model/group_details.h"
#include "model/order.h"
#include "model/text_value.h"

namespace model {

std::string AccountDetails::getAccountStatus(std::int32_t status) {
    switch (status) {
        case 1: return "Normal";
        case 2: return "View Only";
        case 3: return "Suspended";
        case 4: return "Close Position Only";
        case 5: return "Equity Hit";
        case 6: return "Closed";
        default: return "";
    }
}

std::string AccountDetails::getAccountType(std::uint64_t type) {
    static constexpr std::array<const char*, 14> kTypes = {
        "Unknown",       "Trade Client", "Clearing Member", "Market Maker",       "Introducing Broker",
        "Dealer",        "Chief Dealer", "Super Dealer",    "NonClearing Member", "Clearing House",
        "Admin",         "Agent",        "NonTrading",      "Error Account",
    };
    return type < kTypes.size() ? kTypes[type] : "";
}

std::string AccountDetails::getAccountAccessType(std::int32_t accessType) {
    switch (accessType) {
        case 0: return "Unknown";
        case 1: return "Trade";
        case 2: return "Close Only";
        case 3: return "View Trade";
        case 4: return "View Market";
        case 10: return "None";
        default: return "";
    }
}

void AccountDetails::calculateAccountDetails(const GroupDetails* group,
                                             const std::vector<std::shared_ptr<Order>>& openOrders,
                                             const CalcPL& calcPL, const CurrencyConversion& convert) {
    double sum = 0.0;
    for (const auto& p : openOrders) {
        if (!p || TextValue::intValue(p->AccountNumber) != AccountId) continue;
        if (calcPL) calcPL(*p);
        if (convert) p->UnrealisedPL = convert(p->UnrealisedPL, *p);
        sum += p->UnrealisedPL;
    }
    applyUnrealisedPL(group, sum);
}

void AccountDetails::applyUnrealisedPL(const GroupDetails* group, double unrealisedPL) {
    UnrealisedPL = unrealisedPL;
    const double profitShare = group ? group->LeverageOnFProfit : 0.0;
    const double lossShare = group ? group->RevLeverageOnFLoss : 0.0;
    Leverage = (UnrealisedPL >= 0.0 ? profitShare : lossShare) * UnrealisedPL / 100.0;
    if (tradingStatus != kStatusEquityHit) Equity = Balance + Leverage + AccumulatingStorage + CollateralSecurity;
    AvailableMargin = Equity - UsedMargin;
}

}  // namespace model
