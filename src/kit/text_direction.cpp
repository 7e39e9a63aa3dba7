#include "kit/text_direction.h"

#include <QGuiApplication>
#include <QStyleOptionViewItem>
#include <QWidget>

namespace kit {

namespace {

constexpr QChar kLeftToRightIsolate{0x2066};
constexpr QChar kPopIsolate{0x2069};

bool rightToLeft(QChar c) {
    const QChar::Direction d = c.direction();
    return d == QChar::DirR || d == QChar::DirAL || d == QChar::DirRLE || d == QChar::DirRLO || d == QChar::DirRLI;
}

}  // namespace

bool readsAsFigure(const QString& text) {
    bool digit = false;
    for (const QChar c : text) {
        if (rightToLeft(c)) return false;
        digit = digit || c.isDigit();
    }
    return digit;
}

bool readsAsLeftToRightWords(const QString& text) {
    bool letter = false;
    for (const QChar c : text) {
        if (rightToLeft(c)) return false;
        letter = letter || c.direction() == QChar::DirL;
    }
    return letter && !text.startsWith(kLeftToRightIsolate);
}

void keepFigureLeftToRight(QStyleOptionViewItem& option) {
    if (option.direction != Qt::RightToLeft) return;
    if (readsAsFigure(option.text))
        option.direction = Qt::LeftToRight;
    else if (readsAsLeftToRightWords(option.text))
        option.text = kLeftToRightIsolate + option.text + kPopIsolate;
}

void keepLeftToRight(QWidget* widget) {
    if (widget) widget->setLayoutDirection(Qt::LeftToRight);
}

QString labelledFigure(const QString& text) {
    const QString prefix = QStringLiteral(": ");
    if (!QGuiApplication::isRightToLeft() || !text.startsWith(prefix)) return text;
    // A right-to-left mark opens the line; the figure is isolated left to right.
    return QChar(0x200F) + prefix + kLeftToRightIsolate + text.mid(prefix.size()) + kPopIsolate;
}

}  // namespace kit
