#include "trading/close_all_table.h"

#include <QHeaderView>
#include <QEvent>
#include <QScrollBar>
#include <QTimer>
#include <algorithm>

#include "kit/own_text.h"
#include "kit/table_controller_base.h"
#include "model/language_string.h"

namespace trading {

QStringList closeTableTitles(const std::vector<std::string>& identifiers, std::int64_t language) {
    QStringList titles;
    for (const std::string& id : identifiers)
        titles << (id == "0" ? QStringLiteral(" ") : kit::tableText(language, model::LanguageString::setLanguageKey(id)));
    return titles;
}

void setUpCloseView(QTableView& table) {
    table.verticalHeader()->hide();
    table.setEditTriggers(QAbstractItemView::NoEditTriggers);
    table.setSelectionMode(QAbstractItemView::NoSelection);
    table.setWordWrap(true);
    QFont font = table.font();
    font.setPointSize(12);
    table.setFont(font);
    table.horizontalHeader()->setStretchLastSection(true);
    table.horizontalHeader()->setDefaultSectionSize(80);
    // Widths fitted to a sample of the rows, not to every one of many.
    table.horizontalHeader()->setResizeContentsPrecision(kit::TableControllerBase::kFitSampleRows);
}

void spreadColumns(QTableView& table, const std::vector<int>& widths, int first) {
    const int columns = table.model() ? table.model()->columnCount() : 0;
    if (static_cast<int>(widths.size()) != columns || first >= columns) return;
    int used = 0;
    for (const int w : widths) used += w;
    const int spread = columns - first;
    const int share = std::max(0, table.viewport()->width() - used) / spread;
    for (int c = 0; c < columns; ++c)
        table.setColumnWidth(c, widths[std::size_t(c)] + (c >= first ? share : 0));
}

namespace {

// Fits the rows from the top one in sight down to the last in sight, again
// while fitting brings more rows into sight (a few passes at most).
void fitRowsInSight(QTableView& table) {
    const int top = table.rowAt(0);
    if (top < 0) return;
    const int last = table.model()->rowCount() - 1;
    int fitted = top - 1;
    for (int pass = 0; pass < 4; ++pass) {
        const int bottom = table.rowAt(table.viewport()->height() - 1);
        const int to = bottom < 0 ? last : bottom;
        if (to <= fitted) break;
        for (int r = fitted + 1; r <= to; ++r) table.resizeRowToContents(r);
        fitted = to;
    }
}

// Starts the fitting on a resize of the view it watches.
class ResizeWatch : public QObject {
public:
    ResizeWatch(QTimer& fit, QObject* parent) : QObject(parent), fit_(fit) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) fit_.start();
        return QObject::eventFilter(watched, event);
    }

private:
    QTimer& fit_;
};

}  // namespace

void keepRowsInSightFitted(QTableView& table) {
    auto* fit = new QTimer(&table);
    fit->setSingleShot(true);
    fit->setInterval(0);
    QObject::connect(fit, &QTimer::timeout, &table, [&table] { fitRowsInSight(table); });
    const auto start = qOverload<>(&QTimer::start);
    QObject::connect(table.horizontalHeader(), &QHeaderView::sectionResized, fit, start);
    QObject::connect(table.verticalScrollBar(), &QScrollBar::valueChanged, fit, start);
    QAbstractItemModel* model = table.model();
    QObject::connect(model, &QAbstractItemModel::modelReset, fit, start);
    QObject::connect(model, &QAbstractItemModel::dataChanged, fit, start);
    table.viewport()->installEventFilter(new ResizeWatch(*fit, fit));
}

}  // namespace trading
