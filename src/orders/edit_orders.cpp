// Edits: the bracket of a position (72/0 "EBO"), and the cancel or modify of
// a pending order (72/1, 72/2 "EWO").
#include "orders/order_lookup.h"
#include "orders/order_mananger.h"
#include "platform/log.h"
#include "protocol/order_tags.h"
#include "protocol/message_base.h"
#include "state/session_services.h"

namespace orders {

namespace {
namespace tag = protocol::tag;
constexpr std::int32_t kBracketEdit = 0;
constexpr std::int32_t kCancel = 1;
constexpr std::int32_t kModify = 2;
}  // namespace

void OrderMananger::PlaceEditBracketOrder(const model::OrderInfo& info) {
    const auto order = GenerateOrder(info);
    if (!order) return;
    services_.outgoingMessage().setEditorderrequestType(kBracketEdit);
    setOrderHead(*order, protocol::MsgType::EditOrderRequest);
    protocol::TagMap& t = services_.outgoingMessage().messageDataDictionary();
    t.set(tag::ActionType, "EBO");
    t.set(tag::BracketReference, info.orderNo);
    t.set(tag::OrderQty, order->OrderQty);
    t.set(tag::OrderPrice, info.price);
    t.set(tag::LimitPrice, info.TakeProfitEnabled ? order->LimitPrice : "0");
    t.set(tag::StopPrice, info.StopLossEnabled ? order->StopPrice : "0");
    setOrderTail(*order);
    if (send("PlaceEditBracketOrder")) ShowEditOrderMessages(order, kBracketEdit);
}

void OrderMananger::PlaceEditWorkingOrder(const model::OrderInfo& info) {
    if (info.editorderReqType != kCancel && info.editorderReqType != kModify) {
        platform::Log::warning("PlaceEditWorkingOrder: edit type " + std::to_string(info.editorderReqType) +
                               " is neither cancel nor modify; nothing sent");
        return;
    }
    if (!(numberOf(info.quantity) > 0)) {
        refuse(nullptr, "1003");
        return;
    }
    const auto order = GenerateOrder(info);
    if (!order) return;
    services_.outgoingMessage().setEditorderrequestType(info.editorderReqType);
    setOrderHead(*order, protocol::MsgType::EditOrderRequest);
    protocol::TagMap& t = services_.outgoingMessage().messageDataDictionary();
    t.set(tag::ActionType, "EWO");
    t.set(tag::PendingOrderId, info.orderNo);
    t.set(tag::OrderQty, info.editorderReqType == kCancel ? std::string(1, '0') : order->OrderQty.str());
    t.set(tag::OrderPrice, info.price);
    t.set(tag::LimitPrice, info.TakeProfitEnabled ? order->LimitPrice : "0");
    t.set(tag::StopPrice, info.StopLossEnabled ? order->StopPrice : "0");
    setOrderTail(*order);
    if (send("PlaceEditWorkingOrder")) ShowEditOrderMessages(order, info.editorderReqType);
}

}  // namespace orders
