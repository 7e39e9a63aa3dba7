#pragma once
// Lays rows of texts out as one text table: a header row, row colours, thin
// dark-grey borders and 8 pt text by default. Row 0 is the header.
#include <QColor>
#include <QTextCharFormat>
#include <QTextFormat>
#include <QTextTableFormat>
#include <functional>
#include <vector>

#include "printing/consolidated_table_data.h"

class QTextCursor;
class QTextDocument;
class QTextTable;

namespace printing {

// A table of more rows than this (its header included) prints on the painted
// road (PaintedBody): a text document lays long tables out too slowly.
inline constexpr int kPaintedTableRows = 100;
// A cell prints at most this many UTF-16 units, its "…" included.
inline constexpr qsizetype kMaxPrintedCellChars = 2000;
// The text a cell prints, on either road: the shown form (kit/shown_text.h) at that length.
QString printedCell(const QString& value);

// Columns of `widths` in bands that fit `room` (roomOf(n): the room left for
// the texts of n columns), each band led by column 0; one band of every
// column when they fit or there is nothing to split.
std::vector<std::vector<qsizetype>> columnBands(const std::vector<double>& widths, double room,
                                               const std::function<double(qsizetype)>& roomOf);

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
    // break; without columns, two line breaks. A table too wide for the page
    // at its size is split into bands of columns, one table each, every band
    // led by column 0. Every text is plain, never markup, and cut at
    // kMaxPrintedCellChars. Leaves the cursor after the closing break.
    void attributedStringFromItems(const TableRows& rows, QTextCursor& cursor) const;

private:
    // The rows that alternateRows and alternateTextRows restyle.
    bool isAlternate(int row) const;
    QTextCharFormat styleOf(int row, int column) const;
    // 1, or less when the rows' texts on one line are wider than the document's page.
    double fitScale(const TableRows& rows, const QTextDocument& document) const;
    // The page's width less the cells' borders and paddings of `columns`; 0 without a page.
    double roomFor(qsizetype columns, const QTextDocument& document) const;
    // Each column's widest text on one line, at `scale` of the styles' sizes.
    std::vector<double> textWidths(const TableRows& rows, const QTextDocument& document, double scale) const;
    void insertTable(const TableRows& rows, QTextCursor& cursor) const;
    struct CellFormats {
        QTextTableCellFormat cell;
        QTextCharFormat text;
        QTextBlockFormat paragraph;
    };
    CellFormats cellFormats(int row, int column, double scale) const;
    void addCell(const QString& value, QTextTable& table, QTextCursor& at, int row, int column,
                 const CellFormats& formats) const;

    int layout_ = Automatic;
    QTextTableFormat table_;
};

}  // namespace printing
