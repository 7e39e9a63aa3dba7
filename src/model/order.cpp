#include "model/order.h"

#include <array>
#include <cmath>
#include <mutex>
#include <utility>

#include "model/group_instruments.h"
#include "model/item_details.h"
#include "model/text_value.h"

namespace model {

namespace {

constexpr std::array<std::int32_t, 4> kOrderTypeTags = {926, 29, 30, 31};
constexpr std::array<std::int32_t, 4> kDeliveryModeTags = {926, 51, 52, 53};
constexpr std::array<std::int32_t, 6> kTimeInForceTags = {926, 47, 48, 926, 926, 54};

template <std::size_t N>
std::int32_t tagFor(const std::array<std::int32_t, N>& table, std::int32_t value) {
    // Unsigned range test: negative values fall out of range too.
    const auto index = static_cast<std::uint32_t>(value);
    return index < N ? table[index] : Order::kNoValue;
}

std::mutex& lookupMutex() {
    static std::mutex m;
    return m;
}

Order::KeyLookup& keyLookup() {
    static Order::KeyLookup lookup;
    return lookup;
}

}  // namespace

std::int32_t Order::GetOrderTypeTagValue(std::int32_t value) { return tagFor(kOrderTypeTags, value); }

std::int32_t Order::GetDeliveryModeTagValue(std::int32_t value) { return tagFor(kDeliveryModeTags, value); }

std::int32_t Order::GetTimeInForceTagValue(std::int32_t value) { return tagFor(kTimeInForceTags, value); }

std::int32_t Order::GetTradingModeTagValue(std::int32_t value) { return value == kBuy ? 45 : 46; }

std::optional<std::string> Order::GetOrderStatus(std::int32_t status) {
    switch (status) {
        case kStatusNew: return "New";
        case kStatusPartlyFilled: return "Partly Filled";
        case kStatusFullyFilled: return "Fully Filled";
        case kStatusCancelled: return "Cancelled";
        case kStatusExpired: return "Expired";
        case kStatusSuspended: return "Suspended";
        case kStatusPending: return "Pending";
        default: return std::nullopt;
    }
}

void Order::setKeyLookup(KeyLookup lookup) {
    std::lock_guard<std::mutex> lock(lookupMutex());
    keyLookup() = std::move(lookup);
}

std::string Order::GetTradingModeString(std::int32_t tradingMode, bool expandedText) {
    if (tradingMode != kBuy && tradingMode != kSell) return "";
    if (!expandedText) return tradingMode == kBuy ? "B" : "S";
    const std::string key = tradingMode == kBuy ? "0009" : "0010";
    KeyLookup lookup;
    {
        std::lock_guard<std::mutex> lock(lookupMutex());
        lookup = keyLookup();
    }
    return lookup ? lookup(key) : key;
}

std::optional<double> Order::GetMarginForSingleLot(const GroupInstruments* g, const ItemDetails& i) const {
    if (g == nullptr) return std::nullopt;

    double rate = 0.0;
    if (deliveryMode == kBTST) {
        rate = g->BTSTOrderMargin;
    } else if (deliveryMode == kIntraday) {
        rate = g->IntradayOrderMargin;
    } else if (tradingMode == kSell && g->InitialSellMargin > 0.0) {
        rate = g->InitialSellMargin;
    } else {
        rate = g->InitialMargin;
    }

    double m = rate;
    if (g->margincalculationMode == 2) {
        m = rate * i.ContractSize / 100.0;
        switch (i.MarginFormulaId) {
            case 1: m = m * TextValue::doubleValue(OrderPrice); break;
            case 3: m = m * BaseCurrencyRate; break;
            case 4:
                if (BaseCurrencyRate > 0.0) m = m / BaseCurrencyRate;
                break;
            default: break;
        }
    }
    // A value that is not a number cannot be a margin.
    if (!std::isfinite(m)) return std::nullopt;
    return m;
}

}  // namespace model
