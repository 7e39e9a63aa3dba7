#pragma once
// The deposits and withdrawals list without Qt: its transaction codes, kept as
// label key and code pairs, the code a search sends, and the table's cells.
#include <optional>
#include <string>
#include <vector>

namespace model {
class FinancialTransactionDetails;
}

namespace funds {

struct TransactionCode {
    std::string labelKey;  // language key of the text the list shows
    std::string code;      // what the request carries
};

// The code list in list order; the first entry also stands for "no code".
const std::vector<TransactionCode>& transactionCodes();

// The code a search sends for the code box's `text` with `selected` the box's
// index and `labels` the list's texts: "#DWR" for an empty text, the selected
// entry's code when its label is the text, else the first entry labelled so;
// nothing for a text that names no entry.
std::optional<std::string> searchTransactionCode(const std::string& text, int selected,
                                                 const std::vector<std::string>& labels);

// The table's column identifiers, which are also the keys of their titles.
const std::vector<std::string>& transactionColumns();
// True for the amount columns (right-aligned).
bool isAmountColumn(std::size_t column);

// The shortest decimal text of the amount, grouped with two or three decimals ("1,234.50").
std::string transactionAmount(double amount);
// One text per column of transactionColumns.
std::vector<std::string> transactionCells(const model::FinancialTransactionDetails& details);

}  // namespace funds
