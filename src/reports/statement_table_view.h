#pragma once
// The views of the statement window's tables: shown only (no selection,
// editing or sorting), 12-point rows, date-time columns cut by their width,
// and a header menu that hides and shows columns where the table has one.
#include <QStyledItemDelegate>
#include <QTableView>
#include <string>
#include <vector>

class QMenu;

namespace reports {

class StatementTableModel;

// Shows a date-time cell's time alone while its column is 135 points or narrower.
class DateTimeWidthDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// Fits its columns to their content in steps: each column measured on its
// own (one event-loop turn each), then resizeColumnsToContents reads the kept
// measures instead of measuring every column at once.
class StatementTableView : public QTableView {
public:
    using QTableView::QTableView;
    // What resizeColumnsToContents would measure for the column; kept.
    void measureColumn(int column);
    // The rows QTableView::sizeHintForColumn reads: the shown ones, then
    // alternately above and below them, up to the horizontal header's
    // precision (every row when it is negative).
    std::vector<int> rowsToMeasure() const;
    // measureColumn over a part of rowsToMeasure(): the widest of the parts
    // measured since the last fit is what measureColumn keeps.
    void measureRows(int column, const std::vector<int>& rows, std::size_t from, std::size_t to);
    // resizeColumnsToContents with the kept measures (columns not measured
    // are measured now); forgets them after.
    void fitMeasuredColumns();
    void forgetMeasures() { measured_.clear(); }

protected:
    int sizeHintForColumn(int column) const override;

private:
    std::vector<int> measured_;  // per column; -1 not measured
};

// A view over the model; `dateTimeColumns` get the width delegate.
StatementTableView* makeStatementTable(StatementTableModel* model, const std::vector<int>& dateTimeColumns, bool headerMenu,
                               QWidget* parent);

// The header menu of a view made with one; null otherwise. One checkable entry
// per column (its identifier as the entry's data), checked while it shows.
QMenu* headerMenuOf(const QTableView* view);

}  // namespace reports
