#include "kit/app_style.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyleOption>
#include <vector>

#include "kit/text_direction.h"

namespace kit {

namespace {

// Width of the edge band kept from the sample (outline, inner line, margin);
// a stretched side is sampled as that band on each side of one middle pixel.
constexpr int kBand = 4;
// Spans from which the raster engine hands a fill or a line's pixels to its
// thread pool.
constexpr int kPooledSpans = 96;

struct Run {
    int start;
    int length;
};

// The runs of a side of `length` pixels that each pixel of its sample covers:
// the band pixels one each, the middle pixel all the rest.
std::vector<Run> sampleRuns(int length, bool stretched, int band) {
    std::vector<Run> runs;
    if (!stretched) {
        for (int i = 0; i < length; ++i) runs.push_back({i, 1});
        return runs;
    }
    for (int i = 0; i < band; ++i) runs.push_back({i, 1});
    runs.push_back({band, length - 2 * band});
    for (int i = band; i > 0; --i) runs.push_back({length - i, 1});
    return runs;
}

// Draws what `draw` paints in `target` from a small sample of it: its sides
// along which it is the same (stretchX, stretchY) are drawn once and filled
// out with opaque runs instead of long translucent lines. Pixels the sample
// leaves unpainted stay unpainted. `band` pixels at each end of a stretched
// side are kept as drawn.
template <typename Draw>
void drawFromSample(QPainter* painter, const QRect& target, bool stretchX, bool stretchY, Draw&& draw,
                    int band = kBand) {
    const int sampleLength = 2 * band + 1;
    stretchX = stretchX && target.width() > sampleLength;
    stretchY = stretchY && target.height() > sampleLength;
    const QSize size(stretchX ? sampleLength : target.width(), stretchY ? sampleLength : target.height());
    QImage sample(size, QImage::Format_ARGB32_Premultiplied);
    sample.fill(Qt::transparent);
    {
        QPainter samplePainter(&sample);
        draw(&samplePainter, QRect(QPoint(0, 0), size));
    }
    const std::vector<Run> columns = sampleRuns(target.width(), stretchX, band);
    const std::vector<Run> rows = sampleRuns(target.height(), stretchY, band);
    for (int y = 0; y < size.height(); ++y) {
        if (rows[y].length <= 0) continue;
        // Neighbours of one colour along the row are filled at once.
        for (int x = 0; x < size.width();) {
            const QRgb pixel = sample.pixel(x, y);
            int end = x + 1;
            while (end < size.width() && sample.pixel(end, y) == pixel) ++end;
            const int left = columns[x].start;
            const int right = columns[end - 1].start + columns[end - 1].length;
            if (qAlpha(pixel) != 0 && right > left)
                painter->fillRect(QRect(target.left() + left, target.top() + rows[y].start, right - left, rows[y].length),
                                  QColor::fromRgba(pixel));
            x = end;
        }
    }
}

// `option` as its fuller kind `Full` when it is one (else its `Base` part
// copied into one), moved to `rect`.
template <typename Full, typename Base>
Full optionAt(const Base& option, const QRect& rect) {
    Full full;
    if (const auto* given = qstyleoption_cast<const Full*>(&option))
        full = *given;
    else
        static_cast<Base&>(full) = option;
    full.rect = rect;
    return full;
}

}  // namespace

AppStyle::AppStyle() : QProxyStyle(QStringLiteral("Fusion")) {}

void AppStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    if (element == PE_PanelItemViewItem) {
        // Fusion leaves table cells' backgrounds to the common style, after
        // working out its frame colours at each call: skipped for each cell.
        QCommonStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    if (element != PE_FrameTabWidget) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    drawFromSample(painter, option->rect, true, true, [&](QPainter* small, const QRect& rect) {
        const auto frame = optionAt<QStyleOptionTabWidgetFrame, QStyleOption>(*option, rect);
        QProxyStyle::drawPrimitive(element, &frame, small, widget);
    });
}

void AppStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const {
    if (const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(option);
        element == CE_HeaderSection && header && header->orientation == Qt::Horizontal &&
        option->rect.width() >= kPooledSpans) {
        // The same along a horizontal header (its shading runs down). A
        // narrower section's lines are drawn on the calling thread: no sample.
        drawFromSample(painter, option->rect, true, false, [&](QPainter* small, const QRect& rect) {
            const auto section = optionAt<QStyleOptionHeaderV2, QStyleOptionHeader>(*header, rect);
            QProxyStyle::drawControl(element, &section, small, widget);
        });
        return;
    }
    if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        element == CE_ItemViewItem && item && item->direction == Qt::RightToLeft) {
        QStyleOptionViewItem cell = *item;
        keepFigureLeftToRight(cell);
        QProxyStyle::drawControl(element, &cell, painter, widget);
        return;
    }
    const auto* toolBar = qstyleoption_cast<const QStyleOptionToolBar*>(option);
    if (element != CE_ToolBar || !toolBar) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    // The same along the toolbar's length.
    const bool horizontal = option->state & State_Horizontal;
    drawFromSample(painter, option->rect, horizontal, !horizontal, [&](QPainter* small, const QRect& rect) {
        QStyleOptionToolBar bar = *toolBar;
        bar.rect = rect;
        QProxyStyle::drawControl(element, &bar, small, widget);
    });
}

void AppStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                  const QWidget* widget) const {
    if (control != CC_ScrollBar) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // A vertical groove is the same down the bar but for its ends, where the
    // arrow buttons (as long as the bar is wide) and the groove's edges are:
    // drawn from a sample keeping twice the width at each end; the slider
    // and the arrows over it as Fusion draws them. A horizontal bar's rows
    // are short enough for the calling thread: drawn as Fusion draws it.
    const auto* given = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!given || !(given->subControls & SC_ScrollBarGroove) || given->orientation == Qt::Horizontal) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionSlider bar = *given;
    bar.subControls = SC_ScrollBarGroove;
    drawFromSample(painter, option->rect, false, true, [&](QPainter* small, const QRect& rect) {
        QStyleOptionSlider groove = bar;
        groove.rect = rect;
        QProxyStyle::drawComplexControl(control, &groove, small, widget);
    }, 2 * option->rect.width() + 2);
    bar.subControls = given->subControls & ~SC_ScrollBarGroove;
    QProxyStyle::drawComplexControl(control, &bar, painter, widget);
}

void installAppStyle() { QApplication::setStyle(new AppStyle); }

}  // namespace kit
