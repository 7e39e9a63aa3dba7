#pragma once
// What a watchlist click leads to.
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

}  // namespace views
