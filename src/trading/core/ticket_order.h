#pragma once
// The request the ticket hands to the order manager, and its confirmation text.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "model/order_info.h"

namespace trading {

// What the ticket's controls hold when an order is built.
struct TicketEntries {
    std::string itemCode;
    std::int32_t orderType = 0;
    std::int32_t deliveryMode = 0;
    std::int32_t timeinForce = 0;
    std::string price;
    std::string takeProfit;
    std::string stopLoss;
    bool takeProfitTicked = false;
    bool stopLossTicked = false;
    bool deviationTicked = false;
    std::string deviation;
};

// The deviation the order carries: the field's integer when ticked, else -1.
std::int32_t deviationValue(const TicketEntries& entries);

model::OrderInfo CreateOrderInfoforTradeMode(const TicketEntries& entries, std::int32_t side, std::int32_t accountNo,
                                             const std::string& quantity);

using TextOfKey = std::function<std::string(const std::string& key)>;

// One account of a multi-account order as the confirmation lists it.
struct ConfirmedAccount {
    std::int32_t accountId = 0;
    std::string quantity;
};

// Accounts listed one a line; more are counted on a last line.
inline constexpr std::size_t kListedAccounts = 20;

// "<side> <quantity> (<amount>) <item> @ <market>", then "<order price> : <price>"
// (the price the order carries), the take-profit and stop-loss lines of the
// ticked boxes, then, when the deviation box is ticked, "<deviation> <points> @
// <price>", the price the deviation is measured from; last, for a
// multi-account order, "<account> : <id>   <quantity> : <quantity>" for each
// account. The amount is computed in double.
std::string confirmationText(const TextOfKey& text, std::int32_t side, const std::string& itemCode,
                             double contractSize, const std::string& quantity, const TicketEntries& entries,
                             const std::string& orderPrice, const std::vector<ConfirmedAccount>& accounts = {});

}  // namespace trading
