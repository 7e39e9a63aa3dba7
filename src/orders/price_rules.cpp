// Price rules of an instrument: the tick grid, the daily price limits and the
// boundary prices the order windows hint at.
#include <cmath>
#include <cstdio>

#include "model/formatter.h"
#include "orders/order_lookup.h"
#include "orders/order_mananger.h"
#include "state/reference_data.h"

namespace orders {

namespace {

using model::Decimal;
using model::Order;

// A double enters decimal arithmetic through its "%f" text.
Decimal decimalOf(double value) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%f", value);
    return Decimal::fromString(buf).value_or(Decimal::notANumber());
}

std::string priceText(const model::ItemDetails* item, double price) {
    return model::Formatter::formatDecimal(price, item ? item->DecimalPlaces : 0);
}

}  // namespace

Decimal OrderMananger::CheckTickPrice(double price, std::int32_t decimalPlaces, double tickSize) {
    // Without a positive tick there is no grid to be off.
    if (!(tickSize > 0)) return Decimal();
    const double f = std::pow(10.0, decimalPlaces);
    return decimalOf(price * f).moduloFor(decimalOf(f * tickSize));
}

double OrderMananger::doPriceTickCorrection(double tickSize, double price, std::uint32_t /*decimalPlaces*/, bool add) {
    if (!(tickSize > 0)) return price;
    const Decimal r = decimalOf(price).moduloFor(decimalOf(tickSize));
    if (r.isNaN()) return price;
    const double q = price - r.toDouble();
    return add && !r.isZero() ? q + tickSize : q;
}

double OrderMananger::getFluctuationLimitUpPrice(const model::ItemDetails* item) {
    if (!item) return 0;
    if (item->circuitLimitUp > 0) return item->circuitLimitUp;
    if (!(item->CircuitLimit > 0)) return 0;
    const double limit = item->PrevClose + item->PrevClose * item->CircuitLimit / 100;
    return doPriceTickCorrection(item->TickSize, limit, static_cast<std::uint32_t>(item->DecimalPlaces), false);
}

double OrderMananger::getFluctuationLimitDownPrice(const model::ItemDetails* item) {
    if (!item) return 0;
    if (item->circuitLimitDown > 0) return item->circuitLimitDown;
    if (!(item->CircuitLimit > 0)) return 0;
    const double limit = item->PrevClose - item->PrevClose * item->CircuitLimit / 100;
    return doPriceTickCorrection(item->TickSize, limit, static_cast<std::uint32_t>(item->DecimalPlaces), true);
}

bool OrderMananger::verifyFluctuationLimit(const model::ItemDetails* item, double price, double& up, double& down) {
    up = getFluctuationLimitUpPrice(item);
    down = getFluctuationLimitDownPrice(item);
    if (up > 0 && down > 0) return down <= price && price <= up;
    if (up > 0) return price <= up;
    if (down > 0) return price >= down;
    return true;
}

bool OrderMananger::verifyCircuitLimit(const model::ItemDetails* item, const std::shared_ptr<Order>& order,
                                       double price) {
    double up = 0, down = 0;
    if (verifyFluctuationLimit(item, price, up, down)) return true;
    // The format is the system's own; the texts only fill it.
    const std::string message = model::Formatter::fillFormat(
        "%@\n%@ : %@\t%@ : %@", {text("1202"), text("0760"), priceText(item, up), text("0761"), priceText(item, down)});
    sendNotification(message, order);
    return false;
}

double OrderMananger::CalculateContingentPrice(double price, double distance, bool add) {
    if (distance == 0) return price;
    return add ? price + distance : price - distance;
}

const model::GroupInstruments* OrderMananger::groupInstrumentFor(std::int32_t accountId,
                                                                 const model::ItemDetails* item) const {
    if (!item) return nullptr;
    return lookUp(reference_, std::to_string(accountId), item->Code).groupInstrument;
}

std::string OrderMananger::boundaryText(const model::ItemDetails* item, double boundary, const char* hintFormat,
                                        bool hint) const {
    const std::string price = priceText(item, boundary);
    return hint ? model::Formatter::fillFormat(hintFormat, {price}) : price;
}

std::string OrderMananger::OrderTypeChange(std::int32_t orderType, std::int32_t side, const std::string& itemCode,
                                           std::int32_t accountId, bool hint) const {
    if (orderType != Order::kLimit && orderType != Order::kStop) return {};
    const model::ItemDetails* item = findItem(reference_, itemCode);
    const model::GroupInstruments* row = groupInstrumentFor(accountId, item);
    const double tick = item ? item->TickSize : 0;
    const bool buy = side == Order::kBuy;
    const bool limit = orderType == Order::kLimit;
    const double d = (row ? (limit ? row->LimitMinPips : row->StopMinPips) : 0) * tick;
    const double from = buy ? marketAsk(item) : marketBid(item);
    // Limit: buy below the Ask, sell above the Bid; Stop the other way round.
    const bool up = limit ? !buy : buy;
    return boundaryText(item, CalculateContingentPrice(from, d, up), up ? ">= %@" : "<= %@", hint);
}

std::string OrderMananger::UpdateTakeProfitandStopLoss(std::int32_t buyFlag, const std::string& itemCode,
                                                       bool takeProfit, std::int32_t accountId, std::int32_t orderType,
                                                       const std::string& orderPrice, bool hint) const {
    const model::ItemDetails* item = findItem(reference_, itemCode);
    const model::GroupInstruments* row = groupInstrumentFor(accountId, item);
    const double tick = item ? item->TickSize : 0;
    const bool buy = buyFlag == 1;
    const double base = orderType == Order::kMarket ? (buy ? marketBid(item) : marketAsk(item)) : numberOf(orderPrice);
    const double d = (row ? (takeProfit ? row->LimitMinPips : row->StopMinPips) : 0) * tick;
    // Take profit above a buy, stop loss below it; the other way round for a sell.
    const bool up = takeProfit ? buy : !buy;
    return boundaryText(item, CalculateContingentPrice(base, d, up), up ? ">= %@" : "<= %@", hint);
}

}  // namespace orders
