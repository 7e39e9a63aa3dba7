#pragma once
// The orders made of history rows: open positions, pending, settled and
// cancelled orders as the data service lists them. Prices and quantities the
// client computes are written back as "%f" text, settled profit as "%.2f".
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "model/cancelled_order_hd.h"
#include "model/open_order_hd.h"
#include "model/order.h"
#include "model/pending_order_hd.h"
#include "model/settled_order_hd.h"
#include "model/text_pool.h"

namespace state::HistoryOrders {

// The code of the instrument with an id (sharing the instrument's field); "" when the session holds none.
using ItemCodeOf = std::function<model::CompactText(std::int32_t instrumentId)>;

std::string sixDecimals(double value);
// "yyyyMMddHHmmss" to "MM/dd/yyyy HH:mm:ss" or "MM/dd/yyyy"; "", the null date
// and text that does not parse give "".
std::string dateTime(const std::string& wire);
std::string date(const std::string& wire);
// The commission paid spread over the quantity still open; 0 without an initial quantity.
double commission(double initialQty, double remainingQty, double paid);
// Side of a buy flag: 0 buy, 1 sell.
inline std::int32_t side(bool isBuy) { return isBuy ? model::Order::kBuy : model::Order::kSell; }

// Quantities and dates, which repeat from row to row, are held once in `repeated`.
std::shared_ptr<model::Order> openOrder(const model::OpenOrderHD& row, const ItemCodeOf& itemCode,
                                        model::TextPool& repeated);
std::shared_ptr<model::Order> pendingOrder(const model::PendingOrderHD& row, const ItemCodeOf& itemCode,
                                           model::TextPool& repeated);
std::shared_ptr<model::Order> settledOrder(const model::SettledOrderHD& row, const ItemCodeOf& itemCode,
                                           model::TextPool& repeated);
std::shared_ptr<model::Order> cancelledOrder(const model::CancelledOrderHD& row, const ItemCodeOf& itemCode);

}  // namespace state::HistoryOrders
