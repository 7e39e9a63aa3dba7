// Pending orders (status 28, 22, 75, 23 to 25) and the cancelled and
// rejected orders they leave behind.
#include "model/text_value.h"
#include "platform/log.h"
#include "protocol/tags.h"
#include "platform/main_executor.h"
#include "state/reference_data.h"
#include "state/session_services.h"
#include "state/journal_data.h"
#include "state/order_book.h"
#include "state/order_fields.h"
#include "protocol/order_tags.h"

namespace state {
namespace tag = protocol::tag;

namespace {

namespace status = protocol::tag::status;

// The fields that add and update share; true when the tag was one of them.
bool applyPendingField(model::Order& o, std::int64_t t, std::string_view v) {
    switch (t) {
        case tag::ItemCode: o.ItemCode = v; return true;
        case tag::OrderType: o.orderType = OrderFields::orderType(v); return true;
        case tag::AccountId: o.AccountNumber = v; return true;
        case tag::Side:
            if (auto side = OrderFields::side(v)) o.tradingMode = *side;
            return true;
        case tag::OrderQty: o.OrderQty = v; return true;
        case tag::OrderPrice: o.OrderPrice = v; return true;
        case tag::LimitPrice: o.LimitPrice = v; return true;
        case tag::StopPrice: o.StopPrice = v; return true;
        case tag::TimeInForce: o.timeinForce = OrderFields::timeInForce(v); return true;
        case tag::RemainingQty: o.RemainingQty = v; return true;
        case tag::TransactionTime: o.TransactionDateTime = OrderFields::time(v); return true;
        case tag::PendingOrderId: o.PendingOrderId = v; return true;
        case tag::TicketId: o.setTicketId(v); return true;
        case tag::DeliveryMode: o.deliveryMode = OrderFields::deliveryMode(v); return true;
        case tag::OrderRouteId: o.OrderRouteId = v; return true;
        default: return false;
    }
}

// Placeholders carry a request id from 1 on; 0 marks a server record.
bool hasRequestId(const model::Order& o, std::int32_t id) { return o.RequestId != 0 && o.RequestId == id; }

// A placeholder has no server id until the server's record replaces it, so
// it matches none, "" included; a server record's id matches as text.
bool hasServerId(const model::Order& o, const std::string& id) {
    const bool placeholder = o.RequestId != 0 && o.PendingOrderId.empty();
    return !placeholder && o.PendingOrderId == id;
}

}  // namespace

void OrderBook::AddPendingOrder(std::shared_ptr<model::Order> order) {
    platform::assertMainThread();
    if (!order) return;
    pending_.push_back(std::move(order));
    pendingOrdersChanged();
}

std::size_t OrderBook::dropUnconfirmedOrders() {
    platform::assertMainThread();
    const std::size_t before = pending_.size();
    std::erase_if(pending_, [](const auto& o) { return o && o->RequestId != 0 && o->PendingOrderId.empty(); });
    if (pending_.size() != before) pendingOrdersChanged();
    return before - pending_.size();
}

void OrderBook::FillPendingOrderCollection(const MessageFields& fields, const std::optional<std::string>& pendingOrderId) {
    platform::assertMainThread();
    const std::int32_t requestId = services_.requestId();
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        const model::Order* o = it->get();
        if (o && (hasRequestId(*o, requestId) || (pendingOrderId && hasServerId(*o, *pendingOrderId)))) {
            pending_.erase(it);
            break;
        }
    }
    auto order = std::make_shared<model::Order>();
    OrderFields::each(fields, [&](std::int64_t t, std::string_view v) {
        if (applyPendingField(*order, t, v)) return;
        if (t == tag::LiquidateOrderNumber) order->setLiqudateOrderNumber(v);
        if (t == tag::BracketReference) order->setRefPositionIdOfBracket(v);
    });
    pending_.push_back(order);
    pendingOrdersChanged();
    services_.appendJournal(JournalData::getOrderJournalData(4, *order, services_.journalContext()));
    if (order->orderType == model::Order::kLimit || order->orderType == model::Order::kStop)
        services_.onMain([this, order] { PendingOrderNotification(order); });
}

void OrderBook::UpdatePendingOrderCollection(const MessageFields& fields, const std::optional<std::string>& pendingOrderId) {
    platform::assertMainThread();
    if (!pendingOrderId) return;
    for (const auto& order : pending_) {
        if (!order || !hasServerId(*order, *pendingOrderId)) continue;
        // The bracket prices are those of the message: absent ones are cleared.
        order->LimitPrice.clear();
        order->StopPrice.clear();
        OrderFields::each(fields, [&](std::int64_t t, std::string_view v) { applyPendingField(*order, t, v); });
        pendingOrdersChanged();
    }
}

void OrderBook::RemovePendingOrder(const std::optional<std::string>& id, bool byServerId) {
    platform::assertMainThread();
    if (!id) return;
    const std::int32_t requestId = byServerId ? 0 : model::TextValue::intValue(*id);
    for (auto it = pending_.begin(); it != pending_.end(); ++it) {
        const model::Order* o = it->get();
        if (!o || !(byServerId ? hasServerId(*o, *id) : hasRequestId(*o, requestId))) continue;
        appendPendingCopy(*it);
        pending_.erase(it);
        pendingOrdersChanged();
        return;
    }
}

void OrderBook::FillCancelledOrderCollection(std::int32_t id, std::int32_t code, const MessageFields& fields) {
    platform::assertMainThread();
    if (code == status::Cancelled) {
        auto order = std::make_shared<model::Order>();
        bool named = false;  // carries tag 79
        OrderFields::each(fields, [&](std::int64_t t, std::string_view v) {
            if (t == tag::LimitPrice || t == tag::StopPrice) return;
            if (t == tag::AlternateRequestId) order->RequestId = OrderFields::integer(v);
            if (t == tag::PendingOrderId) named = true;
            applyPendingField(*order, t, v);
        });
        // The cancelled quantity is what was still open; without a server id
        // the message's own quantity stands.
        if (named)
            forEachPendingCopy(order->PendingOrderId, [&](const model::Order& pending) {
                if (hasServerId(pending, order->PendingOrderId)) order->OrderQty = pending.RemainingQty;
            });
        cancelled_.push_back(std::move(order));
        cancelledOrdersChanged();
    } else if (code == status::Rejected) {
        for (const auto& pending : pending_) {
            if (!pending) continue;
            const bool byServerId =
                !pending->PendingOrderId.empty() && model::TextValue::intValue(pending->PendingOrderId) == id;
            if (!hasRequestId(*pending, id) && !byServerId) continue;
            OrderFields::each(fields, [&](std::int64_t t, std::string_view v) {
                if (t == tag::TransactionTime) pending->TransactionDateTime = OrderFields::time(v);
            });
            cancelled_.push_back(pending);
            cancelledOrdersChanged();
            services_.appendJournal(JournalData::getOrderJournalData(8, *pending, services_.journalContext()));
            return;
        }
        platform::Log::debug("Rejected order " + std::to_string(id) + " is not pending: nothing recorded");
    }
}

}  // namespace state
