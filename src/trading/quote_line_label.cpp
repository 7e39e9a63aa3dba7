#include "trading/quote_line_label.h"

#include <QFontDatabase>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "kit/plain_text.h"

namespace trading {

namespace {

bool isFigure(QChar c) { return c.isDigit() || c == '.' || c == ',' || c == '-' || c == '+' || c == ':'; }

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

QSize QuoteLineLabel::sizeHint() const {
    Piece words, figures;
    layOut(words, wordsText(), font(), layoutDirection());
    layOut(figures, figuresText(), figureFont(), Qt::LeftToRight);
    // Room for the text in either font, so that no measure finds it cut.
    const qreal width = std::max(words.width + figures.width, qreal(fontMetrics().horizontalAdvance(text())));
    const qreal height = std::max({words.height, figures.height, qreal(fontMetrics().height())});
    const QMargins m = contentsMargins();
    return {int(std::ceil(width)) + m.left() + m.right() + 2 * margin(),
            int(std::ceil(height)) + m.top() + m.bottom() + 2 * margin()};
}

QSize QuoteLineLabel::minimumSizeHint() const { return sizeHint(); }

void QuoteLineLabel::paintEvent(QPaintEvent*) {
    Piece words, figures;
    layOut(words, wordsText(), font(), layoutDirection());
    layOut(figures, figuresText(), figureFont(), Qt::LeftToRight);
    const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const qreal width = words.width + figures.width;
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    qreal x = room.left();
    if (align & Qt::AlignRight)
        x = room.right() + 1 - width;
    else if (align & Qt::AlignHCenter)
        x = room.left() + (room.width() - width) / 2;
    // The words first in the reading direction, the figures after them.
    const bool rightToLeft = layoutDirection() == Qt::RightToLeft;
    const qreal wordsX = rightToLeft ? x + figures.width : x;
    const qreal figuresX = rightToLeft ? x : x + words.width;
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const auto draw = [&](Piece& piece, qreal left) {
        if (piece.layout.lineCount() == 0) return;
        const QTextLine line = piece.layout.lineAt(0);
        // A right-to-left line is laid out against its own right end.
        const qreal shift = line.naturalTextRect().left();
        line.draw(&painter, QPointF(left - shift, room.top() + (room.height() - line.height()) / 2));
    };
    draw(words, wordsX);
    draw(figures, figuresX);
}

}  // namespace trading
