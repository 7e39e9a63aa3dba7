#include "model/item_details.h"

#include <array>
#include <cmath>

namespace model {

double PriceUpdate::GetSpread(double tick) const { return std::fabs((Ask - Bid) / tick); }

void ItemDetails::ApplySpread(PriceUpdate& p) const {
    if (p.ItemCode != Code) return;
    if (p.Bid == 0.0 || p.Ask == 0.0) return;
    switch (Spreadtype) {
        case kSpreadTopup:
            ApplyTopupSpread(p, BidSpread, AskSpread);
            break;
        case kSpreadMinimum: {
            // Sum in 64 bits: two 32-bit spreads cannot overflow it.
            const std::int64_t sum = static_cast<std::int64_t>(BidSpread) + AskSpread;
            if (static_cast<double>(sum) > p.GetSpread(priceTick)) ApplyFixedSpread(p, BidSpread, AskSpread);
            break;
        }
        case kSpreadFixed:
            ApplyFixedSpread(p, BidSpread, AskSpread);
            break;
        default:
            break;
    }
}

void ItemDetails::ApplyFixedSpread(PriceUpdate& p, double bidSpread, double askSpread) const {
    double mid = (p.Bid + p.Ask) * 0.5;
    mid = DoMidPriceTickCorrection(mid);
    p.Bid = mid - bidSpread * priceTick;
    p.Ask = mid + askSpread * priceTick;
}

void ItemDetails::ApplyTopupSpread(PriceUpdate& p, double bidSpread, double askSpread) const {
    p.Bid = p.Bid - bidSpread * priceTick;
    p.Ask = p.Ask + askSpread * priceTick;
}

double ItemDetails::DoMidPriceTickCorrection(double x) const {
    const double t = TickSize;
    // A remainder by zero (or by a tick that is no number) has no value.
    if (!(t > 0.0) || !std::isfinite(t)) return x;
    const double r = std::fmod(x, t);
    double result = x - r;
    if (r > t / 2.0) result += t;
    return result;
}

std::string ItemDetails::getInstrumentTradingStatus(std::int32_t status) {
    switch (status) {
        case 0: return "Unknown";
        case 1: return "Active";
        case 2: return "CloseOnly";
        case 3: return "Expired";
        case 4: return "Disabled";
        default: return "";
    }
}

std::string ItemDetails::getUnits(std::uint64_t unitId) {
    static constexpr std::array<const char*, 23> kUnits = {
        "",
        "MegawattHours",
        "OneMillionBTU",
        "Barrels",
        "Gallons",
        "MetricTons",
        "TonsUS",
        "MillionBarrels",
        "pounds",
        "TroyOunces",
        "USDollars",
        "BillionCubicFeet",
        "Bushels",
        "Allowances",
        "Gram",
        "Kilogram",
        "Quintal",
        "Currency",
        "Index",
        "Shares",
        "MillionBritishThermalUnit",
        "Litre",
        "Bale",
    };
    return unitId < kUnits.size() ? kUnits[unitId] : "";
}

std::int32_t ItemDetails::instrumentTradingStatusFor(std::int32_t tradingStatusId) {
    return tradingStatusId >= 1 && tradingStatusId <= 4 ? tradingStatusId : 0;
}

}  // namespace model
