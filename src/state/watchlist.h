#pragma once
// The user's watchlist: loaded from and stored in the preferences, one list
// per user under "Watchlist.<user>" (a key of its own, so that no user name
// can overwrite another preference), and kept in line with the feed's
// subscriptions when the user changes it. Main thread.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "model/item_details.h"

namespace platform {
class Preferences;
}

namespace state {

class Watchlist {
public:
    struct Hooks {
        // The instrument of a code, null when the session has none.
        std::function<model::ItemDetails*(const std::string& code)> item;
        // The codes of the first symbol type's entries ("code:name"); nullopt
        // when the session has no symbol type.
        std::function<std::optional<std::vector<std::string>>()> firstSymbolType;
        // Codes of the open positions, then of the pending orders, the user sees.
        std::function<std::vector<std::string>()> heldItems;
        // getAllItems: the watchlist, the open positions and the pending orders.
        std::function<std::vector<std::string>()> allItems;
        // ProcessSubscribeandUnSubscribeItems.
        std::function<void(const std::vector<std::string>& codes, bool subscribe)> subscribe;
        // watchlistUpdateNotification, posted to the main thread.
        std::function<void()> notifyUpdate;
    };

    Watchlist(platform::Preferences& preferences, Hooks hooks);

    static std::string preferenceKey(const std::string& userName);

    // LoadItemstoWatchlist: the stored list without the codes that vanished
    // (written back), or the default list. Subscribes nothing.
    void LoadItemstoWatchlist(const std::string& userName, std::vector<std::string>& selectedSymbols) const;
    // The same by parts, for a fill spread over slices: the list read by
    // startLoad (nullopt: nothing to load), then its codes looked up `codes`
    // a call by continueLoad, true while some are left; the last call stores
    // the list and makes it the watchlist.
    struct Load {
        std::string userName;
        std::vector<std::string> codes;
        bool stored = false;  // the stored list: codes that vanished are dropped
        std::vector<std::string> kept;
        std::size_t next = 0;
    };
    std::optional<Load> startLoad(const std::string& userName) const;
    bool continueLoad(Load& load, std::size_t codes, std::vector<std::string>& selectedSymbols) const;
    // SaveItemstoWatchList: stores the new list, subscribes it and the held
    // codes, unsubscribes the codes that leave, then makes it the watchlist.
    void SaveItemstoWatchList(const std::string& userName, const std::vector<std::string>& list,
                              std::vector<std::string>& selectedSymbols) const;
    // UpdateItemonWatchList: the codes, in order, that name an instrument.
    std::vector<std::string> UpdateItemonWatchList(const std::vector<std::string>& codes) const;
    // UpdateItemonAddRemoveList: marks the instruments of the codes as watched.
    void UpdateItemonAddRemoveList(const std::vector<std::string>& codes) const;

private:
    void store(const std::string& userName, std::vector<std::string> list) const;

    platform::Preferences& preferences_;
    Hooks hooks_;
};

}  // namespace state
