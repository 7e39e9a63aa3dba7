#include "views/position_table_support.h"

#include <QMenu>

#include "kit/theme_manager.h"
#include "views/core/position_cells.h"
#include "views/core/position_rules.h"

namespace views {

namespace col = position_column;

std::vector<kit::TableColumn> positionTableColumns(
    const std::vector<std::string>& identifiers,
    const std::function<std::optional<state::SortDescriptor>(const std::string&)>& sortOf) {
    std::vector<kit::TableColumn> columns;
    for (const std::string& id : identifiers) {
        int width = 80;
        if (id == col::kTime || id == col::kOrderTime || id == col::kCancelledTime || id == col::kOpenTime) width = 140;
        else if (id == col::kSide) width = 44;
        else if (id == col::kClosePrice) width = 96;
        else if (id == col::kValueDate || id == col::kExpiryDate || id == col::kBaseCurrency) width = 96;
        columns.push_back({id, width, sortOf ? sortOf(id) : positionColumnSort(id)});
    }
    return columns;
}

QVariant cellAlignment(const std::string& identifier) {
    if (isNumericPositionColumn(identifier)) return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (identifier == col::kSide) return QVariant::fromValue(Qt::AlignCenter);
    return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
}

QColor profitLossColor(double value) {
    return value < 0 ? kit::ThemeManager::fallColor() : kit::ThemeManager::riseColor();
}

QFont figuresFont(const QFont& base) {
    QFont figures = base;
    figures.setStyleHint(QFont::Monospace);
    figures.setFamily(QStringLiteral("monospace"));
    return figures;
}

}  // namespace views
