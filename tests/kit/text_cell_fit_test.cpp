// The kit delegate's cell sizes, kept per text and font for a fit to content,
// against the style's own size of each cell.
#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>

#include "kit/text_cell_delegate.h"
#include "qt_test_app.h"

namespace kit {
namespace {

// The size a fit measured before sizes were kept.
class StyleSized : public TextCellDelegate {
public:
    using TextCellDelegate::TextCellDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index);
    }
};

QFont sized(int points, const char* family = nullptr) {
    QFont font = QApplication::font();
    if (family) font.setFamily(family);
    font.setPointSize(points);
    return font;
}

TEST(TextCellFit, KeptSizesAreTheStyles) {
    QPixmap icon(16, 16);
    const struct {
        const char* what;
        QVariant text;
        QFont font;
        int role = Qt::DisplayRole;  // another role the cell has
        QVariant value;
    } cells[] = {
        {"a figure", "1,234.50", sized(12), Qt::DisplayRole, {}},
        {"the same figure larger", "1,234.50", sized(20), Qt::DisplayRole, {}},
        {"in another family", "1,234.50", sized(12, "Monospace"), Qt::DisplayRole, {}},
        {"an empty text", "", sized(12), Qt::DisplayRole, {}},
        {"no text", {}, sized(20), Qt::DisplayRole, {}},
        {"two lines", "first\nsecond line", sized(12), Qt::DisplayRole, {}},
        {"an icon beside it", "1,234.50", sized(12), Qt::DecorationRole, QIcon(icon)},
        {"a check beside it", "1,234.50", sized(12), Qt::CheckStateRole, Qt::Checked},
    };
    QStandardItemModel model(int(std::size(cells)), 1);
    for (int row = 0; row < model.rowCount(); ++row) {
        model.setData(model.index(row, 0), cells[row].text);
        model.setData(model.index(row, 0), cells[row].font, Qt::FontRole);
        if (cells[row].value.isValid()) model.setData(model.index(row, 0), cells[row].value, cells[row].role);
    }
    QTableView view;
    view.setModel(&model);
    const TextCellDelegate kept(&view);
    const StyleSized style(&view);
    for (const bool wrap : {false, true}) {
        QStyleOptionViewItem option;
        option.widget = &view;
        option.rect = QRect(0, 0, 60, 40);
        if (wrap) option.features |= QStyleOptionViewItem::WrapText;
        // Down and up again: each cell asked once more after the others.
        for (int pass = 0; pass < 2 * model.rowCount(); ++pass) {
            const int row = pass < model.rowCount() ? pass : 2 * model.rowCount() - 1 - pass;
            EXPECT_EQ(kept.sizeHint(option, model.index(row, 0)), style.sizeHint(option, model.index(row, 0)))
                << cells[row].what << (wrap ? ", wrapped" : "");
        }
        kept.forgetSizes();
    }
}

}  // namespace
}  // namespace kit
