#include "kit/text_cell_delegate.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

#include "kit/text_direction.h"

namespace kit {

namespace {

// Text widths kept before the cache starts again: a few screens of cells.
constexpr int kCacheCap = 8192;

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

// Texts the font's metrics measure as the style's text layout would: one
// line of printable ASCII, not ending in a possible ligature ("fi", "ff"...).
bool measuresPlainText(const QStyleOptionViewItem& opt) {
    constexpr auto kOthers =
        QStyleOptionViewItem::WrapText | QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration;
    if (!(opt.features & QStyleOptionViewItem::HasDisplay) || (opt.features & kOthers)) return false;
    // A style sheet may pad the item.
    if (!opt.widget || opt.widget->testAttribute(Qt::WA_StyleSheet)) return false;
    const QString& text = opt.text;
    for (const QChar c : text)
        if (c.unicode() < 0x20 || c.unicode() > 0x7e) return false;
    return text.size() < 2 || text[text.size() - 2] != QLatin1Char('f');
}

}  // namespace

QString TextCellDelegate::figureThatFits(const QString& text, double textWidth, double width) {
    return textWidth <= width ? text : QStringLiteral("###");
}

void TextCellDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const {
    QStyledItemDelegate::initStyleOption(option, index);
    keepFigureLeftToRight(*option);
}

QSize TextCellDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    if (index.data(Qt::SizeHintRole).isValid()) return QStyledItemDelegate::sizeHint(option, index);
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    if (!measuresPlainText(opt)) return QStyledItemDelegate::sizeHint(option, index);
    const QFontMetricsF metrics(opt.font);
    // As the style's text layout: the line's height, its width with the last
    // glyph's overhang, rounded up, and a margin on each side.
    const int height = int(std::ceil(metrics.ascent() + metrics.descent()));
    if (widthsFont_ != opt.font || widths_.size() >= kCacheCap) {
        widths_.clear();
        widthsFont_ = opt.font;
    }
    auto found = widths_.constFind(opt.text);
    if (found == widths_.cend()) {
        const QString& text = opt.text;
        const double advance =
            text.isEmpty() ? 0.0 : metrics.horizontalAdvance(text) + std::max(0.0, -metrics.rightBearing(text.back()));
        found = widths_.insert(text, int(std::ceil(advance)));
    }
    const QStyle* style = opt.widget->style();
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, &opt, opt.widget) + 1;
    return {*found + 2 * margin, height};
}

void TextCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    drawCell(painter, opt);
}

const TextCellDelegate::Shaped& TextCellDelegate::shaped(const QStyleOptionViewItem& opt, int width) const {
    Key key{opt.text, opt.font, width, int(opt.displayAlignment)};
    if (const Shaped* found = cache_.find(key)) return *found;
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setTextDirection(opt.direction);
    option.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
    Shaped s;
    QTextLayout layout(opt.text, opt.font);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
        line.setLineWidth(width);
        s.height = line.height();
        const double advance = line.naturalTextWidth();
        s.fits = advance <= width && !layout.createLine().isValid();
        // Where the line's alignment puts the text in the width.
        if (option.alignment() & Qt::AlignRight) s.x = width - advance;
        else if (option.alignment() & Qt::AlignHCenter) s.x = (width - advance) / 2;
    }
    layout.endLayout();
    s.text.setText(opt.text);
    s.text.setTextFormat(Qt::PlainText);
    s.text.prepare(QTransform(), opt.font);
    return cache_.insert(key, std::move(s));
}

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
