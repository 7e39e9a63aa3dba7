// Deposit, withdrawal and online-payment requests: session messages built in
// the shared outgoing message. A value that cannot go on the wire (a separator
// byte in a text, an amount that is not a number) sends nothing and is logged.
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/funds_record_text.h"
#include "protocol/msg_type.h"
#include "protocol/tag_map.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "state/funds.h"
#include "state/session_services.h"

namespace state {

namespace {

namespace tag = protocol::tag;
constexpr std::int64_t kApprovalType = 1063;
constexpr std::int64_t kRemarks = 535;
constexpr std::int64_t kRequestedByUser = 1040;
constexpr std::int64_t kApprovalRecordForm = 1060;
constexpr std::int64_t kPayGateId = 145;
constexpr std::int64_t kEmail = 1152;
constexpr std::int64_t kAmount = 1038;
constexpr std::int64_t kEstimatedAmount = 564;
constexpr std::int64_t kOnlinePayment = 3;
constexpr std::int64_t kDeposit = 1;
constexpr std::int64_t kWithdrawal = 2;

void refuse(const char* what, const std::string& why) {
    platform::Log::error(std::string(what) + " not sent: " + why);
}

// An empty text goes as "(null)", as the builder writes a tag it is not given.
void addText(RequestTags& tags, std::int64_t t, const std::string& text) {
    if (!text.empty()) tags.emplace_back(t, text);
}

std::uint64_t accountOf(const std::shared_ptr<model::AccountDetails>& account) {
    return account && account->AccountId > 0 ? static_cast<std::uint64_t>(account->AccountId) : 0;
}

// The approval request's own tags: type, action and the record in full form.
std::optional<RequestTags> approvalTags(std::int64_t action, const model::FinancialApproval& record, const char* what) {
    const auto text = protocol::financialApprovalText(record, model::FinancialApproval::kFullForm);
    if (!text) {
        refuse(what, "a text of the approval record holds a separator byte");
        return std::nullopt;
    }
    RequestTags tags = {{kApprovalType, "1"}, {tag::ActionType, std::to_string(action)}, {tag::ApprovalRecord, *text},
                        {kApprovalRecordForm, "0"}};
    return tags;
}

}  // namespace

std::shared_ptr<model::FinancialApproval> Funds::createFinancialApprovalForDeposit(const model::NewDeposit& d) {
    auto a = std::make_shared<model::FinancialApproval>();
    a->financialTransactionTypeId = kDeposit;
    a->beneficiaryAccount = accountOf(d.accountDetail);
    a->requestedAmount = d.amount;
    a->isCollateral = false;
    a->transferMode = d.mode > 0 ? static_cast<std::uint64_t>(d.mode) : 0;
    a->dateOfTransaction = d.depositDate;
    a->bankName = d.bankName;
    a->branch = d.bankBranch;
    a->sourceBankAccount = d.sourceAccount;
    a->destinationBankAccount = d.depositedAccount;
    return a;
}

std::shared_ptr<model::FinancialApproval> Funds::createFinancialApprovalForWithdrawal(const model::NewWithdrawal& w) {
    auto a = std::make_shared<model::FinancialApproval>();
    a->financialTransactionTypeId = kWithdrawal;
    a->benefactorAccount = accountOf(w.accountDetail);
    a->requestedAmount = w.amount;
    return a;
}

std::optional<RequestTags> Funds::createDepositApprovalRequest(const model::NewDeposit& deposit) const {
    return approvalTags(approval::Deposit, *createFinancialApprovalForDeposit(deposit), "Deposit request");
}

std::optional<RequestTags> Funds::createDepositPayGateRequest(const model::NewDeposit& d) const {
    const auto amount = protocol::formatDecimal(d.amount);
    const auto estimated = protocol::formatDecimal(d.estimatedAmount);
    if (!amount || !estimated) {
        refuse("Online payment request", "an amount is not a finite number");
        return std::nullopt;
    }
    RequestTags tags;
    if (d.payGate) tags.emplace_back(kPayGateId, std::to_string(d.payGate->payGateId));
    addText(tags, kEmail, d.email);
    tags.emplace_back(tag::AccountId, std::to_string(accountOf(d.accountDetail)));
    tags.emplace_back(kAmount, *amount);
    tags.emplace_back(kEstimatedAmount, *estimated);
    return tags;
}

void Funds::sendDepositRequest(const model::NewDeposit& deposit) {
    platform::assertMainThread();
    const bool online = deposit.mode == kOnlinePayment;
    const char* what = online ? "Online payment request" : "Deposit request";  // not keyed: logged
    if (!hasUser(reference_, what)) return;
    auto tags = online ? createDepositPayGateRequest(deposit) : createDepositApprovalRequest(deposit);
    if (!tags) return;
    addText(*tags, kRemarks, deposit.remarks);
    tags->emplace_back(tag::RequestId, std::to_string(services_.nextRequestId()));
    tags->emplace_back(kRequestedByUser, std::to_string(reference_.userInfo()->UserId));
    sendRequest(services_, online ? protocol::MsgType::PayGateMasterRequest : protocol::MsgType::ApprovalRequest,
                std::nullopt, *tags, what);
}

void Funds::sendWithdrawalRequest(const model::NewWithdrawal& withdrawal) {
    platform::assertMainThread();
    const char* what = "Withdrawal request";  // not keyed: logged
    if (!hasUser(reference_, what)) return;
    auto tags = approvalTags(approval::Withdrawal, *createFinancialApprovalForWithdrawal(withdrawal), what);
    if (!tags) return;
    addText(*tags, kRemarks, withdrawal.remarks);
    tags->emplace_back(tag::RequestId, std::to_string(services_.nextRequestId()));
    tags->emplace_back(kRequestedByUser, std::to_string(reference_.userInfo()->UserId));
    sendRequest(services_, protocol::MsgType::ApprovalRequest, std::nullopt, *tags, what);
}

}  // namespace state
