#include "funds/detail_lines_model.h"

#include <QHeaderView>
#include <QTableView>

#include "kit/plain_text.h"
#include "kit/shown_text.h"

namespace funds {

void DetailLinesModel::setLines(const std::vector<std::string>& lines) {
    beginResetModel();
    rows_ = kit::labelValueRows(lines);
    endResetModel();
}

int DetailLinesModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int DetailLinesModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 2; }

QVariant DetailLinesModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= 2) return {};
    const kit::LabelValueRow& row = rows_[std::size_t(index.row())];
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return kit::plainToolTipFor(role, kit::shownText(index.column() == 0 ? row.label : row.value));
    return {};
}

QTableView* detailTable(DetailLinesModel* model, QWidget* parent) {
    auto* table = new QTableView(parent);
    table->setObjectName("detailTable");
    table->setModel(model);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setAlternatingRowColors(true);
    table->setWordWrap(false);
    table->horizontalHeader()->hide();
    table->verticalHeader()->hide();
    // A short answer that does not change: the labels' column fits them, the values take the rest.
    table->horizontalHeader()->setStretchLastSection(true);
    table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QObject::connect(model, &QAbstractItemModel::modelReset, table, [table] { table->resizeColumnToContents(0); });
    table->setTextElideMode(Qt::ElideMiddle);
    return table;
}

}  // namespace funds
