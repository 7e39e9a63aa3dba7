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

void Watchlist::store(const std::string& userName, std::vector<std::string> list) const {
    platform::assertMainThread();
    // Read back from memory at once; the file is written on the io queue.
    preferences_.set(preferenceKey(userName), std::move(list));
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
    if (std::optional<Load> load = startLoad(userName)) continueLoad(*load, load->codes.size(), selectedSymbols);
}

std::optional<Watchlist::Load> Watchlist::startLoad(const std::string& userName) const {
    std::optional<std::vector<std::string>> saved = preferences_.stringArrayForKey(preferenceKey(userName));
    if (saved && !saved->empty()) return Load{userName, std::move(*saved), true, {}, 0};
    std::optional<std::vector<std::string>> defaults = hooks_.firstSymbolType ? hooks_.firstSymbolType() : std::nullopt;
    if (!defaults) return std::nullopt;
    return Load{userName, std::move(*defaults), false, {}, 0};
}

bool Watchlist::continueLoad(Load& load, std::size_t codes, std::vector<std::string>& selectedSymbols) const {
    const std::size_t end = load.next + std::min(codes, load.codes.size() - load.next);
    for (; load.next < end; ++load.next) {
        const std::string& code = load.codes[load.next];
        model::ItemDetails* item = hooks_.item ? hooks_.item(code) : nullptr;
        if (!item) continue;
        item->isWatchlistSymbol = true;
        item->isWatchlistSymbolTemp = true;
        if (load.stored) load.kept.push_back(code);
    }
    if (load.next < load.codes.size()) return true;
    if (load.stored) {
        // A filter that dropped every code says more about the instrument list
        // than about the trader's choice: the stored list stays, as does one
        // that lost no code (not written again at every login).
        const bool changed = load.kept != load.codes;
        selectedSymbols = std::move(load.kept);
        if (changed && !selectedSymbols.empty()) store(load.userName, selectedSymbols);
    } else {
        selectedSymbols = load.codes;
        store(load.userName, std::move(load.codes));
    }
    return false;
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
