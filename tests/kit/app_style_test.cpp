// The application's style draws the tab widgets' frames, the main window's
// toolbar, tables (headers, cells' backgrounds) and scroll bars pixel for pixel as Fusion does, in both themes, for
// each tab position and a frame too small to stretch, each scroll bar
// orientation, length and slider position.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

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

// Each case draws one widget in a style and palette; both styles must give
// the same image.
TEST(AppStyleTest, DrawsAsFusionDoes) {
    using Draw = std::function<QImage(QStyle*, const QPalette&)>;
    std::vector<std::pair<std::string, Draw>> cases;
    const struct {
        QTabWidget::TabPosition position;
        QSize size;
    } tabs[] = {{QTabWidget::North, {420, 260}}, {QTabWidget::South, {300, 400}}, {QTabWidget::West, {380, 200}},
                {QTabWidget::East, {380, 200}},  {QTabWidget::North, {60, 30}}};
    for (const auto& t : tabs)
        cases.push_back({"tabs " + std::to_string(t.position) + " " + std::to_string(t.size.width()),
                         [t](QStyle* s, const QPalette& p) { return tabWidgetImage(s, p, t.position, t.size); }});
    for (const Qt::ToolBarArea area : {Qt::TopToolBarArea, Qt::LeftToolBarArea})
        cases.push_back({"toolbar " + std::to_string(area), [area](QStyle* s, const QPalette& p) { return toolbarImage(s, p, area); }});
    for (const int sorted : {-1, 2})
        cases.push_back({"table sorted " + std::to_string(sorted),
                         [sorted](QStyle* s, const QPalette& p) { return tableImage(s, p, sorted); }});
    const struct {
        Qt::Orientation orientation;
        int length;
        int value;
    } bars[] = {{Qt::Vertical, 768, 0}, {Qt::Vertical, 768, 500}, {Qt::Vertical, 177, 1000},
                {Qt::Vertical, 60, 300}, {Qt::Horizontal, 586, 250}};
    for (const auto& b : bars)
        cases.push_back({"scroll bar " + std::to_string(b.orientation) + " " + std::to_string(b.length) + " at " +
                             std::to_string(b.value),
                         [b](QStyle* s, const QPalette& p) { return scrollBarImage(s, p, b.orientation, b.length, b.value); }});
    AppStyle app;
    const std::unique_ptr<QStyle> fusion{QStyleFactory::create("Fusion")};
    for (const std::int64_t theme : {0, 1}) {
        const QPalette palette = ThemeManager::palette(theme);
        for (const auto& [name, draw] : cases)
            EXPECT_TRUE(draw(&app, palette) == draw(fusion.get(), palette)) << name << ", theme " << theme;
    }
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

}  // namespace
}  // namespace kit
