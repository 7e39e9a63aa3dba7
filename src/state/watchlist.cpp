#include "state/watchlist.h"


#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/preferences.h"
#include "platform/code_set.h"

namespace state {

namespace {

std::string joined(const std::vector<std::string>& codes) {
    std::string out = "(";
    for (std::size_t i = 0; i < codes.size(); ++i) out += (i ? ", " : "") + codes[i];
    return out + ")";
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
    // Sets viewing the kept codes (room made first, so they never move): a walk
    // of `keep` for each code was quadratic in the codes the positions hold.
    const std::vector<std::string> held = hooks_.heldItems ? hooks_.heldItems() : std::vector<std::string>();
    std::vector<std::string> keep;
    keep.reserve(list.size() + held.size());
    platform::CodeSet kept;
    kept.reserve(keep.capacity());
    for (const std::vector<std::string>* codes : {&list, &held})
        for (const std::string& code : *codes)
            if (!kept.contains(code)) kept.insert(keep.emplace_back(code));
    if (hooks_.subscribe) hooks_.subscribe(keep, true);
    platform::Log::info("subscribeItems " + joined(keep));

    // Taken before the watchlist changes: the codes that leave it and are not held.
    std::vector<std::string> drop;
    const std::vector<std::string> all = hooks_.allItems ? hooks_.allItems() : std::vector<std::string>();
    platform::CodeSet dropped;  // views `all`
    dropped.reserve(all.size());
    for (const std::string& code : all)
        if (!kept.contains(code) && dropped.insert(code)) drop.push_back(code);
    if (hooks_.subscribe) hooks_.subscribe(drop, false);
    platform::Log::info("unsubscribeItems " + joined(drop));

    selectedSymbols = list;
    if (hooks_.notifyUpdate) hooks_.notifyUpdate();
}

}  // namespace state
