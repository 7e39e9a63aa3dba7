#include "printing/table_print.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <map>
#include <numeric>
#include <vector>

namespace printing {

namespace {

// Points, as the document's layout takes them (pixels at 96 per inch).
constexpr double kPoint = 96.0 / 72.0;
constexpr double kBorderPoints = 0.1;
constexpr double kPaddingPoints = 2.0;
// A table too wide for the page is printed smaller, down to this share of its
// size (3 pt from 8); one that would need less wraps its texts instead.
constexpr double kSmallestScale = 0.375;

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

QTextCharFormat TablePrint::styleOf(int row, int column) const {
    // Each rule overrides the one before: row, alternate row, header row, header column.
    QTextCharFormat style = rowTextStyle;
    if (alternateTextRows && isAlternate(row)) style.merge(alternateRowTextStyle);
    if (headerRow && row == 0) style.merge(headerTextStyle);
    if (headerColumn && column == 0) style.merge(headerTextStyle);
    return style;
}

double TablePrint::fitScale(const TableRows& rows, const QTextDocument& document) const {
    const double page = document.pageSize().width();
    if (page <= 0) return 1.0;
    QPaintDevice* device = document.documentLayout()->paintDevice();
    // Lengths in the formats are at 96 per inch; the layout scales them to its device.
    const double unit = device ? device->logicalDpiX() / 96.0 : 1.0;
    const auto columns = rows.front().size();
    const double room = page - 2 * (kPaddingPoints + kBorderPoints) * kPoint * unit * double(columns);
    // The width of the texts on one line, each column as wide as its widest.
    const auto texts = [&](double scale) {
        std::map<std::pair<int, int>, QFontMetricsF> metrics;  // by header or alternate row, header column
        std::vector<double> widest(std::size_t(columns), 0.0);
        for (int r = 0; r < rows.size(); ++r)
            for (qsizetype c = 0; c < std::min(columns, rows[r].size()); ++c) {
                const std::pair<int, int> kind(r == 0 ? 2 : int(isAlternate(r)), c == 0);
                auto found = metrics.find(kind);
                if (found == metrics.end()) {
                    QFont font = styleOf(r, int(c)).font();
                    if (scale < 1.0 && font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * scale);
                    found = metrics.emplace(kind, QFontMetricsF(font, device)).first;
                }
                widest[std::size_t(c)] = std::max(widest[std::size_t(c)], found->second.horizontalAdvance(rows[r][c]));
            }
        return layout_ == Fixed ? *std::max_element(widest.begin(), widest.end()) * double(columns)
                                : std::accumulate(widest.begin(), widest.end(), 0.0);
    };
    const double natural = texts(1.0);
    if (natural <= room || room <= 0) return 1.0;
    // Small sizes round their glyphs up: measured again at each try.
    for (double scale = room / natural; scale >= kSmallestScale; scale *= 0.95)
        if (texts(scale) <= 0.98 * room) return scale;
    return 1.0;  // not legible smaller: wrapped as it is
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
        // Numbers must not break inside their cells: a table wider than the
        // page gets a smaller font rather than wrapped texts.
        const double scale = fitScale(rows, *cursor.document());
        QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()), columns, format);
        for (int r = 0; r < rows.size(); ++r)
            for (int c = 0; c < columns; ++c)
                addCell(c < rows[r].size() ? rows[r][c] : QString(), *table, r, c, scale);
        cursor = table->lastCursorPosition();
        cursor.movePosition(QTextCursor::NextBlock);
    }
    cursor.insertBlock();
    cursor.endEditBlock();
}

void TablePrint::addCell(const QString& value, QTextTable& table, int row, int column, double scale) const {
    const bool alternate = isAlternate(row);
    const bool header = (headerRow && row == 0) || (headerColumn && column == 0);
    QTextCharFormat style = styleOf(row, column);
    if (scale < 1.0 && style.font().pointSizeF() > 0) style.setFontPointSize(style.font().pointSizeF() * scale);

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
