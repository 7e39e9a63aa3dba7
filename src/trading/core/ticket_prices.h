#pragma once
// The ticket's price verdicts, spread and tick arrows.
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace trading {

// Sides as the ticket counts them (`GetTradingMode`).
inline constexpr std::int32_t kBuySide = 0;
inline constexpr std::int32_t kSellSide = 1;

// Neutral: no colour; Unchanged: the field keeps its colour.
enum class PriceVerdict { Valid, Invalid, Neutral, Unchanged };

// The order price p against the boundary h (equality is valid).
PriceVerdict orderPriceVerdict(std::int32_t orderType, std::int32_t side, double p, double h);
// The take-profit price v against its boundary t.
PriceVerdict takeProfitVerdict(std::int32_t side, double v, double t);
// The stop-loss price v against its boundary s.
PriceVerdict stopLossVerdict(std::int32_t side, double v, double s);

// (Ask - Bid) / priceTick as plain decimal text; "0" for a tick of 0.
std::string spreadText(double ask, double bid, double priceTick);

enum class TickArrow { None, Up, Down };

// The prices the ticket showed last, per instrument and side, so its arrows
// do not depend on what other windows store on the shared record.
class LastShownPrices {
public:
    // The arrow from the last shown price to `now`, which becomes the last shown.
    TickArrow show(const std::string& itemCode, bool ask, double now);
    void clear() { last_.clear(); }

private:
    std::map<std::pair<std::string, bool>, double> last_;
};

// "HH:mm:ss" of an update time "MM/dd/yyyy HH:mm:ss"; empty when it does not parse.
std::string tickTimeText(const std::string& updateTime);

}  // namespace trading
