// The statement tables' column fit measured a part a turn gives what
// QTableView measures for a column at once.
#include "reports/statement_table_view.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QStandardItemModel>

#include "kit/qt_test_app.h"

namespace {

constexpr int kRows = 3000;

// Column 0 widens down the table, column 1 narrows: the widest cell tells
// which rows were measured at either end.
void fill(QStandardItemModel& model) {
    for (int r = 0; r < kRows; ++r) {
        model.setItem(r, 0, new QStandardItem(QString(1 + r / 10, 'W')));
        model.setItem(r, 1, new QStandardItem(QString(1 + (kRows - r) / 10, 'W')));
    }
}

int wholeHint(reports::StatementTableView& view, int column) {
    return static_cast<QAbstractItemView&>(view).sizeHintForColumn(column);
}

TEST(StatementTableView, MeasuringInPartsGivesWhatQTableViewMeasures) {
    QStandardItemModel model(kRows, 2);
    fill(model);
    struct Case {
        bool shown;
        int topRow;
        int precision;
        bool hiddenRows;
    };
    const Case cases[] = {
        {false, 0, 1000, false}, {true, 0, 1000, false},   {true, 1500, 1000, false}, {true, 2990, 1000, false},
        {true, 1500, 1000, true}, {true, 1500, 7, false},   {true, 1500, 0, false},    {false, 0, -1, false},
        {true, 400, 1001, true},
    };
    for (const Case& c : cases) {
        reports::StatementTableView view;
        view.setModel(&model);
        view.resize(400, 300);
        view.horizontalHeader()->setResizeContentsPrecision(c.precision);
        if (c.hiddenRows)
            for (const int r : {0, 1, 2, 1499, 1500, 1520, 2999}) view.setRowHidden(r, true);
        if (c.shown) view.show();
        view.scrollTo(model.index(c.topRow, 0), QAbstractItemView::PositionAtTop);
        QApplication::processEvents();
        for (int column = 0; column < 2; ++column) {
            view.forgetMeasures();
            const int whole = wholeHint(view, column);
            const std::vector<int> rows = view.rowsToMeasure();
            for (std::size_t from = 0; from == 0 || from < rows.size(); from += 97) view.measureRows(column, rows, from, from + 97);
            EXPECT_EQ(wholeHint(view, column), whole)
                << "shown " << c.shown << " top " << c.topRow << " precision " << c.precision << " column " << column;
        }
    }
}

}  // namespace
