// The checks an order passes before it is sent: stage 1 for every order,
// stage 2 (quantities, prices, brackets, limits, margin) for order types 1 to 3.
// The first failure is reported once and stops the checks.
#include <cmath>
#include <cstdio>
#include <exception>
#include <string_view>

#include "model/formatter.h"
#include "orders/order_lookup.h"
#include "orders/order_mananger.h"
#include "platform/log.h"
#include "protocol/connection_base.h"
#include "state/reference_data.h"
#include "state/session_services.h"

namespace orders {

namespace {

using model::AccountDetails;
using model::Order;

constexpr std::int32_t kMarketBit = 1;
constexpr std::int32_t kBuyRight = 1;
constexpr std::int32_t kSellRight = 2;
constexpr std::int64_t kNoDistanceChecks = 1;
constexpr std::int64_t kDailyLimitChecks = 2;
constexpr std::int32_t kAccessCloseOnly = 2;
constexpr std::int32_t kAccessViewTrade = 3;
constexpr std::int32_t kInstrumentCloseOnly = 2;

// On the step when the remainder, printed "%f", is 0.
bool onStep(double q, double step) {
    char buf[512];
    std::snprintf(buf, sizeof buf, "%f", std::fabs(std::remainder(q, step)));
    return std::string_view(buf) == "0.000000";
}

// A group-instrument limit as a message shows it: "(10)".
std::string inParentheses(double limit) {
    std::string out = "(";
    out += normalised(limit);
    out += ')';
    return out;
}

// The key of the session-rights check, or "" when the rights allow the order.
std::string sessionRightsKey(const Order& o, const model::SessionSettings& s) {
    switch (o.ordertypeInfo) {
        case 0:
            if (!s.allowNewMarket) return o.isEditBracketOrder ? "1051" : "1050";
            break;
        case 1:
            if (!s.allowNewMarket) return o.isEditBracketOrder ? "1051" : o.isEditWorkOrder ? "1053" : "1050";
            if (!s.allowNewTpSl) return "1051";
            break;
        case 2:
            if (!s.allowNewContigent) return "1052";
            break;
        case 3:
            if (!s.allowNewContigent) return "1052";
            if (!s.allowNewTpSl) return "1051";
            break;
        default: break;
    }
    return {};
}

// A price text and a bound formatted to the decimal places, compared as decimals.
int compareAsDecimals(const std::string& priceText, const std::string& boundText) {
    const auto a = model::Decimal::fromString(priceText);
    const model::Decimal left = a ? *a : model::Decimal::fromDouble(numberOf(priceText));
    const auto b = model::Decimal::fromString(boundText);
    const model::Decimal right = b ? *b : model::Decimal::fromDouble(numberOf(boundText));
    return left.compare(right);
}

}  // namespace

bool OrderMananger::hasOrderSettingsRights(const model::GroupInstruments* row, std::int32_t mask) {
    return row && (row->availableOrderSettings & mask) != 0;
}

bool OrderMananger::isContigentOrder(const Order& o) { return o.orderType == Order::kLimit || o.orderType == Order::kStop; }

bool OrderMananger::isOrderAlongWithTPSL(const Order& o) { return o.isTakeProfitEnabled || o.isStopLossEnabled; }

bool OrderMananger::validateOrderSettingsRights(const std::shared_ptr<Order>& order) {
    const OrderRecords r = lookUp(reference_, order->AccountNumber, order->ItemCode);
    const bool buy = order->tradingMode == Order::kBuy;
    if (hasOrderSettingsRights(r.groupInstrument, buy ? kBuyRight : kSellRight)) return true;
    return refuse(order, buy ? "1106" : "1107");
}

bool OrderMananger::Validate(const std::shared_ptr<Order>& order) {
    try {
        return order && verifyStage1(order);
    } catch (const std::exception& e) {
        platform::Log::warning(std::string("Validate: ") + e.what());
        return false;
    }
}

bool OrderMananger::verifyStage1(const std::shared_ptr<Order>& order) {
    const Order& o = *order;
    const OrderRecords r = lookUp(reference_, o.AccountNumber, o.ItemCode);
    const std::int32_t status = r.account ? r.account->tradingStatus : 0;
    const std::int32_t access = r.account ? r.account->accountaccessType : 0;
    if (!services_.connection().isNetworkAvailable) return refuse(order, "1007");
    if (o.ItemCode.empty()) return refuse(order, "20227");
    if (o.AccountNumber.empty()) return refuse(order, "0335");
    if (o.orderType == Order::kOrderTypeNone) return refuse(order, "1080");
    if (!r.account || !(r.account->availableOrderTypes & kMarketBit)) return refuse(order, "1081");
    if (!r.item || !(r.item->availableOrderTypes & kMarketBit)) return refuse(order, "1082");
    if (status == AccountDetails::kStatusViewOnly) return refuse(order, "1068");
    if (status == AccountDetails::kStatusSuspended) return refuse(order, "0334");
    if (status == AccountDetails::kStatusClosePositionOnly && !o.isCloseNew) return refuse(order, "1068");
    if (status == AccountDetails::kStatusEquityHit) return refuse(order, "0333");
    if (status == AccountDetails::kStatusClosed) return refuse(order, "1068");
    if (access == kAccessViewTrade) return refuse(order, "1068");
    if (access == kAccessCloseOnly && !o.isCloseNew) return refuse(order, "1068");
    if (r.item->instrumentTradingStatus == kInstrumentCloseOnly && !o.isCloseNew) return refuse(order, "1068");
    if (!(numberOf(o.OrderPrice) > 0)) return refuse(order, "1035", "0");
    if (!(numberOf(o.OrderQty) > 0)) return refuse(order, "1003");
    if (o.isCloseNew && numberOf(o.OrderQty) > numberOf(o.PreviousOrderQty()))
        return refuse(order, "1030", normalised(numberOf(o.PreviousOrderQty())));
    if (!r.groupInstrument || !r.groupInstrument->isAvailableForTrading) return refuse(order, "1069");
    if (o.tradingMode == Order::kSell && !verifyShortSellAllowed(order)) return false;
    if (!validateOrderSettingsRights(order)) return false;
    if (o.orderType == Order::kMarket || o.orderType == Order::kLimit || o.orderType == Order::kStop)
        return VerifyOrder(order);
    return true;
}

bool OrderMananger::VerifyOrder(const std::shared_ptr<Order>& order) {
    try {
        const Order& o = *order;
        const state::ReferenceData& data = reference_;
        const OrderRecords r = lookUp(data, o.AccountNumber, o.ItemCode);
        const double p = numberOf(o.OrderPrice);
        const double q = numberOf(o.OrderQty);
        const double bid = marketBid(r.item);
        const double ask = marketAsk(r.item);
        const model::SessionSettings* session = findSession(data, r.item);
        if (!session) return refuse(order, "1049");
        if (const std::string key = sessionRightsKey(o, *session); !key.empty()) return refuse(order, key);
        if (!r.group || !r.group->TradingEnabled) return refuse(order, "1068");
        if (!r.groupInstrument || !r.item) return refuse(order, "1075");
        const model::GroupInstruments& row = *r.groupInstrument;
        const model::ItemDetails& item = *r.item;
        const bool closesAll = o.isCloseNew && numberOf(o.PreviousOrderQty()) == q;
        if (q > row.MaxOrderQty) return refuse(order, "1023", inParentheses(row.MaxOrderQty));
        if (q < row.MinOrderQty && !closesAll) return refuse(order, "1024", inParentheses(row.MinOrderQty));
        if (row.OrderQtyStep > 0 && !closesAll && !onStep(q, row.OrderQtyStep))
            return refuse(order, "1034", inParentheses(row.OrderQtyStep));
        if (isContigentOrder(o) && !verifyEntryPrice(order, item, row, p, bid, ask)) return false;
        const bool dailyLimits = (item.orderSettings2 & kDailyLimitChecks) != 0;
        if (dailyLimits && isContigentOrder(o) && !verifyCircuitLimit(&item, order, p)) return false;
        // The base of the bracket distances, in the direction of the position.
        double base = p;
        if (!o.isEditBracketOrder && o.orderType == Order::kMarket) base = o.tradingMode == Order::kBuy ? bid : ask;
        if (!verifyBracket(order, item, row, base)) return false;
        if (dailyLimits && isOrderAlongWithTPSL(o) && !verifyCircuitLimit(&item, order, base)) return false;
        if (!CheckMargin(o)) return refuse(order, "1067");
        return true;
    } catch (const std::exception& e) {
        platform::Log::warning(std::string("VerifyOrder: ") + e.what());
        return false;
    }
}

bool OrderMananger::verifyEntryPrice(const std::shared_ptr<Order>& order, const model::ItemDetails& item,
                                     const model::GroupInstruments& row, double p, double bid, double ask) {
    const Order& o = *order;
    if (!CheckTickPrice(p, item.DecimalPlaces, item.TickSize).isZero()) return refuse(order, "0423");
    if (item.orderSettings2 & kNoDistanceChecks) return true;
    const bool limit = o.orderType == Order::kLimit;
    const bool buy = o.tradingMode == Order::kBuy;
    const double d = (limit ? row.LimitMinPips : row.StopMinPips) * item.TickSize;
    double bound = 0;
    bool passes = true;
    const char* key = "";
    if (limit && buy) {
        bound = CalculateContingentPrice(ask, d, false);
        passes = p <= bound;
        key = "1039";
    } else if (limit) {
        bound = CalculateContingentPrice(bid, d, true);
        passes = p >= bound;
        key = "1038";
    } else if (buy) {
        bound = CalculateContingentPrice(ask, d, true);
        passes = p >= bound;
        key = "1042";
    } else {
        bound = CalculateContingentPrice(bid, d, false);
        passes = p <= bound;
        key = "1043";
    }
    // A bound such as 2051.33 - 0.05 lands a hair below 2051.28 in binary: compare
    // against the bound as the refusal prints it, so a price shown as allowed passes.
    const double shown = std::stod(model::Formatter::formatDecimal(bound, item.DecimalPlaces));
    if (passes || p == shown) return true;
    return refuse(order, key, model::Formatter::formatDecimal(bound, item.DecimalPlaces));
}

bool OrderMananger::verifyBracket(const std::shared_ptr<Order>& order, const model::ItemDetails& item,
                                  const model::GroupInstruments& row, double base) {
    const Order& o = *order;
    // A bracket edit carries the closing side: a sell protects a long position.
    const bool long_ = o.isEditBracketOrder ? o.tradingMode != Order::kBuy : o.tradingMode == Order::kBuy;
    const bool distances = !(item.orderSettings2 & kNoDistanceChecks);
    auto bound = [&](double d, bool up) {
        return model::Formatter::formatDecimal(CalculateContingentPrice(base, d, up), item.DecimalPlaces);
    };
    if (o.isTakeProfitEnabled) {
        if (!CheckTickPrice(numberOf(o.LimitPrice), item.DecimalPlaces, item.TickSize).isZero())
            return refuse(order, "20232");
        if (distances) {
            const std::string l = bound(row.LimitMinPips * item.TickSize, long_);
            const int c = compareAsDecimals(o.LimitPrice, l);
            if (long_ && c < 0) return refuse(order, "20231", l);
            if (!long_ && c > 0) return refuse(order, "20233", l);
        }
    }
    if (o.isStopLossEnabled) {
        if (!CheckTickPrice(numberOf(o.StopPrice), item.DecimalPlaces, item.TickSize).isZero())
            return refuse(order, "20229");
        if (distances) {
            const std::string l = bound(row.StopMinPips * item.TickSize, !long_);
            const int c = compareAsDecimals(o.StopPrice, l);
            if (long_ && c > 0) return refuse(order, "20230", l);
            if (!long_ && c < 0) return refuse(order, "20228", l);
        }
    }
    return true;
}

}  // namespace orders
