#pragma once
// One row of the settled-positions answer ("getsettledpositions").
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace model {

class SettledOrderHD {
public:
    static constexpr const char* kRequestName = "getsettledpositions";
    // Fields 0 to 17 are read; field 19 when the row has it.
    static constexpr std::size_t kFieldCount = 18;
    static constexpr std::size_t kFieldCountWithRate = 20;

    std::string SettlementId;
    std::string AccountId;
    std::int32_t InstrumentId = 0;
    std::string RefPositionId;
    std::string RefClosingPositionId;
    double SettledQty = 0.0;
    double SettledPL = 0.0;
    std::string SettlementDate;
    double CurrencyRate = 0.0;
    double Storage = 0.0;
    double CommisionPaid = 0.0;
    double OtherCharges = 0.0;
    bool IsBuy = false;
    std::string OpenPrice;
    std::string ClosePrice;
    std::string OpenPositionDate;
    std::string ClosePositionDate;
    std::int32_t DeliveryModeId = 0;
    double accountCurrencyRate = 0.0;

    // The record of one row; null when the row has too few fields.
    static std::shared_ptr<SettledOrderHD> fromRow(std::string_view row);
};

}  // namespace model
