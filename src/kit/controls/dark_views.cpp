#include "kit/controls/dark_views.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace kit {

namespace {

QColor white(double level, double alpha = 1.0) { return QColor::fromRgbF(level, level, level, alpha); }

QPainterPath rounded(const QRectF& r) {
    QPainterPath path;
    path.addRoundedRect(r, 3, 3);
    return path;
}

}  // namespace

void DarkButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF f = rect();
    // Outer face, from the bottom (0.2) to the top (0.21).
    QLinearGradient outer(f.bottomLeft(), f.topLeft());
    outer.setColorAt(0, white(0.2));
    outer.setColorAt(1, white(0.21));
    p.fillPath(rounded(f), outer);
    // Inner face, lighter towards the bottom.
    const QRectF inner = f.adjusted(2, 2, -2, -2);
    QLinearGradient face(inner.topLeft(), inner.bottomLeft());
    const std::pair<double, double> stops[] = {{0, 0.17}, {0.12, 0.2}, {0.5, 0.27}, {0.5001, 0.3}, {0.98, 0.42}, {1, 0.5}};
    for (auto [at, level] : stops) face.setColorAt(at, white(level));
    p.fillPath(rounded(inner), face);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(white(0.12), 1));
    p.drawPath(rounded(f.adjusted(1.5, 1.5, -1.5, -1.5)));
    p.setPen(QPen(white(1, 0.05), 1));
    p.drawPath(rounded(f.adjusted(2.5, 2.5, -2.5, -2.5)));
    if (isDown()) p.fillPath(rounded(inner), QColor::fromRgbF(0, 0, 0, 0.35));
    p.setPen(QColor::fromRgbF(1, 1, 1, 0.9));
    p.drawText(f, Qt::AlignCenter, text());
}

void DarkBackgroundView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRectF r = rect();
    QLinearGradient gradient(r.bottomLeft(), r.topLeft());
    gradient.setColorAt(0, white(0.15));
    gradient.setColorAt(0.5, white(0.19));
    gradient.setColorAt(0.5001, white(0.2));
    gradient.setColorAt(1, white(0.25));
    p.fillRect(r, gradient);
    p.setPen(Qt::black);
    p.drawRect(r.adjusted(0, 0, -1, -1));
}

DisableMouseEventsView::DisableMouseEventsView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

}  // namespace kit
