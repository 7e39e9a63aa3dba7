#pragma once
// The watchlist's columns and the text of each cell, chosen by the column
// identifier (a language key; "0" is the icon column).
#include <string>
#include <vector>

namespace model {
class ItemDetails;
}
namespace state {
class SessionView;
}

namespace views {

namespace watchlist_column {
inline constexpr const char* kIcon = "0";
inline constexpr const char* kCode = "0011";
inline constexpr const char* kName = "0021";
inline constexpr const char* kTypeName = "0199";
inline constexpr const char* kBid = "0192";
inline constexpr const char* kAsk = "0193";
inline constexpr const char* kSpread = "0130";
inline constexpr const char* kOpen = "10987";
inline constexpr const char* kHigh = "0195";
inline constexpr const char* kLow = "0196";
inline constexpr const char* kPrevClose = "0376";
inline constexpr const char* kLast = "0194";
inline constexpr const char* kTime = "0153";
inline constexpr const char* kSession = "0144";
inline constexpr const char* kStatus = "0514";
}  // namespace watchlist_column

// The 15 columns in table order.
const std::vector<std::string>& watchlistColumnIdentifiers();
// Columns whose texts are numbers (drawn right-aligned).
bool isNumericWatchlistColumn(const std::string& identifier);

// (Ask - Bid) / priceTick written with "%f", then as its shortest decimal
// text ("20", "2.5"); "0" when the tick is 0; "" when the quotient is not finite.
std::string spreadText(double ask, double bid, double priceTick);
// A "%f" text without trailing zeros or a trailing point; "-0" becomes "0".
std::string shortestDecimalText(const std::string& fixed);

// The cell's text. No record, an unknown identifier, the icon, bid and ask
// columns (drawn by their decoration) give "".
std::string watchlistCellText(const std::string& identifier, const model::ItemDetails* item,
                              const state::SessionView& state);

}  // namespace views
