#include "trading/core/ticket_order.h"

#include <cstdio>

#include "trading/core/ticket_quantities.h"

namespace trading {

std::int32_t deviationValue(const TicketEntries& entries) {
    if (!entries.deviationTicked) return -1;
    return static_cast<std::int32_t>(numberOfText(entries.deviation));
}

model::OrderInfo CreateOrderInfoforTradeMode(const TicketEntries& entries, std::int32_t side, std::int32_t accountNo,
                                             const std::string& quantity) {
    model::OrderInfo info;
    info.itemCode = entries.itemCode;
    info.tradingMode = side;
    info.accountNo = accountNo;
    info.orderType = entries.orderType;
    info.quantity = quantity;
    info.deliveryMode = entries.deliveryMode;
    info.timeinForce = entries.timeinForce;
    info.price = entries.price;
    info.limitPrice = entries.takeProfit;
    info.stopPrice = entries.stopLoss;
    info.TakeProfitEnabled = entries.takeProfitTicked;
    info.StopLossEnabled = entries.stopLossTicked;
    info.deviation = deviationValue(entries);
    return info;
}

std::string confirmationText(const TextOfKey& text, std::int32_t side, const std::string& itemCode,
                             double contractSize, const std::string& quantity, const TicketEntries& entries,
                             const std::string& orderPrice, const std::vector<ConfirmedAccount>& accounts) {
    char amount[512];
    std::snprintf(amount, sizeof amount, "%.0f", numberOfText(quantity) * contractSize);
    std::string out = text(side != 0 ? "0010" : "0009") + " " + quantity + " (" + amount + ") " + itemCode + " @ " +
                      text("0068") + "\n\n";
    out += text("0232") + " : " + orderPrice + "\n\n";
    if (entries.takeProfitTicked) out += text("0233") + " @ " + entries.takeProfit + "\n\n";
    if (entries.stopLossTicked) out += text("0234") + " @ " + entries.stopLoss + "\n\n";
    if (entries.deviationTicked)
        out += text("10848") + " " + std::to_string(deviationValue(entries)) + " @ " + orderPrice + "\n\n";
    for (std::size_t i = 0; i < accounts.size() && i < kListedAccounts; ++i)
        out += text("0012") + " : " + std::to_string(accounts[i].accountId) + "   " + text("0027") + " : " +
               accounts[i].quantity + "\n";
    if (accounts.size() > kListedAccounts) out += "… " + text("21008") + " : " + std::to_string(accounts.size()) + "\n";
    return out;
}

}  // namespace trading
