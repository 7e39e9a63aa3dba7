#include "model/financial_enum.h"

namespace model {

std::string FinancialEnum::getFinancialTransferMode(std::int64_t mode) {
    switch (mode) {
        case kTTCopy: return "TTCopy";
        case kBankTransfer: return "BankTransfer";
        case kOnlinePayment: return "OnlinePayment";
        default: return "Unknown";
    }
}

std::int64_t FinancialEnum::getFinancialTransferModeValue(std::string_view name) {
    if (name == "TTCopy") return kTTCopy;
    if (name == "BankTransfer") return kBankTransfer;
    if (name == "OnlinePayment") return kOnlinePayment;
    return 0;
}

}  // namespace model
