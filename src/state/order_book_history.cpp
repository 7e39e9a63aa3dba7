// The order collections as the data service lists them after the login, the
// equity-hit prices of open positions and the executed-position search.
#include <algorithm>

#include "model/history_row.h"
#include "platform/main_executor.h"
#include "state/business_base.h"
#include "state/history_orders.h"
#include "state/order_book.h"

namespace state {

namespace {

bool holds(const OrderList& list, std::string model::Order::*field, const std::string& id) {
    return std::any_of(list.begin(), list.end(), [&](const auto& o) { return o && (*o).*field == id; });
}

HistoryOrders::ItemCodeOf itemCodes(const BusinessBase& s) {
    return [&s](std::int32_t id) { return s.getItemCode(id); };
}

}  // namespace

void OrderBook::FillInitialOpenOrderCollection(const model::OpenOrderHD& row) {
    platform::assertMainThread();
    auto order = HistoryOrders::openOrder(row, itemCodes(session_));
    if (holds(OpenOrderCollection, &model::Order::OpenPositionId, order->OpenPositionId)) return;
    (row.PositionQty == 0 ? OpenOrderCollectionCopy : OpenOrderCollection).push_back(std::move(order));
}

void OrderBook::FillInitialPendingOrderCollection(const model::PendingOrderHD& row) {
    platform::assertMainThread();
    auto order = HistoryOrders::pendingOrder(row, itemCodes(session_));
    // Take-profit orders show as the position's limit, any other as its stop.
    for (const auto& position : OpenOrderCollection) {
        if (order->RefPositionIdOfBracket.empty()) break;
        if (!position || position->OpenPositionId != order->RefPositionIdOfBracket) continue;
        (order->orderType == model::Order::kLimit ? position->LimitPrice : position->StopPrice) = order->OrderPrice;
    }
    if (holds(PendingOrderCollection, &model::Order::PendingOrderId, order->PendingOrderId)) return;
    (row.RemainingQty == 0 ? PendingOrderCollectionCopy : PendingOrderCollection).push_back(std::move(order));
}

void OrderBook::FillInitialSettledOrderCollection(const model::SettledOrderHD& row) {
    platform::assertMainThread();
    auto order = HistoryOrders::settledOrder(row, itemCodes(session_));
    if (holds(SettledOrderCollection, &model::Order::SettlementId, order->SettlementId)) return;
    SettledOrderCollection.push_back(std::move(order));
}

std::shared_ptr<model::Order> OrderBook::sessionCancelledOrder(const model::CancelledOrderHD& row) const {
    if (row.InstrumentId == 0 || !session_.referenceData().AccountDetailCollection.contains(row.AccountId))
        return nullptr;
    return HistoryOrders::cancelledOrder(row, itemCodes(session_));
}

void OrderBook::FillInitialCancelledOrderCollection(const model::CancelledOrderHD& row) {
    platform::assertMainThread();
    auto order = sessionCancelledOrder(row);
    if (!order || holds(CancelledOrderCollection, &model::Order::CancelledOrderId, order->CancelledOrderId)) return;
    CancelledOrderCollection.push_back(std::move(order));
}

void OrderBook::SetEquityHitPriceInOrders(const model::EquityHitPriceInfos& row) {
    platform::assertMainThread();
    for (const auto& position : OpenOrderCollection) {
        if (!position || position->OpenPositionId != row.PositionId) continue;
        position->EquityHitPrice = row.HitPrice;
        position->UnrealisedPL = row.UnrealisedPL;
    }
}

void OrderBook::fillExecutedPositionSearchData(std::string_view text) {
    platform::assertMainThread();
    const model::HistoryRow row(text);
    auto o = std::make_shared<model::Order>();
    o->OpenPositionId = row.text(0);
    o->AccountNumber = row.text(1);
    o->ItemCode = session_.getItemCode(row.integer(2));
    o->tradingMode = HistoryOrders::side(row.boolean(3));
    o->RemainingQty = row.text(4);
    o->OrderQty = row.text(5);
    o->OrderPrice = row.text(6);
    o->orderType = row.integer(7);
    o->deliveryMode = row.integer(8);
    o->TransactionDateTime = HistoryOrders::dateTime(row.text(9));
    o->ValueDate = HistoryOrders::date(row.text(10));
    o->ExpiryDate = HistoryOrders::date(row.text(11));
    o->PendingOrderId = row.text(12);
    ExecutedOrderSearchCollection.push_back(std::move(o));
}

}  // namespace state
