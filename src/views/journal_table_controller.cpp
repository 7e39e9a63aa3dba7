#include "views/journal_table_controller.h"

#include <QHeaderView>

#include "kit/window_context.h"
#include "state/session_view.h"
#include "views/core/journal_rows.h"
#include "kit/shown_text.h"

namespace views {

namespace {
std::vector<kit::TableColumn> journalColumns() {
    return {{kJournalTimeColumn, 150, std::nullopt}, {kJournalTextColumn, 600, std::nullopt}};
}
}  // namespace

JournalTableController::JournalTableController(kit::WindowContext& context, QWidget* parent)
    : kit::TableControllerBase(Setup{kit::TableKind::Journal, journalColumns(), context.language, nullptr,
                                     &context.sheets, nullptr, &context.ticker},
                               parent),
      context_(context) {
    setObjectName("journalTableView");
    tableView()->horizontalHeader()->setStretchLastSection(true);
    tableView()->setTextElideMode(Qt::ElideRight);
    SetHeaderMenuItems();
    reloadTable();
}

int JournalTableController::takeSnapshot() {
    lines_ = context_.view.journalLines();
    return static_cast<int>(lines_.size());
}

void JournalTableController::didReload() {
    constexpr int kWidest = 900;
    for (int c = 0; c < model()->columnCount(); ++c)
        if (tableView()->columnWidth(c) > kWidest) tableView()->setColumnWidth(c, kWidest);
}

QVariant JournalTableController::cellData(int row, int column, int role) const {
    if (role != Qt::DisplayRole || row < 0 || std::size_t(row) >= lines_.size()) return {};
    const std::string& line = lines_[journalLineIndex(std::size_t(row), lines_.size())];
    const std::string_view piece = journalCell(line, identifierOf(column));
    return kit::shownText(piece);
}

}  // namespace views
