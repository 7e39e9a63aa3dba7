#pragma once
// One row of the cancelled-orders answer ("getcancelledorders").
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace model {

class CancelledOrderHD {
public:
    static constexpr const char* kRequestName = "getcancelledorders";
    // Fields 0 to 17 are read.
    static constexpr std::size_t kFieldCount = 18;

    std::string CancelledOrderId;
    double CancelledQty = 0.0;
    std::string RefTicketId;
    std::string RefPendingOrderId;
    std::int32_t InstrumentId = 0;
    std::string AccountId;
    std::string CancelReasonId;
    std::string CancelDateTime;
    std::string ActionByUserId;
    bool IsBuy = false;
    std::int32_t DeliveryMode = 0;
    double OrderAsk = 0.0;
    double OrderBid = 0.0;
    double OrderHigh = 0.0;
    double OrderLow = 0.0;
    std::int32_t OrderTypeId = 0;
    double OrderPrice = 0.0;
    std::string OrderTime;

    // The record of one row; null when the row has too few fields.
    static std::shared_ptr<CancelledOrderHD> fromRow(std::string_view row);
};

}  // namespace model
