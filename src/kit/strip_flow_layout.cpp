#include "kit/strip_flow_layout.h"

#include <QStyle>
#include <QWidget>
#include <algorithm>

namespace kit {

StripFlowLayout::StripFlowLayout(QWidget* parent, int spacing, int rowSpacing)
    : QLayout(parent), spacing_(spacing), rowSpacing_(rowSpacing) {}

StripFlowLayout::~StripFlowLayout() {
    while (QLayoutItem* item = takeAt(0)) delete item;
}

void StripFlowLayout::addItem(QLayoutItem* item) { items_.append(item); }

QLayoutItem* StripFlowLayout::itemAt(int index) const {
    return index >= 0 && index < items_.size() ? items_.at(index) : nullptr;
}

QLayoutItem* StripFlowLayout::takeAt(int index) {
    return index >= 0 && index < items_.size() ? items_.takeAt(index) : nullptr;
}

int StripFlowLayout::heightForWidth(int width) const { return layOut(QRect(0, 0, width, 0), false); }

int StripFlowLayout::rowsAt(int width) const {
    int rows = 0;
    layOut(QRect(0, 0, width, 0), false, &rows);
    return rows;
}

QSize StripFlowLayout::minimumSize() const {
    QSize size;
    for (const QLayoutItem* item : items_)
        if (!item->isEmpty()) size = size.expandedTo(item->sizeHint());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

QSize StripFlowLayout::sizeHint() const {
    int width = 0, height = 0, shown = 0;
    for (const QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        width += item->sizeHint().width() + (shown++ ? spacing_ : 0);
        height = std::max(height, item->sizeHint().height());
    }
    const QMargins m = contentsMargins();
    return {width + m.left() + m.right(), height + m.top() + m.bottom()};
}

void StripFlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    layOut(rect, true);
}

int StripFlowLayout::layOut(const QRect& rect, bool apply, int* rows) const {
    const QMargins m = contentsMargins();
    const QRect area = rect.marginsRemoved(m);
    // Rows of items: an item that does not fit after others starts a new row.
    QList<QList<QLayoutItem*>> lines(1);
    int x = 0;
    for (QLayoutItem* item : items_) {
        if (item->isEmpty()) continue;
        const int w = item->sizeHint().width();
        if (!lines.back().isEmpty() && x + spacing_ + w > area.width()) {
            lines.append(QList<QLayoutItem*>());
            x = 0;
        }
        x += (lines.back().isEmpty() ? 0 : spacing_) + w;
        lines.back().append(item);
    }
    if (rows) *rows = static_cast<int>(lines.size());
    const Qt::LayoutDirection direction = parentWidget() ? parentWidget()->layoutDirection() : Qt::LeftToRight;
    QLayoutItem* last = items_.isEmpty() ? nullptr : items_.back();
    int y = area.top();
    for (const auto& line : lines) {
        int height = 0;
        for (const QLayoutItem* item : line) height = std::max(height, item->sizeHint().height());
        int left = area.left();
        for (QLayoutItem* item : line) {
            const QSize hint = item->sizeHint();
            const int w = std::min(hint.width(), area.width());
            // The last item to the row's end.
            if (item == last) left = std::max(left, area.right() + 1 - w);
            const QRect placed(left, y + (height - hint.height()) / 2, w, hint.height());
            if (apply) item->setGeometry(QStyle::visualRect(direction, area, placed));
            left += w + spacing_;
        }
        y += height + rowSpacing_;
    }
    return y - rowSpacing_ - area.top() + m.top() + m.bottom();
}

}  // namespace kit
