#include "state/dispatcher.h"

#include <stdexcept>

#include "platform/log.h"
#include "protocol/message_cracker.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"

namespace state {

namespace tag = protocol::tag;

MessageValues MessageValues::read(const FieldList& fields) {
    MessageValues v;
    for (const std::string& field : fields) {
        std::int64_t number = 0;
        std::string_view value;
        if (!protocol::MessageCracker::splitField(field, number, value)) continue;
        auto text = [&] { return std::string(value); };
        switch (number) {
            case tag::ResultText: v.resultText = text(); break;
            case tag::ReferenceId: v.referenceId = text(); break;
            case tag::RequestId:
            case tag::AlternateRequestId: v.requestId = protocol::MessageCracker::int32Value(value); break;
            case tag::ServerTime: v.serverTime = text(); break;
            case tag::UserName: v.userName = text(); break;
            case tag::CipherText: v.cipherText = text(); break;
            case tag::AccountId: v.accountId = text(); break;
            case tag::StatusCode: v.statusCode = protocol::MessageCracker::int32Value(value); break;
            case tag::RejectionCode: v.rejectionCode = protocol::MessageCracker::int32Value(value); break;
            case tag::RemainingQty: v.remainingQty = text(); break;
            case tag::PendingOrderId: v.pendingOrderId = text(); break;
            case tag::OpenPositionId: v.openPositionId = text(); break;
            case tag::ServerMessage: v.serverMessage = text(); break;
            case tag::LiquidateOrderNumber: v.bulkCloseReference = text(); break;
            case tag::DataServiceRequestName: v.dataServiceRequestName = text(); break;
            case tag::DataServiceResult: v.dataServiceResult = text(); break;
            case tag::DataFormat: v.dataFormat = text(); break;
            case tag::ChatMessageRoom: v.chatMessageRoom = text(); break;
            case tag::ChatRoomKey: v.chatRoomKey = text(); break;
            case tag::BracketReference: v.bracketReference = text(); break;
            case tag::ChatQueueId: v.chatQueueId = text(); break;
            case tag::ActionType: v.approvalActionType = protocol::MessageCracker::int32Value(value); break;
            case tag::CompressedPayload: v.compressedPayload = std::string(protocol::compressedPayloadOfField(field)); break;
            default: break;
        }
    }
    return v;
}

void Dispatcher::add(protocol::MsgType type, const std::string& owner, Handler handler) {
    const std::int32_t key = protocol::toInt(type);
    auto [it, added] = handlers_.try_emplace(key, Entry{owner, std::move(handler)});
    if (!added)
        throw std::logic_error("Message type " + std::to_string(key) + " registered by both " + it->second.owner +
                               " and " + owner);
}

void Dispatcher::ignore(protocol::MsgType type, const std::string& owner) { add(type, owner, nullptr); }

bool Dispatcher::handles(protocol::MsgType type) const { return handlers_.contains(protocol::toInt(type)); }

bool Dispatcher::dispatch(const Dispatch& message) const {
    auto it = handlers_.find(protocol::toInt(message.type));
    if (it == handlers_.end()) {
        platform::Log::debug("Message of unknown type " + std::to_string(protocol::toInt(message.type)) + ": dropped");
        return false;
    }
    if (it->second.handler) it->second.handler(message);
    return true;
}

}  // namespace state
