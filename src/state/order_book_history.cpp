// The order collections as the data service lists them after the login, the
// equity-hit prices of open positions and the executed-position search.
#include <algorithm>

#include "model/history_row.h"
#include "platform/main_executor.h"
#include "platform/stepped_release.h"
#include "state/instrument_fillers.h"
#include "state/reference_data.h"
#include "state/session_services.h"
#include "state/history_orders.h"
#include "state/id_index.h"
#include "state/order_book.h"

namespace state {

namespace {

HistoryOrders::ItemCodeOf itemCodes(const ReferenceData& reference) {
    return [&reference](std::int32_t id) { return reference.itemCode(id); };
}

}  // namespace

struct OrderBook::HeldIds {
    IdIndex open{&IdIndex::of<&model::Order::OpenPositionId>};
    IdIndex pending{&IdIndex::of<&model::Order::PendingOrderId>};
    IdIndex settled{&IdIndex::of<&model::Order::SettlementId>};
    IdIndex cancelled{&IdIndex::of<&model::Order::CancelledOrderId>};
    IdIndex openCopy{&IdIndex::of<&model::Order::OpenPositionId>};
    IdIndex pendingCopy{&IdIndex::of<&model::Order::PendingOrderId>};
    // The open positions by instrument code.
    IdIndex openCodes{&IdIndex::of<&model::Order::ItemCode>};
    // Quantities and dates of the initial collections, held once.
    model::TextPool repeated;
};

OrderBook::HeldIds& OrderBook::heldIds() {
    if (!heldIds_) heldIds_ = std::make_shared<HeldIds>();
    return *heldIds_;
}

bool OrderBook::holdsOpenPosition(const std::string& id) {
    return heldIds().open.holds(open_, id);
}

void OrderBook::appendOpenPosition(std::shared_ptr<model::Order> position) {
    heldIds().open.append(open_, std::move(position));
}

void OrderBook::forEachOpenPositionOf(std::string_view itemCode, const std::function<void(const model::Order&)>& f) {
    heldIds().openCodes.forEach(open_, itemCode, f);
}

void OrderBook::appendOpenCopy(std::shared_ptr<model::Order> position) {
    heldIds().openCopy.append(openCopy_, std::move(position));
}

void OrderBook::forEachPositionOrCopy(std::string_view id, const std::function<void(const model::Order&)>& f) {
    heldIds().open.forEach(open_, id, f);
    heldIds().openCopy.forEach(openCopy_, id, f);
}

void OrderBook::forEachOpenPosition(std::string_view id, const std::function<void(model::Order&)>& f) {
    heldIds().open.forEach(open_, id, f);
}

std::shared_ptr<model::Order> OrderBook::takeOpenPosition(std::string_view id) {
    const std::optional<std::size_t> at = heldIds().open.first(open_, id);
    if (!at) return nullptr;
    std::shared_ptr<model::Order> taken = open_[*at];
    heldIds().open.erase(open_, *at);
    return taken;
}

void OrderBook::appendPendingCopy(std::shared_ptr<model::Order> order) {
    heldIds().pendingCopy.append(pendingCopy_, std::move(order));
}

void OrderBook::forEachPendingCopy(std::string_view id, const std::function<void(const model::Order&)>& f) {
    heldIds().pendingCopy.forEach(pendingCopy_, id, f);
}

bool OrderBook::holdsSettlement(std::string_view id) {
    return heldIds().settled.holds(settled_, id);
}

void OrderBook::appendSettlement(std::shared_ptr<model::Order> settled) {
    heldIds().settled.append(settled_, std::move(settled));
}

void OrderBook::expectOpenPositions(std::size_t count) {
    heldIds().open.reserve(open_, count);
}

void OrderBook::clearForLogin() {
    platform::assertMainThread();
    for (OrderList* list : {&pending_, &pendingCopy_, &open_, &openCopy_, &cancelled_, &settled_}) list->clear();
    heldIds_.reset();
    openPositionsChanged();
    pendingOrdersChanged();
    cancelledOrdersChanged();
    settledOrdersChanged();
}

void OrderBook::FillInitialOpenOrderCollection(const model::OpenOrderHD& row,
                                               const HistoryOrders::ItemCodeOf& itemCode) {
    platform::assertMainThread();
    auto order = HistoryOrders::openOrder(row, itemCode, heldIds().repeated);
    if (heldIds().open.holds(open_, order->OpenPositionId)) return;
    if (row.PositionQty == 0)
        appendOpenCopy(std::move(order));
    else
        heldIds().open.append(open_, std::move(order));
    openPositionsChanged();
}

void OrderBook::FillInitialPendingOrderCollection(const model::PendingOrderHD& row,
                                                  const HistoryOrders::ItemCodeOf& itemCode) {
    platform::assertMainThread();
    auto order = HistoryOrders::pendingOrder(row, itemCode, heldIds().repeated);
    // Take-profit orders show as the position's limit, any other as its stop.
    if (!order->RefPositionIdOfBracket().empty())
        heldIds().open.forEach(open_, order->RefPositionIdOfBracket(), [&](model::Order& position) {
            (order->orderType == model::Order::kLimit ? position.LimitPrice : position.StopPrice) = order->OrderPrice;
            openPositionsChanged();
        });
    if (heldIds().pending.holds(pending_, order->PendingOrderId)) return;
    if (row.RemainingQty == 0)
        appendPendingCopy(std::move(order));
    else
        heldIds().pending.append(pending_, std::move(order));
    pendingOrdersChanged();
}

void OrderBook::FillInitialSettledOrderCollection(const model::SettledOrderHD& row,
                                                  const HistoryOrders::ItemCodeOf& itemCode) {
    platform::assertMainThread();
    auto order = HistoryOrders::settledOrder(row, itemCode, heldIds().repeated);
    if (heldIds().settled.holds(settled_, order->SettlementId())) return;
    heldIds().settled.append(settled_, std::move(order));
    settledOrdersChanged();
}

std::shared_ptr<model::Order> OrderBook::sessionCancelledOrder(const model::CancelledOrderHD& row) const {
    if (row.InstrumentId == 0 || !reference_.AccountDetailCollection().contains(row.AccountId))
        return nullptr;
    return HistoryOrders::cancelledOrder(row, itemCodes(reference_));
}

void OrderBook::FillInitialCancelledOrderCollection(const model::CancelledOrderHD& row) {
    platform::assertMainThread();
    auto order = sessionCancelledOrder(row);
    if (!order) return;
    if (heldIds().cancelled.holds(cancelled_, order->CancelledOrderId())) return;
    heldIds().cancelled.append(cancelled_, std::move(order));
    cancelledOrdersChanged();
}

void OrderBook::SetEquityHitPriceInOrders(const model::EquityHitPriceInfos& row) {
    platform::assertMainThread();
    // By the id index: a walk of every position for each row of the answer was quadratic.
    heldIds().open.forEach(open_, row.PositionId, [&](model::Order& position) {
        position.setEquityHitPrice(row.HitPrice);
        position.UnrealisedPL = row.UnrealisedPL;
        position.FloatingPL = row.UnrealisedPL;
        openPositionsChanged();
    });
}

void OrderBook::fillExecutedPositionSearchData(std::string_view text) {
    platform::assertMainThread();
    const model::HistoryRow row(text);
    auto o = std::make_shared<model::Order>();
    o->OpenPositionId = row.text(0);
    o->AccountNumber = row.text(1);
    o->ItemCode = reference_.itemCode(row.integer(2));
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
    executedSearch_.push_back(std::move(o));
}

void OrderBook::handOver(platform::SteppedRelease& release) {
    for (OrderList* list : {&pending_, &pendingCopy_, &open_, &openCopy_, &cancelled_, &settled_, &executedSearch_}) {
        release.add(std::move(*list));
        list->clear();
    }
    ++openRevision_;
    if (heldIds_)
        for (IdIndex* index : {&heldIds_->open, &heldIds_->pending, &heldIds_->settled, &heldIds_->cancelled,
                               &heldIds_->openCopy, &heldIds_->pendingCopy, &heldIds_->openCodes})
            index->clear();
}

}  // namespace state
