#pragma once
// A currency with the rule by which amounts are converted into it.
#include <cstdint>
#include <string>

namespace model {

class TradeCurrency {
public:
    virtual ~TradeCurrency() = default;

    // conversionMode
    static constexpr std::int64_t kNoConversion = 0;
    static constexpr std::int64_t kAtBid = 1;
    static constexpr std::int64_t kAtAsk = 2;
    static constexpr std::int64_t kBidForGainsAskForLosses = 3;
    static constexpr std::int64_t kFixedRates = 4;
    static constexpr std::int64_t kAtMid = 5;

    std::uint64_t currencyID = 0;
    std::string currencyCode;
    std::uint64_t instrumentID = 0;
    double bidRate = 0.0;
    double askRate = 0.0;
    std::int64_t conversionMode = 0;
    // True: amounts are divided by the conversion price; false: multiplied by it.
    bool isDirect = false;
    double depositRate = 0.0;
};

// An entry of the currency list: a trade currency whose isDirect and
// depositRate the list does not carry.
class CurrenyList : public TradeCurrency {};

}  // namespace model
