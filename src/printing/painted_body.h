#pragma once
// A print body painted page by page with QPainter, for prints whose tables are
// too long for a text document's table layout: paragraphs, images and tables
// of texts in order. Cells hold one line each; a table is as wide as the body,
// its columns sized by their widest text (at most half the body, longer texts
// elided); a table wider than the body is split into bands of columns, each
// led by column 0, and a band that runs onto another page shows its header
// row again at the top of it. Units are points.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <algorithm>
#include <functional>
#include <vector>

#include "printing/consolidated_table_data.h"

class QPainter;

namespace printing {

class TablePrint;

class PaintedBody {
public:
    struct Style {
        double points = 12;
        QColor foreground = Qt::black;
        QColor background;  // none when invalid
        bool underline = false;
    };

    // Each "\n"-separated line is a paragraph; an empty one is a blank line.
    void addText(const QString& text, const Style& style);
    // The image at `size` points; a null image adds nothing.
    void addImage(const QImage& image, const QSizeF& size);
    // Row 0 is the header, in the table's header colour and style.
    void addTable(const TableRows& rows, const TablePrint& table);

    // Breaks the content into pages of `body` points; the count (at least 1).
    int paginate(const QSizeF& body);
    int pageCount() const { return std::max<int>(1, int(pages_.size())); }
    // One page, the painter's origin at the body's top-left, in points.
    void paintPage(QPainter& painter, int page) const;

private:
    static constexpr std::size_t kNoLine = std::size_t(-1);
    // One unbreakable line of the body: its height, how it paints at a top,
    // and the line that heads it (a table row's header row), if any.
    struct Line {
        double height;
        std::function<void(QPainter&, double top, double width)> paint;
        std::size_t header = kNoLine;
    };
    // Lines [first, end) of lines_, under `header` repeated when it is not kNoLine.
    struct Page {
        std::size_t first, end, header;
    };
    // Lines are laid out when the body's width is known.
    std::vector<std::function<void(double width, std::vector<Line>& out)>> blocks_;
    std::vector<Line> lines_;
    std::vector<Page> pages_;
    double width_ = 0;
};

}  // namespace printing
