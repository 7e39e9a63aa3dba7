#pragma once
// Names of the financial transfer modes.
#include <cstdint>
#include <string>
#include <string_view>

namespace model {

class FinancialEnum {
public:
    static constexpr std::int64_t kTTCopy = 1;
    static constexpr std::int64_t kBankTransfer = 2;
    static constexpr std::int64_t kOnlinePayment = 3;

    // 1 "TTCopy", 2 "BankTransfer", 3 "OnlinePayment", otherwise "Unknown".
    static std::string getFinancialTransferMode(std::int64_t mode);
    // Exact, case-sensitive inverse for the three names; anything else 0.
    static std::int64_t getFinancialTransferModeValue(std::string_view name);
};

}  // namespace model
