#include "views/advanced_table_cell.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "kit/core/price_highlight.h"
#include "kit/shown_text.h"
#include "platform/resource_bundle.h"
#include "kit/own_text.h"

namespace views {

namespace {

constexpr int kMargin = 8;
constexpr int kGap = 8;
constexpr int kButtonTop = 56;

const QColor kPanel(0x1c, 0x1e, 0x22);
const QColor kPanelSelected(0x26, 0x33, 0x45);
const QColor kMuted(0xb8, 0xbc, 0xc4);
const QColor kBuy(0x1a, 0x6f, 0xc4);
const QColor kSell(0xc4, 0x22, 0x3a);

const QFont& figureFont(kit::PriceFigure figure, const QFont& base, const QFont& big, const QFont& small) {
    return figure == kit::PriceFigure::Big ? big : figure == kit::PriceFigure::Small ? small : base;
}

// The price centred in the button, big figures enlarged, the last ones small and raised.
void drawPrice(QPainter& p, const QRect& area, const std::string& price, const AdvancedRow& row, const QFont& font) {
    QFont base = font, big = font, small = font;
    base.setPointSizeF(14);
    big.setPointSizeF(kit::bigPriceFontSize(14));
    big.setBold(true);
    small.setPointSizeF(kit::smallPriceFontSize(14));
    const auto runs = kit::priceHighlightRuns(price, row.mostSignificant, row.leastSignificant);
    double width = 0;
    for (const auto& run : runs)
        width += QFontMetricsF(figureFont(run.figure, base, big, small)).horizontalAdvance(kit::shownText(run.text));  // a price's figures
    const double capHeight = QFontMetricsF(big).capHeight();
    const double baseline = area.center().y() + capHeight / 2;
    double x = area.center().x() - width / 2;
    p.setPen(Qt::white);  // white in both themes
    for (const auto& run : runs) {
        const QFont& f = figureFont(run.figure, base, big, small);
        const QString text = kit::shownText(run.text);
        p.setFont(f);
        const double y = run.figure == kit::PriceFigure::Small ? baseline - capHeight + QFontMetricsF(f).capHeight() : baseline;
        p.drawText(QPointF(x, y), text);
        x += QFontMetricsF(f).horizontalAdvance(text);
    }
}

void drawButton(QPainter& p, const QRect& r, const QColor& color, const std::string& price, const QPixmap& image,
                const AdvancedRow& row, const QFont& font) {
    QPainterPath shape;
    shape.addRoundedRect(QRectF(r), 6, 6);
    p.fillPath(shape, color);
    if (price.empty()) return;
    drawPrice(p, r.adjusted(26, 0, 0, 0), price, row, font);
    if (image.isNull()) return;
    // A light disc under the arrow: a red arrow on the red sell button (a green
    // one on a green fill) would hardly show.
    const QRect arrowRect = AdvancedTableCell::arrowRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawEllipse(QRectF(arrowRect).adjusted(-3, -3, 3, 3));
    p.drawPixmap(arrowRect, image);
}

}  // namespace

AdvancedTableCell::AdvancedTableCell(std::function<const AdvancedRow*(int)> rowAt, QObject* parent)
    : QStyledItemDelegate(parent), rowAt_(std::move(rowAt)) {}

const QPixmap& AdvancedTableCell::arrow(PriceMove move) const {
    static const QPixmap none;
    if (move == PriceMove::Unchanged) return none;
    QPixmap& image = move == PriceMove::Rise ? rise_ : fall_;
    if (image.isNull())
        if (const auto path = platform::ResourceBundle::pathForResource(std::string("images/") + arrowImageName(move), "png"))
            image.load(kit::filePath(*path));
    return image;
}

QSize AdvancedTableCell::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const { return {320, kRowHeight}; }

QRect AdvancedTableCell::arrowRect(const QRect& button) { return {button.left() + 9, button.center().y() - 8, 16, 16}; }

QRect AdvancedTableCell::buttonRect(const QRect& row, Button button) {
    const int width = (row.width() - 2 * kMargin - kGap) / 2;
    const int top = row.top() + kButtonTop;
    const int height = row.height() - kButtonTop - kMargin;
    if (button == Button::Sell) return {row.left() + kMargin, top, width, height};
    if (button == Button::Buy) return {row.left() + kMargin + width + kGap, top, width, height};
    return {};
}

AdvancedTableCell::Button AdvancedTableCell::buttonAt(const QRect& row, const QPoint& point) {
    for (const Button b : {Button::Sell, Button::Buy})
        if (buttonRect(row, b).contains(point)) return b;
    return Button::None;
}

void AdvancedTableCell::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
    const AdvancedRow* row = rowAt_ ? rowAt_(index.row()) : nullptr;
    QPainter& p = *painter;
    p.save();
    // A panel of figures at fixed places: the same in a right-to-left window.
    p.setLayoutDirection(Qt::LeftToRight);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const QRect r = option.rect;
    p.fillRect(r, option.state & QStyle::State_Selected ? kPanelSelected : kPanel);
    p.setPen(QColor(0x33, 0x36, 0x3c));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    if (!row) {
        p.restore();
        return;
    }
    const QRect inner = r.adjusted(kMargin, 4, -kMargin, 0);
    QFont code = option.font;
    code.setPointSize(15);
    code.setBold(true);
    p.setFont(code);
    p.setPen(Qt::white);
    const QRect top(inner.left(), inner.top(), inner.width(), 26);
    p.drawText(top, Qt::AlignLeft | Qt::AlignVCenter,
               QFontMetrics(code).elidedText(kit::shownText(row->code), Qt::ElideMiddle, inner.width() / 2));
    QFont small = option.font;
    small.setPointSize(11);
    p.setFont(small);
    p.setPen(kMuted);
    p.drawText(top, Qt::AlignRight | Qt::AlignVCenter, kit::shownText(row->time));
    const QRect middle(inner.left(), inner.top() + 26, inner.width(), 22);
    p.drawText(middle, Qt::AlignLeft | Qt::AlignVCenter, kit::shownText(row->low));
    p.drawText(middle, Qt::AlignRight | Qt::AlignVCenter, kit::shownText(row->high));
    p.setPen(Qt::white);
    p.drawText(middle, Qt::AlignHCenter | Qt::AlignVCenter, kit::shownText(row->spread));
    drawButton(p, buttonRect(r, Button::Sell), kSell, row->bid, arrow(row->bidMove), *row, option.font);
    drawButton(p, buttonRect(r, Button::Buy), kBuy, row->ask, arrow(row->askMove), *row, option.font);
    p.restore();
}

}  // namespace views
