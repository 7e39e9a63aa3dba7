#include "kit/figure_label.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QtMath>
#include <algorithm>

#include "kit/plain_text.h"

namespace kit {

FigureLabel::FigureLabel(const QString& widest, QWidget* parent) : QLabel(parent), widest_(widest) {
    makePlain(*this);
    reserve();
}

void FigureLabel::setFigure(const QString& text) {
    if (text == this->text()) return;
    if (widthFor(text) > width()) setFixedWidth(widthFor(text));
    setText(text);
}

void FigureLabel::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) reserve();
}

void FigureLabel::reserve() {
    const QMargins m = contentsMargins();
    setFixedSize(std::max(widthFor(widest_), widthFor(text())),
                 fontMetrics().height() + m.top() + m.bottom() + 2 * margin());
}

int FigureLabel::widthFor(const QString& text) const {
    const QMargins m = contentsMargins();
    return qCeil(QFontMetricsF(font()).horizontalAdvance(text)) + m.left() + m.right() + 2 * margin();
}

}  // namespace kit
