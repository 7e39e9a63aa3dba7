#pragma once
// Deposits, withdrawals, online payments and the account statement of a
// session: the pay-gate answers (94, 96, 98), the approval answers (694), the
// funds data-service answers and the statement (funds_statement.cpp).
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/account_statement_info.h"
#include "model/cancelled_order_hd.h"
#include "model/account_details.h"
#include "model/funds_records.h"
#include "model/search_info.h"

#include "protocol/message_base.h"
#include "state/dispatcher.h"
#include "state/ordered_dictionary.h"
#include "state/reference_data.h"
#include "state/request_builder.h"
#include "state/session_component.h"

namespace state {

struct PayGateUpdate;
class LoginTables;

class SessionServices;
class ReferenceData;
class OrderBook;

// Approval action types (tag 1035).
namespace approval {
inline constexpr std::int64_t Deposit = 801;
inline constexpr std::int64_t Withdrawal = 802;
// Status changes of a held request; 929 also carries new amounts.
inline constexpr std::int64_t StatusUpdate = 927;
inline constexpr std::int64_t StatusChange = 928;
inline constexpr std::int64_t AmountUpdate = 929;
inline constexpr std::int64_t ApprovedNotice = 930;
inline constexpr std::int64_t AccountNotice = 931;
}  // namespace approval

class Funds : public SessionComponent {
public:
    Funds(SessionServices& services, const ReferenceData& reference, const OrderBook& book)
        : services_(services), reference_(reference), book_(book) {}
    const char* componentName() const override { return "Funds"; }
    void registerHandlers(Dispatcher& table) override;

    // --- Pay-gate answers (funds_paygate.cpp, main thread) ----------------------
    // The master answer's record: the held one for a known request (`isAdded`
    // false), the new one once stored (`isAdded` true), or with an error the
    // new one unstored.
    virtual std::shared_ptr<model::PayGateTransaction> processPayGateTransMasterResponse(const MessageFields& fields,
                                                                                        bool* isAdded);
    // The transaction of the result record's request, created when not held;
    // null without one. `serverError` receives tag 1015.
    virtual std::shared_ptr<model::PayGateTransaction> processPayGateTransactionResponse(const MessageFields& fields,
                                                                                        std::int64_t* serverError);
    // The held transaction with its new status; null for an unknown request.
    virtual std::shared_ptr<model::PayGateTransaction> processPayGateStatusResponse(const MessageFields& fields);
    // Stores a transaction under its request id unless one is held: the held one
    // comes back and `record` is dropped. Null for no record or request id 0.
    std::shared_ptr<model::PayGateTransaction> addOrUpdatePayGateTransaction(
        std::shared_ptr<model::PayGateTransaction> record);
    // The result record of tag 1061 in the form of tag 1062; empty without one.
    static model::PackedPayGateTransaction getPackedPayGateTransaction(const MessageFields& fields);

    // --- Approval answers (funds_approvals.cpp, main thread) ----------------------
    virtual void createApprovalAction(std::int32_t actionType, const MessageFields& fields);
    // The held request of tag 1054; null when absent, 0 or unknown.
    std::shared_ptr<model::ApprovalReq> getApprovalRequest(const MessageFields& fields) const;
    // A new record from tag 1059.
    static std::shared_ptr<model::FinancialApproval> getFinancialApproval(const MessageFields& fields);
    // Loads tag 1059, when present, in the form of tag 1060 (0 when absent).
    static void updateFinancialApproval(model::FinancialApproval& approval, const MessageFields& fields);
    static std::shared_ptr<model::ApprovalReq> createNewApprovalRequest(const MessageFields& fields);
    // The status flags and refRequestId, each only when its tag is present.
    static void setApprovalStatus(model::ApprovalReq& request, const MessageFields& fields);

    // --- Deposit and withdrawal requests (funds_requests.cpp, main thread) --------
    // Mode 3 sends an online payment (93), any other a deposit approval (693).
    void sendDepositRequest(const model::NewDeposit& deposit);
    void sendWithdrawalRequest(const model::NewWithdrawal& withdrawal);
    // The request's own tags; nothing (logged) when a value cannot go on the wire.
    std::optional<RequestTags> createDepositApprovalRequest(const model::NewDeposit& deposit) const;
    std::optional<RequestTags> createDepositPayGateRequest(const model::NewDeposit& deposit) const;
    static std::shared_ptr<model::FinancialApproval> createFinancialApprovalForDeposit(const model::NewDeposit& deposit);
    static std::shared_ptr<model::FinancialApproval> createFinancialApprovalForWithdrawal(
        const model::NewWithdrawal& withdrawal);
    // The settings in the order they first arrived.
    std::vector<std::shared_ptr<model::PayGateSetting>> getAllPayGateSettings() const { return payGateSettings(); }

