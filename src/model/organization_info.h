#pragma once
// The company's address of one account in the statement ("Table9").
#include <cstdint>
#include <string>

namespace model {

class OrganizationInfo {
public:
    static constexpr const char* kTableName = "Table9";
    static constexpr const char* kAccountIdColumn = "AccountId";
    static constexpr const char* kCompanyAddressColumn = "CompanyAddress";

    std::uint64_t accountId = 0;
    std::string companyAddress;
};

}  // namespace model
