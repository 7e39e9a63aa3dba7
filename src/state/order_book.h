#pragma once
// Pending orders, open positions with their brackets, settled and cancelled
// orders: the order-status (62), settlement (66), position (67) and
// hedged-close (1052) messages. Handlers and mutators run on the main thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/search_info.h"
#include "model/cancelled_order_hd.h"
#include "model/equity_hit_price_infos.h"
#include "model/open_order_hd.h"
#include "model/order.h"
#include "model/pending_order_hd.h"
#include "model/settled_order_hd.h"
#include "state/dispatcher.h"
#include "state/history_orders.h"
#include "state/ordered_dictionary.h"
#include "state/state_queries.h"
#include "state/session_component.h"

namespace platform {
class SteppedRelease;
}

namespace state {

class SessionServices;
class ReferenceData;
using OrderList = std::vector<std::shared_ptr<model::Order>>;

class OrderBook : public SessionComponent {
public:
    OrderBook(SessionServices& services, const ReferenceData& reference) : services_(services), reference_(reference) {}
    const char* componentName() const override { return "OrderBook"; }
    void registerHandlers(Dispatcher& table) override;

    // --- Collections (main thread, const) ---------------------------------------
    const OrderList& PendingOrderCollection() const { return pending_; }
    const OrderList& PendingOrderCollectionCopy() const { return pendingCopy_; }
    const OrderList& OpenOrderCollection() const { return open_; }
    const OrderList& OpenOrderCollectionCopy() const { return openCopy_; }
    // Grows with every announced change of the open positions or their order.
    std::uint64_t openRevision() const { return openRevision_; }
    const OrderList& CancelledOrderCollection() const { return cancelled_; }
    const OrderList& SettledOrderCollection() const { return settled_; }
    const OrderList& ExecutedOrderSearchCollection() const { return executedSearch_; }
    bool isExecutedPositionSearch() const { return executedPositionSearch_; }
    // "<item code>#<delivery mode>" -> "%.2f" margin.
    const OrderedDictionary<std::string>& HedgeMarginCollection() const { return hedgeMargins_; }

    // Codes of the visible open positions, then of the visible pending orders.
    std::vector<std::string> heldItemCodes() const;
    // Calls f with each open position of the instrument, in list order (by an
    // index of their codes, not a walk of every position).
    void forEachOpenPositionOf(std::string_view itemCode, const std::function<void(const model::Order&)>& f);

