#pragma once
// One user's access to one account.
#include <cstdint>
#include <string>

namespace model {

class UserAccountMaps {
public:
    std::uint64_t userId = 0;
    std::uint64_t accountId = 0;
    std::uint64_t accountAccessTypeId = 0;
    std::string userName;
};

}  // namespace model
