#pragma once
// One kind of trading session and the rights that hold while an instrument is in it.
#include <cstdint>
#include <optional>
#include <string>

#include "model/rgba_color.h"

namespace model {

class SessionSettings {
public:
    std::uint64_t settingsID = 0;
    std::string settingsName;
    std::optional<RGBAColor> sessionColor;
    std::uint64_t marketTradingStatus = 0;
    bool enterMarketOrder = false;
    bool enterLimitOrder = false;
    bool enterMarketMakerOrder = false;
    bool editMarketOrder = false;
    bool editLimitOrder = false;
    bool editMarketMakertOrder = false;
    bool executeOrders = false;
    bool matchMMWithMMOrders = false;
    bool publishMarketData = false;
    bool publishTradeData = false;
    bool useELP = false;
    bool allowNewMarket = false;
    bool allowNewContigent = false;
    bool allowEditContigent = false;
    bool allowNewTpSl = false;
};

}  // namespace model
