#pragma once
// Dark and light themes for the windows, fields, tables and drawers a window
// hands over. The choice is stored under "Theme" (0 dark, 1 light).
#include <QColor>
#include <QPalette>
#include <QWidget>
#include <map>
#include <string>
#include <vector>

namespace kit {

// "Windows", "TextField", "TableView", "Drawer" -> the widgets to theme;
// "Marks" -> widgets added to a themed window, whose check marks are themed
// as the window's (the rest of its palette they take from the window).
using ThemeTargets = std::map<std::string, std::vector<QWidget*>>;

class ThemeManager {
public:
    // Only the keys present are handled; a theme other than 0 and 1 only gives
    // the fields their border width.
    static void applyTheme(const ThemeTargets& targets, std::int64_t theme);
    static QPalette palette(std::int64_t theme);

    // The colours the windows name.
    static QColor riseColor() { return QColor::fromRgbF(0, 0.6, 0); }
    static QColor fallColor() { return QColor(230, 0, 38); }
    static QColor fieldBorderColor(std::int64_t theme);
    static QColor gridColor(std::int64_t theme);
};

}  // namespace kit
