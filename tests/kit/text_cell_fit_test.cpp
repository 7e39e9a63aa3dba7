// The kit delegate's cell sizes, kept per text and font for a fit to content,
// against the style's own size of each cell.
#include <gtest/gtest.h>

#include <QIcon>
#include <QPixmap>
#include <QStandardItemModel>
#include <QTableView>
#include <vector>

#include "kit/text_cell_delegate.h"
#include "model/shown_text.h"
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

QFont sized(int points, bool bold = false, const char* family = nullptr) {
    QFont font = QApplication::font();
    if (family) font.setFamily(family);
    font.setPointSize(points);
    font.setBold(bold);
    return font;
}

TEST(TextCellFit, KeptSizesAreTheStyles) {
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    const struct {
        const char* what;
        QString text;
        QFont font;
        bool decoration = false;
        bool check = false;
        bool noText = false;
    } cells[] = {
        {"a figure", "1,234.50", sized(12)},
        {"the same figure larger", "1,234.50", sized(20)},
        {"the same figure smaller", "1,234.50", sized(8)},
        {"the same figure in bold", "1,234.50", sized(12, true)},
        {"the same figure in another family", "1,234.50", sized(12, false, "Monospace")},
        {"an empty text", "", sized(12)},
        {"no text at all", "", sized(20), false, false, true},
        {"trailing spaces", "EURUSD   ", sized(12)},
        {"leading spaces", "   EURUSD", sized(12)},
        {"right to left", QString::fromUtf16(u"\u0630\u0647\u0628 123"), sized(12)},
        {"another script", QString::fromUtf16(u"\u9EC4\u91D1 7"), sized(12)},
        {"two lines", "first\nsecond line", sized(12)},
        {"longer than shown", QString(model::kMaxShownLength + 10, u'w'), sized(12)},
        {"an icon beside the text", "1,234.50", sized(12), true},
        {"a check beside the text", "1,234.50", sized(12), false, true},
        {"the figure again", "1,234.50", sized(12)},
    };
    QStandardItemModel model(int(std::size(cells)), 1);
    for (int row = 0; row < model.rowCount(); ++row) {
        const auto& c = cells[row];
        const QModelIndex at = model.index(row, 0);
        if (!c.noText) model.setData(at, c.text);
        model.setData(at, c.font, Qt::FontRole);
        if (c.decoration) model.setData(at, QIcon(icon), Qt::DecorationRole);
        if (c.check) model.setData(at, Qt::Checked, Qt::CheckStateRole);
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
        // Each cell twice, in both orders: the second asking finds it kept.
        std::vector<int> rows;
        for (int row = 0; row < model.rowCount(); ++row) rows.push_back(row);
        for (int row = model.rowCount() - 1; row >= 0; --row) rows.push_back(row);
        for (int row : rows)
            EXPECT_EQ(kept.sizeHint(option, model.index(row, 0)), style.sizeHint(option, model.index(row, 0)))
                << cells[row].what << (wrap ? ", wrapped" : "");
        kept.forgetSizes();
    }
}

}  // namespace
}  // namespace kit
