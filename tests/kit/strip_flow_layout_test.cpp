// The strip's flow: one row while the items fit, more rows when they do not,
// the last item at its row's end, mirrored right to left.
#include <QWidget>
#include <array>
#include <vector>

#include "kit/qt_test_app.h"
#include "kit/strip_flow_layout.h"

namespace kit {
namespace {

// A parent with three items 100 px wide and 20 px tall, 10 px apart, no margins.
struct Strip {
    QWidget parent;
    StripFlowLayout* flow = new StripFlowLayout(&parent, 10, 2);
    std::array<QWidget*, 3> items{};
    Strip() {
        flow->setContentsMargins(0, 0, 0, 0);
        for (QWidget*& item : items) {
            item = new QWidget(&parent);
            item->setFixedSize(100, 20);
            flow->addWidget(item);
        }
    }
    std::vector<int> lefts(int width, Qt::LayoutDirection direction) {
        parent.setLayoutDirection(direction);
        flow->setGeometry(QRect(0, 0, width, flow->heightForWidth(width)));
        std::vector<int> out;
        for (QWidget* item : items) out.push_back(item->geometry().left());
        return out;
    }
};

TEST(StripFlowLayout, WrapsWhenTheItemsDoNotFitAndKeepsTheLastAtTheEnd) {
    struct Case {
        int width;
        Qt::LayoutDirection direction;
        int rows, height;
        std::vector<int> lefts, tops;
    };
    const std::vector<Case> cases = {
        {320, Qt::LeftToRight, 1, 20, {0, 110, 220}, {0, 0, 0}},
        {400, Qt::LeftToRight, 1, 20, {0, 110, 300}, {0, 0, 0}},           // the last to the end
        {319, Qt::LeftToRight, 2, 42, {0, 110, 219}, {0, 0, 22}},          // it wraps, at the end
        {150, Qt::LeftToRight, 3, 64, {0, 0, 50}, {0, 22, 44}},
        {400, Qt::RightToLeft, 1, 20, {300, 190, 0}, {0, 0, 0}},           // mirrored
        {319, Qt::RightToLeft, 2, 42, {219, 109, 0}, {0, 0, 22}},
    };
    for (const Case& c : cases) {
        Strip strip;
        EXPECT_EQ(strip.flow->rowsAt(c.width), c.rows) << c.width;
        EXPECT_EQ(strip.flow->heightForWidth(c.width), c.height) << c.width;
        EXPECT_EQ(strip.lefts(c.width, c.direction), c.lefts) << c.width << " " << c.direction;
        std::vector<int> tops;
        for (QWidget* item : strip.items) tops.push_back(item->geometry().top());
        EXPECT_EQ(tops, c.tops) << c.width;
    }
    // Never wider than its widest item; one row is its hint.
    Strip strip;
    EXPECT_EQ(strip.flow->minimumSize(), QSize(100, 20));
    EXPECT_EQ(strip.flow->sizeHint(), QSize(320, 20));
}

}  // namespace
}  // namespace kit
