#pragma once
// The texts of the statement's summaries: the status lines of the open and
// settled positions, and the rows of the account, order and margin-call
// summaries. Built once per statement from the record alone; labels in the
// language of `text` at that moment. A failed statement has none of them
// (no line, no row): it is not a statement of zeros.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/account_statement_info.h"

namespace reports {

// The language's text of a key.
using KeyText = std::function<std::string(const std::string& key)>;

// Four items (open) or five (settled, the last "TDS : ..."), each
// "label : value" followed by five blanks. The quantity in its shortest
// plain form, money "%.2f" grouped.
std::string openStatusLine(const model::AccountStatementInfo& statement, const KeyText& text);
std::string settledStatusLine(const model::AccountStatementInfo& statement, const KeyText& text);

struct SummaryRow {
    std::string label;
    std::string value;
};

// Opening figures, the period's movements, the closing figures and the
// miscellaneous items; the daily and monthly TDS rows only when present. No
// rows without the start or the end figures.
std::vector<SummaryRow> accountSummaryRows(const model::AccountStatementInfo& statement, const KeyText& text);
// Settled, open, pending and cancelled quantity totals.
std::vector<SummaryRow> orderSummaryRows(const model::AccountStatementInfo& statement, const KeyText& text);
// The margin calls of the account; no row for account 0 (none resolved).
std::vector<SummaryRow> marginSummaryRows(const model::AccountStatementInfo& statement, std::int32_t accountId,
                                          const KeyText& text);

// A sum of quantities in its shortest plain form ("3.5", "10", never scientific).
std::string quantitySumText(double sum);
// "%.2f" grouped ("1,234.50"); "" for a value that is not a number.
std::string moneyText(double value);
// "%f" (six decimals), then its plain decimal form ("12.5", "3", "0").
std::string summaryQuantityText(double value);

}  // namespace reports
