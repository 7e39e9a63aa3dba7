#pragma once
// The funds records: what the deposit and withdrawal windows ask for, bank
// details, pay-gate settings and transactions, approval requests with their
// financial details, and the rows of the deposits and withdrawals list.
// Plain records: a new one holds 0, false and empty texts.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "model/account_details.h"
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

// A deposit as the deposit window captures it; mode 3 is an online payment.
class NewDeposit {
public:
    std::uint64_t requestKey = 0;
    std::shared_ptr<AccountDetails> accountDetail;
    std::int64_t mode = 0;
    std::string depositDate;
    std::string bankName;
    std::string bankBranch;
    std::string sourceAccount;
    std::string depositedAccount;
    double amount = 0;
    double estimatedAmount = 0;
    std::string remarks;
    std::string email;
    std::shared_ptr<PayGateSetting> payGate;
};

class NewWithdrawal {
public:
    std::uint64_t requestKey = 0;
    std::shared_ptr<AccountDetails> accountDetail;
    double amount = 0;
    std::string remarks;
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
    std::int64_t state = 0;
    std::shared_ptr<FinancialApproval> information;
    std::uint64_t transMasterId = 0;

    void setInformation(std::shared_ptr<FinancialApproval> approval) { information = std::move(approval); }
};

// One online payment, filled by the pay-gate answers.
class PayGateTransaction {
public:
    std::uint64_t requestId = 0;
    std::uint64_t payGateId = 0;
    std::shared_ptr<PayGateSetting> payGate;
    std::uint64_t accountId = 0;
    double payRequestAmount = 0;
    std::string requestTime;
    std::int64_t status = 0;
    std::string email;
    std::string transactionKey;
    std::uint64_t clientSessionId = 0;
    std::string remarks;
    std::uint64_t requestedByUserId = 0;
    double amountInAccountCurrency = 0;
    std::string initiatedTime;
    std::string redirectedTime;
    std::string notifiedTime;
    std::int64_t apiStatus = 0;
    bool isClosed = false;
    std::uint64_t transactionId = 0;
    std::string payRequestId;
    std::string payTransactionId;
    std::string transactionDate;
    double payApprovedAmount = 0;
    std::uint64_t payStatus = 0;
    std::uint64_t resultCode = 0;
    std::string authCode;
    std::string currency;
    std::string resultDesc;
    std::string riskIndicator;
    std::string payMethod;
    std::string payMethodDetail;
    std::uint64_t approvalRequestId = 0;
    std::int64_t transStatus = 0;
};

// The gateway's result record as the transaction answer carries it.
class PackedPayGateTransaction {
public:
    static constexpr std::int64_t kSyncForm = 1;

    std::uint64_t transId = 0;
    std::uint64_t refRequestId = 0;
    std::string payRequestId;
    double payApprovedAmount = 0;
    std::string transactionDate;
    std::uint64_t payStatus = 0;
    std::uint64_t resultCode = 0;
    std::string authCode;
    std::string currency;
    std::string resultDesc;
    std::string payTransactionId;
    std::string riskIndicator;
    std::string payMethod;
    std::string payMethodDetail;
    std::uint64_t approvalRequestId = 0;
    std::uint64_t transStatus = 0;

    // Mode 1 reads the three-field synchronisation form, any other the full one.
    void loadFromString(std::string_view text, std::int64_t mode);
    // Both read up to the first 0x06; absent fields stay as they are.
    void loadAll(std::string_view text);
    void loadSync(std::string_view text);
};

// One posted financial transaction of an account (deposits and withdrawals list).
class FinancialTransactionDetails {
public:
    static constexpr std::size_t kFieldCount = 10;

    std::int64_t TransactionId = 0;
    std::string TransactionCode;
    std::int64_t AccountId = 0;
    std::int64_t SubTransactionId = 0;
    double CrAmount = 0;
    double DrAmount = 0;
    double BalAmountPostTransaction = 0;
    std::string SubTransactionCode;
    std::string Narration;
    std::string TransactionDate;  // "MM/dd/yyyy HH:mm:ss"
    // Statement rows only.
    std::int32_t TransactionType = 0;
    std::int32_t SubTransactionType = 0;

    // One answer row (fields at 0x05, the date in wire form); null for a row of
    // fewer than ten fields (logged).
    static std::shared_ptr<FinancialTransactionDetails> fromMessage(std::string_view row);
};

// A financial transaction of the account statement.
class FinancialTransactionHistoryInfo : public FinancialTransactionDetails {};

}  // namespace model