    // --- Changes of the collections ------------------------------------------------
    void setExecutedPositionSearch(bool search) { executedPositionSearch_ = search; }
    void setHedgeMargin(const std::string& key, const std::string& margin) { hedgeMargins_.set(key, margin); }
    // Sorts a table's list in place by the descriptors (state_queries' sortOrders).
    void sortOpenOrders(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortPendingOrders(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortCancelledOrders(const std::optional<std::vector<SortDescriptor>>& descriptors);
    void sortSettledOrders(const std::optional<std::vector<SortDescriptor>>& descriptors);

    // --- Handlers of the order and position messages -------------------------
    // Virtual so that a session can be observed through a replacement.
    // Status 22 and 75: rewrites the order with this id in place; its bracket
    // prices follow the message (absent: cleared).
    virtual void UpdatePendingOrderCollection(const MessageFields& fields, const std::optional<std::string>& pendingOrderId);
    // Moves the first order with this PendingOrderId (byServerId) or with the
    // request id given as decimal text into PendingOrderCollectionCopy.
    virtual void RemovePendingOrder(const std::optional<std::string>& id, bool byServerId);
    // Status 24: a new record whose quantity is what was still open; status
    // 25: the pending record itself, found by request id or PendingOrderId.
    virtual void FillCancelledOrderCollection(std::int32_t id, std::int32_t status, const MessageFields& fields);
    // Status 28: replaces the placeholder or the earlier record of the order.
    virtual void FillPendingOrderCollection(const MessageFields& fields, const std::optional<std::string>& pendingOrderId);
    // Copies a bracket leg's price into the referenced position, or clears it
    // when the leg is filled, cancelled or rejected.
    virtual void ModifyBracketOrderUpdateonOpenOrderCollection(const MessageFields& fields,
                                                               const std::optional<std::string>& reference,
                                                               std::int32_t status);
    virtual void FillSettledOrderCollection(const MessageFields& fields);
    // A remaining quantity of 0 ("0", "0.00") closes the position unchanged;
    // any other applies the price, quantity, storage and commission fields.
    virtual void UpdateOpenOrderCollection(const std::optional<std::string>& positionId, const MessageFields& fields,
                                           const std::optional<std::string>& remainingQty);
    virtual void FillOpenOrderCollection(const MessageFields& fields);

    // The order manager's placeholder for an order it has sent; null is ignored.
    void AddPendingOrder(std::shared_ptr<model::Order> order);
    // The connection ended: placeholders the server never answered would stay
    // without an id or a status; they go. Returns how many went.
    std::size_t dropUnconfirmedOrders();

    // --- Initial collections from the data service (order_book_history.cpp) ---
    // Rows whose id is held already are dropped; closed rows go to the copies.
    // `itemCode` names each row's instrument (read once per answer by the caller).
    void FillInitialOpenOrderCollection(const model::OpenOrderHD& row, const HistoryOrders::ItemCodeOf& itemCode);
    // Room for an answer's `count` open positions in their id index before they are filled.
    void expectOpenPositions(std::size_t count);
    // Sets the bracket prices of the position it refers to, then stores.
    void FillInitialPendingOrderCollection(const model::PendingOrderHD& row,
                                           const HistoryOrders::ItemCodeOf& itemCode);
    void FillInitialSettledOrderCollection(const model::SettledOrderHD& row,
                                           const HistoryOrders::ItemCodeOf& itemCode);
    void FillInitialCancelledOrderCollection(const model::CancelledOrderHD& row);
    void SetEquityHitPriceInOrders(const model::EquityHitPriceInfos& row);
    // One row of an executed-position search, appended as the server sent it.
    void fillExecutedPositionSearchData(std::string_view row);
    // The order of a cancelled row of one of the session's accounts with an
    // instrument; null for any other row.
    std::shared_ptr<model::Order> sessionCancelledOrder(const model::CancelledOrderHD& row) const;

    void clearExecutedOrderSearchCollection() { executedSearch_.clear(); }
    // A login was accepted: its fresh answers replace every order collection.
    void clearForLogin();

    // --- Requests whose answers land here (1023, main thread) ---------------------
    void requestOpenPosition();
    void requestPendingOrders();
    void requestSettledOrders();
    void requestCancelledOrders();
    void requestEquityPriceinfo(std::int32_t accountId);
    void requestExecutedPosition(const model::SearchInfo& search);

    // --- What the order book announces (order_book_notifications.cpp) ---------------
    void CloseHedgedPositionsNotification();
    // "item#price#settlement id": the settled banner.
    void ShowSettledOrderNotification(const std::string& text);
    void OrderRejectionNotification(const std::string& reason);
    // Tag 125 of the rejected message and the rejection reason text.
    void bulkCloseRejectedNotification(const std::string& reference, const std::string& reason);
    void bulkCloseSettledNotification(const std::shared_ptr<model::Order>& settled);
    void orderexecutedNotification(const std::shared_ptr<model::Order>& order);
    void TradeConfirmationNotification(const std::string& text);
    void PendingOrderNotification(const std::shared_ptr<model::Order>& order);
    void executedPositionSearchNotification();

    // At the session's end: moves the lists into `release`, leaving them empty.
    void handOver(platform::SteppedRelease& release);

protected:
    SessionServices& services_;
    const ReferenceData& reference_;

private:
    friend struct OrderBookTestAccess;

    OrderList pending_;
    OrderList pendingCopy_;
    OrderList open_;
    std::uint64_t openRevision_ = 0;
    OrderList openCopy_;
    OrderList cancelled_;
    OrderList settled_;
    OrderList executedSearch_;
    bool executedPositionSearch_ = false;
    OrderedDictionary<std::string> hedgeMargins_;

    // A change of the lists behind these tables, announced once per slice.
    void openPositionsChanged();
    void pendingOrdersChanged();
    void cancelledOrdersChanged();
    void settledOrdersChanged();

    struct HeldIds;
    // Ids held by each initial collection, so a large answer is not quadratic.
    std::shared_ptr<HeldIds> heldIds_;
    // The indexes, made at the first use.
    HeldIds& heldIds();

    // Open positions by id, through the index the initial collection keeps.
    bool holdsOpenPosition(const std::string& id);
    void appendOpenPosition(std::shared_ptr<model::Order> position);
    // Each open position of this id, in list order; the first one taken out of the list (null: none).
    void forEachOpenPosition(std::string_view id, const std::function<void(model::Order&)>& f);
    std::shared_ptr<model::Order> takeOpenPosition(std::string_view id);
    // To PendingOrderCollectionCopy, and its orders of this id in list order, through its id index.
    void appendPendingCopy(std::shared_ptr<model::Order> order);
    void forEachPendingCopy(std::string_view id, const std::function<void(const model::Order&)>& f);
    // To OpenOrderCollectionCopy, through its id index.
    void appendOpenCopy(std::shared_ptr<model::Order> position);
    // Calls f with each open position, then each copy, of this id, in list order (by their id indexes).
    void forEachPositionOrCopy(std::string_view id, const std::function<void(const model::Order&)>& f);
    // Settlements by id, through the index the initial collection keeps.
    bool holdsSettlement(std::string_view id);
    void appendSettlement(std::shared_ptr<model::Order> settled);

    void orderStatus(const Dispatch& m);
    void orderRejected(const Dispatch& m);
    void positionUpdate(const Dispatch& m);
    // The bracket reference of the last copied pending order with this id.
    std::optional<std::string> bracketOfPendingOrder(const std::optional<std::string>& pendingOrderId);
};

}  // namespace state