    // --- Data-service answers (funds_answers.cpp, main thread) ---------------
    const std::shared_ptr<model::BankDetails>& bankDetails() const { return bankDetails_; }
    // The number of the request whose answer last set or dropped bankDetails (0: none).
    std::uint64_t bankDetailsRequest() const { return bankDetailsRequest_; }
    // Approval request id -> request, and -> its financial details.
    const std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>>& approvalRequests() const { return approvalRequests_; }
    const std::map<std::uint64_t, std::shared_ptr<model::FinancialApproval>>& financialApprovals() const {
        return financialApprovals_;
    }
    // "%lu" of the pay-gate id -> setting; the first one received stays.
    const OrderedDictionary<std::shared_ptr<model::PayGateSetting>>& payGateSettingsCollection() const {
        return payGateSettingsCollection_;
    }
    // The pay gate settings in the order they arrived.
    std::vector<std::shared_ptr<model::PayGateSetting>> payGateSettings() const {
        std::vector<std::shared_ptr<model::PayGateSetting>> list;
        for (const auto& [id, setting] : payGateSettingsCollection_) list.push_back(setting);
        return list;
    }
    const std::vector<std::shared_ptr<model::FinancialTransactionDetails>>& FinancialTransactionCollection() const {
        return FinancialTransactionCollection_;
    }
    // "%lu" of the request id -> online payment.
    const OrderedDictionary<std::shared_ptr<model::PayGateTransaction>>& payGateTransactions() const {
        return payGateTransactions_;
    }
    const model::AccountStatementInfo& accountStatementInfo() const { return accountStatementInfo_; }

    // Emptied before the answer that refills them (no notification: the answer posts one).
    void beginFinancialTransactions();
    // Empties the list and tells its readers at once.
    void clearFinancialTransactions();
    void beginCancelledOrderHistory();

    // One answer row each.
    // `request`: the number of the request the row answers.
    void fillBankDetails(std::string_view row, std::uint64_t request = 0);
    void fillApprovalRequest(std::string_view row);
    void fillFinancialApproval(std::string_view row);
    void fillPayGateSettingsDetails(std::string_view row);
    void fillFinancialTransactionsData(std::string_view row);
    // A cancelled order of the statement period; rows of other accounts are ignored.
    void fillHistoryCancelledOrderCollection(const model::CancelledOrderHD& row);
    // Drops the held bank details and tells the windows; nothing when none are held.
    void clearBankDetails(std::uint64_t request = 0);
    // Refills the statement from the tables of the last XML parse, then tells the windows.
    void ParseAccountStatement();
    // The same from the rows of the answer read without an element tree.
    void ParseAccountStatement(const LoginTables& rows);
    // An answer that holds no statement (refused, empty, not XML, none in
    // time): the statement is emptied and marked failed, `why` logged, the
    // windows told.
    void statementFailed(const std::string& why);

    // --- Requests whose answers land here (1023, main thread) ---------------------
    void requestFinancialTransactions(const model::SearchInfo& search);
    void requestAccountStatement(const model::StatementQuery& query);
    void requestCancelledOrderHistoryForAccount(const model::StatementQuery& query);
    // The request's number; 0 when it was not sent.
    std::uint64_t requestBankDetails(const model::AccountDetails& account);
    void requestApprovalRequest();
    void requestFinancialApprovals();
    void requestGetAllPayGateSettings();

    // --- What the funds announce (main thread) --------------------------------------
    void payGateTransactionResponseNotification(std::shared_ptr<const PayGateUpdate> update);
    // Deposit and withdrawal details; the two approval banners. The figures
    // come from the request's financial details; a deposit's notice carries the request.
    void approvalNotificationForActionType(std::int64_t actionType, const std::shared_ptr<model::ApprovalReq>& request);
    void depositwithdrawalNotification();
    void accountStatementUpdateNotification();
    void bankDetailsReceivedNotification();

protected:
    SessionServices& services_;

private:
    // The statement's tables (funds_statement.cpp); a table hands each of its rows, in order, to the visitor.
    using RowVisitor = std::function<void(const TableRow&)>;
    using TableRows = std::function<void(const RowVisitor&)>;
    void fillStatement(const std::function<TableRows(const char* table)>& tableNamed);
    void ParseInstrumentsTable(const TableRows& table);
    void ParseClosePriceTable(const TableRows& table);
    void ParseAccountInfoTable(const TableRows& table);
    void ParseOpenPositionsTable(const TableRows& table);
    void ParsePendingOrdersTable(const TableRows& table);
    void ParseSettledPositionsTable(const TableRows& table);
    void ParseFinancialTransactionsTable(const TableRows& table);
    void parseMarginCallSummaryTable(const TableRows& table);
    void parseClientAddressTable(const TableRows& table);
    void parseOrganizationTable(const TableRows& table);
    // An 801 or 802 answer: a new request and its record, when they pass the checks.
    void registerApprovalRequest(std::int64_t actionType, const MessageFields& fields);
    // The held request of the answer with its new status; null when none is held.
    std::shared_ptr<model::ApprovalReq> updateApprovalStatus(const MessageFields& fields);
    // The code of the statement's instrument under the row's id, when the row names one.
    void lookUpItemCode(const TableRow& row, std::uint64_t instrumentId, model::Order& record) const;

    const ReferenceData& reference_;
    const OrderBook& book_;
    std::shared_ptr<model::BankDetails> bankDetails_;
    std::uint64_t bankDetailsRequest_ = 0;
    std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>> approvalRequests_;
    std::map<std::uint64_t, std::shared_ptr<model::FinancialApproval>> financialApprovals_;
    OrderedDictionary<std::shared_ptr<model::PayGateSetting>> payGateSettingsCollection_;
    std::vector<std::shared_ptr<model::FinancialTransactionDetails>> FinancialTransactionCollection_;
    OrderedDictionary<std::shared_ptr<model::PayGateTransaction>> payGateTransactions_;
    model::AccountStatementInfo accountStatementInfo_;
};

}  // namespace state
