#pragma once
// Deposits, withdrawals and online payments of a session: the pay-gate
// answers (94, 96, 98) and the approval answers (694). Filled in by the funds
// work; until then the handlers keep nothing.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "protocol/message_base.h"
#include "state/dispatcher.h"
#include "state/session_component.h"

namespace state {

class BusinessBase;

// Approval action types (tag 1035).
namespace approval {
inline constexpr std::int64_t Deposit = 801;
inline constexpr std::int64_t Withdrawal = 802;
inline constexpr std::int64_t ApprovedNotice = 930;
inline constexpr std::int64_t AccountNotice = 931;
}  // namespace approval

// One pay-gate transaction as the journal and the payment windows read it.
struct PayGateTransaction {
    std::uint64_t requestId = 0;
    std::int64_t transStatus = 0;
    std::optional<std::string> payTransactionId;
};

// The values of an approval request that its notices show.
struct ApprovalNotice {
    std::uint64_t approvalRequestId = 0;
    std::int64_t approvalSubType = 0;
    std::string requestedDateTime;  // "yyyyMMddHHmmss"
    std::string remarks;
    // Of the request's financial approval.
    std::uint64_t beneficiaryAccount = 0;
    std::uint64_t benefactorAccount = 0;
    std::uint64_t transferMode = 0;  // 1 TTCopy, 2 BankTransfer, 3 OnlinePayment
    std::string dateOfTransaction;   // "yyyyMMddHHmmss"
    double approvedAmount = 0;
    std::string bankName;
    std::string branch;
    std::string sourceBankAccount;
    std::string destinationBankAccount;
};

class Funds : public SessionComponent {
public:
    explicit Funds(BusinessBase& session) : session_(session) {}
    const char* componentName() const override { return "Funds"; }
    void registerHandlers(Dispatcher& table) override;

    // Null when the answer adds nothing; `isAdded` says whether a record is new.
    virtual std::shared_ptr<PayGateTransaction> processPayGateTransMasterResponse(const protocol::MessageBase&,
                                                                                 bool* /*isAdded*/) {
        return nullptr;
    }
    virtual std::shared_ptr<PayGateTransaction> processPayGateTransactionResponse(const protocol::MessageBase&,
                                                                                 std::int64_t* /*serverError*/) {
        return nullptr;
    }
    virtual std::shared_ptr<PayGateTransaction> processPayGateStatusResponse(const protocol::MessageBase&) {
        return nullptr;
    }
    virtual void createApprovalAction(std::int32_t /*actionType*/, const FieldList&) {}

protected:
    BusinessBase& session_;
};

}  // namespace state
