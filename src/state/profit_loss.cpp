#include "state/profit_loss.h"

#include <cmath>
#include <memory>

#include "model/text_value.h"

namespace state::ProfitLoss {

using model::TradeCurrency;

double calcCommission(std::string_view initialQty, std::string_view remainingQty, double paid) {
    return paid / model::TextValue::doubleValue(initialQty) * model::TextValue::doubleValue(remainingQty);
}

namespace {
// Mid price of the instrument's conversion instrument; 1 when there is none or it is 0.
double conversionMid(const model::ItemDetails& item) {
    const std::shared_ptr<model::ItemDetails> x = item.CalculationItems.lock();
    const double mid = x ? (x->Bid + x->Ask) * 0.5 : 0.0;
    return mid == 0.0 ? 1.0 : mid;
}
}  // namespace

double CalculateFloatingPL(const model::ItemDetails* item, std::int32_t side, double q, double o, double c) {
    if (!item || !(q > 0)) return 0;
    const double cs = item->ContractSize;
    const std::int32_t mode = item->PLCalcModeId < 1 ? 1 : item->PLCalcModeId;
    const bool pricesPositive = o > 0 && c > 0;
    double r = 0;
    switch (mode) {
        case 1: r = ((o - c) * q) * cs; break;
        case 2: r = pricesPositive ? ((1 / o - 1 / c) * q) * cs : 0; break;
        case 3:
            r = pricesPositive ? std::round(((std::pow(10.0, item->DecimalPlaces) * (o - c)) * item->Point) * q) : 0;
            break;
        case 4: r = pricesPositive ? (((o - c) * cs) * q) / c : 0; break;
        case 5: r = ((o - c) * q * cs) * conversionMid(*item); break;
        case 6: r = ((o - c) * q * cs) / conversionMid(*item); break;
        default: r = 0; break;
    }
    return side == 0 ? -r : r;
}

double currencyConversion(double value, double price, double direct) {
    if (direct != 0) return price == 0 ? value : value / price;
    return value * price;
}

double convert(double value, const TradeCurrency* t, const model::ItemDetails* x) {
    if (value == 0 || !t || t->conversionMode == TradeCurrency::kNoConversion) return value;
    if (!x && t->conversionMode != TradeCurrency::kFixedRates) return value;
    double price = 0;
    switch (t->conversionMode) {
        case TradeCurrency::kAtBid: price = x->Bid; break;
        case TradeCurrency::kAtAsk: price = x->Ask; break;
        case TradeCurrency::kBidForGainsAskForLosses: price = value >= 0 ? x->Bid : x->Ask; break;
        case TradeCurrency::kFixedRates: price = value >= 0 ? t->bidRate : t->askRate; break;
        case TradeCurrency::kAtMid: price = (x->Bid + x->Ask) * 0.5; break;
        default: return value;
    }
    return currencyConversion(value, price, t->isDirect ? 1.0 : 0.0);
}

}  // namespace state::ProfitLoss
