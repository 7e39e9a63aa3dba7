#pragma once
// The account statement the statement window shows; here only the cancelled
// orders of its period.
#include <memory>
#include <vector>

#include "model/order.h"

namespace model {

class AccountStatementInfo {
public:
    std::vector<std::shared_ptr<Order>> cancelledOrderInfo;
};

}  // namespace model
