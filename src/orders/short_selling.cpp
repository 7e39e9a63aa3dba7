// Whether a sell order stays within the lots the account may still sell.
#include <vector>

#include "orders/order_lookup.h"
#include "orders/order_mananger.h"
#include "state/reference_data.h"
#include "state/session_view.h"
#include "state/ordered_dictionary.h"
#include "state/text_conversions.h"

namespace orders {

using model::Order;

namespace {
// Ids name records only when set: an empty one matches nothing.
bool sameId(const std::string& a, const std::string& b) { return !a.empty() && a == b; }
}  // namespace

double OrderMananger::getAllowedSellLots(const std::string& itemCode, const std::string& accountNumber,
                                         std::int32_t deliveryMode) const {
    double b = 0, s = 0;
    getTotalLots(itemCode, accountNumber, deliveryMode, b, s);
    double standalone = 0;
    // One bracket sell per position: a later order of the same position replaces an earlier one.
    state::OrderedDictionary<double> brackets;
    // Pending sells count whatever their account.
    for (const auto& o : view_.getPendingOrderCollection()) {
        if (o->ItemCode != itemCode || o->tradingMode != Order::kSell || o->deliveryMode != deliveryMode) continue;
        const double q = numberOf(o->RemainingQty);
        if (state::TextConversion::intValue(o->RefPositionIdOfBracket()) < 1) standalone += q;
        else brackets.set(o->RefPositionIdOfBracket(), q);
    }
    double bracketLots = 0;
    for (const auto& entry : brackets) bracketLots += entry.second;
    return b - (s + standalone + bracketLots);
}

bool OrderMananger::verifyShortSellAllowed(const std::shared_ptr<Order>& order) {
    const Order& o = *order;
    const OrderRecords r = lookUp(reference_, o.AccountNumber, o.ItemCode);
    if (o.tradingMode == Order::kBuy) return true;
    if (r.groupInstrument && r.groupInstrument->AllowShortSelling) return true;
    if (isOrderAlongWithTPSL(o)) return true;
    double allowed = getAllowedSellLots(o.ItemCode, o.AccountNumber, o.deliveryMode);
    if (o.isEditWorkOrder) {
        for (const auto& p : view_.getPendingOrderCollection()) {
            if (!sameId(p->PendingOrderId, o.PendingOrderId)) continue;
            const double back = numberOf(p->RemainingQty);
            allowed = allowed > 0 ? allowed + back : back;
            break;
        }
    }
    if (o.isEditBracketOrder && (numberOf(o.LimitPrice) > 0 || numberOf(o.StopPrice) > 0)) {
        bool held = false;
        for (const auto& p : view_.getOpenOrderCollection())
            if (sameId(p->PendingOrderId, o.PendingOrderId)) {
                held = true;
                break;
            }
        if (held) {
            for (const auto& p : view_.getPendingOrderCollection())
                if (sameId(p->RefPositionIdOfBracket(), o.OpenPositionId)) {
                    allowed = numberOf(p->RemainingQty);
                    break;
                }
        }
    }
    if (numberOf(o.OrderQty) <= allowed) return true;
    return refuse(order, "1196");
}

}  // namespace orders
