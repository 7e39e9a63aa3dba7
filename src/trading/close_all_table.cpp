#include "trading/close_all_table.h"

#include <QHeaderView>
#include <QTimer>
#include <algorithm>

#include "kit/own_text.h"
#include "kit/shown_text.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "model/text_value.h"
#include "state/session_view.h"
#include "trading/core/offset_rows.h"

namespace trading {

void setUpCloseTable(QTableWidget& table, const std::vector<std::string>& identifiers, std::int64_t language) {
    table.setColumnCount(static_cast<int>(identifiers.size()));
    QStringList titles;
    for (const std::string& id : identifiers)
        titles << (id == "0" ? QStringLiteral(" ") : kit::tableText(language, model::LanguageString::setLanguageKey(id)));
    table.setHorizontalHeaderLabels(titles);
    table.verticalHeader()->hide();
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setSelectionMode(QAbstractItemView::NoSelection);
    table.setWordWrap(true);
    QFont font = table.font();
    font.setPointSize(12);
    table.setFont(font);
    table.horizontalHeader()->setStretchLastSection(true);
    table.horizontalHeader()->setDefaultSectionSize(80);
}

void spreadColumns(QTableWidget& table, const std::vector<int>& widths, int first) {
    if (static_cast<int>(widths.size()) != table.columnCount() || first >= table.columnCount()) return;
    int used = 0;
    for (const int w : widths) used += w;
    const int spread = table.columnCount() - first;
    const int share = std::max(0, table.viewport()->width() - used) / spread;
    for (int c = 0; c < table.columnCount(); ++c)
        table.setColumnWidth(c, widths[std::size_t(c)] + (c >= first ? share : 0));
}

void keepRowsFitted(QTableWidget& table) {
    auto* again = new QTimer(&table);
    again->setSingleShot(true);
    again->setInterval(0);
    QObject::connect(again, &QTimer::timeout, &table, [&table] { table.resizeRowsToContents(); });
    QObject::connect(table.horizontalHeader(), &QHeaderView::sectionResized, again, qOverload<>(&QTimer::start));
}

void writeStatusRow(QTableWidget& table, int row, const model::OrderInfo& info, const std::string& side,
                    const state::SessionView& view) {
    const auto item = view.instrument(info.itemCode);
    const std::array<std::string, 7> texts = {
        std::to_string(info.accountNo), info.orderNo, info.itemCode, side,
        offsetQuantityText(model::TextValue::doubleValue(info.quantity)),
        model::Formatter::formatDecimal(model::TextValue::doubleValue(info.price), item ? item->DecimalPlaces : 2),
        info.orderDetails};
    for (int c = 0; c < static_cast<int>(texts.size()); ++c) {
        auto* cell = new QTableWidgetItem(kit::shownText(texts[std::size_t(c)]));
        cell->setFlags(Qt::ItemIsEnabled);
        if (c == 4 || c == 5) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        if (c == 6 && info.statusColor)
            cell->setForeground(QColor::fromRgbF(float(info.statusColor->red), float(info.statusColor->green),
                                                 float(info.statusColor->blue)));
        table.setItem(row, c, cell);
    }
}

}  // namespace trading
