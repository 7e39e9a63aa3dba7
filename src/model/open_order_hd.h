#pragma once
// One row of the open-positions answer ("getopenpositions").
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace model {

class OpenOrderHD {
public:
    static constexpr const char* kRequestName = "getopenpositions";
    // Fields 0 to 21 and 27 are read.
    static constexpr std::size_t kFieldCount = 28;

    std::string PositionId;
    std::string AccountId;
    std::int32_t InstrumentId = 0;
    bool IsBuy = false;
    std::string RefOrderTicketId;
    std::string RefPendingOrderId;
    std::string OrderExecutionId;
    double PositionInitialQty = 0.0;
    double PositionQty = 0.0;
    double OrderPrice = 0.0;
    double CommisionPaid = 0.0;
    std::string PositionDate;
    std::string ConfirmationModeId;
    std::string ConfirmedBy;
    double UnrealisedPL = 0.0;
    std::string TradeRouteId;
    std::string RoutePositionId;
    std::int32_t DeliveryMode = 0;
    std::int32_t OrderTypeId = 0;
    double Storage = 0.0;
    std::string ValueDate;
    std::string ExpiryDate;
    double BaseCurrencyRate = 0.0;

    // The record of one row; null when the row has too few fields.
    static std::shared_ptr<OpenOrderHD> fromRow(std::string_view row);
};

}  // namespace model
