#include "state/funds.h"

#include "platform/log.h"
#include <cstdio>

#include "model/financial_enum.h"
#include "model/formatter.h"
#include "platform/notification_center.h"
#include "protocol/tags.h"
#include "state/reference_data.h"
#include "state/request_builder.h"
#include "state/session_notifications.h"
#include "state/session_services.h"
#include "state/journal_data.h"
#include "state/notification_payloads.h"

namespace state {

using protocol::MsgType;

void Funds::registerHandlers(Dispatcher& table) {
    namespace Log = platform::Log;
    const char* owner = componentName();
    table.add(MsgType::PayGateMasterResponse, owner, [this](const Dispatch& m) {
        Log::info("PayGateMasterResponse");
        bool added = false;
        auto record = processPayGateTransMasterResponse(m.fields, &added);
        if (record && added)
            payGateTransactionResponseNotification(
                std::make_shared<const PayGateUpdate>(PayGateUpdate::kMasterAdded, record));
    });
    table.add(MsgType::PayGateTransactionResponse, owner, [this](const Dispatch& m) {
        Log::info("PayGateTransactionResponse");
        std::int64_t error = 0;
        auto record = processPayGateTransactionResponse(m.fields, &error);
        if (!record) return;
        payGateTransactionResponseNotification(
            std::make_shared<const PayGateUpdate>(PayGateUpdate::kTransactionAnswer, record, error));
        services_.appendJournal(JournalData::getPaymentTransactionJournalData(
            error, record->requestId, record->transStatus, record->payTransactionId, services_.journalContext()));
    });
    table.add(MsgType::PayGateStatusResponse, owner, [this](const Dispatch& m) {
        Log::info("PayGateStatusResponse");
        auto record = processPayGateStatusResponse(m.fields);
        if (record)
            payGateTransactionResponseNotification(
                std::make_shared<const PayGateUpdate>(PayGateUpdate::kStatusAnswer, record));
    });
    table.add(MsgType::ApprovalResponse, owner, [this](const Dispatch& m) {
        Log::info("ApprovalResponse");
        createApprovalAction(m.fields.int32(protocol::tag::ActionType).value_or(0), m.fields);
    });
}

// ---------------------------------------------------------------------------
// Requests

namespace {
namespace tag = protocol::tag;

platform::NotificationCenter& center() { return platform::NotificationCenter::defaultCenter(); }

RequestTags statementTags(const model::StatementQuery& q) {
    return {{tag::AccountId, required(q.AccountId, "account")},
            {tag::FromDate, packedDate(q.FromDate, "from date")},
            {tag::ToDate, packedDate(q.ToDate, "to date")}};
}
}  // namespace

void Funds::requestApprovalRequest() {
    sendDataServiceRequest(services_, reference_, dskind::Plain, "getapprovalrequest");
}
void Funds::requestFinancialApprovals() {
    sendDataServiceRequest(services_, reference_, dskind::Plain, "getfinancialapprovals");
}
void Funds::requestGetAllPayGateSettings() {
    sendDataServiceRequest(services_, reference_, dskind::PayGateSettings, "paygategetsettings");
}

void Funds::requestFinancialTransactions(const model::SearchInfo& search) {
    sendDataServiceRequest(services_, reference_, dskind::FinancialTransactions, "getfinancialtransactions", [&] {
        return RequestTags{{tag::AccountId, required(search.AccountNumber, "account")},
                           {tag::FromDate, packedDate(search.FromDate, "from date")},
                           {tag::ToDate, packedDate(search.ToDate, "to date")},
                           {tag::TransactionDetails, required(search.TransactionDetails, "transaction details")}};
    });
}

void Funds::requestAccountStatement(const model::StatementQuery& query) {
    sendDataServiceRequest(services_, reference_, dskind::AccountStatement, "getdsaccountstatement",
                           [&] { return statementTags(query); });
}

void Funds::requestCancelledOrderHistoryForAccount(const model::StatementQuery& query) {
    sendDataServiceRequest(services_, reference_, dskind::CancelledOrderHistory, "getcancelledorders",
                           [&] { return statementTags(query); });
}

std::uint64_t Funds::requestBankDetails(const model::AccountDetails& account) {
    const std::uint64_t before = services_.lastQueuedRequest();
    sendDataServiceRequest(services_, reference_, dskind::BankDetails, "getbankaccounts", [&] {
        return RequestTags{{tag::AccountId, std::to_string(account.AccountId)}, {tag::DataServiceOption, "1"}};
    });
    const std::uint64_t after = services_.lastQueuedRequest();
    return after != before ? after : 0;
}

// ---------------------------------------------------------------------------
// Notifications

void Funds::payGateTransactionResponseNotification(std::shared_ptr<const PayGateUpdate> update) {
    // The record as this answer left it: a later answer may change the held one before delivery.
    if (update && update->data)
        update = std::make_shared<const PayGateUpdate>(
            update->state, std::make_shared<model::PayGateTransaction>(*update->data), update->error);
    services_.onMain([update] { center().post(notifications::kPayGateTransaction, update); });
}

void Funds::depositwithdrawalNotification() { services_.tableChanged(notifications::kDepositWithdrawalTable); }

void Funds::accountStatementUpdateNotification() {
    services_.onMain([] { center().post(notifications::kAccountStatement); });
}

void Funds::bankDetailsReceivedNotification() { center().post(notifications::kBankDetails); }

void Funds::approvalNotificationForActionType(std::int64_t k, const std::shared_ptr<model::ApprovalReq>& held) {
    if (!held) return;
    const model::ApprovalReq& request = *held;
    const model::FinancialApproval none;
    const model::FinancialApproval& money = request.information ? *request.information : none;
    auto text = [this](const char* key) { return services_.text(key); };
    auto line = [](const std::string& label, const std::string& value) { return label + '\x03' + value; };
    auto day = [](const std::string& wire) {
        return model::Formatter::formatDateandTimeFromString(wire, model::Formatter::kWireFormat,
                                                             model::Formatter::kDateFormat)
            .value_or("(null)");
    };
    auto amount = [](double v) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.2f", v);
        return std::string(buf);
    };
    if (k == approval::Deposit) {
        // The detail row "0714" shows how the deposit was made.
        std::vector<std::string> lines = {
            line(text("0725"), std::to_string(request.approvalRequestId)),
            line(text("0012"), std::to_string(money.beneficiaryAccount)),
            line(text("0726"), day(request.requestedDateTime)),
            line(text("0714"), model::FinancialEnum::getFinancialTransferMode(static_cast<std::int64_t>(money.transferMode))),
            line(text("0715"), day(money.dateOfTransaction)),
            line(text("0590"), amount(money.approvedAmount)),
            line(text("0624"), money.bankName),
            line(text("0716"), money.branch),
            line(text("0717"), money.sourceBankAccount),
            line(text("0718"), money.destinationBankAccount),
            line(text("0622"), request.remarks),
        };
        auto details = std::make_shared<const DepositRequestDetails>(std::move(lines), held);
        services_.onMain([details] { center().post(notifications::kDepositRequest, details); });
    } else if (k == approval::Withdrawal) {
        std::vector<std::string> lines = {
            line(text("0725"), std::to_string(request.approvalRequestId)),
            line(text("0012"), std::to_string(money.benefactorAccount)),
            line(text("0726"), day(request.requestedDateTime)),
            line(text("0590"), amount(money.approvedAmount)),
            line(text("0622"), request.remarks),
        };
        auto details = std::make_shared<const DetailLines>(std::move(lines));
        services_.onMain([details] { center().post(notifications::kWithdrawalRequest, details); });
    } else if (k == approval::ApprovedNotice || k == approval::AccountNotice) {
        const char* titleKey = nullptr;
        std::uint64_t account = 0;
        if (request.approvalSubType == 1) {
            titleKey = k == approval::ApprovedNotice ? "1181" : "1183";
            account = money.beneficiaryAccount;
        } else if (request.approvalSubType == 2) {
            titleKey = k == approval::ApprovedNotice ? "1182" : "1184";
            account = money.benefactorAccount;
        } else {
            return;  // no title or text for other sub-types
        }
        std::string title = text(titleKey);
        std::string message = text("0012") + " : " + std::to_string(account) + "\n" + text("0590") + " : " +
                              amount(money.approvedAmount);
        services_.onMain([this, title, message] {
            commonBanner(services_.ui(), message, title);
            services_.ui().showLocalNotification(title, message);
        });
    }
}

}  // namespace state
