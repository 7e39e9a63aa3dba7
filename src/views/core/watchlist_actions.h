#pragma once
// What a watchlist click leads to, and which image the icon column shows.
#include <functional>
#include <string>

namespace model {
class ItemDetails;
}

namespace views {

enum class WatchlistDoubleClick {
    Nothing,
    Details,      // the icon column: the row's instrument details
    Ticket,       // the order ticket of the selected row
    NotTradable,  // alert "1069" under "10980"
};

struct DoubleClickPlace {
    bool onHeader = false;
    const std::string* column = nullptr;  // null: outside every column
    int selectedRow = -1;
    int rowCount = 0;
};

// `record` is the selected row's instrument (null when it has none).
WatchlistDoubleClick watchlistDoubleClick(const DoubleClickPlace& place, const model::ItemDetails* record);

inline constexpr const char* kFallbackIcon = "Others";

// The image named after the instrument type when that is a plain file name
// and `exists` finds it; otherwise "Others". A refused name is logged at
// debug level and never looked up.
std::string iconImageName(const std::string& instrumentTypeName,
                          const std::function<bool(const std::string&)>& exists);

}  // namespace views
