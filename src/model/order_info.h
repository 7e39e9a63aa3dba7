#pragma once
// An order request as a trading window captures it, before validation.
#include <cstdint>
#include <optional>
#include <string>

#include "model/rgba_color.h"

namespace model {

class OrderInfo {
public:
    std::int32_t tradingMode = 0;
    std::int32_t orderType = 0;
    std::int32_t deliveryMode = 0;
    std::int32_t timeinForce = 0;
    // Edit of a pending order: 1 cancel, 2 modify.
    std::int32_t editorderReqType = 0;
    std::int32_t accountNo = 0;
    bool TakeProfitEnabled = false;
    bool StopLossEnabled = false;
    std::string itemCode;
    std::string quantity;
    std::string previousQuantity;
    std::string price;
    std::string limitPrice;
    std::string stopPrice;
    std::string orderNo;
    bool isCloseNew = false;
    bool isEWO = false;
    bool isEBO = false;
    std::string orderDetails;
    std::int32_t deviation = 0;
    std::string openPositionID;
    std::string pendingOrderID;
    std::optional<RGBAColor> statusColor;
    bool isCancelOrder = false;
};

}  // namespace model
