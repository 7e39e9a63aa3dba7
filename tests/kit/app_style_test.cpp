// The application's style draws the tab widgets' frames, the main window's
// toolbar, tables (headers, cells' backgrounds) and scroll bars pixel for pixel as Fusion does, in both themes, for
// each tab position and a frame too small to stretch, each scroll bar
// orientation, length and slider position.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QStyleFactory>
#include <QTabWidget>
#include <QToolBar>

#include "kit/app_style.h"
#include "kit/theme_manager.h"
#include "qt_test_app.h"

namespace kit {
namespace {

QImage tabWidgetImage(QStyle* style, const QPalette& palette, QTabWidget::TabPosition position, QSize size) {
    QTabWidget tabs;
    tabs.setStyle(style);
    tabs.setPalette(palette);
    tabs.setTabPosition(position);
    tabs.addTab(new QLabel("one"), "First");
    tabs.addTab(new QLabel("two"), "Second tab");
    tabs.setCurrentIndex(1);
    tabs.resize(size);
    tabs.show();  // lays out the tab bar and the frame
    return tabs.grab().toImage();
}

QImage toolbarImage(QStyle* style, const QPalette& palette, Qt::ToolBarArea area) {
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
    return bar->grab().toImage();
}

QImage scrollBarImage(QStyle* style, const QPalette& palette, Qt::Orientation orientation, int length, int value) {
    QScrollBar bar(orientation);
    bar.setStyle(style);
    bar.setPalette(palette);
    bar.setRange(0, 1000);
    bar.setPageStep(120);
    bar.setValue(value);
    bar.resize(orientation == Qt::Vertical ? QSize(14, length) : QSize(length, 14));
    return bar.grab().toImage();
}

QImage tableImage(QStyle* style, const QPalette& palette, int sortedColumn) {
    QStandardItemModel model(3, 4);
    model.setHorizontalHeaderLabels({"Code", "Bid", "A longer title", "Ask"});
    QTableView view;
    view.setModel(&model);
    view.setStyle(style);
    for (QWidget* child : view.findChildren<QWidget*>()) child->setStyle(style);  // the header too
    view.setPalette(palette);
    view.setColumnWidth(0, 60);  // drawn as Fusion draws it
    view.setColumnWidth(2, 160);
    view.setAlternatingRowColors(true);
    model.setData(model.index(2, 1), QBrush(Qt::darkGreen), Qt::BackgroundRole);
    model.setData(model.index(0, 0), "EURUSD");
    view.setSortingEnabled(sortedColumn >= 0);
    if (sortedColumn >= 0) view.horizontalHeader()->setSortIndicator(sortedColumn, Qt::DescendingOrder);
    view.resize(520, 140);
    view.show();
    view.selectRow(1);
    return view.grab().toImage();
}

class AppStyleTest : public ::testing::Test {
protected:
    AppStyle app;
    std::unique_ptr<QStyle> fusion{QStyleFactory::create("Fusion")};
};

TEST_F(AppStyleTest, TabWidgetFramesLookAsFusionDrawsThem) {
    const struct {
        std::int64_t theme;
        QTabWidget::TabPosition position;
        QSize size;
    } cases[] = {
        {0, QTabWidget::North, {420, 260}}, {1, QTabWidget::North, {420, 260}}, {0, QTabWidget::South, {300, 400}},
        {1, QTabWidget::West, {380, 200}},  {0, QTabWidget::East, {380, 200}},  {1, QTabWidget::North, {60, 30}},
    };
    for (const auto& c : cases) {
        const QPalette palette = ThemeManager::palette(c.theme);
        EXPECT_TRUE(tabWidgetImage(&app, palette, c.position, c.size) ==
                    tabWidgetImage(fusion.get(), palette, c.position, c.size))
            << "theme " << c.theme << ", position " << c.position << ", " << c.size.width() << "x" << c.size.height();
    }
}

TEST_F(AppStyleTest, ToolbarsLookAsFusionDrawsThem) {
    for (const std::int64_t theme : {0, 1})
        for (const Qt::ToolBarArea area : {Qt::TopToolBarArea, Qt::LeftToolBarArea}) {
            const QPalette palette = ThemeManager::palette(theme);
            EXPECT_TRUE(toolbarImage(&app, palette, area) == toolbarImage(fusion.get(), palette, area))
                << "theme " << theme << ", area " << area;
        }
}

TEST_F(AppStyleTest, TablesLookAsFusionDrawsThem) {
    for (const std::int64_t theme : {0, 1})
        for (const int sorted : {-1, 2}) {
            const QPalette palette = ThemeManager::palette(theme);
            EXPECT_TRUE(tableImage(&app, palette, sorted) == tableImage(fusion.get(), palette, sorted))
                << "theme " << theme << ", sorted column " << sorted;
        }
}

TEST_F(AppStyleTest, ScrollBarsLookAsFusionDrawsThem) {
    const struct {
        std::int64_t theme;
        Qt::Orientation orientation;
        int length;
        int value;
    } cases[] = {
        {0, Qt::Vertical, 768, 0},  {1, Qt::Vertical, 768, 500}, {0, Qt::Vertical, 177, 1000},
        {1, Qt::Vertical, 60, 300}, {0, Qt::Horizontal, 586, 250},
    };
    for (const auto& c : cases) {
        const QPalette palette = ThemeManager::palette(c.theme);
        EXPECT_TRUE(scrollBarImage(&app, palette, c.orientation, c.length, c.value) ==
                    scrollBarImage(fusion.get(), palette, c.orientation, c.length, c.value))
            << "theme " << c.theme << ", orientation " << c.orientation << ", length " << c.length << ", value "
            << c.value;
    }
}

}  // namespace
}  // namespace kit
