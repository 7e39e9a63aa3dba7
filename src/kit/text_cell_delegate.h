#pragma once
// The live tables' delegate: a cell of one line of plain text that fits its
// column is drawn from text shaped once per text, width, alignment and font,
// exactly where the style would draw it; every other cell (an icon, a check,
// the focus, a text that elides or wraps) is drawn by the style itself.
#include <QCache>
#include <QFont>
#include <QStaticText>
#include <QStyledItemDelegate>

namespace kit {

class TextCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // As the style's; a cell of text alone is laid out once per text and
    // font until forgetSizes.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // After a fit to content: the sizes kept for it go.
    void forgetSizes() const { sizes_.clear(); }

    // A figure drawn in `width`: whole, or "###" when it does not fit, never
    // a figure cut at one end.
    static QString figureThatFits(const QString& text, double textWidth, double width);

protected:
    // As the style's, with a cell of figures drawn left to right in a right-to-left table.
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
    // Draws an initialised option as the style's item view cell would.
    void drawCell(QPainter* painter, const QStyleOptionViewItem& opt) const;

private:
    struct Key {
        QString text;
        QFont font;
        int width = 0;
        int alignment = 0;
        bool operator==(const Key& other) const {
            return width == other.width && alignment == other.alignment && text == other.text && font == other.font;
        }
    };
    // The font is left out of the hash: a table draws in one or two fonts.
    friend size_t qHash(const Key& key, size_t seed) { return qHashMulti(seed, key.text, key.width, key.alignment); }
    struct Shaped {
        QStaticText text;
        double x = 0;       // from the left of the width
        double height = 0;  // of its line
        bool fits = false;  // drawn whole in the width, no eliding
    };
    const Shaped& shaped(const QStyleOptionViewItem& opt, int width) const;

    // A few screens of cells; the least recently drawn go first.
    mutable QCache<Key, Shaped> cache_{2048};

    struct SizeKey {
        QString text;
        QFont font;
        bool display = false;  // the cell has a text, perhaps empty
        bool operator==(const SizeKey& other) const {
            return display == other.display && text == other.text && font == other.font;
        }
    };
    friend size_t qHash(const SizeKey& key, size_t seed) { return qHashMulti(seed, key.text, key.display); }
    // More than a fit's sampled cells: the rows sampled times the columns.
    static constexpr int kSizesKept = 4096;
    mutable QCache<SizeKey, QSize> sizes_{kSizesKept};
    mutable const QStyle* sizedBy_ = nullptr;  // the style the sizes kept came from
};

}  // namespace kit
