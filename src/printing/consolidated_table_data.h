#pragma once
// Reads what a table view shows into rows of texts for printing: a header row
// of column titles, then one row per record.
#include <QList>
#include <QStringList>
#include <QtCore/qnamespace.h>
#include <cstdint>

class QTableView;

namespace printing {

// The header-data role under which a printable model gives each column's
// identifier, a language key ("27" reads the key "0027").
inline constexpr int kColumnIdentifierRole = Qt::UserRole + 80;

// Row 0 is the header; every row has one text per visible column.
using TableRows = QList<QStringList>;

class ConsolidatedTableData {
public:
    // The visible columns in on-screen order: their titles in `language`, then
    // the display texts of rows 0 .. rowCount - 1 ("" where a cell has none).
    // The caller's count is capped at the model's rows.
    static TableRows getConsolidatedDataFromTableView(const QTableView& view, int rowCount, std::int64_t language);
};

}  // namespace printing
