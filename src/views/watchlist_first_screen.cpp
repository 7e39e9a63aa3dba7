// The watchlist's first screen: its columns through the spread fit the pane,
// the name column giving way first, then the type.
#include <QHeaderView>
#include <QScrollBar>
#include <algorithm>
#include <array>
#include <string_view>

#include "views/core/watchlist_cells.h"
#include "views/watchlist_table_controller.h"

namespace views {

namespace {

namespace col = watchlist_column;

// The columns that give way, in order: the spread's room for longer values
// first (down to what it shows), then the texts (down to their titles).
constexpr std::array<const char*, WatchlistTableController::kGivingWayColumns> kGivingWay = {
    col::kSpread, col::kName, col::kTypeName};

}  // namespace

WatchlistTableController::FirstScreen WatchlistTableController::firstScreen() const {
    const QAbstractItemView* view = tableView();
    const QHeaderView* header = tableView()->horizontalHeader();
    FirstScreen screen;
    const int points = std::max(12, rowFont().pointSize());
    for (std::size_t i = 0; i < kGivingWay.size(); ++i) {
        const char* id = kGivingWay[i];
        const int c = columnWithIdentifier(id);
        if (c < 0 || header->isSectionHidden(c)) continue;
        // The content's width, measured once: the rows sampled and shaped.
        const int content = view->sizeHintForColumn(c);
        const int title = header->sectionSizeHint(c);
        const int least = std::string_view(id) == col::kSpread ? std::max(title, content) : title;
        screen.givingWay[i] = {c, least, std::max({least, content, columns()[std::size_t(c)].width * points / 12})};
    }
    return withSums(std::move(screen));
}

WatchlistTableController::FirstScreen WatchlistTableController::withSums(FirstScreen screen) const {
    const QHeaderView* header = tableView()->horizontalHeader();
    screen.whole = 2 * tableView()->frameWidth() + tableView()->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c <= columnWithIdentifier(col::kSpread); ++c)
        if (!header->isSectionHidden(c)) screen.whole += header->sectionSize(c);
    screen.least = screen.whole;
    for (const GivingWay& column : screen.givingWay) {
        if (column.column < 0) continue;
        screen.whole += column.fitted - header->sectionSize(column.column);
        screen.least += column.least - header->sectionSize(column.column);
    }
    return screen;
}

void WatchlistTableController::fitFirstScreen(int width) { fitFirstScreen(width, firstScreen()); }

void WatchlistTableController::fitFirstScreen(int width, const FirstScreen& measured) {
    firstScreenWidth_ = width;
    firstScreenHadRows_ = rowCount() > 0;
    // Each column that gives way at its fitted width while the room lasts,
    // else what is left of it, never below its title.
    const FirstScreen screen = withSums(measured);
    int over = screen.whole - width;
    for (const GivingWay& column : screen.givingWay) {
        if (column.column < 0) continue;
        const int given = std::clamp(over, 0, column.fitted - column.least);
        tableView()->setColumnWidth(column.column, column.fitted - given);
        over -= given;
    }
}

void WatchlistTableController::didReload() {
    // The first rows fit every column to their content: the name gives way again.
    if (firstScreenWidth_ > 0 && !firstScreenHadRows_ && rowCount() > 0) fitFirstScreen(firstScreenWidth_);
}

}  // namespace views
