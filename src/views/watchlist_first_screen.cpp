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
constexpr std::array<const char*, 3> kGivingWay = {col::kSpread, col::kName, col::kTypeName};

// The least a column that gives way takes: a figure whole, a text its title.
int leastOf(const QAbstractItemView* view, const QHeaderView* header, const char* id, int c) {
    const int title = header->sectionSizeHint(c);
    return std::string_view(id) == col::kSpread ? std::max(title, view->sizeHintForColumn(c)) : title;
}

}  // namespace

WatchlistTableController::FirstScreen WatchlistTableController::firstScreen() const {
    const QAbstractItemView* view = tableView();
    const QHeaderView* header = tableView()->horizontalHeader();
    FirstScreen screen;
    screen.whole = 2 * tableView()->frameWidth() + tableView()->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c <= columnWithIdentifier(col::kSpread); ++c)
        if (!header->isSectionHidden(c)) screen.whole += header->sectionSize(c);
    screen.least = screen.whole;
    const int points = std::max(12, rowFont().pointSize());
    for (const char* id : kGivingWay) {
        const int c = columnWithIdentifier(id);
        if (c < 0 || header->isSectionHidden(c)) continue;
        const int least = leastOf(view, header, id, c);
        const int fitted = std::max({least, view->sizeHintForColumn(c), columns()[std::size_t(c)].width * points / 12});
        screen.whole += fitted - header->sectionSize(c);
        screen.least += least - header->sectionSize(c);
    }
    return screen;
}

void WatchlistTableController::fitFirstScreen(int width) {
    firstScreenWidth_ = width;
    firstScreenHadRows_ = rowCount() > 0;
    // Each column that gives way at its fitted width while the room lasts,
    // else what is left of it, never below its title.
    const FirstScreen screen = firstScreen();
    int over = screen.whole - width;
    QHeaderView* header = tableView()->horizontalHeader();
    const int points = std::max(12, rowFont().pointSize());
    for (const char* id : kGivingWay) {
        const int c = columnWithIdentifier(id);
        if (c < 0 || header->isSectionHidden(c)) continue;
        const QAbstractItemView* view = tableView();
        const int least = leastOf(view, header, id, c);
        const int fitted = std::max({least, view->sizeHintForColumn(c), columns()[std::size_t(c)].width * points / 12});
        const int given = std::clamp(over, 0, fitted - least);
        tableView()->setColumnWidth(c, fitted - given);
        over -= given;
    }
}

void WatchlistTableController::didReload() {
    // The first rows fit every column to their content: the name gives way again.
    if (firstScreenWidth_ > 0 && !firstScreenHadRows_ && rowCount() > 0) fitFirstScreen(firstScreenWidth_);
}

}  // namespace views
