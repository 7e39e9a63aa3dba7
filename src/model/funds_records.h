#pragma once
// The funds records the data-service answers fill: bank details, pay-gate
// settings, approval requests with their financial details, and the rows of
// the deposits and withdrawals list. Plain records: a new one holds 0, false
// and empty texts.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/trade_currency.h"

namespace model {

class BankDetails {
public:
    std::uint64_t BankAccountId = 0;
    std::uint64_t BankAccountNumber = 0;
    std::uint64_t BankBranchId = 0;
    std::uint64_t CurrencyId = 0;
    std::string AccountName;
    std::string Remarks;
    std::string BankName;
};

class PayGateSetting {
public:
    std::uint64_t payGateId = 0;
    std::uint64_t currencyId = 0;
    std::uint64_t organizationId = 0;
    std::string name;
    std::string systemWebURL;
    std::string lastUpdateTime;
    bool enabled = false;
    std::shared_ptr<TradeCurrency> currency;
};

class FinancialApproval {
public:
    static constexpr std::int64_t kFullForm = 0;

    std::uint64_t approvalRequestId = 0;
    std::uint64_t approvalFinancialId = 0;
    std::uint64_t beneficiaryAccount = 0;
    std::uint64_t benefactorAccount = 0;
    double requestedAmount = 0;
    double approvedAmount = 0;
    std::uint64_t financialTransactionTypeId = 0;
    bool isCollateral = false;
    std::uint64_t transferMode = 0;
    std::string dateOfTransaction;
    std::string bankName;
    std::string branch;
    std::string sourceBankAccount;
    std::string destinationBankAccount;

    // Reads the record's compact form up to the first 0x06: fields 0-6 always,
    // 7-13 in the full form (mode 0). Absent fields stay as they are.
    void loadFromString(std::string_view text, std::int64_t mode);
};

class ApprovalReq {
public:
    std::uint64_t approvalRequestId = 0;
    std::uint64_t approvalTypeId = 0;
    std::uint64_t approvalSubTypeId = 0;
    std::uint64_t refRequestId = 0;
    std::uint64_t requestedByUserId = 0;
    std::int64_t approvalType = 0;
    std::int64_t approvalSubType = 0;
    bool isOpen = false;
    bool isRequestSentToCMS = false;
    bool isReadyToPost = false;
    std::string requestedDateTime;
    std::string remarks;
    std::shared_ptr<FinancialApproval> information;

    void setInformation(std::shared_ptr<FinancialApproval> approval) { information = std::move(approval); }
};

// One row of the deposits and withdrawals list, kept as received until its
// fields are read.
class FinancialTransactionDetails {
public:
    std::string message;
};

}  // namespace model
