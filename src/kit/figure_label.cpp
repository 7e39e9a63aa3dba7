#include "kit/figure_label.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPainter>
#include <QPaintEvent>
#include <QStyleOptionTabWidgetFrame>
#include <QTabWidget>
#include <QtMath>
#include <algorithm>

#include "kit/plain_text.h"

namespace kit {

namespace {

// Paints over `area` of `label` what `from` and the widgets under it draw
// beneath their children: the first background filled, then a tab widget's
// pane (its frame's lines lie outside the label and are clipped away).
void paintBehind(const QWidget* from, QWidget& label, QPainter& painter, const QRect& area) {
    if (!from) {
        painter.fillRect(area, label.palette().window());
        return;
    }
    if (from->isWindow() || from->autoFillBackground()) {
        painter.fillRect(area, from->palette().brush(from->backgroundRole()));
        return;
    }
    paintBehind(from->parentWidget(), label, painter, area);
    if (const auto* tabs = qobject_cast<const QTabWidget*>(from)) {
        QStyleOptionTabWidgetFrame pane;
        pane.initFrom(tabs);
        pane.rect = label.rect().adjusted(-4, -4, 4, 4);
        tabs->style()->drawPrimitive(QStyle::PE_FrameTabWidget, &pane, &painter, tabs);
    }
}

}  // namespace

FigureLabel::FigureLabel(const QString& widest, QWidget* parent) : QLabel(parent), widest_(widest) {
    makePlain(*this);
    setAttribute(Qt::WA_OpaquePaintEvent);
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

void FigureLabel::paintEvent(QPaintEvent* event) {
    {
        QPainter painter(this);
        paintBehind(parentWidget(), *this, painter, event->rect());
    }
    QLabel::paintEvent(event);
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
