// Closing a position in whole or in part at the market (60/1).
#include "orders/order_lookup.h"
#include "orders/order_mananger.h"
#include "protocol/order_tags.h"
#include "protocol/message_base.h"
#include "state/session_services.h"

namespace orders {

namespace {
namespace tag = protocol::tag;
constexpr std::int32_t kPartialCloseRequest = 1;
constexpr std::int32_t kAbortOnly = 1;
}  // namespace

void OrderMananger::PlacePartialOrder(const model::OrderInfo& info) {
    const double quantity = numberOf(info.quantity);
    const double remaining = numberOf(info.previousQuantity);
    if (quantity > remaining) {
        refuse(nullptr, "1030", normalised(remaining));
        return;
    }
    if (!(quantity > 0)) {
        refuse(nullptr, "1003");
        return;
    }
    const auto order = GenerateOrder(info);
    if (!order) return;
    services_.outgoingMessage().setNeworderrequestType(kPartialCloseRequest);
    setOrderHead(*order, protocol::MsgType::NewOrderRequest);
    protocol::TagMap& t = services_.outgoingMessage().messageDataDictionary();
    t.set(tag::LiquidateOrderNumber, info.orderNo);
    t.set(tag::OrderQty, order->OrderQty);
    t.set(tag::OrderPrice, order->OrderPrice);
    t.set(tag::Deviation, std::to_string(order->deviation));
    setOrderTail(*order);
    // Nothing local changes: the position waits for the server's answers.
    if (send("PlacePartialOrder")) ShowNewOrderMessages(order, kAbortOnly);
}

}  // namespace orders
