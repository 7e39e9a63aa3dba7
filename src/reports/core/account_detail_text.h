#pragma once
// The account block of the printed statement: the addresses, account, name
// and period of the last request, never the request bar as it stands.
#include <cstdint>
#include <string>

#include "model/account_statement_info.h"
#include "model/formatter.h"
#include "reports/core/statement_summaries.h"

namespace reports {

// What the last press of Show asked for (the account and period labels).
struct StatementRequest {
    std::int32_t accountId = 0;  // 0 when the text named no account
    model::Date from{};
    model::Date to{};
};

// "\n\n<client address>\n\n<company address>\n\n<0012> : <id>\n\n<0239> :
// <name>\n\n<0436> : <from> - <to>\n\n", dates as "MM/dd/yyyy"; the addresses
// are the statement's for the request's account, empty for account 0.
std::string accountDetailString(const StatementRequest& request, const model::AccountStatementInfo& statement,
                                const std::string& accountName, const KeyText& text);

}  // namespace reports
