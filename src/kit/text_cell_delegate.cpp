#include "kit/text_cell_delegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <utility>

#include "kit/shown_text.h"
#include "kit/text_direction.h"

namespace kit {

namespace {

// What the fast path draws: one line of text, no icon or check, no focus
// frame, the text over the whole cell, left to right, centred vertically.
bool drawsPlainText(const QStyleOptionViewItem& opt) {
    constexpr auto kOthers =
        QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
    return !(opt.features & kOthers) && !(opt.state & (QStyle::State_HasFocus | QStyle::State_Editing)) &&
           opt.showDecorationSelected && opt.direction == Qt::LeftToRight &&
           (opt.displayAlignment & Qt::AlignVertical_Mask) == Qt::AlignVCenter &&
           !opt.text.contains(QChar::LineSeparator);
}

// Printable ASCII alone: one line, every glyph from the font itself (no
// fallback font with other heights), as figures, dates and codes are.
bool inPrimaryFont(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() >= 0x20 && c.unicode() < 0x7f; });
}

}  // namespace

QString TextCellDelegate::figureThatFits(const QString& text, double textWidth, double width) {
    return textWidth <= width ? text : QStringLiteral("###");
}

void TextCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    // Measured and drawn cut to its shown form; the kit's own isolation after it.
    option->text = shownText(option->text);
    keepFigureLeftToRight(*option);
}

void TextCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    drawCell(painter, opt);
}

QSize TextCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (const QVariant own = index.data(Qt::SizeHintRole); own.isValid()) return own.toSize();
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    const QStyle* style = widget ? widget->style() : QApplication::style();
    // Without these the style's size depends on the text and font alone.
    constexpr auto kPlaced =
        QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
    if (opt.features & kPlaced) return style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget);
    if (std::exchange(sizedBy_, style) != style) sizes_.clear();
    SizeKey key{opt.text, opt.font, bool(opt.features & QStyleOptionViewItem::HasDisplay)};
    if (const QSize* found = sizes_.object(key)) return *found;
    const QSize size = style->sizeFromContents(QStyle::CT_ItemViewItem, &opt, QSize(), widget);
    sizes_.insert(std::move(key), new QSize(size));
    return size;
}

const TextCellDelegate::Shaped& TextCellDelegate::shaped(const QStyleOptionViewItem& opt, int width) const {
    Key key{opt.text, opt.font, width, int(opt.displayAlignment)};
    if (const Shaped* found = cache_.object(key)) return *found;
    const Qt::Alignment alignment = QStyle::visualAlignment(opt.direction, opt.displayAlignment);
    auto* s = new Shaped;
    s->text.setText(opt.text);
    s->text.setTextFormat(Qt::PlainText);
    s->text.prepare(QTransform(), opt.font);
    double advance = 0;
    if (inPrimaryFont(opt.text)) {
        // Shaped once: the static text's width is the line's, and the line
        // is as high as the font.
        advance = s->text.size().width();
        const QFontMetricsF metrics(opt.font);
        s->height = std::ceil(metrics.ascent() + metrics.descent());
        s->fits = advance <= width;
    } else {
        QTextOption option;
        option.setWrapMode(QTextOption::ManualWrap);
        option.setTextDirection(opt.direction);
        option.setAlignment(alignment);
        QTextLayout layout(opt.text, opt.font);
        layout.setTextOption(option);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        if (line.isValid()) {
            line.setLineWidth(width);
            s->height = line.height();
            advance = line.naturalTextWidth();
            s->fits = advance <= width && !layout.createLine().isValid();
        }
        layout.endLayout();
    }
    // Where the line's alignment puts the text in the width.
    if (alignment & Qt::AlignRight) s->x = width - advance;
    else if (alignment & Qt::AlignHCenter) s->x = (width - advance) / 2;
    cache_.insert(std::move(key), s);  // valid until the next insert
    return *s;
}

// The layout of QCommonStyle::drawControl(CE_ItemViewItem) for a cell of
// text alone: the background (PE_PanelItemViewItem), then the text as
// QCommonStylePrivate::viewItemDrawText lays it out, in the cell less the
// focus frame's margin + 1 on each side, centred as QStyle::alignedRect does.
void TextCellDelegate::drawCell(QPainter* painter, const QStyleOptionViewItem& opt) const {
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    const bool hasText = !opt.text.isEmpty();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    const bool plain = drawsPlainText(opt);
    const Shaped* text = hasText && plain ? &shaped(opt, textRect.width()) : nullptr;
    if (!plain || (text && !text->fits)) {
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        return;
    }
    painter->save();
    painter->setClipRect(opt.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
    if (text) {
        QPalette::ColorGroup group = opt.state & QStyle::State_Enabled ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(opt.state & QStyle::State_Active)) group = QPalette::Inactive;
        painter->setPen(
            opt.palette.color(group, opt.state & QStyle::State_Selected ? QPalette::HighlightedText : QPalette::Text));
        painter->setFont(opt.font);
        // As QStyle::alignedRect centres: each half rounded down on its own.
        const int top = textRect.y() + textRect.height() / 2 - int(text->height) / 2;
        painter->drawStaticText(QPointF(textRect.x() + text->x, top), text->text);
    }
    painter->restore();
}

}  // namespace kit
