#include "state/order_book.h"

#include "platform/log.h"
#include "protocol/message_cracker.h"
#include "protocol/tags.h"
#include "state/reference_data.h"
#include "state/session_services.h"

namespace state {

using protocol::MsgType;
namespace status = protocol::tag::status;
namespace Log = platform::Log;

void OrderBook::registerHandlers(Dispatcher& table) {
    table.add(MsgType::OrderStatus, componentName(), [this](const Dispatch& m) { orderStatus(m); });
    table.add(MsgType::OrderSettled, componentName(), [this](const Dispatch& m) {
        Log::info("OrderSettled");
        FillSettledOrderCollection(m.fields);
    });
    table.add(MsgType::PositionUpdate, componentName(), [this](const Dispatch& m) { positionUpdate(m); });
    table.add(MsgType::CloseHedgedPositions, componentName(), [this](const Dispatch&) {
        Log::info("CloseHedgedPositions");
        services_.onMain([this] { CloseHedgedPositionsNotification(); });
    });
}

void OrderBook::positionUpdate(const Dispatch& m) {
    const MessageValues& v = m.values;
    if (v.statusCode == status::PositionStatusUpdate) {
        Log::info("StatusUpdate");
        UpdateOpenOrderCollection(v.openPositionId, m.fields, v.remainingQty);
    } else if (v.statusCode == status::PositionExecuted) {
        Log::info("OrderExecuted");
        FillOpenOrderCollection(m.fields);
    } else {
        Log::debug("Position message with unknown status " + std::to_string(v.statusCode) + ": ignored");
    }
}

std::optional<std::string> OrderBook::bracketOfPendingOrder(const std::optional<std::string>& pendingOrderId) const {
    std::optional<std::string> reference;
    if (!pendingOrderId) return reference;
    for (const auto& order : PendingOrderCollectionCopy)
        if (order && order->PendingOrderId == *pendingOrderId) reference = order->RefPositionIdOfBracket;
    return reference;
}

void OrderBook::orderStatus(const Dispatch& m) {
    const MessageValues& v = m.values;
    const FieldList& fields = m.fields;
    switch (v.statusCode) {
        case status::New: Log::info("OrderStatusNew"); break;
        case status::PartlyFilled:
            Log::info("OrderPartlyFilled");
            UpdatePendingOrderCollection(fields, v.pendingOrderId);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, v.bracketReference, status::PartlyFilled);
            break;
        case status::FullyFilled:
            Log::info("OrderFullyFilled");
            RemovePendingOrder(v.pendingOrderId, true);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, v.bracketReference, status::FullyFilled);
            break;
        case status::Cancelled: {
            Log::info("OrderCancelled");
            RemovePendingOrder(v.pendingOrderId, true);
            FillCancelledOrderCollection(services_.requestId(), status::Cancelled, fields);
            std::optional<std::string> reference =
                v.bracketReference ? v.bracketReference : bracketOfPendingOrder(v.pendingOrderId);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, reference, status::Cancelled);
            break;
        }
        case status::Rejected:
            Log::info("OrderRejected");
            orderRejected(m);
            break;
        case status::Expired:
            Log::info("OrderExpired");
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, v.bracketReference, status::Expired);
            break;
        case status::Suspended:
            Log::info("OrderSuspended");
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, v.bracketReference, status::Suspended);
            break;
        case status::Pending:
            Log::info("OrderPending");
            FillPendingOrderCollection(fields, v.pendingOrderId);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, v.bracketReference, status::Pending);
            break;
        case status::Edited:
            Log::info("OrderEdited");
            UpdatePendingOrderCollection(fields, v.pendingOrderId);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, v.bracketReference, status::Edited);
            break;
        case status::ExchangeRejected: Log::info("OrderExchangeRejected"); break;
        default: Log::debug("Order status " + std::to_string(v.statusCode) + " unknown: ignored"); break;
    }
}

void OrderBook::orderRejected(const Dispatch& m) {
    const MessageValues& v = m.values;
    const std::int32_t requestId = services_.requestId();
    if (v.pendingOrderId && !v.pendingOrderId->empty()) {
        FillCancelledOrderCollection(protocol::MessageCracker::int32Value(*v.pendingOrderId), status::Rejected,
                                     m.fields);
        RemovePendingOrder(v.pendingOrderId, true);
    } else {
        FillCancelledOrderCollection(requestId, status::Rejected, m.fields);
        RemovePendingOrder(std::to_string(requestId), false);
    }
    std::string reason = services_.GetOrderRejectionReason(v.rejectionCode);
    OrderRejectionNotification(reason);
    // A rejection without tag 125 still reaches the close-all window.
    bulkCloseRejectedNotification(v.bulkCloseReference.value_or(""), reason);
    if (v.bracketReference && !v.bracketReference->empty()) {
        ModifyBracketOrderUpdateonOpenOrderCollection(m.fields, v.bracketReference, status::Rejected);
        return;
    }
    if (!v.pendingOrderId) return;
    for (const auto& order : PendingOrderCollectionCopy) {
        if (!order || order->PendingOrderId != *v.pendingOrderId) continue;
        for (const auto& position : OpenOrderCollection) {
            if (!position || position->OpenPositionId != order->RefPositionIdOfBracket) continue;
            if (order->orderType == model::Order::kLimit) position->LimitPrice.clear();
            if (order->orderType == model::Order::kStop) position->StopPrice.clear();
        }
    }
}

}  // namespace state
