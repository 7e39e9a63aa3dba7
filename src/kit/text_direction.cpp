#include "kit/text_direction.h"

#include <QGuiApplication>
#include <QStyleOptionViewItem>
#include <QWidget>

namespace kit {

bool readsAsFigure(const QString& text) {
    bool digit = false;
    for (const QChar c : text) {
        const QChar::Direction d = c.direction();
        if (d == QChar::DirR || d == QChar::DirAL || d == QChar::DirRLE || d == QChar::DirRLO || d == QChar::DirRLI)
            return false;
        digit = digit || c.isDigit();
    }
    return digit;
}

void keepFigureLeftToRight(QStyleOptionViewItem& option) {
    if (option.direction == Qt::RightToLeft && readsAsFigure(option.text)) option.direction = Qt::LeftToRight;
}

void keepLeftToRight(QWidget* widget) {
    if (widget) widget->setLayoutDirection(Qt::LeftToRight);
}

QString labelledFigure(const QString& text) {
    const QString prefix = QStringLiteral(": ");
    if (!QGuiApplication::isRightToLeft() || !text.startsWith(prefix)) return text;
    // A right-to-left mark opens the line; the figure is isolated left to right.
    return QChar(0x200F) + prefix + QChar(0x2066) + text.mid(prefix.size()) + QChar(0x2069);
}

}  // namespace kit
