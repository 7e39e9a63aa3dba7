#include "views/core/watchlist_actions.h"

#include "model/item_details.h"
#include "platform/log.h"
#include "platform/paths.h"
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

std::string iconImageName(const std::string& instrumentTypeName,
                          const std::function<bool(const std::string&)>& exists) {
    if (!platform::Paths::isPlainFileName(instrumentTypeName)) {
        platform::Log::debug("Instrument type name refused as an image name; showing " + std::string(kFallbackIcon));
        return kFallbackIcon;
    }
    return exists(instrumentTypeName) ? instrumentTypeName : kFallbackIcon;
}

}  // namespace views
