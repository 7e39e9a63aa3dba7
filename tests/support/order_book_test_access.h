#pragma once
// The order book's lists, writable, for tests and benchmarks that seed
// orders and positions directly instead of through the order messages.
#include "state/order_book.h"

namespace state {

struct OrderBookTestAccess {
    static OrderList& PendingOrderCollection(OrderBook& b) { return b.pending_; }
    static OrderList& PendingOrderCollectionCopy(OrderBook& b) { return b.pendingCopy_; }
    static OrderList& OpenOrderCollection(OrderBook& b) { return b.open_; }
    static OrderList& OpenOrderCollectionCopy(OrderBook& b) { return b.openCopy_; }
    static OrderList& CancelledOrderCollection(OrderBook& b) { return b.cancelled_; }
    static OrderList& SettledOrderCollection(OrderBook& b) { return b.settled_; }
    static OrderList& ExecutedOrderSearchCollection(OrderBook& b) { return b.executedSearch_; }
    static bool& isExecutedPositionSearch(OrderBook& b) { return b.executedPositionSearch_; }
    // The open list's revision moved, as an announced change moves it, without the notifications.
    static void moveOpenRevision(OrderBook& b) { ++b.openRevision_; }
};

}  // namespace state
