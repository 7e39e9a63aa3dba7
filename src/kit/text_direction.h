#pragma once
// Figures read left to right in every language, in windows laid out right to left too.
#include <QString>

class QStyleOptionViewItem;
class QWidget;

namespace kit {

// A text of figures: a digit and no right-to-left letter ("-12.50", "2026-12-08 10:00", "1001").
bool readsAsFigure(const QString& text);
// Words of left-to-right letters only ("Fernmoor Devices Inc.", not yet isolated).
bool readsAsLeftToRightWords(const QString& text);
// In a right-to-left table: a cell of figures drawn left to right (sign, digits and alignment
// as in a left-to-right table); a cell of left-to-right words keeps the column's alignment
// and is isolated left to right, so that its closing punctuation stays at its end.
void keepFigureLeftToRight(QStyleOptionViewItem& option);
// A field or label of figures stays left to right whatever the application's direction.
void keepLeftToRight(QWidget* widget);
// A value shown after its label as ": figure": in a right-to-left window the colon stays
// beside the label (right of the figure) and the figure reads left to right, its sign first.
QString labelledFigure(const QString& text);

}  // namespace kit
