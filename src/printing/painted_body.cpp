#include "printing/painted_body.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <numeric>

#include "printing/table_print.h"

namespace printing {

namespace {

constexpr double kPadding = 2.0;  // left and right of a cell's text
constexpr double kBorder = 0.1;

// In point units: a font's pixel size is its size in points.
QFont pointFont(double points) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(std::max(1, int(points + 0.5)));
    return font;
}

double pointsOf(const QTextCharFormat& style) {
    const double points = style.font().pointSizeF();
    return points > 0 ? points : 8.0;
}

}  // namespace

void PaintedBody::addText(const QString& text, const Style& style) {
    blocks_.push_back([text, style](double, std::vector<Line>& out) {
        QFont font = pointFont(style.points);
        font.setUnderline(style.underline);
        const QFontMetricsF metrics(font);
        for (const QString& paragraph : text.split(u'\n')) {
            out.push_back({metrics.height(), [=](QPainter& painter, double top, double width) {
                               const QString shown = metrics.elidedText(paragraph, Qt::ElideRight, width);
                               const QRectF box(0, top, std::min(width, metrics.horizontalAdvance(shown)), metrics.height());
                               if (style.background.isValid()) painter.fillRect(box, style.background);
                               painter.setFont(font);
                               painter.setPen(style.foreground);
                               painter.drawText(QRectF(0, top, width, metrics.height()), Qt::AlignLeft | Qt::AlignVCenter,
                                                shown);
                           }});
        }
    });
}

void PaintedBody::addImage(const QImage& image, const QSizeF& size) {
    if (image.isNull()) return;
    blocks_.push_back([image, size](double, std::vector<Line>& out) {
        out.push_back({size.height(), [=](QPainter& painter, double top, double) {
                           painter.drawImage(QRectF(QPointF(0, top), size), image);
                       }});
    });
}

void PaintedBody::addTable(const TableRows& rows, const TablePrint& table) {
    if (rows.isEmpty() || rows.front().isEmpty()) return;
    const QColor header = table.headerColor, row = table.rowColor, alternate = table.alternateRowColor;
    const bool headerRow = table.headerRow, alternateRows = table.alternateRows;
    const double points = pointsOf(table.rowTextStyle);
    auto cut = std::make_shared<TableRows>(rows);
    for (QStringList& cells : *cut)
        for (QString& cell : cells) cell = printedCell(cell);
    blocks_.push_back([=](double width, std::vector<Line>& out) {
        const QFont font = pointFont(points);
        const QFontMetricsF metrics(font);
        const auto columns = cut->front().size();
        // Every column as wide as its widest text, but no wider than half the
        // body: a longer text is elided, the rest of the table stays legible.
        const double widest = std::max(width / 2, 4 * metrics.averageCharWidth());
        auto shared = std::make_shared<TableRows>(*cut);
        auto widths = std::make_shared<std::vector<double>>(std::size_t(columns), 0.0);
        for (QStringList& cells : *shared)
            for (qsizetype c = 0; c < std::min(columns, cells.size()); ++c) {
                double w = metrics.horizontalAdvance(cells[c]) + 2 * kPadding;
                if (w > widest) {
                    cells[c] = metrics.elidedText(cells[c], Qt::ElideRight, widest - 2 * kPadding);
                    w = widest;
                }
                (*widths)[std::size_t(c)] = std::max((*widths)[std::size_t(c)], w);
            }
        const double height = metrics.height() + 2;
        const double baseline = 1 + metrics.ascent();
        // Wider than the body: the columns go into bands one under another,
        // each led by column 0, so that the text keeps its size.
        const auto bands = columnBands(*widths, width, [width](qsizetype) { return width; });
        for (std::size_t b = 0; b < bands.size(); ++b) {
            if (b > 0) out.push_back({height, [](QPainter&, double, double) {}});
            auto columnsOf = std::make_shared<std::vector<qsizetype>>(bands[b]);
            auto bandWidths = std::make_shared<std::vector<double>>();
            for (qsizetype c : bands[b]) bandWidths->push_back((*widths)[std::size_t(c)]);
            const double natural = std::accumulate(bandWidths->begin(), bandWidths->end(), 0.0);
            const std::size_t headerLine = headerRow ? out.size() : kNoLine;
            // Still wider than the body (one column alone): scaled to it; narrower: the spare width shared out.
            const double scale = natural > width ? width / natural : 1.0;
            if (natural > 0 && natural < width)
                for (double& w : *bandWidths) w *= width / natural;
            for (qsizetype r = 0; r < shared->size(); ++r) {
                const bool isHeader = headerRow && r == 0;
                const bool isAlternate = alternateRows && r % 2 == (headerRow ? 0 : 1);
                const QColor background = isHeader ? header : isAlternate ? alternate : row;
                out.push_back({height * scale, [=](QPainter& painter, double top, double) {
                                   painter.save();
                                   painter.translate(0, top);
                                   painter.scale(scale, scale);
                                   painter.setFont(font);
                                   QPen border(QColor(85, 85, 85));
                                   border.setWidthF(kBorder);
                                   const QStringList& cells = (*shared)[r];
                                   double x = 0;
                                   for (std::size_t i = 0; i < bandWidths->size(); ++i) {
                                       const QRectF cell(x, 0, (*bandWidths)[i], height);
                                       painter.fillRect(cell, background);
                                       painter.setPen(border);
                                       painter.drawRect(cell);
                                       painter.setPen(Qt::black);
                                       // At a point: no layout per cell, and every column holds its widest text.
                                       const qsizetype c = (*columnsOf)[i];
                                       if (c < cells.size()) painter.drawText(QPointF(x + kPadding, baseline), cells[c]);
                                       x += (*bandWidths)[i];
                                   }
                                   painter.restore();
                               },
                               isHeader ? kNoLine : headerLine});
            }
        }
    });
}

int PaintedBody::paginate(const QSizeF& body) {
    lines_.clear();
    pages_.clear();
    for (const auto& block : blocks_) block(body.width(), lines_);
    std::size_t first = 0, header = kNoLine;
    double used = 0;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > first && used + lines_[i].height > body.height()) {
            pages_.push_back({first, i, header});
            // A table row that starts a page comes under its header row again.
            first = i;
            header = lines_[i].header;
            used = header == kNoLine ? 0 : lines_[header].height;
        }
        used += lines_[i].height;
    }
    if (first < lines_.size()) pages_.push_back({first, lines_.size(), header});
    width_ = body.width();
    return pageCount();
}

void PaintedBody::paintPage(QPainter& painter, int page) const {
    if (page < 0 || page >= int(pages_.size())) return;
    const Page& shown = pages_[std::size_t(page)];
    double top = 0;
    if (shown.header != kNoLine) {
        lines_[shown.header].paint(painter, top, width_);
        top += lines_[shown.header].height;
    }
    for (std::size_t i = shown.first; i < shown.end; ++i) {
        lines_[i].paint(painter, top, width_);
        top += lines_[i].height;
    }
}

}  // namespace printing
