#include "kit/core/table_rules.h"

#include <algorithm>

#include "model/language_string.h"
#include "state/notification_payloads.h"

namespace kit {

namespace {

namespace note = state::notifications;

constexpr const char* kPositionsFont = "PositionsFontSize";

TableTraits positionsTable(const char* notification, bool sortable) {
    TableTraits t;
    t.sortable = sortable;
    t.fontKey = kPositionsFont;
    t.notification = notification;
    return t;
}

}  // namespace

const TableTraits& tableTraits(TableKind kind) {
    static const std::map<TableKind, TableTraits> table = [] {
        std::map<TableKind, TableTraits> t;
        t[TableKind::OpenPositions] = positionsTable(note::kOpenPositionTable, true);
        t[TableKind::OpenPositions].tick.always = {"0147", "0319"};
        t[TableKind::OpenPositions].rowMenu = t[TableKind::OpenPositions].sheets = true;
        t[TableKind::PendingOrders] = positionsTable(note::kPendingOrderTable, true);
        t[TableKind::PendingOrders].tick.always = {"0147"};
        t[TableKind::PendingOrders].rowMenu = t[TableKind::PendingOrders].sheets = true;
        t[TableKind::CancelledOrders] = positionsTable(note::kCancelledOrderTable, true);
        t[TableKind::SettledPositions] = positionsTable(note::kSettledPositionTable, true);
        t[TableKind::SettledPositions].titleKeys = {{"0319", "0152"}};  // the realised P/L
        t[TableKind::ExecutedPositions] = positionsTable(note::kExecutedPositionTable, false);
        t[TableKind::ExecutedPositions].rowMenu = t[TableKind::ExecutedPositions].sheets = true;
        TableTraits& accounts = t[TableKind::Accounts];
        accounts.wholeTableTick = true;
        accounts.titleKeys = {{"0144", "0514"}};  // the trading status
        TableTraits& journal = t[TableKind::Journal];
        journal.headerMenu = journal.showHide = false;
        journal.notification = note::kJournalTable;
        TableTraits& watchlist = t[TableKind::Watchlist];
        watchlist.fontKey = "WatchlistFontSize";
        watchlist.notification = note::kWatchlistTable;
        watchlist.tick.always = {"0192", "0193", "0153"};
        watchlist.tick.whenVisible = {"0130", "10987", "0195", "0196", "0376", "0194", "0144"};
        watchlist.sheets = true;
        watchlist.fixedTitles = {{"0", "i"}};
        TableTraits& advanced = t[TableKind::AdvancedWatchlist];
        advanced.headerMenu = advanced.showHide = false;
        advanced.wholeTableTick = true;
        return t;
    }();
    return table.at(kind);
}

std::string headerTitle(const TableTraits& traits, const std::string& identifier, std::int64_t language) {
    const auto fixed = traits.fixedTitles.find(identifier);
    if (fixed != traits.fixedTitles.end()) return fixed->second;
    const auto key = traits.titleKeys.find(identifier);
    return model::LanguageString::stringforSelectedLanguage(
        language, model::LanguageString::setLanguageKey(key != traits.titleKeys.end() ? key->second : identifier));
}

std::vector<HeaderMenuEntry> headerMenuEntries(const std::vector<ColumnState>& columns,
                                               const std::function<std::string(const std::string&)>& title) {
    std::vector<HeaderMenuEntry> entries;
    entries.reserve(columns.size());
    for (const ColumnState& c : columns) entries.push_back({c.identifier, title(c.identifier), !c.hidden});
    return entries;
}

std::vector<int> tickColumnIndexes(const std::vector<ColumnState>& columns, const TickColumns& tick) {
    auto listed = [](const std::vector<std::string>& ids, const std::string& id) {
        return std::find(ids.begin(), ids.end(), id) != ids.end();
    };
    std::vector<int> out;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        const ColumnState& c = columns[i];
        if (listed(tick.always, c.identifier) || (!c.hidden && listed(tick.whenVisible, c.identifier)))
            out.push_back(static_cast<int>(i));
    }
    return out;
}

std::vector<std::pair<int, int>> indexRuns(const std::vector<int>& sortedIndexes) {
    std::vector<std::pair<int, int>> runs;
    for (int i : sortedIndexes) {
        if (!runs.empty() && runs.back().second + 1 == i) runs.back().second = i;
        else runs.emplace_back(i, i);
    }
    return runs;
}

bool rowMenuMayShow(bool sheetAttached, int clickedRow, int rowCount) {
    return !sheetAttached && clickedRow >= 0 && clickedRow < rowCount;
}

int tableFontPointSize(std::int64_t stored) {
    return stored > 0 && stored <= 200 ? static_cast<int>(stored) : 12;
}

}  // namespace kit
