#include "kit/app_style.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyleOption>

namespace kit {

namespace {

// Width of the frame's edge band taken from the sample (outline, inner line,
// margin); the sample is that band on each side of one inside pixel.
constexpr int kBand = 4;
constexpr int kSample = 2 * kBand + 1;

// Copies the sample's pixel (x, y) onto `target`; its unpainted pixels stay unpainted.
void fillFromSample(QPainter* painter, const QImage& sample, const QRect& target, int x, int y) {
    const QColor colour = QColor::fromRgba(sample.pixel(x, y));
    if (colour.alpha() == 0 || target.isEmpty()) return;
    painter->fillRect(target, colour);
}

}  // namespace

AppStyle::AppStyle() : QProxyStyle(QStringLiteral("Fusion")) {}

void AppStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    const QRect r = option->rect;
    if (element != PE_FrameTabWidget || r.width() < kSample || r.height() < kSample) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // The frame is the same along each edge: the corners and a cross-section
    // of each edge drawn small by Fusion itself, stretched with opaque fills.
    QStyleOptionTabWidgetFrame small;
    if (const auto* frame = qstyleoption_cast<const QStyleOptionTabWidgetFrame*>(option))
        small = *frame;
    else
        static_cast<QStyleOption&>(small) = *option;
    small.rect = QRect(0, 0, kSample, kSample);
    QImage sample(kSample, kSample, QImage::Format_ARGB32_Premultiplied);
    sample.fill(Qt::transparent);
    {
        QPainter samplePainter(&sample);
        QProxyStyle::drawPrimitive(element, &small, &samplePainter, widget);
    }
    constexpr int last = kSample - 1;
    for (int i = 0; i < kBand; ++i) {
        for (int j = 0; j < kBand; ++j) {
            fillFromSample(painter, sample, QRect(r.left() + j, r.top() + i, 1, 1), j, i);
            fillFromSample(painter, sample, QRect(r.right() - j, r.top() + i, 1, 1), last - j, i);
            fillFromSample(painter, sample, QRect(r.left() + j, r.bottom() - i, 1, 1), j, last - i);
            fillFromSample(painter, sample, QRect(r.right() - j, r.bottom() - i, 1, 1), last - j, last - i);
        }
        fillFromSample(painter, sample, QRect(r.left() + kBand, r.top() + i, r.width() - 2 * kBand, 1), kBand, i);
        fillFromSample(painter, sample, QRect(r.left() + kBand, r.bottom() - i, r.width() - 2 * kBand, 1), kBand,
                       last - i);
        fillFromSample(painter, sample, QRect(r.left() + i, r.top() + kBand, 1, r.height() - 2 * kBand), i, kBand);
        fillFromSample(painter, sample, QRect(r.right() - i, r.top() + kBand, 1, r.height() - 2 * kBand), last - i,
                       kBand);
    }
    fillFromSample(painter, sample, r.adjusted(kBand, kBand, -kBand, -kBand), kBand, kBand);
}

void installAppStyle() { QApplication::setStyle(new AppStyle); }

}  // namespace kit
