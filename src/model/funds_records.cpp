#include "model/funds_records.h"

#include "model/formatter.h"
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

namespace model {

namespace {
std::string_view firstRecord(std::string_view text) { return text.substr(0, text.find(HistoryRow::kRowSeparator)); }
}  // namespace

void PackedPayGateTransaction::loadFromString(std::string_view text, std::int64_t mode) {
    if (mode == kSyncForm)
        loadSync(text);
    else
        loadAll(text);
}

void PackedPayGateTransaction::loadAll(std::string_view text) {
    const HistoryRow row(firstRecord(text));
    const std::size_t n = row.size();
    if (n > 0) transId = row.unsignedInteger(0);
    if (n > 1) refRequestId = row.unsignedInteger(1);
    if (n > 2) payRequestId = row.text(2);
    if (n > 3) payApprovedAmount = row.number(3);
    if (n > 4) transactionDate = row.text(4);
    if (n > 5) payStatus = row.unsignedInteger(5);
    if (n > 6) resultCode = row.unsignedInteger(6);
    if (n > 7) authCode = row.text(7);
    if (n > 8) currency = row.text(8);
    if (n > 9) resultDesc = row.text(9);
    if (n > 10) payTransactionId = row.text(10);
    if (n > 11) riskIndicator = row.text(11);
    if (n > 12) payMethod = row.text(12);
    if (n > 13) payMethodDetail = row.text(13);
    if (n > 14) approvalRequestId = row.unsignedInteger(14);
    if (n > 15) transStatus = row.unsignedInteger(15);
}

void PackedPayGateTransaction::loadSync(std::string_view text) {
    const HistoryRow row(firstRecord(text));
    const std::size_t n = row.size();
    if (n > 0) refRequestId = row.unsignedInteger(0);
    if (n > 1) payTransactionId = row.text(1);
    if (n > 2) payApprovedAmount = row.number(2);
}

std::shared_ptr<FinancialTransactionDetails> FinancialTransactionDetails::fromMessage(std::string_view text) {
    const HistoryRow row(text);
    if (row.size() < kFieldCount) {
        HistoryRow::logShortRow("FinancialTransactionDetails", row.size(), kFieldCount);
        return nullptr;
    }
    auto r = std::make_shared<FinancialTransactionDetails>();
    r->TransactionId = TextValue::longLongValue(row.field(0));
    r->TransactionCode = row.text(1);
    r->AccountId = TextValue::longLongValue(row.field(2));
    r->SubTransactionId = TextValue::longLongValue(row.field(3));
    r->CrAmount = row.number(4);
    r->DrAmount = row.number(5);
    r->BalAmountPostTransaction = row.number(6);
    r->SubTransactionCode = row.text(7);
    r->Narration = row.text(8);
    // A date that is not in wire form is kept as received.
    r->TransactionDate = Formatter::formatDateandTimeFromString(row.text(9), Formatter::kWireFormat,
                                                                Formatter::kDisplayFormat)
                             .value_or(row.text(9));
    return r;
}

}  // namespace model
