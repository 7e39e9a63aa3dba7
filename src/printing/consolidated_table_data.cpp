#include "printing/consolidated_table_data.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>

#include "model/language_string.h"
#include "kit/own_text.h"

namespace printing {

TableRows ConsolidatedTableData::getConsolidatedDataFromTableView(const QTableView& view, int rowCount,
                                                                  std::int64_t language) {
    TableRows rows;
    const QAbstractItemModel* model = view.model();
    if (!model) return {QStringList()};
    const QModelIndex root = view.rootIndex();
    const QHeaderView* header = view.horizontalHeader();
    QList<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int logical = header->logicalIndex(visual);
        if (logical >= 0 && !view.isColumnHidden(logical)) columns.append(logical);
    }
    QStringList titles;
    for (const int column : columns) {
        const std::string key =
            model->headerData(column, Qt::Horizontal, kColumnIdentifierRole).toString().toStdString();
        titles.append(kit::tableText(language, model::LanguageString::setLanguageKey(key)));
    }
    rows.append(titles);
    const int count = std::clamp(rowCount, 0, model->rowCount(root));
    rows.reserve(count + 1);
    for (int row = 0; row < count; ++row) {
        QStringList values;
        values.reserve(columns.size());
        for (const int column : columns) values.append(model->index(row, column, root).data(Qt::DisplayRole).toString());
        rows.append(values);
    }
    return rows;
}

}  // namespace printing
