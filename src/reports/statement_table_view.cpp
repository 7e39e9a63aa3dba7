#include "reports/statement_table_view.h"

#include <QHeaderView>
#include <QMenu>
#include <algorithm>

#include "reports/core/statement_cells.h"
#include "reports/statement_table_model.h"

namespace reports {

namespace {
constexpr const char* kHeaderMenuName = "headerMenu";
}

void DateTimeWidthDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    const auto* view = qobject_cast<const QTableView*>(option->widget);
    if (!view) return;
    option->text =
        QString::fromStdString(dateTimeCell(view->columnWidth(index.column()), option->text.toStdString()));
}

void StatementTableView::measureColumn(int column) {
    if (column < 0) return;
    if (measured_.size() <= std::size_t(column)) measured_.resize(std::size_t(column) + 1, -1);
    measured_[std::size_t(column)] = QTableView::sizeHintForColumn(column);
}

std::vector<int> StatementTableView::rowsToMeasure() const {
    std::vector<int> rows;
    const QHeaderView* header = verticalHeader();
    const int count = model() ? model()->rowCount(rootIndex()) : 0;
    const int most = horizontalHeader()->resizeContentsPrecision();
    if (count == 0) return rows;
    const int top = std::max(0, header->visualIndexAt(0));
    int bottom = header->visualIndexAt(viewport()->height());
    if (!isVisible() || bottom == -1) bottom = count - 1;
    int row = top;
    for (; row <= bottom; ++row) {
        const int logical = header->logicalIndex(row);
        if (header->isSectionHidden(logical)) continue;
        rows.push_back(logical);
        if (int(rows.size()) == most) return rows;
    }
    row = std::min(row, bottom);
    const int last = count - 1;
    int above = top;
    if (most == 0) return rows;
    while (int(rows.size()) != most && (above > 0 || row < last)) {
        int logical = -1;
        if ((rows.size() % 2 && above > 0) || row >= last) {
            while (above > 0) {
                logical = header->logicalIndex(--above);
                if (!header->isSectionHidden(logical)) break;
            }
        } else {
            while (row < last) {
                logical = header->logicalIndex(++row);
                if (!header->isSectionHidden(logical)) break;
            }
        }
        if (logical < 0 || header->isSectionHidden(logical)) continue;
        rows.push_back(logical);
    }
    return rows;
}

void StatementTableView::measureRows(int column, const std::vector<int>& rows, std::size_t from, std::size_t to) {
    if (column < 0 || !model()) return;
    ensurePolished();
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int hint = 0;
    for (std::size_t i = from; i < std::min(to, rows.size()); ++i) {
        const QModelIndex index = model()->index(rows[i], column, rootIndex());
        hint = std::max(hint, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    if (showGrid()) ++hint;
    if (measured_.size() <= std::size_t(column)) measured_.resize(std::size_t(column) + 1, -1);
    measured_[std::size_t(column)] = std::max(measured_[std::size_t(column)], hint);
}

void StatementTableView::fitMeasuredColumns() {
    resizeColumnsToContents();
    measured_.clear();
}

int StatementTableView::sizeHintForColumn(int column) const {
    if (column >= 0 && std::size_t(column) < measured_.size() && measured_[std::size_t(column)] >= 0)
        return measured_[std::size_t(column)];
    return QTableView::sizeHintForColumn(column);
}

StatementTableView* makeStatementTable(StatementTableModel* model, const std::vector<int>& dateTimeColumns,
                                       bool headerMenu, QWidget* parent) {
    auto* view = new StatementTableView(parent);
    view->setModel(model);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionsClickable(false);
    view->horizontalHeader()->setStretchLastSection(true);
    QFont rows = view->font();
    rows.setPointSize(12);
    view->setFont(rows);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(rows).height() + 6);
    if (!dateTimeColumns.empty()) {
        auto* delegate = new DateTimeWidthDelegate(view);
        for (const int column : dateTimeColumns) view->setItemDelegateForColumn(column, delegate);
    }
    if (!headerMenu) return view;
    auto* menu = new QMenu(view);
    menu->setObjectName(kHeaderMenuName);
    for (int c = 0; c < model->columnCount(); ++c) {
        QAction* entry = menu->addAction(model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
        entry->setCheckable(true);
        entry->setChecked(!view->isColumnHidden(c));
        entry->setData(QString::fromStdString(model->identifiers()[std::size_t(c)]));
        QObject::connect(entry, &QAction::toggled, view, [view, model, entry](bool shown) {
            const int column = model->columnOf(entry->data().toString().toStdString());
            if (column >= 0) view->setColumnHidden(column, !shown);
        });
    }
    QHeaderView* header = view->horizontalHeader();
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(header, &QHeaderView::customContextMenuRequested, view,
                     [menu, header](const QPoint& at) { menu->popup(header->mapToGlobal(at)); });
    return view;
}

QMenu* headerMenuOf(const QTableView* view) {
    return view ? view->findChild<QMenu*>(kHeaderMenuName, Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace reports
