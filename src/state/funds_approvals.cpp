// The approval answer (694): deposit and withdrawal requests registered by the
// back office (801, 802), and later changes of a held request (927 to 931).
#include <algorithm>
#include <cctype>

#include "model/history_row.h"
#include "model/text_value.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "state/funds.h"

namespace state {

namespace {

namespace tag = protocol::tag;
constexpr std::int64_t kRequest = 1054;
constexpr std::int64_t kOpen = 1055;
constexpr std::int64_t kSentToCMS = 1056;
constexpr std::int64_t kReadyToPost = 1057;
constexpr std::int64_t kRequestTime = 1058;
constexpr std::int64_t kRecordForm = 1060;
constexpr std::int64_t kApprovalType = 1063;
constexpr std::int64_t kRefRequest = 1064;
constexpr std::int64_t kRequestedByUser = 1040;
constexpr std::int64_t kRemarks = 535;
constexpr std::int64_t kTransMaster = 147;

std::int64_t integer(std::string_view text) { return model::TextValue::longLongValue(text); }
std::uint64_t whole(std::string_view text) { return model::TextValue::unsignedLongLongValue(text); }

bool digits(std::string_view t) {
    return !t.empty() && std::all_of(t.begin(), t.end(), [](unsigned char c) { return std::isdigit(c); });
}
bool decimal(std::string_view t) {
    if (!t.empty() && t.front() == '-') t.remove_prefix(1);
    const auto point = t.find('.');
    return point == std::string_view::npos ? digits(t)
                                           : digits(t.substr(0, point)) && (point + 1 == t.size() || digits(t.substr(point + 1)));
}

// A record too short for its form, or with other text in a number field, would
// put its fields in the wrong places.
bool wellFormedApproval(std::string_view text, std::int64_t mode) {
    const model::HistoryRow row(text.substr(0, text.find(model::HistoryRow::kRowSeparator)));
    const bool full = mode == model::FinancialApproval::kFullForm;
    if (row.size() < (full ? 14u : 7u)) return false;
    auto account = [&row](std::size_t i) { return digits(row.field(i)) || row.field(i) == "(null)"; };
    return digits(row.field(0)) && digits(row.field(1)) && account(2) && account(3) && decimal(row.field(4)) &&
           decimal(row.field(5)) && digits(row.field(6)) && (!full || (digits(row.field(7)) && digits(row.field(8))));
}

// The request id a record names (its first field).
std::uint64_t recordRequest(std::string_view text) {
    return whole(model::HistoryRow(text.substr(0, text.find(model::HistoryRow::kRowSeparator))).field(0));
}

}  // namespace

std::shared_ptr<model::ApprovalReq> Funds::getApprovalRequest(const MessageFields& f) const {
    const auto id = f.find(kRequest);
    if (!id || whole(*id) == 0) return nullptr;
    const auto held = approvalRequests_.find(whole(*id));
    return held == approvalRequests_.end() ? nullptr : held->second;
}

std::shared_ptr<model::FinancialApproval> Funds::getFinancialApproval(const MessageFields& f) {
    auto approval = std::make_shared<model::FinancialApproval>();
    updateFinancialApproval(*approval, f);
    return approval;
}

void Funds::updateFinancialApproval(model::FinancialApproval& approval, const MessageFields& f) {
    const auto record = f.find(tag::ApprovalRecord);
    if (!record) return;
    approval.loadFromString(*record, integer(f.find(kRecordForm).value_or("0")));
}

std::shared_ptr<model::ApprovalReq> Funds::createNewApprovalRequest(const MessageFields& f) {
    auto r = std::make_shared<model::ApprovalReq>();
    if (const auto v = f.find(kRequest)) r->approvalRequestId = whole(*v);
    if (const auto v = f.find(kApprovalType)) r->approvalType = integer(*v);
    if (const auto v = f.find(kRequestedByUser)) r->requestedByUserId = whole(*v);
    if (const auto v = f.find(kRequestTime)) r->requestedDateTime = std::string(*v);
    // A request sent without a remark comes back with the wire's "(null)": no remark.
    if (const auto v = f.find(kRemarks); v && *v != protocol::kNullValue) r->remarks = std::string(*v);
    if (const auto v = f.find(kTransMaster)) r->transMasterId = whole(*v);
    return r;
}

void Funds::setApprovalStatus(model::ApprovalReq& r, const MessageFields& f) {
    if (const auto v = f.find(kOpen)) r.isOpen = model::TextValue::boolValue(*v);
    if (const auto v = f.find(kReadyToPost)) r.isReadyToPost = model::TextValue::boolValue(*v);
    if (const auto v = f.find(kSentToCMS)) r.isRequestSentToCMS = model::TextValue::boolValue(*v);
    if (const auto v = f.find(kRefRequest)) r.refRequestId = whole(*v);
}

std::shared_ptr<model::ApprovalReq> Funds::updateApprovalStatus(const MessageFields& f) {
    auto held = getApprovalRequest(f);
    if (!held) {
        platform::Log::debug("Approval answer for a request that is not held: ignored");
        return nullptr;
    }
    setApprovalStatus(*held, f);
    return held;
}

void Funds::registerApprovalRequest(std::int64_t action, const MessageFields& f) {
    const std::uint64_t id = whole(f.find(kRequest).value_or("0"));
    const auto record = getFinancialApproval(f);
    const bool deposit = action == approval::Deposit;
    const std::uint64_t account = deposit ? record->beneficiaryAccount : record->benefactorAccount;
    if (id == 0 || record->approvalRequestId != id || account == 0 || approvalRequests_.count(id)) {
        platform::Log::debug("Approval answer " + std::to_string(action) + " for request " + std::to_string(id) +
                             " does not pass its checks: ignored");
        return;
    }
    auto request = createNewApprovalRequest(f);
    request->approvalSubType = deposit ? 1 : 2;
    request->information = record;
    setApprovalStatus(*request, f);
    approvalRequests_[id] = request;
    financialApprovals_[id] = record;
    // An online payment's deposit is reported by the payment's own answers.
    if (!deposit || request->transMasterId == 0) approvalNotificationForActionType(action, request);
}

void Funds::createApprovalAction(std::int32_t action, const MessageFields& f) {
    platform::assertMainThread();
    if (const auto record = f.find(tag::ApprovalRecord);
        record && !wellFormedApproval(*record, integer(f.find(kRecordForm).value_or("0")))) {
        platform::Log::debug("Approval answer " + std::to_string(action) + " with a malformed record: ignored");
        return;
    }
    // A record of another request would be filed under this one.
    if (const auto record = f.find(tag::ApprovalRecord);
        record && recordRequest(*record) != whole(f.find(kRequest).value_or("0"))) {
        platform::Log::debug("Approval answer " + std::to_string(action) + " with a record of another request: ignored");
        return;
    }
    switch (action) {
    case approval::Deposit:
    case approval::Withdrawal:
        registerApprovalRequest(action, f);
        return;
    case approval::StatusUpdate:
    case approval::StatusChange:
        updateApprovalStatus(f);
        return;
    case approval::AmountUpdate: {
        const auto held = updateApprovalStatus(f);
        if (!held || !held->information) return;
        const auto answer = getFinancialApproval(f);
        held->information->requestedAmount = answer->requestedAmount;
        held->information->approvedAmount = answer->approvedAmount;
        return;
    }
    case approval::ApprovedNotice:
    case approval::AccountNotice: {
        const auto held = updateApprovalStatus(f);
        if (!held) return;
        if (!held->information) {
            // Only a record the answer carries is filed: an empty one would sit under no id.
            if (f.find(tag::ApprovalRecord)) {
                held->information = getFinancialApproval(f);
                financialApprovals_[held->approvalRequestId] = held->information;
            }
        } else {
            const auto stored = financialApprovals_.find(held->approvalRequestId);
            updateFinancialApproval(stored != financialApprovals_.end() && stored->second ? *stored->second
                                                                                         : *held->information,
                                    f);
        }
        approvalNotificationForActionType(action, held);
        return;
    }
    default:
        return;
    }
}

}  // namespace state
