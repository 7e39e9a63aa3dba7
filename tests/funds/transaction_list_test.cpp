// The deposits and withdrawals list without Qt: the code a search sends and
// the texts of the table's cells.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "funds/core/transaction_list.h"
#include "model/funds_records.h"

namespace funds {
namespace {

TEST(TransactionListTest, SearchSendsTheCodeOfTheNamedEntry) {
    // Labels as a translation might give them: one holds ":", two are alike.
    const std::vector<std::string> labels = {"All",     "Deposits", "Withdrawals", "Other: deposits", "Other",  "Margin",
                                             "Waivers", "Adjust",   "Purchases",   "Transfers",       "Other"};
    struct Case {
        const char* text;
        int selected;
        std::optional<std::string> code;
    } cases[] = {
        {"", -1, "#DWR"},                 // empty box
        {"", 5, "#DWR"},                  // emptied after a choice
        {"Other: deposits", 3, "#ODE"},   // the fourth entry, its ":" kept in the label
        {"Other: deposits", -1, "#ODE"},  // typed, not chosen
        {"Other", 10, "#TRM"},            // the chosen of two alike
        {"Other", 1, "#CWI"},             // typed over another choice: the first so named
        {"Transfers", 9, "#TRD"},
        {"Other:", 3, std::nullopt},      // names no entry: nothing sent
        {"#DEP", -1, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(searchTransactionCode(c.text, c.selected, labels), c.code) << c.text << " @" << c.selected;
    // A list shorter than the codes never reads past it.
    EXPECT_EQ(searchTransactionCode("x", 4, {"x"}), "#DWR");
    EXPECT_EQ(searchTransactionCode("y", 4, {"x"}), std::nullopt);
}

TEST(TransactionListTest, AmountsAreGroupedWithTwoOrThreeDecimals) {
    const std::pair<double, const char*> cases[] = {
        {1234.5, "1,234.50"}, {2, "2.00"},           {0, "0.00"},   {-1500, "-1,500.00"},
        {0.125, "0.125"},     {1234567.891, "1,234,567.891"}, {NAN, ""}, {INFINITY, ""},
    };
    for (const auto& [amount, text] : cases) EXPECT_EQ(transactionAmount(amount), text) << amount;
}

TEST(TransactionListTest, CellsFollowTheColumns) {
    model::FinancialTransactionDetails d;
    d.AccountId = 1001;
    d.SubTransactionId = 2;
    d.SubTransactionCode = "BankTransfer";
    d.CrAmount = 0;
    d.DrAmount = 1500;
    d.BalAmountPostTransaction = 48500;
    d.Narration = "Withdrawal to bank";
    d.TransactionDate = "11/15/2026 10:30:00";
    const std::vector<std::string> cells = transactionCells(d);
    ASSERT_EQ(cells.size(), transactionColumns().size());
    EXPECT_EQ(cells, (std::vector<std::string>{"1001", "2", "BankTransfer", "0.00", "1,500.00", "48,500.00",
                                               "Withdrawal to bank", "11/15/2026 10:30:00"}));
}

}  // namespace
}  // namespace funds
