#pragma once
// The shared rules of the live tables: which table has which member, the
// header menu, the columns a tick refreshes, the row-menu guard and the font.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kit {

enum class TableKind {
    OpenPositions,
    PendingOrders,
    CancelledOrders,
    SettledPositions,
    ExecutedPositions,
    Accounts,
    Journal,
    Watchlist,
    AdvancedWatchlist,
};

// The tick's columns: refreshed always, or only while visible.
struct TickColumns {
    std::vector<std::string> always;
    std::vector<std::string> whenVisible;
};

struct TableTraits {
    bool headerMenu = true;
    bool showHide = true;
    bool sortable = false;
    std::string fontKey;       // "" : a fixed 12 points
    std::string notification;  // "" : none
    TickColumns tick;
    bool wholeTableTick = false;
    bool rowMenu = false;
    bool sheets = false;
    // Columns titled by a literal text instead of their language key.
    std::map<std::string, std::string> fixedTitles;
    // Columns titled by another key than their identifier (which stays the stored name).
    std::map<std::string, std::string> titleKeys;
};

const TableTraits& tableTraits(TableKind kind);

struct ColumnState {
    std::string identifier;
    bool hidden = false;
};

struct HeaderMenuEntry {
    std::string identifier;
    std::string title;
    bool checked = false;  // the column is visible
};

// The column's header title: a fixed title, else the text of its key padded
// to four digits in the language.
std::string headerTitle(const TableTraits& traits, const std::string& identifier, std::int64_t language);
// One entry per column in table order.
std::vector<HeaderMenuEntry> headerMenuEntries(const std::vector<ColumnState>& columns,
                                               const std::function<std::string(const std::string&)>& title);
// Indexes of the columns a tick refreshes, in table order.
std::vector<int> tickColumnIndexes(const std::vector<ColumnState>& columns, const TickColumns& tick);
// Contiguous runs of sorted indexes, as [first, last] pairs.
std::vector<std::pair<int, int>> indexRuns(const std::vector<int>& sortedIndexes);

// Row-menu entries may show: no sheet is attached and the clicked row exists.
bool rowMenuMayShow(bool sheetAttached, int clickedRow, int rowCount);

// The stored font size; a value not above 0 draws 12 points.
int tableFontPointSize(std::int64_t stored);

}  // namespace kit
