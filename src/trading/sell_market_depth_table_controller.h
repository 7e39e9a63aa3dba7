#pragma once
// The ask side of the ticket's order book: columns "0214" (price) and "0215" (quantity).
#include "trading/market_depth_table_controller.h"

namespace trading {

class SellMarketDepthTableController : public MarketDepthTableController {
public:
    SellMarketDepthTableController(std::weak_ptr<const state::SessionView> session,
                                  std::function<std::int64_t()> selectedLanguage, QObject* parent = nullptr)
        : MarketDepthTableController(Side::Sell, std::move(session), std::move(selectedLanguage), parent) {}
};

}  // namespace trading
