#include "model/funds_records.h"

#include "model/history_row.h"
#include "model/text_value.h"

namespace model {

void FinancialApproval::loadFromString(std::string_view text, std::int64_t mode) {
    const HistoryRow row(text.substr(0, text.find(HistoryRow::kRowSeparator)));
    auto id = [&row](std::size_t i) { return TextValue::unsignedLongLongValue(row.field(i)); };
    const std::size_t n = row.size();
    if (n > 0) approvalRequestId = id(0);
    if (n > 1) approvalFinancialId = id(1);
    if (n > 2) beneficiaryAccount = id(2);
    if (n > 3) benefactorAccount = id(3);
    if (n > 4) requestedAmount = row.number(4);
    if (n > 5) approvedAmount = row.number(5);
    if (n > 6) financialTransactionTypeId = id(6);
    if (mode != kFullForm) return;
    if (n > 7) isCollateral = row.boolean(7);
    if (n > 8) transferMode = id(8);
    if (n > 9) dateOfTransaction = row.text(9);
    if (n > 10) bankName = row.text(10);
    if (n > 11) branch = row.text(11);
    if (n > 12) sourceBankAccount = row.text(12);
    if (n > 13) destinationBankAccount = row.text(13);
}

}  // namespace model
