#pragma once
// One row of the account-history report.
#include <cstdint>
#include <string>

#include "model/account_details.h"

namespace model {

class AccountHistoryInfo : public AccountDetails {
public:
    std::uint64_t TAHId = 0;
    std::string TAHDate;
    std::string TAHEntryDateTime;
    bool TradingEnabled = false;
    bool Enabled = false;
    std::uint64_t OrganizationId = 0;
    double OpeningBalanceOfDay = 0.0;
    std::string Remarks;
    std::string InterestWaiveoffExpiryDate;
    std::uint64_t StorageWaiveoffDays = 0;
    std::uint64_t StorageWaiveOffModeId = 0;
    double UnrealisedCharges = 0.0;
    std::uint64_t AgentAccountId = 0;
    std::uint64_t CreditRating = 0;
    std::uint64_t TradingPatternId = 0;
};

}  // namespace model
