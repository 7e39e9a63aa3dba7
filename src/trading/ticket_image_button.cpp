#include "trading/ticket_image_button.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

namespace trading {

void TicketImageButton::paintEvent(QPaintEvent* event) {
    if (image_.isNull()) {
        QPushButton::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (!isEnabled()) painter.setOpacity(0.4);
    painter.drawPixmap(rect(), image_);
    if (isDown()) painter.fillRect(rect().adjusted(2, 2, -2, -2), QColor(0, 0, 0, 50));
    QFont bold = font();
    bold.setBold(true);
    painter.setFont(bold);
    painter.setPen(Qt::white);
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(3, 3, -3, -3);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

}  // namespace trading
