#include "kit/app_style.h"

#include <algorithm>

#include <QAbstractItemView>
#include <QApplication>
#include <QMainWindow>
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
    const qreal ratio = painter->deviceTransform().m11();
    const QRectF onDevice = painter->deviceTransform().mapRect(QRectF(option.rect));
    if (!pixelExact(painter, option.rect) || option.rect.isEmpty()) {
        draw(painter, option.rect);
        return;
    }
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
        pixmap = QPixmap(onDevice.toRect().size());
        pixmap.setDevicePixelRatio(ratio);
        pixmap.fill(Qt::transparent);
        QPainter cachePainter(&pixmap);
        draw(&cachePainter, QRect(QPoint(0, 0), option.rect.size()));
        cachePainter.end();
        QPixmapCache::insert(key, pixmap);
    }
    painter->drawPixmap(option.rect.topLeft(), pixmap);
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
        QProxyStyle::drawControl(element, &moved, to, widget);
    });
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
    drawCached(painter, bar, what, [&](QPainter* to, const QRect& rect) {
        QStyleOptionSlider groove = bar;
        groove.rect = rect;
        QProxyStyle::drawComplexControl(control, &groove, to, widget);
    });
    bar.subControls = given->subControls & ~SC_ScrollBarGroove;
    QProxyStyle::drawComplexControl(control, &bar, painter, widget);
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
