// The strip's flow: one row while the items fit, more rows when they do not,
// the last item at its row's end, mirrored right to left. Its figure labels.
#include <QHBoxLayout>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWindow>
#include <QWidget>
#include <vector>

#include "kit/figure_label.h"
#include "kit/qt_test_app.h"
#include "kit/strip_flow_layout.h"

namespace kit {
namespace {

TEST(StripFlowLayout, WrapsWhenTheItemsDoNotFitAndKeepsTheLastAtTheEnd) {
    const struct {
        int width;
        Qt::LayoutDirection direction;
        int rows, height;
        std::vector<QPoint> at;  // each item's top left
    } cases[] = {
        {320, Qt::LeftToRight, 1, 20, {{0, 0}, {110, 0}, {220, 0}}},
        {400, Qt::LeftToRight, 1, 20, {{0, 0}, {110, 0}, {300, 0}}},   // the last to the end
        {319, Qt::LeftToRight, 2, 42, {{0, 0}, {110, 0}, {219, 22}}},  // it wraps, at the end
        {150, Qt::LeftToRight, 3, 64, {{0, 0}, {0, 22}, {50, 44}}},
        {400, Qt::RightToLeft, 1, 20, {{300, 0}, {190, 0}, {0, 0}}},  // mirrored
        {319, Qt::RightToLeft, 2, 42, {{219, 0}, {109, 0}, {0, 22}}},
    };
    for (const auto& c : cases) {
        // Three items 100 px wide and 20 px tall, 10 px apart, no margins.
        QWidget parent;
        parent.setLayoutDirection(c.direction);
        auto* flow = new StripFlowLayout(&parent, 10, 2);
        flow->setContentsMargins(0, 0, 0, 0);
        std::vector<QWidget*> items;
        for (int i = 0; i < 3; ++i) {
            items.push_back(new QWidget(&parent));
            items.back()->setFixedSize(100, 20);
            flow->addWidget(items.back());
        }
        EXPECT_EQ(flow->rowsAt(c.width), c.rows) << c.width;
        EXPECT_EQ(flow->heightForWidth(c.width), c.height) << c.width;
        flow->setGeometry(QRect(0, 0, c.width, c.height));
        std::vector<QPoint> at;
        for (QWidget* item : items) at.push_back(item->pos());
        EXPECT_EQ(at, c.at) << c.width << " " << c.direction;
        // Never wider than its widest item; one row is its hint.
        EXPECT_EQ(flow->minimumSize(), QSize(100, 20));
        EXPECT_EQ(flow->sizeHint(), QSize(320, 20));
    }
}

// A figure label keeps its size for a new figure, over what its pane shows
// beside it; a wider one widens it (the main window's test pins its repaints).
TEST(FigureLabel, KeepsItsSizeOverWhatItsPaneShowsAndWidensForAWiderFigure) {
    enum Host { kWindow, kTabPage, kFilledPane };
    for (const Host host : {kWindow, kTabPage, kFilledPane}) {
        QWidget window;
        auto* pane = new QWidget;
        QTabWidget* tabs = host == kTabPage ? new QTabWidget : nullptr;
        if (tabs) tabs->addTab(pane, "Tab");
        (new QVBoxLayout(&window))->addWidget(tabs ? static_cast<QWidget*>(tabs) : pane);
        if (host == kFilledPane) pane->setPalette(QPalette(Qt::darkCyan)), pane->setAutoFillBackground(true);
        auto* figure = new FigureLabel(": -999.99", pane);
        (new QHBoxLayout(pane))->addWidget(figure, 0, Qt::AlignLeft);
        figure->setFigure(": 1.00");
        window.resize(400, 160);
        window.show();
        ASSERT_TRUE(testing::runUntil([&] { return window.windowHandle() && window.windowHandle()->isExposed(); }));
        const QImage shot = window.grab().toImage();
        const auto at = [&](int x) { return shot.pixel(figure->mapTo(&window, QPoint(x, figure->height() / 2))); };
        EXPECT_EQ(at(figure->width() - 2), at(figure->width() + 8)) << host;  // its empty end, the pane beside it

        const QSize reserved = figure->size();
        figure->setFigure(": -12.34");
        EXPECT_EQ(figure->size(), reserved) << host;
        figure->setFigure(": -1,234,567.89");
        EXPECT_GE(figure->width(), figure->fontMetrics().horizontalAdvance(figure->text())) << host;
    }
}

}  // namespace
}  // namespace kit
