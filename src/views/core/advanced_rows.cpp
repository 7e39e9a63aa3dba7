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

const char* arrowImageName(PriceMove move) {
    switch (move) {
        case PriceMove::Rise: return "banner_green_arrow";
        case PriceMove::Fall: return "banner_red_arrow";
        case PriceMove::Unchanged: break;
    }
    return "";
}

}  // namespace views
