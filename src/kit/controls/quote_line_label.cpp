#include "kit/controls/quote_line_label.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <vector>

#include "kit/plain_text.h"

namespace kit {

namespace {

bool isFigure(QChar c) { return c.isDigit() || c == u'.' || c == u',' || c == u'-' || c == u'+' || c == u':'; }

// Where the text's closing run of figures starts; the text's length when it ends otherwise.
qsizetype figuresStart(const QString& text) {
    qsizetype start = text.size();
    while (start > 0 && isFigure(text[start - 1])) --start;
    const bool digit = std::any_of(text.begin() + start, text.end(), [](QChar c) { return c.isDigit(); });
    return digit ? start : text.size();
}

// One line of `text` in `font`, each piece laid out on its own so that the
// figures do not take the script (and so the font) of the words before them.
struct Piece {
    QTextLayout layout;
    qreal width = 0;
    qreal height = 0;
};

void layOut(Piece& piece, const QString& text, const QFont& font, Qt::LayoutDirection direction) {
    piece.layout.setText(text);
    piece.layout.setFont(font);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);  // the space between the words and the figures
    option.setTextDirection(direction);
    piece.layout.setTextOption(option);
    piece.layout.beginLayout();
    const QTextLine line = piece.layout.createLine();
    piece.layout.endLayout();
    piece.width = text.isEmpty() ? 0 : line.horizontalAdvance();
    piece.height = line.height();
}

}  // namespace

QuoteLineLabel::QuoteLineLabel(QWidget* parent) : QLabel(parent) { kit::makePlain(*this); }

QFont QuoteLineLabel::figureFont() const {
    QFont figures = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    figures.setPointSizeF(font().pointSizeF() > 0 ? font().pointSizeF() : 10);
    return figures;
}

QString QuoteLineLabel::figuresText() const { return text().mid(figuresStart(text())); }
QString QuoteLineLabel::wordsText() const { return text().left(figuresStart(text())); }

namespace {

// A line's words in the label's font and direction, its figures apart, left to right.
struct Line {
    Piece words, figures;
    qreal width = 0, height = 0;
};

std::vector<Line> layOutLines(const QString& text, const QFont& font, const QFont& figureFont,
                              Qt::LayoutDirection direction) {
    const QStringList lines = text.split(u'\n');
    std::vector<Line> out(static_cast<std::size_t>(lines.size()));
    const QFontMetricsF metrics(font);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString& line = lines[i];
        Line& laid = out[static_cast<std::size_t>(i)];
        const qsizetype start = figuresStart(line);
        layOut(laid.words, line.left(start), font, direction);
        layOut(laid.figures, line.mid(start), figureFont, Qt::LeftToRight);
        // Room for the line in either font, so that no measure finds it cut.
        laid.width = std::max(laid.words.width + laid.figures.width, metrics.horizontalAdvance(line));
        laid.height = std::max({laid.words.height, laid.figures.height, metrics.height()});
    }
    return out;
}

}  // namespace

QSize QuoteLineLabel::sizeHint() const {
    qreal width = 0, height = 0;
    for (const Line& line : layOutLines(text(), font(), figureFont(), layoutDirection())) {
        width = std::max(width, line.width);
        height += line.height;
    }
    const QMargins m = contentsMargins();
    return {int(std::ceil(width)) + m.left() + m.right() + 2 * margin(),
            int(std::ceil(height)) + m.top() + m.bottom() + 2 * margin()};
}

QSize QuoteLineLabel::minimumSizeHint() const { return sizeHint(); }

void QuoteLineLabel::paintEvent(QPaintEvent*) {
    std::vector<Line> lines = layOutLines(text(), font(), figureFont(), layoutDirection());
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    qreal height = 0;
    for (const Line& line : lines) height += line.height;
    qreal y = room.top() + (room.height() - height) / 2;
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    for (Line& line : lines) {
        const qreal width = line.words.width + line.figures.width;
        qreal x = room.left();
        if (align & Qt::AlignRight)
            x = room.right() + 1 - width;
        else if (align & Qt::AlignHCenter)
            x = room.left() + (room.width() - width) / 2;
        // The words first in the reading direction, the figures after them.
        const qreal wordsX = rightToLeft ? x + line.figures.width : x;
        const qreal figuresX = rightToLeft ? x : x + line.words.width;
        const auto draw = [&](Piece& piece, qreal left) {
            if (piece.layout.lineCount() == 0) return;
            const QTextLine laid = piece.layout.lineAt(0);
            // A right-to-left line is laid out against its own right end.
            const qreal shift = laid.naturalTextRect().left();
            laid.draw(&painter, QPointF(left - shift, y + (line.height - laid.height()) / 2));
        };
        draw(line.words, wordsX);
        draw(line.figures, figuresX);
        y += line.height;
    }
}

}  // namespace kit
