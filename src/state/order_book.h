#pragma once
// Pending orders, open positions with their brackets, settled and cancelled
// orders: the order-status (62), settlement (66), position (67) and
// hedged-close (1052) messages. The collection handlers are filled in by the
// order-state work; until then they keep nothing.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/cancelled_order_hd.h"
#include "model/equity_hit_price_infos.h"
#include "model/open_order_hd.h"
#include "model/order.h"
#include "model/pending_order_hd.h"
#include "model/settled_order_hd.h"
#include "state/dispatcher.h"
#include "state/ordered_dictionary.h"
#include "state/session_component.h"

namespace state {

class BusinessBase;
using OrderList = std::vector<std::shared_ptr<model::Order>>;

class OrderBook : public SessionComponent {
public:
    explicit OrderBook(BusinessBase& session) : session_(session) {}
    const char* componentName() const override { return "OrderBook"; }
    void registerHandlers(Dispatcher& table) override;

    // --- Collections (main thread) -----------------------------------------
    OrderList PendingOrderCollection;
    OrderList PendingOrderCollectionCopy;
    OrderList OpenOrderCollection;
    OrderList OpenOrderCollectionCopy;
    OrderList CancelledOrderCollection;
    OrderList SettledOrderCollection;
    OrderList ExecutedOrderSearchCollection;
    bool isExecutedPositionSearch = false;
    // "<item code>#<delivery mode>" -> "%.2f" margin.
    OrderedDictionary<std::string> HedgeMarginCollection;

    // A sent new order stands in the pending orders until the server answers it
    // (order_book_placement.cpp).
    void AddPendingOrder(std::shared_ptr<model::Order> order);

    // --- Handlers of the order and position messages -------------------------
    virtual void UpdatePendingOrderCollection(const FieldList&, const std::optional<std::string>& /*pendingOrderId*/) {}
    virtual void RemovePendingOrder(const std::optional<std::string>& /*pendingOrderId*/, bool /*byServerId*/) {}
    virtual void FillCancelledOrderCollection(std::int32_t /*id*/, std::int32_t /*status*/, const FieldList&) {}
    virtual void FillPendingOrderCollection(const FieldList&, const std::optional<std::string>& /*pendingOrderId*/) {}
    virtual void ModifyBracketOrderUpdateonOpenOrderCollection(const FieldList&,
                                                               const std::optional<std::string>& /*reference*/,
                                                               std::int32_t /*status*/) {}
    virtual void FillSettledOrderCollection(const FieldList&) {}
    virtual void UpdateOpenOrderCollection(const std::optional<std::string>& /*positionId*/, const FieldList&,
                                           const std::optional<std::string>& /*remainingQty*/) {}
    virtual void FillOpenOrderCollection(const FieldList&) {}

    // --- Initial collections from the data service (order_book_history.cpp) ---
    // Rows whose id is held already are dropped; closed rows go to the copies.
    void FillInitialOpenOrderCollection(const model::OpenOrderHD& row);
    // Sets the bracket prices of the position it refers to, then stores.
    void FillInitialPendingOrderCollection(const model::PendingOrderHD& row);
    void FillInitialSettledOrderCollection(const model::SettledOrderHD& row);
    void FillInitialCancelledOrderCollection(const model::CancelledOrderHD& row);
    void SetEquityHitPriceInOrders(const model::EquityHitPriceInfos& row);
    // One row of an executed-position search, appended as the server sent it.
    void fillExecutedPositionSearchData(std::string_view row);
    // The order of a cancelled row of one of the session's accounts with an
    // instrument; null for any other row.
    std::shared_ptr<model::Order> sessionCancelledOrder(const model::CancelledOrderHD& row) const;

protected:
    BusinessBase& session_;

private:
    struct HeldIds;
    // Ids held by each initial collection, so a large answer is not quadratic.
    std::shared_ptr<HeldIds> heldIds_;

    void orderStatus(const Dispatch& m);
    void orderRejected(const Dispatch& m);
    void positionUpdate(const Dispatch& m);
    // The bracket reference of the last copied pending order with this id.
    std::optional<std::string> bracketOfPendingOrder(const std::optional<std::string>& pendingOrderId) const;
};

}  // namespace state
