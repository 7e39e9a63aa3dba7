#include "kit/theme_manager.h"
#include "kit/own_text.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyle>
#include <QTableView>

namespace kit {

namespace {

QString rgba(const QColor& c) {
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

void themeMarks(QWidget* within, std::int64_t theme) {
    // The style outlines check marks in a darker shade of the window colour,
    // which on black leaves an unticked box invisible: their own palette
    // gives the outline a grey to darken (they fill no background of their own).
    QPalette marks = ThemeManager::palette(theme);
    if (theme == 0) marks.setColor(QPalette::Window, QColor(120, 120, 120));
    // Only this window's own: a window opened over it (a ticket) keeps its
    // whole palette until it is themed itself.
    for (QWidget* mark : within->findChildren<QAbstractButton*>())
        if ((qobject_cast<QCheckBox*>(mark) || qobject_cast<QRadioButton*>(mark)) && mark->window() == within->window())
            mark->setPalette(marks);
}

void themeWindow(QWidget* window, std::int64_t theme) {
    window->setPalette(ThemeManager::palette(theme));
    window->setAutoFillBackground(true);
    themeMarks(window, theme);
}

void themeField(QWidget* field, std::int64_t theme) {
    field->setProperty("tcBorderWidth", 1);
    QString rule = QStringLiteral("border-width: 1px; border-style: solid;");
    QString disabled;
    if (theme == 0 || theme == 1) {
        const QColor border = ThemeManager::fieldBorderColor(theme);
        field->setProperty("tcBorderColor", border);
        // A style sheet drops the inherited palette, so the field's colours go with it.
        const QPalette palette = ThemeManager::palette(theme);
        rule += QStringLiteral(" border-color: %1; background-color: %2; color: %3;")
                    .arg(rgba(border), rgba(palette.color(QPalette::Base)), rgba(palette.color(QPalette::Text)));
        // A disabled field must look disabled: muted text on the window colour.
        disabled = QStringLiteral("color: %1; background-color: %2;")
                       .arg(rgba(palette.color(QPalette::Disabled, QPalette::Text)), rgba(palette.color(QPalette::Window)));
    }
    const QString type = identifierText(field->metaObject()->className());
    QString sheet = QStringLiteral("%1 { %2 }").arg(type, rule);
    if (!disabled.isEmpty()) sheet += QStringLiteral(" %1:disabled { %2 }").arg(type, disabled);
    field->setStyleSheet(sheet);
}

void themeTable(QWidget* table, std::int64_t theme) {
    const QColor grid = ThemeManager::gridColor(theme);
    table->setProperty("tcGridColor", grid);
    // The grid is drawn in the palette's Mid colour.
    QPalette palette = ThemeManager::palette(theme);
    palette.setColor(QPalette::Mid, grid);
    table->setPalette(palette);
}

void themeDrawer(QWidget* drawer, std::int64_t theme) {
    // The whole palette: a drawer themed light before keeps no black text on
    // the dark theme's black.
    drawer->setPalette(ThemeManager::palette(theme));
    drawer->setAutoFillBackground(theme == 0);
}

}  // namespace

QPalette ThemeManager::palette(std::int64_t theme) {
    QPalette light = QApplication::style() ? QApplication::style()->standardPalette() : QPalette();
    if (theme != 0) return light;
    QPalette dark = light;
    const QColor text = QColor::fromRgbF(1, 1, 1, 0.9);
    dark.setColor(QPalette::Window, Qt::black);
    dark.setColor(QPalette::Base, QColor(20, 20, 20));
    dark.setColor(QPalette::AlternateBase, QColor(32, 32, 32));
    dark.setColor(QPalette::Button, QColor(45, 45, 45));
    for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(role, text);
    dark.setColor(QPalette::PlaceholderText, QColor::fromRgbF(1, 1, 1, 0.4));
    dark.setColor(QPalette::Disabled, QPalette::Text, QColor::fromRgbF(1, 1, 1, 0.35));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor::fromRgbF(1, 1, 1, 0.35));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor::fromRgbF(1, 1, 1, 0.35));
    return dark;
}

QColor ThemeManager::fieldBorderColor(std::int64_t theme) {
    return theme == 0 ? QColor::fromRgbF(0.3f, 0.3f, 0.3f) : QColor(Qt::lightGray);
}

QColor ThemeManager::gridColor(std::int64_t theme) {
    return theme == 0 ? QColor::fromRgbF(0.2f, 0.2f, 0.2f, 0.5f) : QColor(192, 192, 192);
}

void ThemeManager::applyTheme(const ThemeTargets& targets, std::int64_t theme) {
    const bool known = theme == 0 || theme == 1;
    const auto each = [&targets](const char* key, auto&& apply) {
        auto it = targets.find(key);
        if (it == targets.end()) return;
        for (QWidget* w : it->second)
            if (w) apply(w);
    };
    if (known) each("Windows", [theme](QWidget* w) { themeWindow(w, theme); });
    if (known) each("Marks", [theme](QWidget* w) { themeMarks(w, theme); });
    each("TextField", [theme](QWidget* w) { themeField(w, theme); });
    if (known) each("TableView", [theme](QWidget* w) { themeTable(w, theme); });
    if (known) each("Drawer", [theme](QWidget* w) { themeDrawer(w, theme); });
}

}  // namespace kit
