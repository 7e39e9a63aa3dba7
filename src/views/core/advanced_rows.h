#pragma once
// The texts and marks of one advanced-watchlist row: code, time, the day's
// low and high, the spread in ticks and the two prices with their arrows.
#include <cstdint>
#include <string>

#include "views/core/price_marks.h"

namespace model {
class ItemDetails;
}

namespace views {

struct AdvancedRow {
    std::string code;
    std::string time;    // "HH:mm:ss"
    std::string low;     // "L : " and the price
    std::string high;    // "H : " and the price
    std::string spread;  // in ticks
    std::string ask;     // the buy button
    std::string bid;     // the sell button
    PriceMove askMove = PriceMove::Unchanged;
    PriceMove bidMove = PriceMove::Unchanged;
    int mostSignificant = 0;
    int leastSignificant = 0;
    bool tradable = false;
    bool operator==(const AdvancedRow&) const = default;
};

// What advancedRow reads of the instrument, and the moves: a row made from
// equal inputs is the same row.
struct AdvancedRowInputs {
    bool hasItem = false;
    double bid = 0, ask = 0, low = 0, high = 0, priceTick = 0;
    std::int32_t decimalPlaces = 0, status = 0;
    std::uint64_t mostSignificant = 0, leastSignificant = 0;
    std::string updateTime;
    LastShownPrices::Moves moves;

    static AdvancedRowInputs of(const model::ItemDetails* item, const LastShownPrices::Moves& moves);
    bool same(const model::ItemDetails* item, const LastShownPrices::Moves& moves) const;
};

// A code without a record gives only the code; nothing else shows.
AdvancedRow advancedRow(const std::string& code, const model::ItemDetails* item, const LastShownPrices::Moves& moves);

// "banner_green_arrow" on a rise, "banner_red_arrow" on a fall, "" unchanged.
const char* arrowImageName(PriceMove move);

}  // namespace views
