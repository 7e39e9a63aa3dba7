#include "platform/main_executor.h"
#include "state/order_book.h"

namespace state {

void OrderBook::AddPendingOrder(std::shared_ptr<model::Order> order) {
    platform::assertMainThread();
    if (order) PendingOrderCollection.push_back(std::move(order));
}

}  // namespace state
