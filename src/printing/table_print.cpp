#include "printing/table_print.h"

#include <QAbstractTextDocumentLayout>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>
#include <algorithm>
#include <functional>
#include <array>
#include <optional>
#include <map>
#include <numeric>
#include <vector>

#include "kit/shown_text.h"

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

double TablePrint::roomFor(qsizetype columns, const QTextDocument& document) const {
    const double page = document.pageSize().width();
    if (page <= 0) return 0;
    QPaintDevice* device = document.documentLayout()->paintDevice();
    // Lengths in the formats are at 96 per inch; the layout scales them to its device.
    const double unit = device ? device->logicalDpiX() / 96.0 : 1.0;
    return page - 2 * (kPaddingPoints + kBorderPoints) * kPoint * unit * double(columns);
}

std::vector<double> TablePrint::textWidths(const TableRows& rows, const QTextDocument& document, double scale) const {
    QPaintDevice* device = document.documentLayout()->paintDevice();
    const auto columns = rows.front().size();
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
            widest[std::size_t(c)] = std::max(widest[std::size_t(c)], found->second.horizontalAdvance(printedCell(rows[r][c])));
        }
    if (layout_ == Fixed && !widest.empty()) std::fill(widest.begin(), widest.end(), *std::max_element(widest.begin(), widest.end()));
    return widest;
}

double TablePrint::fitScale(const TableRows& rows, const QTextDocument& document) const {
    const double room = roomFor(rows.front().size(), document);
    // The width of the texts on one line, each column as wide as its widest.
    const auto texts = [&](double scale) {
        const auto w = textWidths(rows, document, scale);
        return std::accumulate(w.begin(), w.end(), 0.0);
    };
    const double natural = texts(1.0);
    if (natural <= room || room <= 0) return 1.0;
    // Small sizes round their glyphs up: measured again at each try.
    for (double scale = room / natural; scale >= kSmallestScale; scale *= 0.95)
        if (texts(scale) <= 0.98 * room) return scale;
    return 1.0;  // not legible smaller: wrapped as it is
}

std::vector<std::vector<qsizetype>> columnBands(const std::vector<double>& widths, double room,
                                               const std::function<double(qsizetype)>& roomOf) {
    std::vector<std::vector<qsizetype>> bands;
    const auto columns = qsizetype(widths.size());
    double total = 0;
    for (double w : widths) total += w;
    if (columns <= 1 || room <= 0 || total <= room) {
        bands.emplace_back();
        for (qsizetype c = 0; c < columns; ++c) bands.back().push_back(c);
        return bands;
    }
    // Column 0 names the row: it starts every band.
    qsizetype next = 1;
    while (next < columns) {
        std::vector<qsizetype> band{0};
        double used = widths[0];
        while (next < columns && (band.size() == 1 || used + widths[std::size_t(next)] <= roomOf(qsizetype(band.size()) + 1))) {
            used += widths[std::size_t(next)];
            band.push_back(next++);
        }
        bands.push_back(std::move(band));
    }
    return bands;
}

void TablePrint::attributedStringFromItems(const TableRows& rows, QTextCursor& cursor) const {
    cursor.beginEditBlock();
    const qsizetype columns = rows.isEmpty() ? 0 : rows.front().size();
    if (columns == 0) {
        cursor.insertBlock();
        cursor.insertBlock();
        cursor.endEditBlock();
        return;
    }
    // Too wide for the page at its size: the columns go into bands one under
    // another, each led by column 0, rather than into a smaller font.
    const QTextDocument& document = *cursor.document();
    // Packed to 90 % of the room: the table's layout wraps texts that fill it to the point.
    const auto bands = columnBands(textWidths(rows, document, 1.0), roomFor(columns, document),
                                   [&](qsizetype n) { return 0.9 * roomFor(n, document); });
    for (const auto& band : bands) {
        if (bands.size() == 1) {
            insertTable(rows, cursor);
            continue;
        }
        TableRows part;
        part.reserve(rows.size());
        for (const QStringList& row : rows) {
            QStringList cells;
            for (qsizetype c : band) cells.append(c < row.size() ? row[c] : QString());
            part.append(std::move(cells));
        }
        insertTable(part, cursor);
    }
    cursor.endEditBlock();
}

void TablePrint::insertTable(const TableRows& rows, QTextCursor& cursor) const {
    const int columns = static_cast<int>(rows.front().size());
    // The table's frame ends the paragraph before it: the opening line break.
    QTextTableFormat format = table_;
    // A table that runs onto more pages shows its header again on each.
    format.setHeaderRowCount(headerRow ? 1 : 0);
    if (layout_ == Fixed)
        format.setColumnWidthConstraints(
            QList<QTextLength>(columns, QTextLength(QTextLength::PercentageLength, 100.0 / columns)));
    // Numbers must not break inside their cells: a table still wider than the
    // page gets a smaller font rather than wrapped texts.
    const double scale = fitScale(rows, *cursor.document());
    // One format per kind of cell (header, alternate or plain row; header
    // column or not), shared by every cell of its kind: a format made per
    // cell costs more than the cell's text.
    std::array<std::optional<CellFormats>, 6> kinds;
    QTextTable* table = cursor.insertTable(static_cast<int>(rows.size()), columns, format);
    QTextCursor at = table->cellAt(0, 0).firstCursorPosition();
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < columns; ++c) {
            const int kind = (headerRow && r == 0 ? 2 : isAlternate(r) ? 1 : 0) * 2 + (headerColumn && c == 0);
            if (!kinds[std::size_t(kind)]) kinds[std::size_t(kind)] = cellFormats(r, c, scale);
            addCell(c < rows[r].size() ? rows[r][c] : QString(), *table, at, r, c, *kinds[std::size_t(kind)]);
        }
    cursor = table->lastCursorPosition();
    cursor.movePosition(QTextCursor::NextBlock);
    cursor.insertBlock();
}

TablePrint::CellFormats TablePrint::cellFormats(int row, int column, double scale) const {
    const bool alternate = isAlternate(row);
    const bool header = (headerRow && row == 0) || (headerColumn && column == 0);
    CellFormats out;
    out.text = styleOf(row, column);
    if (scale < 1.0 && out.text.font().pointSizeF() > 0) out.text.setFontPointSize(out.text.font().pointSizeF() * scale);
    // The cell's format is also its first paragraph's character format, so an
    // empty cell is one line of its text style.
    out.cell.merge(out.text);
    out.cell.setBorder(kBorderPoints * kPoint);
    out.cell.setBorderBrush(QColor(85, 85, 85));
    out.cell.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    out.cell.setLeftPadding(kPaddingPoints * kPoint);
    out.cell.setRightPadding(kPaddingPoints * kPoint);
    out.cell.setTopPadding(0);
    out.cell.setBottomPadding(0);
    out.cell.setVerticalAlignment(QTextCharFormat::AlignMiddle);
    out.cell.setBackground(header ? headerColor : alternateRows && alternate ? alternateRowColor : rowColor);
    out.paragraph.setAlignment(alignment);
    return out;
}

void TablePrint::addCell(const QString& value, QTextTable& table, QTextCursor& at, int row, int column,
                         const CellFormats& formats) const {
    QTextTableCell cell = table.cellAt(row, column);
    cell.setFormat(formats.cell);
    at = cell.firstCursorPosition();
    at.setBlockFormat(formats.paragraph);
    at.insertText(printedCell(value), formats.text);
}

QString printedCell(const QString& value) { return kit::shownText(value, kMaxPrintedCellChars - 1); }

}  // namespace printing
