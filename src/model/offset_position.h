#pragma once
// One opposite position in the window that offsets a position.
#include <cstdint>
#include <string>

namespace model {

class OffsetPosition {
public:
    std::string accountNo;
    std::string itemCode;
    std::string postionId;
    std::string closePrice;
    std::int32_t tradingMode = 0;
    double profitLoss = 0.0;
    std::string totalQty;
    std::string QtyAvailable;
    std::string offsetQty;
};

}  // namespace model
