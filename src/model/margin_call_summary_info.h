#pragma once
// Margin calls of one account in the statement ("Table7").
#include <cstdint>

namespace model {

class MarginCallSummaryInfo {
public:
    static constexpr const char* kTableName = "Table7";
    static constexpr const char* kAccountIdColumn = "AccountId";
    static constexpr const char* kMarginCallCountColumn = "MarginCallCount";

    std::uint64_t accountId = 0;
    std::uint64_t marginCallCount = 0;
};

}  // namespace model
