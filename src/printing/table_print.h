#pragma once
// Lays rows of texts out as one text table: a header row, row colours, thin
// dark-grey borders and 8 pt text by default. Row 0 is the header.
#include <QColor>
#include <QTextCharFormat>
#include <QTextTableFormat>

#include "printing/consolidated_table_data.h"

class QTextCursor;
class QTextDocument;
class QTextTable;

namespace printing {

class TablePrint {
public:
    enum Layout { Automatic = 0, Fixed = 1 };

    TablePrint();

    Qt::Alignment alignment = Qt::AlignLeft;  // of every cell's paragraph
    bool headerRow = true;            // row 0 is a header row
    bool headerColumn = false;        // column 0 is a header column
    bool alternateRows = true;        // every second data row takes alternateRowColor
    bool alternateTextRows = false;   // ... and alternateRowTextStyle
    QColor rowColor = Qt::white;
    QColor alternateRowColor = Qt::white;
    QColor headerColor;               // light grey
    QTextCharFormat rowTextStyle;     // the system font at 8 pt, each of the three
    QTextCharFormat alternateRowTextStyle;
    QTextCharFormat headerTextStyle;

    // The table's layout: automatic (column widths from the contents) or fixed
    // (equal columns); other values are ignored.
    int layout() const { return layout_; }
    void setLayout(int layout);
    // The table's own format: collapsed borders, no spacing, full width.
    const QTextTableFormat& table() const { return table_; }

    // Inserts at the cursor the table, as many columns as row 0 holds (its
    // frame ends the paragraph before it, as a line break), and a closing line
    // break; without columns, two line breaks. Every text is plain, never
    // markup. Leaves the cursor after the closing break.
    void attributedStringFromItems(const TableRows& rows, QTextCursor& cursor) const;

private:
    // The rows that alternateRows and alternateTextRows restyle.
    bool isAlternate(int row) const;
    QTextCharFormat styleOf(int row, int column) const;
    // 1, or less when the rows' texts on one line are wider than the document's page.
    double fitScale(const TableRows& rows, const QTextDocument& document) const;
    void addCell(const QString& value, QTextTable& table, int row, int column, double scale) const;

    int layout_ = Automatic;
    QTextTableFormat table_;
};

}  // namespace printing
