#include "views/core/advanced_rows.h"

#include "model/formatter.h"
#include "model/item_details.h"
#include "views/core/watchlist_cells.h"

namespace views {

AdvancedRow advancedRow(const std::string& code, const model::ItemDetails* item, const LastShownPrices::Moves& moves) {
    AdvancedRow row;
    row.code = code;
    if (!item) return row;
    const auto price = [item](double value) { return model::Formatter::formatDecimal(value, item->DecimalPlaces); };
    // Read once: every row of every tick formats with them.
    static const model::DateFormatter display(model::Formatter::kDisplayFormat);
    static const model::DateFormatter time(model::Formatter::kTimeFormat);
    row.time = model::Formatter::formatDateandTimeFromString(item->UpdateTime, display, time).value_or("");
    row.low = "L : " + price(item->Low);
    row.high = "H : " + price(item->High);
    row.spread = spreadText(item->Ask, item->Bid, item->priceTick);
    row.ask = price(item->Ask);
    row.bid = price(item->Bid);
    row.askMove = moves.ask;
    row.bidMove = moves.bid;
    row.mostSignificant = static_cast<int>(item->mostSignificantDigitLength);
    row.leastSignificant = static_cast<int>(item->leastSignificantDigitLength);
    row.tradable = item->isInstrumentTradingStatusActive();
    return row;
}

AdvancedRowInputs AdvancedRowInputs::of(const model::ItemDetails* item, const LastShownPrices::Moves& moves) {
    AdvancedRowInputs in;
    in.moves = moves;
    if (!item) return in;
    in.hasItem = true;
    in.bid = item->Bid;
    in.ask = item->Ask;
    in.low = item->Low;
    in.high = item->High;
    in.priceTick = item->priceTick;
    in.decimalPlaces = item->DecimalPlaces;
    in.status = item->instrumentTradingStatus;
    in.mostSignificant = item->mostSignificantDigitLength;
    in.leastSignificant = item->leastSignificantDigitLength;
    in.updateTime = item->UpdateTime.str();
    return in;
}

bool AdvancedRowInputs::same(const model::ItemDetails* item, const LastShownPrices::Moves& shown) const {
    if (moves.bid != shown.bid || moves.ask != shown.ask || hasItem != (item != nullptr)) return false;
    return !item || (bid == item->Bid && ask == item->Ask && low == item->Low && high == item->High &&
                     priceTick == item->priceTick && decimalPlaces == item->DecimalPlaces &&
                     status == item->instrumentTradingStatus && mostSignificant == item->mostSignificantDigitLength &&
                     leastSignificant == item->leastSignificantDigitLength && updateTime == item->UpdateTime.view());
}

const char* arrowImageName(PriceMove move) {
    switch (move) {
        case PriceMove::Rise: return "banner_green_arrow";
        case PriceMove::Fall: return "banner_red_arrow";
        case PriceMove::Unchanged: break;
    }
    return "";
}

}  // namespace views
