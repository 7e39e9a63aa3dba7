#include "state/funds.h"

#include "platform/log.h"
#include "protocol/tags.h"
#include "state/business_base.h"
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
            session_.payGateTransactionResponseNotification(
                std::make_shared<const PayGateUpdate>(PayGateUpdate::kMasterAdded, record));
    });
    table.add(MsgType::PayGateTransactionResponse, owner, [this](const Dispatch& m) {
        Log::info("PayGateTransactionResponse");
        std::int64_t error = 0;
        auto record = processPayGateTransactionResponse(m.fields, &error);
        if (!record) return;
        session_.payGateTransactionResponseNotification(
            std::make_shared<const PayGateUpdate>(PayGateUpdate::kTransactionAnswer, record, error));
        session_.appendJournal(JournalData::getPaymentTransactionJournalData(
            error, record->requestId, record->transStatus, record->payTransactionId, session_.journalContext()));
    });
    table.add(MsgType::PayGateStatusResponse, owner, [this](const Dispatch& m) {
        Log::info("PayGateStatusResponse");
        auto record = processPayGateStatusResponse(m.fields);
        if (record)
            session_.payGateTransactionResponseNotification(
                std::make_shared<const PayGateUpdate>(PayGateUpdate::kStatusAnswer, record));
    });
    table.add(MsgType::ApprovalResponse, owner, [this](const Dispatch& m) {
        Log::info("ApprovalResponse");
        createApprovalAction(m.fields.int32(protocol::tag::ActionType).value_or(0), m.fields);
    });
}

}  // namespace state
