#pragma once
// The views of the statement window's tables: shown only (no selection,
// editing or sorting), 12-point rows, date-time columns cut by their width,
// a bounded sample of rows read when a column fits its content, and a header
// menu that hides and shows columns where the table has one.
#include <QTableView>
#include <vector>

#include "kit/text_cell_delegate.h"

class QMenu;

namespace reports {

class StatementTableModel;

// A cell drawn from text shaped once, as the style draws it; the model's
// texts are already in their shown form and a right-to-left table draws as
// the style does.
class StatementCellDelegate : public kit::TextCellDelegate {
public:
    using kit::TextCellDelegate::TextCellDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// Shows a date-time cell's time alone while its column is 135 points or narrower.
class DateTimeWidthDelegate : public StatementCellDelegate {
public:
    using StatementCellDelegate::StatementCellDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

// Rows a column's fit to its content reads (the header's precision): the
// shown ones first, then alternately above and below them.
inline constexpr int kFitSampleRows = 500;

// A view over the model; `dateTimeColumns` get the width delegate.
QTableView* makeStatementTable(StatementTableModel* model, const std::vector<int>& dateTimeColumns, bool headerMenu,
                               QWidget* parent);

// The header menu of a view made with one; null otherwise. One checkable entry
// per column (its identifier as the entry's data), checked while it shows.
QMenu* headerMenuOf(const QTableView* view);

}  // namespace reports
