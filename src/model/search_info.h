#pragma once
// The search criteria of a report or funds request, as the windows fill them.
#include <optional>
#include <string>

#include "model/formatter.h"

namespace model {

class SearchInfo {
public:
    std::optional<Date> FromDate;
    std::optional<Date> ToDate;
    std::optional<std::string> AccountNumber;
    std::optional<std::string> TransactionDetails;
};

// The account-statement window's query: one account over a date range.
class StatementQuery {
public:
    std::optional<std::string> AccountId;
    std::optional<Date> FromDate;
    std::optional<Date> ToDate;
};

}  // namespace model
