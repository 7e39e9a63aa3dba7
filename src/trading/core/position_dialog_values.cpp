#include "trading/core/position_dialog_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "model/formatter.h"
#include "trading/core/ticket_quantities.h"

namespace trading {

namespace {
constexpr std::int32_t kMarketType = 1;
constexpr std::int32_t kCancelRequest = 1;
constexpr std::int32_t kModifyRequest = 2;
constexpr int kDefaultPlaces = 2;

std::int32_t oppositeSide(std::int32_t tradingMode) {
    return tradingMode == model::Order::kBuy ? model::Order::kSell : model::Order::kBuy;
}

// The fields every request of a row carries.
model::OrderInfo requestOf(const model::Order& order) {
    model::OrderInfo info;
    info.itemCode = order.ItemCode;
    info.accountNo = accountNumberOf(order.AccountNumber);
    info.deliveryMode = order.deliveryMode;
    info.timeinForce = order.timeinForce;
    return info;
}

void setEntries(model::OrderInfo& info, const ModifyEntries& entries) {
    info.quantity = entries.quantity;
    info.limitPrice = entries.takeProfit;
    info.stopPrice = entries.stopLoss;
    info.TakeProfitEnabled = entries.takeProfitTicked;
    info.StopLossEnabled = entries.stopLossTicked;
}
}  // namespace

double closableQuantity(const model::Order& position, const state::Orders& pending) {
    double closing = 0;
    for (const auto& order : pending)
        if (order && order->LiqudateOrderNumber() == position.OpenPositionId)
            closing += numberOfText(order->OrderQty);
    return numberOfText(position.RemainingQty) - closing;
}

std::vector<std::string> unitQuantityList(double quantity, std::size_t cap) {
    std::vector<std::string> list;
    if (!(quantity >= 1)) return list;  // below 1 or not a number
    const double whole = std::trunc(quantity);
    const std::size_t n = whole >= static_cast<double>(cap) ? cap : static_cast<std::size_t>(whole);
    list.reserve(n);
    for (std::size_t i = 1; i <= n; ++i) list.push_back(std::to_string(i));
    return list;
}

std::string quantityDescription(const std::string& quantityText, double contractSize) {
    char buf[512];
    std::snprintf(buf, sizeof buf, " x %.2f = %.2f", contractSize, contractSize * numberOfText(quantityText));
    return quantityText + buf;
}

std::optional<std::string> orderTypeKey(std::int32_t orderType) {
    switch (orderType) {
        case model::Order::kOrderTypeNone: return "90609";
        case model::Order::kMarket: return "0068";
        case model::Order::kLimit: return "90520";
        case model::Order::kStop: return "90521";
        default: return std::nullopt;
    }
}

std::string numberedTitle(const std::string& prefix, const std::string& id) { return prefix + " #" + id; }

std::string priceText(double price, const model::ItemDetails* item) {
    return model::Formatter::formatDecimal(price, item ? item->DecimalPlaces : kDefaultPlaces);
}

std::string priceText(const std::string& price, const model::ItemDetails* item) {
    return priceText(numberOfText(price), item);
}

std::string closeSideKey(std::int32_t tradingMode) {
    if (tradingMode == model::Order::kBuy) return "0010";
    if (tradingMode == model::Order::kSell) return "0009";
    return {};
}

std::optional<double> closingPrice(const model::ItemDetails& item, std::int32_t tradingMode) {
    if (tradingMode == model::Order::kBuy) return item.Bid;
    if (tradingMode == model::Order::kSell) return item.Ask;
    return std::nullopt;
}

std::optional<double> pendingSidePrice(const model::ItemDetails& item, std::int32_t tradingMode) {
    if (tradingMode == model::Order::kBuy) return item.Ask;
    if (tradingMode == model::Order::kSell) return item.Bid;
    return std::nullopt;
}

std::string closeButtonTitle(const KeyText& text, const model::Order& position, const std::string& quantity) {
    const std::string side = closeSideKey(position.tradingMode);
    return numberedTitle(text("90590"), position.OpenPositionId) + " (" + (side.empty() ? "" : text(side)) + " " +
           quantity + " " + position.ItemCode + " @ " + text("0068") + ")";
}

std::string cancelPrefixKey(std::int32_t orderType) {
    switch (orderType) {
        case model::Order::kMarket: return "0819";
        case model::Order::kLimit: return "0252";
        case model::Order::kStop: return "0253";
        default: return {};
    }
}

std::string estimatedPLText(const state::SessionView& session, const model::Order& position,
                            const model::ItemDetails* item, double quantity) {
    double value = 0;
    if (item) {
        const double current = position.tradingMode == model::Order::kBuy ? item->Bid : item->Ask;
        value = state::SessionView::CalculateFloatingPL(item, position.tradingMode, quantity,
                                                         numberOfText(position.OrderPrice), current);
        value = session.calculateCurrencyConversionForValue(value, position);
    }
    // No "-0.00" for a loss that rounds to nothing.
    if (!std::isfinite(value) || std::fabs(value) < 0.005) value = 0;
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.2f", value);
    return buf;
}

std::int32_t closeDeviation(bool ticked, const std::string& text) {
    if (!ticked) return -1;
    const double value = numberOfText(text);
    return std::fabs(value) < 2147483647.0 ? static_cast<std::int32_t>(value) : -1;
}

model::OrderInfo closeRequest(const model::Order& position, const std::string& quantity, std::int32_t deviation) {
    model::OrderInfo info = requestOf(position);
    info.tradingMode = oppositeSide(position.tradingMode);
    info.orderType = kMarketType;
    info.quantity = quantity;
    info.previousQuantity = position.RemainingQty;
    info.orderNo = position.OpenPositionId;
    info.isCloseNew = true;
    info.deviation = deviation;
    return info;
}

model::OrderInfo cancelRequest(const model::Order& order) {
    model::OrderInfo info = requestOf(order);
    info.tradingMode = order.tradingMode;
    info.orderType = kMarketType;
    info.quantity = order.RemainingQty;
    info.price = order.OrderPrice;
    // A cancel carries no bracket prices. (Built as a string: GCC 12 warns
    // wrongly on assigning the literal here at -O3.)
    const std::string none(1, '0');
    info.limitPrice = none;
    info.stopPrice = none;
    info.orderNo = order.PendingOrderId;
    info.editorderReqType = kCancelRequest;
    info.isEWO = info.isCancelOrder = true;
    return info;
}

std::string editPrefixKey(std::int32_t orderType) {
    switch (orderType) {
        case model::Order::kMarket: return "0820";
        case model::Order::kLimit: return "0254";
        case model::Order::kStop: return "0255";
        default: return {};
    }
}

std::int32_t suggestionBuyFlag(std::int32_t tradingMode) { return tradingMode == model::Order::kBuy ? 1 : 0; }

model::OrderInfo bracketRequest(const model::Order& position, const ModifyEntries& entries) {
    model::OrderInfo info = requestOf(position);
    setEntries(info, entries);
    info.tradingMode = oppositeSide(position.tradingMode);
    info.orderType = kMarketType;
    info.price = position.OrderPrice;
    info.orderNo = info.openPositionID = position.OpenPositionId;
    info.pendingOrderID = position.PendingOrderId;
    info.isEBO = true;
    return info;
}

model::OrderInfo editRequest(const model::Order& order, const ModifyEntries& entries) {
    model::OrderInfo info = requestOf(order);
    setEntries(info, entries);
    info.tradingMode = order.tradingMode;
    info.orderType = order.orderType;
    info.price = entries.price;
    info.orderNo = info.pendingOrderID = order.PendingOrderId;
    info.openPositionID = order.OpenPositionId;
    info.editorderReqType = kModifyRequest;
    info.isEWO = true;
    return info;
}

std::int32_t accountNumberOf(const std::string& text) {
    std::int32_t value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && ptr == text.data() + text.size() ? value : 0;
}

}  // namespace trading
