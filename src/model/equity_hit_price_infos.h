#pragma once
// One row of the equity-hit prices answer ("getequityhitpriceinfo").
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace model {

class EquityHitPriceInfos {
public:
    static constexpr const char* kRequestName = "getequityhitpriceinfo";
    // Fields 0 to 13 are read.
    static constexpr std::size_t kFieldCount = 14;

    std::int32_t EHOrderHistoryId = 0;
    std::int32_t RefEHMCId = 0;
    std::string PositionId;
    std::int32_t InstrumentId = 0;
    double OrderPrice = 0.0;
    double HitPrice = 0.0;
    std::string AccountId;
    double UnrealisedPL = 0.0;
    double UnrealisedCharges = 0.0;
    double AccumulatingStorage = 0.0;
    bool IsBuy = false;
    double PositionQty = 0.0;
    double CurrencyRate = 0.0;
    double ContractSize = 0.0;

    // The record of one row; null when the row has too few fields.
    static std::shared_ptr<EquityHitPriceInfos> fromRow(std::string_view row);
};

}  // namespace model
