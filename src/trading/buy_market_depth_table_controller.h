#pragma once
// The bid side of the ticket's order book: columns "0213" (price) and "0212" (quantity).
#include "trading/market_depth_table_controller.h"

namespace trading {

class BuyMarketDepthTableController : public MarketDepthTableController {
public:
    BuyMarketDepthTableController(std::weak_ptr<const state::SessionView> session,
                                  std::function<std::int64_t()> selectedLanguage, QObject* parent = nullptr)
        : MarketDepthTableController(Side::Buy, std::move(session), std::move(selectedLanguage), parent) {}
};

}  // namespace trading
