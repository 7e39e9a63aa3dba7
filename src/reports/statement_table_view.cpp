#include "reports/statement_table_view.h"

#include <QHeaderView>
#include <QMenu>

#include "reports/core/statement_cells.h"
#include "reports/statement_table_model.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace reports {

namespace {
constexpr const char* kHeaderMenuName = "headerMenu";
}

void StatementCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
}

void DateTimeWidthDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    StatementCellDelegate::initStyleOption(option, index);
    const auto* view = qobject_cast<const QTableView*>(option->widget);
    if (!view) return;
    option->text =
        kit::shownText(dateTimeCell(view->columnWidth(index.column()), option->text.toStdString()));
}

QTableView* makeStatementTable(StatementTableModel* model, const std::vector<int>& dateTimeColumns, bool headerMenu,
                               QWidget* parent) {
    auto* view = new QTableView(parent);
    view->setModel(model);
    view->setSelectionMode(QAbstractItemView::NoSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    view->setAlternatingRowColors(true);
    view->setWordWrap(false);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setSectionsClickable(false);
    view->horizontalHeader()->setStretchLastSection(true);
    view->horizontalHeader()->setResizeContentsPrecision(kFitSampleRows);
    QFont rows = view->font();
    rows.setPointSize(12);
    view->setFont(rows);
    view->verticalHeader()->setDefaultSectionSize(QFontMetrics(rows).height() + 6);
    view->setItemDelegate(new StatementCellDelegate(view));
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
        entry->setData(kit::identifierText(model->identifiers()[std::size_t(c)]));
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
    return view ? view->findChild<QMenu*>(kit::identifierText(kHeaderMenuName), Qt::FindDirectChildrenOnly) : nullptr;
}

}  // namespace reports
