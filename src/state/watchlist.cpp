#include "state/watchlist.h"

#include <algorithm>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/preferences.h"

namespace state {

namespace {

std::string joined(const std::vector<std::string>& codes) {
    std::string out = "(";
    for (std::size_t i = 0; i < codes.size(); ++i) out += (i ? ", " : "") + codes[i];
    return out + ")";
}

bool contains(const std::vector<std::string>& list, const std::string& code) {
    return std::find(list.begin(), list.end(), code) != list.end();
}

}  // namespace

Watchlist::Watchlist(platform::Preferences& preferences, Hooks hooks)
    : preferences_(preferences), hooks_(std::move(hooks)) {}

std::string Watchlist::preferenceKey(const std::string& userName) { return "Watchlist." + userName; }

void Watchlist::store(const std::string& userName, const std::vector<std::string>& list) const {
    platform::assertMainThread();
    // Read back from memory at once; the file is written on the io queue.
    preferences_.set(preferenceKey(userName), list);
    preferences_.synchronizeLater();
}

std::vector<std::string> Watchlist::UpdateItemonWatchList(const std::vector<std::string>& codes) const {
    std::vector<std::string> out;
    for (const std::string& code : codes)
        if (hooks_.item && hooks_.item(code)) out.push_back(code);
    return out;
}

void Watchlist::UpdateItemonAddRemoveList(const std::vector<std::string>& codes) const {
    for (const std::string& code : codes) {
        model::ItemDetails* item = hooks_.item ? hooks_.item(code) : nullptr;
        if (!item) continue;
        item->isWatchlistSymbol = true;
        item->isWatchlistSymbolTemp = true;
    }
}

void Watchlist::LoadItemstoWatchlist(const std::string& userName, std::vector<std::string>& selectedSymbols) const {
    std::optional<std::vector<std::string>> saved = preferences_.stringArrayForKey(preferenceKey(userName));
    if (saved && !saved->empty()) {
        selectedSymbols = UpdateItemonWatchList(*saved);
        // A filter that dropped every code says more about the instrument list
        // than about the trader's choice: the stored list stays.
        if (!selectedSymbols.empty()) store(userName, selectedSymbols);
        UpdateItemonAddRemoveList(selectedSymbols);
        return;
    }
    std::optional<std::vector<std::string>> entries = hooks_.firstSymbolType ? hooks_.firstSymbolType() : std::nullopt;
    if (!entries) return;
    std::vector<std::string> defaults;
    for (const std::string& entry : *entries) defaults.push_back(entry.substr(0, entry.find(':')));
    selectedSymbols = defaults;
    UpdateItemonAddRemoveList(selectedSymbols);
    store(userName, selectedSymbols);
}

void Watchlist::SaveItemstoWatchList(const std::string& userName, const std::vector<std::string>& list,
                                     std::vector<std::string>& selectedSymbols) const {
    store(userName, list);
    std::vector<std::string> keep;
    for (const std::string& code : list)
        if (!contains(keep, code)) keep.push_back(code);
    if (hooks_.heldItems)
        for (const std::string& code : hooks_.heldItems())
            if (!contains(keep, code)) keep.push_back(code);
    if (hooks_.subscribe) hooks_.subscribe(keep, true);
    platform::Log::info("subscribeItems " + joined(keep));

    // Taken before the watchlist changes: the codes that leave it and are not held.
    std::vector<std::string> drop;
    if (hooks_.allItems)
        for (const std::string& code : hooks_.allItems())
            if (!contains(keep, code) && !contains(drop, code)) drop.push_back(code);
    if (hooks_.subscribe) hooks_.subscribe(drop, false);
    platform::Log::info("unsubscribeItems " + joined(drop));

    selectedSymbols = list;
    if (hooks_.notifyUpdate) hooks_.notifyUpdate();
}

}  // namespace state
