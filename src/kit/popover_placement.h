#pragma once
// Where popovers open and where a window grown by a drawer stands: always on
// the screen's available geometry, flipped to the other side of their button
// when the preferred side has no room, else clamped.
#include <QPoint>
#include <QRect>

class QWidget;

namespace kit {

enum class PopoverSide { Below, Above };

// The top left of a popup of `size` beside `anchor` (both global): on
// `prefer`'s side when it fits in `available`, else on the other side when
// that fits, else clamped into `available`. Its left edge meets the
// anchor's left, or its right edge the anchor's right (`alignRight`).
QPoint popoverOrigin(const QRect& anchor, const QSize& size, const QRect& available, PopoverSide prefer,
                     bool alignRight = false);

// `rect` moved (not resized) into `available` as far as it fits; its top
// left stays inside.
QRect clampedInto(const QRect& rect, const QRect& available);

// Moves `popup` beside `anchor` on the anchor's screen.
void placePopover(QWidget& popup, const QWidget& anchor, PopoverSide prefer, bool alignRight = false);

// Moves a top-level window back onto its screen's available geometry.
void keepOnScreen(QWidget& window);

}  // namespace kit
