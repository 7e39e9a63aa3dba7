// Whether an account can carry one more order, and the hedge margin of an
// instrument of the current account.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

#include "orders/order_lookup.h"
#include "orders/order_mananger.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/session_view.h"
#include "state/state_queries.h"

namespace orders {

namespace {

using model::GroupInstruments;
using model::Order;

constexpr std::uint64_t kFormulaAveragePrice = 1;
constexpr std::uint64_t kFormulaTimesRate = 3;
constexpr std::uint64_t kFormulaByRate = 4;
constexpr std::int32_t kHedgeModeMatchedPercent = 1;

// x / (R / T) with the average rate 0 read as an unbounded amount, so the check fails.
double byAverageRate(double x, double rateCost, double total) {
    const double average = rateCost / total;
    return average == 0 ? std::numeric_limits<double>::infinity() : x / average;
}

// An unbounded per-lot amount times no lots is still unbounded, never NaN.
double bounded(double margin) { return std::isnan(margin) ? std::numeric_limits<double>::infinity() : margin; }

}  // namespace

double OrderMananger::getMargin(const GroupInstruments* row, std::int32_t deliveryMode) {
    if (!row) return 0;
    switch (deliveryMode) {
        case Order::kIntraday: return row->IntradayOrderMargin;
        case Order::kBTST: return row->BTSTOrderMargin;
        default: return row->InitialMargin;
    }
}

void OrderMananger::forEachPositionOf(const std::string& itemCode, const std::string& accountNumber,
                                       std::int32_t delivery, const std::function<void(const Order&)>& f) const {
    // The instrument's positions by the book's index: a check for each of many
    // positions (a close-all, the margin pie) walked every position each time.
    const auto& accounts = reference_.AccountDetailCollection();
    book_.forEachOpenPositionOf(itemCode, [&](const Order& p) {
        if (p.AccountNumber != accountNumber || p.deliveryMode != delivery) return;
        if (state::Queries::isOrderVisible(accounts, p)) f(p);
    });
}

void OrderMananger::getTotalLotsAndCost(const std::string& itemCode, const std::string& accountNumber,
                                        std::int32_t delivery, double& totalBuy, double& totalSell,
                                        double& totalBuyCost, double& totalSellCost, double& totalRateCost) const {
    forEachPositionOf(itemCode, accountNumber, delivery, [&](const Order& p) {
        const double q = numberOf(p.RemainingQty);
        if (p.tradingMode == Order::kBuy) {
            totalBuy += q;
            totalBuyCost += numberOf(p.OrderPrice) * q;
        } else {
            totalSell += q;
            totalSellCost += numberOf(p.OrderPrice) * q;
        }
        totalRateCost += p.BaseCurrencyRate * q;
    });
}

void OrderMananger::GetTotalLots(const std::string& itemCode, const std::string& accountNumber, std::int32_t delivery,
                                 double& totalBuy, double& totalSell) const {
    forEachPositionOf(itemCode, accountNumber, delivery, [&](const Order& p) {
        (p.tradingMode == Order::kBuy ? totalBuy : totalSell) += numberOf(p.RemainingQty);
    });
}

double OrderMananger::calculateHedgeMargin(double b, double s, double p, double percent) {
    return std::fabs(std::fabs(b - s) * p + percent / 100 * std::min(b, s) * p);
}

double OrderMananger::Hedge(double b, double s, double p, double percent, bool netOnly, bool secondFlag) {
    if (netOnly && !secondFlag) return std::fabs(b - s) * p;
    return calculateHedgeMargin(b, s, p, percent);
}

double OrderMananger::calulateMargin(double b, double s, double m, std::int32_t mode, double /*overnightMargin*/,
                                     double contractSize, double bc, bool /*isEod*/, double liquidationMargin,
                                     double sc, double sm, bool /*isOneSideMargin*/, std::uint64_t formula,
                                     double r) {
    const double t = b + s;
    if (!(t > 0)) return 0;
    if (formula == 0) formula = 1;
    const bool percentage = mode == GroupInstruments::kMarginPercentage;
    if (sm != 0 && sm != m) {
        if (!percentage) return m * b + sm * s;  // sell lots at the sell rate per lot
        double mb = m * contractSize / 100;
        double ms = sm * contractSize / 100;
        if (formula == kFormulaByRate) {
            mb = byAverageRate(mb, r, t);
            ms = byAverageRate(ms, r, t);
        } else if (formula == kFormulaTimesRate) {
            mb *= r / t;
            ms *= r / t;
        } else if (formula == kFormulaAveragePrice) {
            if (b > 0) mb *= bc / b;
            if (s > 0) ms *= sc / s;
        }
        return bounded(mb * b + ms * s);
    }
    double p = m;
    if (percentage) {
        const double x = contractSize * m / 100;
        if (formula == kFormulaByRate) p = byAverageRate(x, r, t);
        else if (formula == kFormulaTimesRate) p = x * (r / t);
        else if (formula == kFormulaAveragePrice) p = (bc + sc) / t * x;
        else p = x;
    }
    return bounded(calculateHedgeMargin(b, s, p, liquidationMargin));
}

bool OrderMananger::CheckMargin(const Order& o) const {
    const OrderRecords rec = lookUp(reference_, o.AccountNumber, o.ItemCode);
    const GroupInstruments* row = rec.groupInstrument;
    const double m = getMargin(row, o.deliveryMode);
    const double qty = numberOf(o.OrderQty);
    if (o.isCancelOrder) return true;
    const double available = rec.account ? rec.account->AvailableMargin : 0;
    const bool percentage = row && row->margincalculationMode == GroupInstruments::kMarginPercentage;
    // A percentage rate is no amount of money: those orders always take the full computation.
    if (!percentage && qty * m <= available) return true;
    double b = 0, s = 0, bc = 0, sc = 0, r = 0;
    getTotalLotsAndCost(o.ItemCode, o.AccountNumber, o.deliveryMode, b, s, bc, sc, r);
    const bool buy = o.tradingMode == Order::kBuy;
    if (buy ? b + qty <= s : s + qty <= b) return true;
    const std::int32_t mode = row ? row->margincalculationMode : 0;
    const double overnight = row ? row->OverNightMargin : 0;
    const double contract = rec.item ? rec.item->ContractSize : 0;
    const double liquidation = row ? row->LiquidationMargin : 0;
    const double sellRate = row ? row->InitialSellMargin : 0;
    const std::uint64_t formula = rec.item ? rec.item->MarginFormulaId : 0;
    const double before = calulateMargin(b, s, m, mode, overnight, contract, bc, false, liquidation, sc, sellRate,
                                         false, formula, r);
    (buy ? b : s) += qty;
    (buy ? bc : sc) += qty * numberOf(o.OrderPrice);
    r += qty * o.BaseCurrencyRate;
    const double after = calulateMargin(b, s, m, mode, overnight, contract, bc, false, liquidation, sc, sellRate,
                                        false, formula, r);
    const double equity = rec.account ? rec.account->Equity : 0;
    const double used = rec.account ? rec.account->UsedMargin : 0;
    return equity > after + (used - before);
}

void OrderMananger::CalcHedgeMargin(const Order& position) {
    const state::ReferenceData& data = reference_;
    const std::string accountKey = std::to_string(view_.currentAccountSelected());
    const OrderRecords rec = lookUp(data, accountKey, position.ItemCode);
    const double percent = rec.groupInstrument ? rec.groupInstrument->LiquidationMargin : 0;
    double perLot = 0;
    if (rec.groupInstrument && rec.item)
        perLot = position.GetMarginForSingleLot(rec.groupInstrument, *rec.item).value_or(0);
    double b = 0, s = 0;
    const std::string accountId = rec.account ? std::to_string(rec.account->AccountId) : "0";
    GetTotalLots(position.ItemCode, accountId, position.deliveryMode, b, s);
    const bool netOnly = !rec.account || rec.account->HedgeModeId != kHedgeModeMatchedPercent;
    const double h = Hedge(b, s, perLot, percent, netOnly, false);
    char value[512];
    std::snprintf(value, sizeof value, "%.2f", h);
    book_.setHedgeMargin(position.ItemCode + "#" + std::to_string(position.deliveryMode), value);
}

}  // namespace orders
