#include "kit/app_style.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QMainWindow>
#include <QImage>
#include <QPainter>
#include <QPixmapCache>
#include <QStyleOption>
#include <cstring>

#include "kit/shown_text.h"
#include "kit/text_cell_delegate.h"
#include "kit/text_direction.h"

namespace kit {

namespace {

// Whether a pixmap drawn at the origin lands on the painter's device pixels as
// drawing there directly would: a scale of 1 or 2 and whole device pixels.
bool pixelExact(const QPainter* painter, const QRect& rect) {
    const QTransform device = painter->deviceTransform();
    const qreal ratio = device.m11();
    const QRectF onDevice = device.mapRect(QRectF(rect));
    return device.type() <= QTransform::TxScale && (ratio == 1 || ratio == 2) && device.m22() == ratio &&
           onDevice == QRectF(onDevice.toRect());
}

// Qt's raster engine hands a translucent fill or line of this many spans or
// more in one call to its thread pool, waking its threads and waiting for
// them: a tall frame's shaded lines, a scroll bar's groove and its outline.
constexpr int kPooledSpans = 96;
// Device pixels a side of a tile drawn apart: a fill has one span a row, an
// outline two.
constexpr int kFillTilePixels = kPooledSpans - 1;
constexpr int kOutlineTilePixels = kPooledSpans / 2 - 1;

// The entry of `what` for `option` (see drawCached), drawn by `draw` into a
// transparent pixmap when the cache holds none; on whole device pixels only.
// Drawn band by band, each a view of its rows of the pixmap: no band has rows
// enough for the raster engine's pool, whatever `draw` draws and whatever
// clips it sets.
template <typename Draw>
QPixmap cachedDrawing(QPainter* painter, const QStyleOption& option, const QString& what, Draw&& draw) {
    const qreal ratio = painter->deviceTransform().m11();
    const QString key = QStringLiteral("kit-%1-%2-%3-%4-%5x%6@%7")
                            .arg(what)
                            .arg(uint(option.state), 0, 16)
                            .arg(int(option.direction))
                            .arg(option.palette.cacheKey(), 0, 16)
                            .arg(option.rect.width())
                            .arg(option.rect.height())
                            .arg(ratio);
    QPixmap pixmap;
    if (!QPixmapCache::find(key, &pixmap)) {
        QImage image(painter->deviceTransform().mapRect(QRectF(option.rect)).toRect().size(),
                     QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        // Whole logical rows, so that each band starts on a logical pixel.
        const int bandRows = std::max(1, int(kOutlineTilePixels / ratio)) * int(ratio);
        for (int top = 0; top < image.height(); top += bandRows) {
            QImage band(image.scanLine(top), image.width(), std::min(bandRows, image.height() - top),
                        image.bytesPerLine(), image.format());
            band.setDevicePixelRatio(ratio);
            QPainter bandPainter(&band);
            bandPainter.translate(0, -top / ratio);
            draw(&bandPainter, QRect(QPoint(0, 0), option.rect.size()));
        }
        image.setDevicePixelRatio(ratio);
        pixmap = QPixmap::fromImage(std::move(image));
        QPixmapCache::insert(key, pixmap);
    }
    return pixmap;
}

// Draws what `draw` paints over `option.rect` from a QPixmapCache entry
// named by `what`, the option's state, direction, palette and size and the
// device pixel ratio, as the styles in Qt cache theirs (the ratio added);
// `draw` paints the entry once into a transparent pixmap. A rectangle that
// does not fall on whole device pixels is drawn directly, and so is any at a
// ratio other than 1 or 2: there Qt's aliased lines and gradients round by
// their device position, and a pixmap drawn at the origin would be a pixel
// off the window's drawing.
template <typename Draw>
void drawCached(QPainter* painter, const QStyleOption& option, const QString& what, Draw&& draw) {
    if (!pixelExact(painter, option.rect) || option.rect.isEmpty()) {
        draw(painter, option.rect);
        return;
    }
    painter->drawPixmap(option.rect.topLeft(), cachedDrawing(painter, option, what, draw));
}

// How far in from its edges Fusion shades a tab widget's pane.
constexpr int kTabFrameEdge = 3;

// Draws `draw` over `rect` under clips of `tilePixels` device pixels or fewer
// each way, so that no call reaches the pool; the same pixels, as no
// clip edge falls within a device pixel. `interior` (within `rect`; empty:
// none) holds only opaque fills and is drawn under one clip. Elsewhere, and
// at ratios other than 1 and 2, `draw` is called once.
template <typename Draw>
void drawInTiles(QPainter* painter, const QRect& rect, const QRect& interior, Draw&& draw,
                 int tilePixels = kFillTilePixels) {
    const qreal ratio = painter->deviceTransform().m11();
    const int tile = int(tilePixels / ratio);
    if (!pixelExact(painter, rect) || (rect.width() <= tile && rect.height() <= tile)) {
        draw(painter);
        return;
    }
    const auto drawTiles = [&](const QRect& piece, int step) {
        for (int y = piece.top(); y <= piece.bottom(); y += step)
            for (int x = piece.left(); x <= piece.right(); x += step) {
                painter->save();
                painter->setClipRect(QRect(x, y, std::min(step, piece.right() - x + 1),
                                           std::min(step, piece.bottom() - y + 1)),
                                     Qt::IntersectClip);
                draw(painter);
                painter->restore();
            }
    };
    if (interior.isEmpty()) {
        drawTiles(rect, tile);
        return;
    }
    const int whole = std::max(interior.width(), interior.height());
    drawTiles(interior, whole);
    // The band above, the band below, then the sides between them.
    drawTiles(QRect(rect.left(), rect.top(), rect.width(), interior.top() - rect.top()), tile);
    drawTiles(QRect(rect.left(), interior.bottom() + 1, rect.width(), rect.bottom() - interior.bottom()), tile);
    drawTiles(QRect(rect.left(), interior.top(), interior.left() - rect.left(), interior.height()), tile);
    drawTiles(QRect(interior.right() + 1, interior.top(), rect.right() - interior.right(), interior.height()), tile);
}

// A cell longer than shown, whose model did not give the rule's form: the
// rule is applied before it is measured or drawn. The kit's cell delegate gave
// it already, with isolates of its own that the rule would show. Every other
// cell is left as it is, uncopied.
bool cutsCell(const QStyleOptionViewItem& item, const QWidget* widget) {
    if (item.text.size() <= kMaxShownLength) return false;
    const auto* view = qobject_cast<const QAbstractItemView*>(widget);
    return !view || !dynamic_cast<const TextCellDelegate*>(view->itemDelegateForIndex(item.index));
}

}  // namespace

AppStyle::AppStyle(const QString& baseKey)
    : QProxyStyle(baseKey),
      caches_(baseStyle()->name().compare(u"fusion", Qt::CaseInsensitive) == 0) {}

QIcon AppStyle::standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const {
    if (which != SP_LineEditClearButton || !caches_) return QProxyStyle::standardIcon(which, option, widget);
    if (clearButton_.isNull())
        clearButton_ = QIcon(QStringLiteral(":/qt-project.org/styles/commonstyle/images/cleartext-16.png"));
    return clearButton_;
}

QSize AppStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                 const QWidget* widget) const {
    if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        type == CT_ItemViewItem && item && cutsCell(*item, widget)) {
        QStyleOptionViewItem cell = *item;
        cell.text = shownText(cell.text);
        return QProxyStyle::sizeFromContents(type, &cell, size, widget);
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

void AppStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const {
    // Any view's cell, whatever its delegate: a long one in the rule's form
    // before it is laid out, figures left to right in a right-to-left table.
    if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
        element == CE_ItemViewItem && item && (item->direction == Qt::RightToLeft || cutsCell(*item, widget))) {
        QStyleOptionViewItem cell = *item;
        if (cutsCell(*item, widget)) cell.text = shownText(cell.text);
        keepFigureLeftToRight(cell);
        QProxyStyle::drawControl(element, &cell, painter, widget);
        return;
    }
    // Fusion shades only a main window's toolbars.
    const auto* bar = qstyleoption_cast<const QStyleOptionToolBar*>(option);
    if (!caches_ || element != CE_ToolBar || !bar || !widget ||
        !qobject_cast<const QMainWindow*>(widget->parentWidget())) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    const QString what = QStringLiteral("toolbar-%1-%2-%3-%4")
                             .arg(int(bar->toolBarArea))
                             .arg(int(bar->positionOfLine))
                             .arg(int(bar->positionWithinLine))
                             .arg(int(bar->features));
    drawCached(painter, *option, what, [&](QPainter* to, const QRect& rect) {
        QStyleOptionToolBar moved = *bar;
        moved.rect = rect;
        drawInTiles(to, rect, {}, [&](QPainter* tiled) { QProxyStyle::drawControl(element, &moved, tiled, widget); });
    });
}

void AppStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                             const QWidget* widget) const {
    if (!caches_ || element != PE_FrameTabWidget) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    // Fusion fills the pane and shades the lines along its edges.
    const QRect interior = option->rect.adjusted(kTabFrameEdge, kTabFrameEdge, -kTabFrameEdge, -kTabFrameEdge);
    drawInTiles(painter, option->rect, interior,
                [&](QPainter* tiled) { QProxyStyle::drawPrimitive(element, option, tiled, widget); });
}

void AppStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                  QPainter* painter, const QWidget* widget) const {
    // The groove is the same wherever the slider is: cached; the slider and
    // the arrows over it as the base style draws them.
    const auto* given = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (!caches_ || control != CC_ScrollBar || !given || !(given->subControls & SC_ScrollBarGroove) ||
        styleHint(SH_ScrollBar_Transient, option, widget)) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    QStyleOptionSlider bar = *given;
    bar.subControls = SC_ScrollBarGroove;
    const QString what =
        QStringLiteral("groove-%1-%2").arg(int(bar.orientation)).arg(uint(bar.activeSubControls), 0, 16);
    const auto drawGroove = [&](QPainter* to, const QRect& rect) {
        QStyleOptionSlider groove = bar;
        groove.rect = rect;
        QProxyStyle::drawComplexControl(control, &groove, to, widget);
    };
    QStyleOptionSlider rest = *given;
    rest.subControls = given->subControls & ~SC_ScrollBarGroove;
    // Fusion draws the groove under clips of its own: into the cache band by
    // band, then blitted tile by tile; the slider and the arrows over it in
    // tiles too (a long slider's shaded fill would reach the pool).
    if (!pixelExact(painter, given->rect) || given->rect.isEmpty()) {
        drawGroove(painter, given->rect);
    } else {
        const QPixmap groove = cachedDrawing(painter, bar, what, drawGroove);
        drawInTiles(painter, given->rect, {}, [&](QPainter* tiled) { tiled->drawPixmap(given->rect.topLeft(), groove); });
    }
    // A long slider's outline would put more spans in a fill's tile than the
    // pool allows: smaller tiles then.
    const QRect slider = subControlRect(control, given, SC_ScrollBarSlider, widget);
    const qreal ratio = painter->deviceTransform().m11();
    const bool longSlider = std::max(slider.width(), slider.height()) * ratio > kOutlineTilePixels;
    drawInTiles(
        painter, given->rect, {},
        [&](QPainter* tiled) { QProxyStyle::drawComplexControl(control, &rest, tiled, widget); },
        longSlider ? kOutlineTilePixels : kFillTilePixels);
}

bool styleNamed(int argc, const char* const* argv) {
    if (!qEnvironmentVariableIsEmpty("QT_STYLE_OVERRIDE")) return true;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (!arg || arg[0] != '-') continue;
        if (arg[1] == '-') ++arg;  // --style as -style
        if (std::strncmp(arg, "-style=", 7) == 0 || (std::strcmp(arg, "-style") == 0 && i + 1 < argc))
            return true;
    }
    return false;
}

void installAppStyle(bool overNamedStyle) {
    QApplication::setStyle(
        new AppStyle(overNamedStyle ? QApplication::style()->name() : QStringLiteral("Fusion")));
}

}  // namespace kit
