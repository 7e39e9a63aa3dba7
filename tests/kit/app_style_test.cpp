// The application's style draws the tab widgets' frames pixel for pixel as
// Fusion does, in both themes, for each tab position and a frame too small
// to stretch.
#include <gtest/gtest.h>

#include <QLabel>
#include <QStyleFactory>
#include <QTabWidget>

#include "kit/app_style.h"
#include "qt_test_app.h"
#include "kit/theme_manager.h"

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

TEST(AppStyle, TabWidgetFramesLookAsFusionDrawsThem) {
    AppStyle app;
    std::unique_ptr<QStyle> fusion(QStyleFactory::create("Fusion"));
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
        const QImage expected = tabWidgetImage(fusion.get(), palette, c.position, c.size);
        EXPECT_TRUE(tabWidgetImage(&app, palette, c.position, c.size) == expected)
            << "theme " << c.theme << ", position " << c.position << ", " << c.size.width() << "x" << c.size.height();
    }
}

}  // namespace
}  // namespace kit
