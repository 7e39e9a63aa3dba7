#include "views/core/watchlist_actions.h"

#include "model/item_details.h"
#include "views/core/watchlist_cells.h"

namespace views {

WatchlistDoubleClick watchlistDoubleClick(const DoubleClickPlace& place, const model::ItemDetails* record) {
    if (place.onHeader || !place.column) return WatchlistDoubleClick::Nothing;
    if (*place.column == watchlist_column::kIcon) return WatchlistDoubleClick::Details;
    if (place.rowCount <= 0 || place.selectedRow < 0 || place.selectedRow >= place.rowCount)
        return WatchlistDoubleClick::Nothing;
    return record && record->isInstrumentTradingStatusActive() ? WatchlistDoubleClick::Ticket
                                                               : WatchlistDoubleClick::NotTradable;
}

}  // namespace views
