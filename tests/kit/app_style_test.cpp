// The application's style draws what its base style draws, pixel for pixel,
// at the scale the test runs at (QT_SCALE_FACTOR: the program runs at 1, 1.5
// and 2) and at twice it, in both themes, drawn afresh and from its cache,
// whole or in tiles;
// it wraps the style the user named, else Fusion.
#include "kit/app_style.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QStyleOptionSlider>
#include <QMainWindow>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "kit/theme_manager.h"
#include "qt_test_app.h"

namespace kit {
namespace {

// The widget drawn as the screen shows it, or at `ratio` when given.
QImage image(QWidget& widget, qreal ratio) {
    if (ratio == 0) return widget.grab().toImage();
    QPixmap pixmap(widget.size() * ratio);
    pixmap.setDevicePixelRatio(ratio);
    widget.render(&pixmap);
    return pixmap.toImage();
}

QImage toolbarImage(QStyle* style, const QPalette& palette, Qt::ToolBarArea area, qreal ratio) {
    QMainWindow window;
    window.setPalette(palette);
    auto* bar = new QToolBar(&window);
    bar->setStyle(style);
    bar->setMovable(false);
    bar->addAction("Positions");
    window.addToolBar(area, bar);
    window.setCentralWidget(new QLabel("centre"));
    window.resize(500, 300);
    window.show();
    return image(*bar, ratio);
}

QImage scrollBarImage(QStyle* style, const QPalette& palette, Qt::Orientation orientation, int length,
                      int value, qreal ratio) {
    QScrollBar bar(orientation);
    bar.setStyle(style);
    bar.setPalette(palette);
    bar.setRange(0, value < 0 ? 100 : 1000);
    bar.setPageStep(120);
    bar.setValue(std::max(value, 0));
    bar.resize(orientation == Qt::Vertical ? QSize(14, length) : QSize(length, 14));
    return image(bar, ratio);
}

QImage tabWidgetImage(QStyle* style, const QPalette& palette, QSize size, qreal ratio) {
    QTabWidget tabs;
    tabs.setStyle(style);
    tabs.setPalette(palette);
    tabs.addTab(new QWidget, "Positions");
    tabs.addTab(new QWidget, "Orders");
    tabs.resize(size);
    return image(tabs, ratio);
}

QImage tableImage(QStyle* style, const QPalette& palette, qreal ratio) {
    QStandardItemModel model(40, 4);
    model.setHorizontalHeaderLabels({"Code", "Bid", "A longer title", "Ask"});
    QTableView view;
    view.setModel(&model);
    view.setStyle(style);
    for (QWidget* child : view.findChildren<QWidget*>()) child->setStyle(style);  // header, scroll bars
    view.setPalette(palette);
    view.setColumnWidth(2, 160);
    view.setAlternatingRowColors(true);
    model.setData(model.index(2, 1), QBrush(Qt::darkGreen), Qt::BackgroundRole);
    model.setData(model.index(0, 0), "EURUSD");
    view.setSortingEnabled(true);
    view.horizontalHeader()->setSortIndicator(2, Qt::DescendingOrder);
    view.resize(420, 161);  // both bars, at odd places
    view.show();
    view.selectRow(1);
    return image(view, ratio);
}

// Threads of this process now.
std::size_t threadCount() {
    return std::size_t(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                     std::filesystem::directory_iterator()));
}

// First in the file: no earlier drawing has started Qt's raster pool.
TEST(AppStyleTest, AFirstDrawingOfATallBarStartsNoThread) {
    AppStyle app;
    const std::size_t before = threadCount();
    for (const int ratio : {1, 2})
        for (const int page : {120, 2000}) {  // the slider shorter and longer than a tile
            QStyleOptionSlider bar;
            bar.rect = QRect(0, 0, 14, 900);
            bar.orientation = Qt::Vertical;
            bar.state = QStyle::State_Enabled;
            bar.subControls = QStyle::SC_All;
            bar.palette = ThemeManager::palette(0);
            bar.maximum = 1000;
            bar.pageStep = page;
            QImage image(bar.rect.size() * ratio, QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(ratio);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            app.drawComplexControl(QStyle::CC_ScrollBar, &bar, &painter, nullptr);
        }
    EXPECT_EQ(threadCount(), before);
}

TEST(AppStyleTest, DrawsAsFusionDoes) {
    const qreal scale =
        qEnvironmentVariableIsSet("QT_SCALE_FACTOR") ? qgetenv("QT_SCALE_FACTOR").toDouble() : 1;
    using Draw = std::function<QImage(QStyle*, const QPalette&, qreal)>;
    std::vector<std::pair<std::string, Draw>> cases;
    for (const Qt::ToolBarArea area : {Qt::TopToolBarArea, Qt::LeftToolBarArea})
        cases.push_back({"toolbar " + std::to_string(area), [area](QStyle* s, const QPalette& p, qreal r) {
                             return toolbarImage(s, p, area, r);
                         }});
    cases.push_back({"table", tableImage});
    // Drawn in tiles: sides of several and of part of one; one within a tile.
    for (const QSize size : {QSize(663, 805), QSize(120, 90)})
        cases.push_back({"tab widget " + std::to_string(size.width()), [size](QStyle* s, const QPalette& p, qreal r) {
                             return tabWidgetImage(s, p, size, r);
                         }});
    const struct {
        Qt::Orientation orientation;
        int length;
        int value;
    } bars[] = {{Qt::Vertical, 768, 0},
                {Qt::Vertical, 768, 500},
                {Qt::Vertical, 177, 1000},
                {Qt::Vertical, 60, 300},
                {Qt::Vertical, 768, -1},  // a slider longer than a tile
                {Qt::Horizontal, 586, 250}};
    for (const auto& b : bars)
        cases.push_back({"scroll bar " + std::to_string(b.orientation) + " " + std::to_string(b.length) +
                             " at " + std::to_string(b.value),
                         [b](QStyle* s, const QPalette& p, qreal r) {
                             return scrollBarImage(s, p, b.orientation, b.length, b.value, r);
                         }});
    AppStyle app;
    const std::unique_ptr<QStyle> fusion{QStyleFactory::create("Fusion")};
    // The screen's scale, then twice it (the cache must not give one for the other).
    for (const qreal ratio : {0.0, 2 * scale}) {
        for (const std::int64_t theme : {0, 1}) {
            const QPalette palette = ThemeManager::palette(theme);
            for (const auto& [name, draw] : cases) {
                const std::string what =
                    name + ", theme " + std::to_string(theme) + ", ratio " + std::to_string(ratio);
                const QImage expected = draw(fusion.get(), palette, ratio);
                EXPECT_EQ(expected.devicePixelRatio(), ratio == 0 ? scale : ratio) << what;
                EXPECT_TRUE(draw(&app, palette, ratio) == expected) << what;
                EXPECT_TRUE(draw(&app, palette, ratio) == expected) << what << ", from the cache";
            }
        }
    }
}

TEST(AppStyleTest, WrapsTheNamedStyleElseFusion) {
    const struct {
        std::vector<const char*> args;
        bool named;
    } rows[] = {
        {{"client"}, false},
        {{"client", "-style", "windows"}, true},
        {{"client", "-style=windows"}, true},
        {{"client", "--style", "windows"}, true},
        {{"client", "--style=windows"}, true},
        {{"client", "-style"}, false},  // no name: Qt ignores it
        {{"client", "-stylesheet", "a.qss"}, false},
        {{"client", "windows", "style"}, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(styleNamed(int(row.args.size()), row.args.data()), row.named) << row.args.back();
    const char* plain[] = {"client"};
    qputenv("QT_STYLE_OVERRIDE", "windows");
    EXPECT_TRUE(styleNamed(1, plain));
    qunsetenv("QT_STYLE_OVERRIDE");

    QStyle* const original = QApplication::style();
    QApplication::setStyle("Windows");  // as QApplication sets a named style
    installAppStyle(true);
    const auto* style = dynamic_cast<const AppStyle*>(QApplication::style());
    ASSERT_TRUE(style);
    EXPECT_EQ(style->baseStyle()->name(), "windows");
    installAppStyle(false);
    style = dynamic_cast<const AppStyle*>(QApplication::style());
    ASSERT_TRUE(style);
    EXPECT_EQ(style->baseStyle()->name(), "fusion");
    QApplication::setStyle(original);
}

// A cell of figures reads the same in a right-to-left table.
TEST(AppStyleTest, FiguresStayLeftToRightInARightToLeftWindow) {
    AppStyle app;
    QStandardItemModel model(2, 1);
    model.setData(model.index(0, 0), "-12.50");
    model.setData(model.index(1, 0), "2026-12-08 10:00");
    for (int row = 0; row < 2; ++row) model.setData(model.index(row, 0), int(Qt::AlignRight | Qt::AlignVCenter), Qt::TextAlignmentRole);
    const auto image = [&](Qt::LayoutDirection direction) {
        QTableView view;
        view.setStyle(&app);
        view.setLayoutDirection(direction);
        view.setModel(&model);
        view.horizontalHeader()->hide();
        view.verticalHeader()->hide();
        view.setShowGrid(false);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.resize(200, 80);
        view.setColumnWidth(0, 200);
        return view.viewport()->grab().toImage();
    };
    EXPECT_TRUE(image(Qt::RightToLeft) == image(Qt::LeftToRight));
}

// The clear button's image is the one Fusion takes when no icon theme has
// one, at any size, without the theme being read.
TEST(AppStyleTest, ClearButtonIsFusionsImage) {
    AppStyle style;
    const std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
    ASSERT_TRUE(QIcon::themeName().isEmpty());  // offscreen: Fusion falls back to its own image
    const QIcon ours = style.standardIcon(QStyle::SP_LineEditClearButton);
    const QIcon theirs = fusion->standardIcon(QStyle::SP_LineEditClearButton);
    for (const int side : {16, 32}) {
        const QImage a = ours.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_FALSE(a.isNull());
        EXPECT_EQ(a, theirs.pixmap(side, side).toImage().convertToFormat(QImage::Format_ARGB32)) << side;
    }
}

}  // namespace
}  // namespace kit
