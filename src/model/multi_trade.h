#pragma once
// One account line of a multi-account order.
#include <memory>

namespace model {

class AccountDetails;

class MultiTrade {
public:
    double quantity = 0.0;
    std::shared_ptr<AccountDetails> accountDet;
};

}  // namespace model
