// The funds side of the data-service answers: bank details, approvals,
// pay-gate settings, the deposits and withdrawals list and the statement's
// cancelled orders.
#include <algorithm>
#include <cctype>

#include "model/history_row.h"
#include "model/text_value.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/funds.h"

namespace state {

namespace {

// A row whose request id is not a number would be held under request 0.
bool hasRequestId(const model::HistoryRow& row, const char* what) {
    const std::string_view id = row.field(0);
    if (!id.empty() && std::all_of(id.begin(), id.end(), [](unsigned char c) { return std::isdigit(c); }) &&
        row.unsignedInteger(0) != 0)
        return true;
    platform::Log::debug(std::string(what) + " row without a request id: skipped");
    return false;
}

}  // namespace

void Funds::fillBankDetails(std::string_view text, std::uint64_t request) {
    platform::assertMainThread();
    const model::HistoryRow row(text);
    auto details = std::make_shared<model::BankDetails>();
    details->BankAccountId = row.unsignedInteger(0);
    details->BankAccountNumber = row.unsignedInteger(1);
    details->BankBranchId = row.unsignedInteger(2);
    details->AccountName = row.text(3);
    details->CurrencyId = row.unsignedInteger(4);
    details->Remarks = row.text(5);
    details->BankName = row.text(6);
    bankDetails_ = std::move(details);
    bankDetailsRequest_ = request;
    bankDetailsReceivedNotification();
}

void Funds::clearBankDetails(std::uint64_t request) {
    bankDetailsRequest_ = request;
    if (!bankDetails_) return;
    bankDetails_.reset();
    bankDetailsReceivedNotification();
}

void Funds::fillApprovalRequest(std::string_view text) {
    const model::HistoryRow row(text);
    if (!hasRequestId(row, "Approval request")) return;
    auto r = std::make_shared<model::ApprovalReq>();
    r->approvalRequestId = row.unsignedInteger(0);
    r->approvalTypeId = row.unsignedInteger(1);
    r->approvalType = model::TextValue::longLongValue(row.field(1));
    r->isOpen = row.boolean(2);
    r->isRequestSentToCMS = row.boolean(3);
    r->isReadyToPost = row.boolean(4);
    r->requestedDateTime = row.text(5);
    r->refRequestId = row.unsignedInteger(6);
    r->requestedByUserId = row.unsignedInteger(7);
    r->remarks = row.text(8);
    r->approvalSubTypeId = row.unsignedInteger(9);
    r->approvalSubType = model::TextValue::longLongValue(row.field(9));
    approvalRequests_[r->approvalRequestId] = r;
}

void Funds::fillFinancialApproval(std::string_view text) {
    if (!hasRequestId(model::HistoryRow(text.substr(0, text.find(model::HistoryRow::kRowSeparator))), "Financial approval"))
        return;
    auto approval = std::make_shared<model::FinancialApproval>();
    approval->loadFromString(text, model::FinancialApproval::kFullForm);
    financialApprovals_[approval->approvalRequestId] = approval;
    const auto held = approvalRequests_.find(approval->approvalRequestId);
    if (held != approvalRequests_.end() && held->second) held->second->setInformation(approval);
}

void Funds::fillPayGateSettingsDetails(std::string_view text) {
    const model::HistoryRow row(text);
    auto setting = std::make_shared<model::PayGateSetting>();
    setting->payGateId = row.unsignedInteger(0);
    setting->name = row.text(1);
    setting->enabled = row.boolean(2);
    setting->systemWebURL = row.text(3);
    setting->lastUpdateTime = row.text(4);
    setting->currencyId = row.unsignedInteger(5);
    setting->organizationId = row.unsignedInteger(6);
    if (const auto* currency = reference_.tradeCurrencyCollection().find(std::to_string(setting->currencyId)))
        setting->currency = *currency;
    std::string key = std::to_string(setting->payGateId);
    if (!payGateSettingsCollection_.contains(key)) payGateSettingsCollection_.set(std::move(key), std::move(setting));
}

void Funds::beginFinancialTransactions() {
    platform::assertMainThread();
    FinancialTransactionCollection_.clear();
}

void Funds::clearFinancialTransactions() {
    beginFinancialTransactions();
    depositwithdrawalNotification();
}

void Funds::fillFinancialTransactionsData(std::string_view text) {
    if (auto details = model::FinancialTransactionDetails::fromMessage(text))
        FinancialTransactionCollection_.push_back(std::move(details));
}

void Funds::beginCancelledOrderHistory() {
    platform::assertMainThread();
    accountStatementInfo_.cancelledOrderInfo.clear();
}

void Funds::fillHistoryCancelledOrderCollection(const model::CancelledOrderHD& row) {
    if (auto order = book_.sessionCancelledOrder(row))
        accountStatementInfo_.cancelledOrderInfo.push_back(std::move(order));
}

}  // namespace state
