// The payment gateway's answers: the master answer (94) that opens an online
// payment, its status (98) and its result (96).
#include "model/text_value.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "state/funds.h"

namespace state {

namespace {

namespace tag = protocol::tag;
constexpr std::int64_t kRequest = 147;
constexpr std::int64_t kPayGateId = 145;
constexpr std::int64_t kStatus = 572;
constexpr std::int64_t kRequestTime = 1058;
constexpr std::int64_t kError = 1015;
constexpr std::int64_t kAmount = 1038;
constexpr std::int64_t kRequestedByUser = 1040;
constexpr std::int64_t kRemarks = 535;
constexpr std::int64_t kEmail = 1152;
constexpr std::int64_t kInitiatedTime = 146;
constexpr std::int64_t kRedirectedTime = 148;
constexpr std::int64_t kNotifiedTime = 149;
constexpr std::int64_t kApiStatus = 150;
constexpr std::int64_t kClosed = 49;
constexpr std::int64_t kResult = 1061;
constexpr std::int64_t kResultForm = 1062;

std::string_view value(const MessageFields& f, std::int64_t t) { return f.find(t).value_or(std::string_view()); }
std::uint64_t whole(const MessageFields& f, std::int64_t t) { return model::TextValue::unsignedLongLongValue(value(f, t)); }
std::int64_t integer(const MessageFields& f, std::int64_t t) { return model::TextValue::longLongValue(value(f, t)); }

// An empty value keeps the held time; an absent tag clears it.
void updateTime(std::string& held, const MessageFields& f, std::int64_t t) {
    const auto v = f.find(t);
    if (!v)
        held.clear();
    else if (!v->empty())
        held.assign(*v);
}

}  // namespace

std::shared_ptr<model::PayGateTransaction> Funds::addOrUpdatePayGateTransaction(
    std::shared_ptr<model::PayGateTransaction> record) {
    platform::assertMainThread();
    if (!record || record->requestId == 0) return nullptr;
    std::string key = std::to_string(record->requestId);
    if (const auto* held = payGateTransactions_.find(key)) return *held;
    return payGateTransactions_.set(std::move(key), std::move(record));
}

model::PackedPayGateTransaction Funds::getPackedPayGateTransaction(const MessageFields& fields) {
    model::PackedPayGateTransaction packed;
    const auto text = fields.find(kResult);
    if (text && !text->empty()) packed.loadFromString(*text, integer(fields, kResultForm));
    return packed;
}

std::shared_ptr<model::PayGateTransaction> Funds::processPayGateTransMasterResponse(const MessageFields& f,
                                                                                  bool* isAdded) {
    if (isAdded) *isAdded = false;
    auto record = std::make_shared<model::PayGateTransaction>();
    record->clientSessionId = whole(f, tag::ReferenceId);
    record->requestId = whole(f, kRequest);
    record->payGateId = whole(f, kPayGateId);
    record->accountId = whole(f, tag::AccountId);
    record->status = integer(f, kStatus);
    record->requestTime = std::string(value(f, kRequestTime));
    record->payRequestAmount = model::TextValue::doubleValue(value(f, kAmount));
    record->requestedByUserId = whole(f, kRequestedByUser);
    if (const std::string_view remarks = value(f, kRemarks); remarks != protocol::kNullValue)
        record->remarks = std::string(remarks);  // "(null)": sent without a remark
    record->email = std::string(value(f, kEmail));
    record->transactionKey = std::string(value(f, tag::TransactionDetails));
    if (const auto* setting = payGateSettingsCollection_.find(std::to_string(record->payGateId)))
        record->payGate = *setting;
    if (const std::int64_t error = integer(f, kError); error != 0) {
        platform::Log::info("Pay-gate request " + std::to_string(record->requestId) + " refused with error " +
                            std::to_string(error));
        return record;
    }
    auto held = addOrUpdatePayGateTransaction(record);
    if (isAdded) *isAdded = held && held == record;
    if (!held) platform::Log::debug("Pay-gate master answer without a request id: not stored");
    return held;
}

std::shared_ptr<model::PayGateTransaction> Funds::processPayGateStatusResponse(const MessageFields& f) {
    platform::assertMainThread();
    const auto* held = payGateTransactions_.find(std::to_string(whole(f, kRequest)));
    if (!held) {
        platform::Log::debug("Pay-gate status for an unknown request: ignored");
        return nullptr;
    }
    model::PayGateTransaction& t = **held;
    t.status = integer(f, kStatus);
    t.apiStatus = integer(f, kApiStatus);
    t.isClosed = model::TextValue::boolValue(value(f, kClosed));
    updateTime(t.initiatedTime, f, kInitiatedTime);
    updateTime(t.redirectedTime, f, kRedirectedTime);
    updateTime(t.notifiedTime, f, kNotifiedTime);
    return *held;
}

std::shared_ptr<model::PayGateTransaction> Funds::processPayGateTransactionResponse(const MessageFields& f,
                                                                                  std::int64_t* serverError) {
    if (serverError) *serverError = 0;
    const std::int64_t error = integer(f, kError);
    const model::PackedPayGateTransaction result = getPackedPayGateTransaction(f);
    auto fresh = std::make_shared<model::PayGateTransaction>();
    fresh->requestId = result.refRequestId;
    auto t = addOrUpdatePayGateTransaction(fresh);
    if (!t) {
        platform::Log::debug("Pay-gate result without its request: ignored");
        return nullptr;
    }
    t->transactionId = result.transId;
    t->payRequestId = result.payRequestId;
    t->payTransactionId = result.payTransactionId;
    t->transactionDate = result.transactionDate;
    t->payApprovedAmount = result.payApprovedAmount;
    t->authCode = result.authCode;
    t->resultCode = result.resultCode;
    t->resultDesc = result.resultDesc;
    t->currency = result.currency;
    t->riskIndicator = result.riskIndicator;
    t->payMethod = result.payMethod;
    t->payMethodDetail = result.payMethodDetail;
    t->transStatus = static_cast<std::int64_t>(result.transStatus);
    if (serverError && error != 0) *serverError = error;
    return t;
}

}  // namespace state
