#pragma once
// Deposits, withdrawals, online payments and the account statement of a
// session: the pay-gate answers (94, 96, 98), the approval answers (694), the
// funds data-service answers and the statement (funds_statement.cpp).
#include <cstdint>
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
#include "state/session_component.h"

namespace state {

struct PayGateUpdate;

class SessionServices;
class ReferenceData;
class OrderBook;

// Approval action types (tag 1035).
namespace approval {
inline constexpr std::int64_t Deposit = 801;
inline constexpr std::int64_t Withdrawal = 802;
inline constexpr std::int64_t ApprovedNotice = 930;
inline constexpr std::int64_t AccountNotice = 931;
}  // namespace approval

class Funds : public SessionComponent {
public:
    Funds(SessionServices& services, const ReferenceData& reference, const OrderBook& book)
        : services_(services), reference_(reference), book_(book) {}
    const char* componentName() const override { return "Funds"; }
    void registerHandlers(Dispatcher& table) override;

    // Null when the answer adds nothing; `isAdded` says whether a record is new.
    virtual std::shared_ptr<model::PayGateTransaction> processPayGateTransMasterResponse(const MessageFields&,
                                                                                        bool* /*isAdded*/) {
        return nullptr;
    }
    virtual std::shared_ptr<model::PayGateTransaction> processPayGateTransactionResponse(
        const MessageFields&, std::int64_t* /*serverError*/) {
        return nullptr;
    }
    virtual std::shared_ptr<model::PayGateTransaction> processPayGateStatusResponse(const MessageFields&) {
        return nullptr;
    }
    virtual void createApprovalAction(std::int32_t /*actionType*/, const MessageFields&) {}

    // --- Data-service answers (funds_answers.cpp, main thread) ---------------
    const std::shared_ptr<model::BankDetails>& bankDetails() const { return bankDetails_; }
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

    // Emptied before the answer that refills them.
    void clearFinancialTransactions();
    void beginCancelledOrderHistory();

    // One answer row each.
    void fillBankDetails(std::string_view row);
    void fillApprovalRequest(std::string_view row);
    void fillFinancialApproval(std::string_view row);
    void fillPayGateSettingsDetails(std::string_view row);
    void fillFinancialTransactionsData(std::string_view row);
    // A cancelled order of the statement period; rows of other accounts are ignored.
    void fillHistoryCancelledOrderCollection(const model::CancelledOrderHD& row);
    // Drops the held bank details and tells the windows; nothing when none are held.
    void clearBankDetails();
    // Refills the statement from the tables of the last XML parse, then tells the windows.
    void ParseAccountStatement();

    // --- Requests whose answers land here (1023, main thread) ---------------------
    void requestFinancialTransactions(const model::SearchInfo& search);
    void requestAccountStatement(const model::StatementQuery& query);
    void requestCancelledOrderHistoryForAccount(const model::StatementQuery& query);
    void requestBankDetails(const model::AccountDetails& account);
    void requestApprovalRequest();
    void requestFinancialApprovals();
    void requestGetAllPayGateSettings();

    // --- What the funds announce (main thread) --------------------------------------
    void payGateTransactionResponseNotification(std::shared_ptr<const PayGateUpdate> update);
    // Deposit and withdrawal details; the two approval banners. The figures
    // come from the request's financial details.
    void approvalNotificationForActionType(std::int64_t actionType, const model::ApprovalReq& request);
    void depositwithdrawalNotification();
    void accountStatementUpdateNotification();
    void bankDetailsReceivedNotification();

protected:
    SessionServices& services_;

private:
    // The statement's tables (funds_statement.cpp).
    void ParseInstrumentsTable(const XmlTable& table);
    void ParseClosePriceTable(const XmlTable& table);
    void ParseAccountInfoTable(const XmlTable& table);
    void ParseOpenPositionsTable(const XmlTable& table);
    void ParsePendingOrdersTable(const XmlTable& table);
    void ParseSettledPositionsTable(const XmlTable& table);
    void ParseFinancialTransactionsTable(const XmlTable& table);
    void parseMarginCallSummaryTable(const XmlTable& table);
    void parseClientAddressTable(const XmlTable& table);
    void parseOrganizationTable(const XmlTable& table);
    // The code of the statement's instrument under the row's id, when the row names one.
    void lookUpItemCode(const TableRow& row, std::uint64_t instrumentId, model::Order& record) const;

    const ReferenceData& reference_;
    const OrderBook& book_;
    std::shared_ptr<model::BankDetails> bankDetails_;
    std::map<std::uint64_t, std::shared_ptr<model::ApprovalReq>> approvalRequests_;
    std::map<std::uint64_t, std::shared_ptr<model::FinancialApproval>> financialApprovals_;
    OrderedDictionary<std::shared_ptr<model::PayGateSetting>> payGateSettingsCollection_;
    std::vector<std::shared_ptr<model::FinancialTransactionDetails>> FinancialTransactionCollection_;
    OrderedDictionary<std::shared_ptr<model::PayGateTransaction>> payGateTransactions_;
    model::AccountStatementInfo accountStatementInfo_;
};

}  // namespace state
