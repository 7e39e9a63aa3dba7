#include "protocol/funds_record_text.h"

#include "protocol/wire_format.h"

namespace protocol {

namespace {
constexpr std::uint64_t kDeposit = 1;
constexpr std::uint64_t kWithdrawal = 2;

RecordWriter& account(RecordWriter& w, std::uint64_t id, bool absent) {
    return absent ? w.field(kNullValue) : w.field(static_cast<unsigned long long>(id));
}
RecordWriter& text(RecordWriter& w, const std::string& value) {
    return value.empty() ? w.field(kNullValue) : w.field(value);
}
}  // namespace

std::optional<std::string> financialApprovalText(const model::FinancialApproval& a, std::int64_t mode) {
    using ull = unsigned long long;
    RecordWriter w;
    w.field(static_cast<ull>(a.approvalRequestId)).column();
    w.field(static_cast<ull>(a.approvalFinancialId)).column();
    account(w, a.beneficiaryAccount, a.financialTransactionTypeId == kWithdrawal).column();
    account(w, a.benefactorAccount, a.financialTransactionTypeId == kDeposit).column();
    w.fixed2(a.requestedAmount).column();
    w.fixed2(a.approvedAmount).column();
    w.field(static_cast<ull>(a.financialTransactionTypeId));
    if (mode == model::FinancialApproval::kFullForm) {
        w.column().field(a.isCollateral ? 1 : 0).column();
        w.field(static_cast<ull>(a.transferMode)).column();
        text(w, a.dateOfTransaction).column();
        text(w, a.bankName).column();
        text(w, a.branch).column();
        text(w, a.sourceBankAccount).column();
        text(w, a.destinationBankAccount);
    }
    return w.row().value();
}

}  // namespace protocol
