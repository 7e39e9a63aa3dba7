#include "printing/table_print.h"

#include <QFontDatabase>
#include <QTextCursor>
#include <QTextTable>

namespace printing {

namespace {

// Points, as the document's layout takes them (pixels at 96 per inch).
constexpr double kPoint = 96.0 / 72.0;
constexpr double kBorderPoints = 0.1;
constexpr double kPaddingPoints = 2.0;

QTextCharFormat systemFont(double points) {
    QTextCharFormat style;
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSizeF(points);
    style.setFont(font);
    return style;
}

}  // namespace

TablePrint::TablePrint()
    : headerColor(170, 170, 170),
      rowTextStyle(systemFont(8.0)),
      alternateRowTextStyle(systemFont(8.0)),
      headerTextStyle(systemFont(8.0)) {
    table_.setBorderCollapse(true);
    table_.setBorder(0);
    table_.setCellSpacing(0);
    table_.setCellPadding(0);
    table_.setWidth(QTextLength(QTextLength::PercentageLength, 100));
}

void TablePrint::setLayout(int layout) {
    if (layout == Automatic || layout == Fixed) layout_ = layout;
}

bool TablePrint::isAlternate(int row) const {
    // The 2nd, 4th, ... data row, with or without a header row.
    return row % 2 == (headerRow ? 0 : 1);
}

void TablePrint::attributedStringFromItems(const TableRows& rows, QTextCursor& cursor) const {
    cursor.beginEditBlock();
    const int columns = rows.isEmpty() ? 0 : static_cast<int>(rows.front().size());
    if (columns == 0) {
        cursor.insertBlock();
    } else {
        // The table's frame ends the paragraph before it: the opening line break.
        QTextTableFormat format = table_;
        if (layout_ == Fixed)
            format.setColumnWidthConstraints(
                QList<QTextLength>(columns, QTextLength(QTextLength::PercentageLength, 100.0 / columns)));
        QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()), columns, format);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < columns; ++c) addCell(c < rows[r].size() ? rows[r][c] : QString(), *table, r, c);
        cursor = table->lastCursorPosition();
        cursor.movePosition(QTextCursor::NextBlock);
    }
    cursor.insertBlock();
    cursor.endEditBlock();
}

void TablePrint::addCell(const QString& value, QTextTable& table, int row, int column) const {
    // Each rule overrides the one before: row, alternate row, header row, header column.
    const bool alternate = isAlternate(row);
    const bool header = (headerRow && row == 0) || (headerColumn && column == 0);
    QTextCharFormat style = rowTextStyle;
    if (alternateTextRows && alternate) style.merge(alternateRowTextStyle);
    if (headerRow && row == 0) style.merge(headerTextStyle);
    if (headerColumn && column == 0) style.merge(headerTextStyle);

    // The cell's format is also its first paragraph's character format, so an
    // empty cell is one line of its text style.
    QTextTableCellFormat format;
    format.merge(style);
    format.setBorder(kBorderPoints * kPoint);
    format.setBorderBrush(QColor(85, 85, 85));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setLeftPadding(kPaddingPoints * kPoint);
    format.setRightPadding(kPaddingPoints * kPoint);
    format.setTopPadding(0);
    format.setBottomPadding(0);
    format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    format.setBackground(header ? headerColor : alternateRows && alternate ? alternateRowColor : rowColor);
    QTextTableCell cell = table.cellAt(row, column);
    cell.setFormat(format);

    QTextCursor cursor = cell.firstCursorPosition();
    QTextBlockFormat paragraph;
    paragraph.setAlignment(alignment);
    cursor.setBlockFormat(paragraph);
    cursor.insertText(value, style);
}

}  // namespace printing
