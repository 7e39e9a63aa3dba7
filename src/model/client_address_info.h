#pragma once
// The client's address of one account in the statement ("Table8").
#include <cstdint>
#include <string>

namespace model {

class ClientAddressInfo {
public:
    static constexpr const char* kTableName = "Table8";
    static constexpr const char* kAccountIdColumn = "AccountId";
    static constexpr const char* kClientIdColumn = "ClientId";
    static constexpr const char* kAddressColumn = "Address1";

    std::uint64_t accountId = 0;
    std::uint64_t clientId = 0;
    std::string address;
};

}  // namespace model
