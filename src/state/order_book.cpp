#include "state/order_book.h"

#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/message_cracker.h"
#include "protocol/tags.h"
#include "state/reference_data.h"
#include "state/session_services.h"

namespace state {

using protocol::MsgType;
namespace tag = protocol::tag;
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
    const std::int32_t statusCode = m.fields.int32(tag::StatusCode).value_or(0);
    if (statusCode == status::PositionStatusUpdate) {
        Log::info("StatusUpdate");
        UpdateOpenOrderCollection(m.fields.text(tag::OpenPositionId), m.fields, m.fields.text(tag::RemainingQty));
    } else if (statusCode == status::PositionExecuted) {
        Log::info("OrderExecuted");
        FillOpenOrderCollection(m.fields);
    } else {
        Log::debug("Position message with unknown status " + std::to_string(statusCode) + ": ignored");
    }
}

std::optional<std::string> OrderBook::bracketOfPendingOrder(const std::optional<std::string>& pendingOrderId) {
    std::optional<std::string> reference;
    if (!pendingOrderId) return reference;
    forEachPendingCopy(*pendingOrderId, [&](const model::Order& order) { reference = order.RefPositionIdOfBracket(); });
    return reference;
}

void OrderBook::orderStatus(const Dispatch& m) {
    const MessageFields& fields = m.fields;
    const std::int32_t statusCode = fields.int32(tag::StatusCode).value_or(0);
    const std::optional<std::string> pendingOrderId = fields.text(tag::PendingOrderId);
    const std::optional<std::string> bracketReference = fields.text(tag::BracketReference);
    switch (statusCode) {
        case status::New: Log::info("OrderStatusNew"); break;
        case status::PartlyFilled:
            Log::info("OrderPartlyFilled");
            UpdatePendingOrderCollection(fields, pendingOrderId);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, bracketReference, status::PartlyFilled);
            break;
        case status::FullyFilled:
            Log::info("OrderFullyFilled");
            RemovePendingOrder(pendingOrderId, true);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, bracketReference, status::FullyFilled);
            break;
        case status::Cancelled: {
            Log::info("OrderCancelled");
            RemovePendingOrder(pendingOrderId, true);
            FillCancelledOrderCollection(services_.requestId(), status::Cancelled, fields);
            std::optional<std::string> reference =
                bracketReference ? bracketReference : bracketOfPendingOrder(pendingOrderId);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, reference, status::Cancelled);
            break;
        }
        case status::Rejected:
            Log::info("OrderRejected");
            orderRejected(m);
            break;
        case status::Expired:
            Log::info("OrderExpired");
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, bracketReference, status::Expired);
            break;
        case status::Suspended:
            Log::info("OrderSuspended");
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, bracketReference, status::Suspended);
            break;
        case status::Pending:
            Log::info("OrderPending");
            FillPendingOrderCollection(fields, pendingOrderId);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, bracketReference, status::Pending);
            break;
        case status::Edited:
            Log::info("OrderEdited");
            UpdatePendingOrderCollection(fields, pendingOrderId);
            ModifyBracketOrderUpdateonOpenOrderCollection(fields, bracketReference, status::Edited);
            break;
        case status::ExchangeRejected: Log::info("OrderExchangeRejected"); break;
        default: Log::debug("Order status " + std::to_string(statusCode) + " unknown: ignored"); break;
    }
}

void OrderBook::orderRejected(const Dispatch& m) {
    const std::optional<std::string> pendingOrderId = m.fields.text(tag::PendingOrderId);
    const std::optional<std::string> bracketReference = m.fields.text(tag::BracketReference);
    const std::int32_t requestId = services_.requestId();
    if (pendingOrderId && !pendingOrderId->empty()) {
        FillCancelledOrderCollection(protocol::MessageCracker::int32Value(*pendingOrderId), status::Rejected,
                                     m.fields);
        RemovePendingOrder(pendingOrderId, true);
    } else {
        FillCancelledOrderCollection(requestId, status::Rejected, m.fields);
        RemovePendingOrder(std::to_string(requestId), false);
    }
    std::string reason = services_.GetOrderRejectionReason(m.fields.int32(tag::RejectionCode).value_or(0));
    OrderRejectionNotification(reason);
    // A rejection without tag 125 still reaches the close-all window.
    bulkCloseRejectedNotification(std::string(m.fields.find(tag::LiquidateOrderNumber).value_or("")), reason);
    if (bracketReference && !bracketReference->empty()) {
        ModifyBracketOrderUpdateonOpenOrderCollection(m.fields, bracketReference, status::Rejected);
        return;
    }
    if (!pendingOrderId) return;
    forEachPendingCopy(*pendingOrderId, [&](const model::Order& order) {
        forEachOpenPosition(order.RefPositionIdOfBracket(), [&](model::Order& position) {
            if (order.orderType == model::Order::kLimit) position.LimitPrice.clear();
            if (order.orderType == model::Order::kStop) position.StopPrice.clear();
            openPositionsChanged();
        });
    });
}

std::vector<std::string> OrderBook::heldItemCodes() const {
    std::vector<std::string> codes;
    for (const auto& order : Queries::visibleOrders(open_, reference_.AccountDetailCollection())) codes.push_back(order->ItemCode);
    for (const auto& order : Queries::visibleOrders(pending_, reference_.AccountDetailCollection())) codes.push_back(order->ItemCode);
    return codes;
}

void OrderBook::sortOpenOrders(const std::optional<std::vector<SortDescriptor>>& descriptors) {
    platform::assertMainThread();
    Queries::sortOrders(open_, descriptors);
    ++openRevision_;
}
void OrderBook::sortPendingOrders(const std::optional<std::vector<SortDescriptor>>& descriptors) {
    platform::assertMainThread();
    Queries::sortOrders(pending_, descriptors);
}
void OrderBook::sortCancelledOrders(const std::optional<std::vector<SortDescriptor>>& descriptors) {
    platform::assertMainThread();
    Queries::sortOrders(cancelled_, descriptors);
}
void OrderBook::sortSettledOrders(const std::optional<std::vector<SortDescriptor>>& descriptors) {
    platform::assertMainThread();
    Queries::sortOrders(settled_, descriptors);
}

}  // namespace state
