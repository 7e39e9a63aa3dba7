#include "kit/popover_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace kit {

namespace {

QRect availableFor(const QWidget& widget) {
    const QScreen* screen = widget.screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

QRect clampedInto(const QRect& rect, const QRect& available) {
    if (!available.isValid()) return rect;
    QRect moved = rect;
    // The far edges first, then the near ones: a rect larger than the room keeps its top left inside.
    if (moved.right() > available.right()) moved.moveRight(available.right());
    if (moved.bottom() > available.bottom()) moved.moveBottom(available.bottom());
    if (moved.left() < available.left()) moved.moveLeft(available.left());
    if (moved.top() < available.top()) moved.moveTop(available.top());
    return moved;
}

QPoint popoverOrigin(const QRect& anchor, const QSize& size, const QRect& available, PopoverSide prefer,
                     bool alignRight) {
    const int x = alignRight ? anchor.right() + 1 - size.width() : anchor.left();
    const int below = anchor.bottom() + 1;
    const int above = anchor.top() - size.height();
    const bool fitsBelow = !available.isValid() || below + size.height() - 1 <= available.bottom();
    const bool fitsAbove = !available.isValid() || above >= available.top();
    int y = prefer == PopoverSide::Below ? below : above;
    if (prefer == PopoverSide::Below && !fitsBelow && fitsAbove) y = above;
    if (prefer == PopoverSide::Above && !fitsAbove && fitsBelow) y = below;
    return clampedInto(QRect(QPoint(x, y), size), available).topLeft();
}

void placePopover(QWidget& popup, const QWidget& anchor, PopoverSide prefer, bool alignRight) {
    const QRect global(anchor.mapToGlobal(QPoint(0, 0)), anchor.size());
    const QSize size = popup.size().isValid() && !popup.size().isEmpty() ? popup.size() : popup.sizeHint();
    popup.move(popoverOrigin(global, size, availableFor(anchor), prefer, alignRight));
}

void keepOnScreen(QWidget& window) {
    const QRect frame = window.frameGeometry();
    const QRect moved = clampedInto(frame, availableFor(window));
    if (moved != frame) window.move(window.pos() + (moved.topLeft() - frame.topLeft()));
}

}  // namespace kit
