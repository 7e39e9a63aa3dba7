#pragma once
// The settings panel of the main window: sounds on or off and the theme act at
// once; change password, idle timeout, account access and font sizes open a
// sheet on the panel. Its set-up runs once per login; each sheet is made at
// first use, kept, and prepared again at every opening.
#include <QCheckBox>
#include <QDialog>
#include <QGroupBox>
#include <QPointer>
#include <QPushButton>

namespace kit {
struct WindowContext;
}

namespace shell {

class AccountAccessSettingWindowController;
class ChangePasswordWindowController;
class FontSizeSettingsWindowController;
class IdleTimeoutWindowController;

class SettingsWindowController : public QDialog {
public:
    // The panel's height without the account-access entry.
    static constexpr int kHeightWithoutAccountAccess = 230;
    // The theme box's text: "Light theme".
    static constexpr const char* kLightThemeKey = "90250";

    explicit SettingsWindowController(kit::WindowContext& context, QWidget* parent = nullptr);

    void ChangePasswordButtonClicked();
    void IdleTimeoutButtonClicked();
    void accountAccessSettingButtonClicked();
    void fontSizeSettingButtonClicked();
    void toggleSoundButtonClicked();
    void toggleThemeButtonClicked();

    // The sheets made so far (null before their first opening).
    ChangePasswordWindowController* changePasswordWindowController() const;
    IdleTimeoutWindowController* idleTimeoutWindowController() const;
    AccountAccessSettingWindowController* accountAccessSettingWindowController() const;
    FontSizeSettingsWindowController* fontSizeSettingsWindowController() const;

    QPushButton* ChangePasswordButton = nullptr;
    QCheckBox* SoundsButton = nullptr;
    QCheckBox* themeButton = nullptr;
    QPushButton* accountAccessSettingsButton = nullptr;
    QPushButton* fontSizeButton = nullptr;
    QPushButton* idleTimeoutButton = nullptr;
    QGroupBox* accountAccessSettingsBox = nullptr;

private:
    void windowDidLoad();
    void updateLanguageStrings();
    void applyTheme();
    void loadSoundSettings();
    void loadThemeSettings();
    void loadAccountAccessSettings();
    void showThemeTitle();
    // Window-modal on the panel, opened without blocking.
    void showCustomSheet(QDialog* sheet);

    kit::WindowContext& context_;
    QPointer<ChangePasswordWindowController> changePassword_;
    QPointer<IdleTimeoutWindowController> idleTimeout_;
    QPointer<AccountAccessSettingWindowController> accountAccess_;
    QPointer<FontSizeSettingsWindowController> fontSize_;
};

}  // namespace shell
