#pragma once
// The trading conditions of one instrument in one account group.
#include <cstdint>

namespace model {

class GroupInstruments {
public:
    // margincalculationMode
    static constexpr std::int32_t kMarginPerLot = 1;
    static constexpr std::int32_t kMarginPercentage = 2;
    static constexpr std::int32_t kMarginNoMode = 926;

    // Laid out by size, without padding between fields.
    std::int32_t GroupId = 0;
    std::int32_t groupdetailsid = 0;
    std::int32_t InstrumentId = 0;
    std::int32_t MarginCalcModeId = 0;
    std::int32_t margincalculationMode = 0;
    std::int32_t SpreadTypeId = 0;
    std::int32_t SpreadBid = 0;
    std::int32_t SpreadAsk = 0;
    std::int32_t LimitMinPips = 0;
    std::int32_t StopMinPips = 0;
    std::int32_t PLCalcModeId = 0;
    std::int32_t AutoExecutionModeId = 0;
    std::int32_t availableOrderSettings = 0;
    bool AllowShortSelling = false;
    bool isAvailableForTrading = false;
    double MinOrderQty = 0.0;
    double MaxOrderQty = 0.0;
    double OrderQtyStep = 0.0;
    double InitialMargin = 0.0;
    double InitialSellMargin = 0.0;
    double IntradayOrderMargin = 0.0;
    double BTSTOrderMargin = 0.0;
    double LimitOrderMargin = 0.0;
    double LiquidationMargin = 0.0;
    double OverNightMargin = 0.0;
    double Commission = 0.0;
    double BuyInterestRate = 0.0;
    double SellInterestRate = 0.0;

    // The client's mode from the server's MarginCalcModeId: 1 and 2 kept, 0 -> 926, any other 0.
    static std::int32_t marginCalculationModeFor(std::int32_t marginCalcModeId) {
        switch (marginCalcModeId) {
            case 0: return kMarginNoMode;
            case kMarginPerLot: return kMarginPerLot;
            case kMarginPercentage: return kMarginPercentage;
            default: return 0;
        }
    }
};

}  // namespace model
