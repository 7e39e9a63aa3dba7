#include "shell/settings_window_controller.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QScreen>
#include <QVBoxLayout>

#include "kit/control_texts_walk.h"
#include "kit/core/kit_payloads.h"
#include "kit/core/preference_manager.h"
#include "kit/core/sound_notification.h"
#include "kit/theme_manager.h"
#include "kit/window_context.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "shell/account_access_setting_window_controller.h"
#include "shell/change_password_window_controller.h"
#include "shell/font_size_settings_window_controller.h"
#include "shell/idle_timeout_window.h"
#include "state/session_view.h"
#include "state/ui_services.h"
#include "kit/own_text.h"

namespace shell {

namespace {

// A box titled by its identifier, a language key.
QGroupBox* box(int identifier, QWidget* parent) {
    auto* made = new QGroupBox(parent);
    made->setProperty("tag", identifier);
    return made;
}

}  // namespace

SettingsWindowController::SettingsWindowController(kit::WindowContext& context, QWidget* parent)
    : QDialog(parent), context_(context) {
    setObjectName("SettingsWindowController");
    setModal(false);
    auto* column = new QVBoxLayout(this);
    QGroupBox* general = box(10993, this);
    auto* generalRows = new QVBoxLayout(general);
    auto* toggles = new QHBoxLayout;
    SoundsButton = new QCheckBox(general);
    themeButton = new QCheckBox(general);
    toggles->addWidget(SoundsButton);
    toggles->addWidget(themeButton);
    toggles->addStretch();
    auto* sheets = new QHBoxLayout;
    fontSizeButton = new QPushButton(general);
    idleTimeoutButton = new QPushButton(general);
    sheets->addWidget(fontSizeButton);
    sheets->addWidget(idleTimeoutButton);
    sheets->addStretch();
    generalRows->addLayout(toggles);
    generalRows->addLayout(sheets);
    column->addWidget(general);

    QGroupBox* security = box(21190, this);
    auto* securityRow = new QHBoxLayout(security);
    ChangePasswordButton = new QPushButton(security);
    securityRow->addWidget(ChangePasswordButton);
    securityRow->addStretch();
    column->addWidget(security);

    accountAccessSettingsBox = box(490, this);
    auto* accessRow = new QHBoxLayout(accountAccessSettingsBox);
    accountAccessSettingsButton = new QPushButton(accountAccessSettingsBox);
    accessRow->addWidget(accountAccessSettingsButton);
    accessRow->addStretch();
    column->addWidget(accountAccessSettingsBox);
    column->addStretch();

    connect(ChangePasswordButton, &QPushButton::clicked, this, [this] { ChangePasswordButtonClicked(); });
    connect(idleTimeoutButton, &QPushButton::clicked, this, [this] { IdleTimeoutButtonClicked(); });
    connect(accountAccessSettingsButton, &QPushButton::clicked, this, [this] { accountAccessSettingButtonClicked(); });
    connect(fontSizeButton, &QPushButton::clicked, this, [this] { fontSizeSettingButtonClicked(); });
    connect(SoundsButton, &QCheckBox::clicked, this, [this] { toggleSoundButtonClicked(); });
    connect(themeButton, &QCheckBox::clicked, this, [this] { toggleThemeButtonClicked(); });
    windowDidLoad();
}

ChangePasswordWindowController* SettingsWindowController::changePasswordWindowController() const {
    return changePassword_;
}
IdleTimeoutWindowController* SettingsWindowController::idleTimeoutWindowController() const { return idleTimeout_; }
AccountAccessSettingWindowController* SettingsWindowController::accountAccessSettingWindowController() const {
    return accountAccess_;
}
FontSizeSettingsWindowController* SettingsWindowController::fontSizeSettingsWindowController() const {
    return fontSize_;
}

void SettingsWindowController::windowDidLoad() {
    updateLanguageStrings();
    applyTheme();
    const auto user = context_.view.userInfo();
    ChangePasswordButton->setEnabled(user && user->CanChangePassword);
    loadSoundSettings();
    loadThemeSettings();
    resize(360, sizeHint().height());
    loadAccountAccessSettings();
}

void SettingsWindowController::updateLanguageStrings() {
    const auto text = [this](const char* key) { return kit::tableText(context_, key); };
    setWindowTitle(text("10992"));
    SoundsButton->setText(text("10856"));
    showThemeTitle();
    fontSizeButton->setText(text("11022"));
    ChangePasswordButton->setText(text("0405"));
    idleTimeoutButton->setText(text("0470"));
    accountAccessSettingsButton->setText(text("0491"));
    for (QGroupBox* child : findChildren<QGroupBox*>(QString(), Qt::FindDirectChildrenOnly))
        kit::applyControlTexts(child, context_.language);
}

void SettingsWindowController::showThemeTitle() {
    // A choice, not a state: ticked is the light theme, unticked the dark one.
    themeButton->setText(kit::tableText(context_, kLightThemeKey));
}

void SettingsWindowController::applyTheme() { kit::ThemeManager::applyTheme({{"Windows", {this}}}, context_.theme()); }

// "SoundKey" holds YES for sounds off; the "Sounds" box reads as it acts: ticked, sounds play.
void SettingsWindowController::loadSoundSettings() {
    SoundsButton->setChecked(!context_.preferences.store().boolForKey(kit::SoundNotification::kSoundKey));
}

void SettingsWindowController::toggleSoundButtonClicked() {
    platform::Preferences& store = context_.preferences.store();
    store.set(kit::SoundNotification::kSoundKey, !SoundsButton->isChecked());
    store.synchronize();
}

void SettingsWindowController::loadThemeSettings() {
    themeButton->setVisible(true);
    const std::int64_t theme = context_.preferences.store().integerForKey(kit::PreferenceManager::kTheme);
    if (theme == 0 || theme == 1) themeButton->setChecked(theme == 1);
    showThemeTitle();
}

void SettingsWindowController::toggleThemeButtonClicked() {
    context_.preferences.saveTheme(themeButton->isChecked() ? 1 : 0);
    showThemeTitle();
    applyTheme();
    platform::NotificationCenter::defaultCenter().post(kit::kThemeChangedNotification);
}

void SettingsWindowController::loadAccountAccessSettings() {
    if (context_.view.canShowAERights()) return;
    accountAccessSettingsBox->hide();
    accountAccessSettingsButton->hide();
    accountAccessSettingsButton->setEnabled(false);
    setMinimumHeight(0);
    resize(width(), kHeightWithoutAccountAccess);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void SettingsWindowController::showCustomSheet(QDialog* sheet) {
    sheet->setWindowModality(Qt::WindowModal);
    if (!sheet->property("sheetOfSettings").toBool()) {
        sheet->setProperty("sheetOfSettings", true);
        connect(sheet, &QDialog::finished, sheet, [sheet] { sheet->hide(); });
    }
    sheet->open();
}

void SettingsWindowController::ChangePasswordButtonClicked() {
    if (!context_.view.isNetworkAvailable()) {
        context_.ui.showAlert(context_.text("1007"), context_.text("10980"));
        return;
    }
    if (!changePassword_) changePassword_ = new ChangePasswordWindowController(context_, this);
    changePassword_->onWindowLoad();
    showCustomSheet(changePassword_);
}

void SettingsWindowController::IdleTimeoutButtonClicked() {
    if (!idleTimeout_) idleTimeout_ = new IdleTimeoutWindowController(context_.preferences.store(), context_.language, this);
    idleTimeout_->onWindowLoad(context_.language);
    showCustomSheet(idleTimeout_);
}

void SettingsWindowController::accountAccessSettingButtonClicked() {
    if (!accountAccess_) accountAccess_ = new AccountAccessSettingWindowController(context_, this);
    accountAccess_->onWindowLoad();
    showCustomSheet(accountAccess_);
}

void SettingsWindowController::fontSizeSettingButtonClicked() {
    if (!fontSize_) fontSize_ = new FontSizeSettingsWindowController(context_, this);
    fontSize_->onWindowLoad();
    showCustomSheet(fontSize_);
}

}  // namespace shell
