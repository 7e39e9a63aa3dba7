#pragma once
// One row of the pending-orders answer ("getpendingorders").
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace model {

class PendingOrderHD {
public:
    static constexpr const char* kRequestName = "getpendingorders";
    // Fields 0 to 28 are read.
    static constexpr std::size_t kFieldCount = 29;

    std::string PendingOrderId;
    std::string RefTicketId;
    std::string AccountId;
    std::int32_t InstrumentId = 0;
    bool IsBuy = false;
    std::int32_t OrderTypeId = 0;
    double OrderQty = 0.0;
    double MinQty = 0.0;
    double DisclosedQty = 0.0;
    double RemainingQty = 0.0;
    double OrderPrice = 0.0;
    double LimitPrice = 0.0;
    double StopPrice = 0.0;
    double TralingStopPrice = 0.0;
    std::int32_t DeliveryModeId = 0;
    std::int32_t TimeInForceId = 0;
    std::string ExpiryDateTime;
    double OCOLLimitPrice = 0.0;
    double OCOLStopPrice = 0.0;
    double OCOSLimit = 0.0;
    double OCOSStop = 0.0;
    std::string Spread;
    std::string TradeRouteId;
    std::string RoutePendingOrderId;
    std::string OrderAtServerDateTime;
    std::string RefPositionIdOfBracket;
    double TouchQty = 0.0;
    double TouchPrice = 0.0;
    std::string TouchDateTime;

    // The record of one row; null when the row has too few fields.
    static std::shared_ptr<PendingOrderHD> fromRow(std::string_view row);
};

}  // namespace model
