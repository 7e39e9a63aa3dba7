#include "trading/core/ticket_prices.h"

#include "model/formatter.h"
#include "trading/core/ticket_quantities.h"

namespace trading {

PriceVerdict orderPriceVerdict(std::int32_t orderType, std::int32_t side, double p, double h) {
    const bool buy = side == kBuySide;
    switch (orderType) {
    case 1:
        return PriceVerdict::Neutral;
    case 2:
        return (buy ? p <= h : p >= h) ? PriceVerdict::Valid : PriceVerdict::Invalid;
    case 3:
        return (buy ? p >= h : p <= h) ? PriceVerdict::Valid : PriceVerdict::Invalid;
    default:
        return PriceVerdict::Unchanged;
    }
}

PriceVerdict takeProfitVerdict(std::int32_t side, double v, double t) {
    return (side == kBuySide ? v >= t : v <= t) ? PriceVerdict::Valid : PriceVerdict::Invalid;
}

PriceVerdict stopLossVerdict(std::int32_t side, double v, double s) {
    return (side == kBuySide ? v <= s : v >= s) ? PriceVerdict::Valid : PriceVerdict::Invalid;
}

std::string spreadText(double ask, double bid, double priceTick) {
    if (priceTick == 0) return "0";
    return plainNumberText((ask - bid) / priceTick);
}

TickArrow LastShownPrices::show(const std::string& itemCode, bool ask, double now) {
    auto [it, first] = last_.try_emplace({itemCode, ask}, now);
    if (first) return TickArrow::None;
    const double before = it->second;
    it->second = now;
    return now > before ? TickArrow::Up : now < before ? TickArrow::Down : TickArrow::None;
}

std::string tickTimeText(const std::string& updateTime) {
    return model::Formatter::formatDateandTimeFromString(std::optional<std::string>(updateTime), model::Formatter::kDisplayFormat,
                                                  model::Formatter::kTimeFormat)
        .value_or(std::string());
}

}  // namespace trading
