#include "shell/app_delegate.h"
#include "shell/register_windows.h"

#include <QApplication>
#include <QLayout>
#include <QGuiApplication>
#include <QScreen>

#include "kit/core/preference_manager.h"
#include "kit/banner/app_user_notification.h"
#include "kit/common_alert.h"
#include "kit/core/kit_payloads.h"
#include "kit/theme_manager.h"
#include "shell/core/login_form.h"
#include "shell/core/startup_defaults.h"
#include "shell/window_shake.h"
#include "model/crypto.h"
#include "model/language_string.h"
#include "model/order.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "platform/serial_queue.h"
#include "state/notification_payloads.h"
#include "state/ui_services.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

namespace shell {

namespace {

constexpr int kAppMenu = 1000;
constexpr int kLockItem = 1011;

void centre(QWidget* window) {
    window->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window->move(area.center() - QPoint(window->width() / 2, window->height() / 2));
    }
}

}  // namespace

AppDelegate::AppDelegate() : AppDelegate(Parts{}) {}

AppDelegate::AppDelegate(Parts parts)
    : preferences_(parts.preferences ? *parts.preferences : platform::Preferences::standard()),
      appName_(parts.appName.empty() ? std::string(TC_APP_NAME) : parts.appName),
      mainWindowOptions_(std::move(parts.mainWindow)),
      ui_(std::make_unique<kit::QtUiServices>(preferences_, appName_, std::move(parts.ui))),
      session_(std::make_unique<AppSession>(*ui_, *this)),
      credentials_(preferences_, session_->logindata().SecurityKey()) {
    // The main window opens the same About window as the application menu; a
    // window the caller registered under its name wins.
    mainWindowOptions_.registerWindows = [this, theirs = std::move(mainWindowOptions_.registerWindows)](
                                             kit::WindowRegistry& registry) {
        if (theirs) theirs(registry);
        registry.add(aboutWindowEntry());
    };
    kit::PreferenceManager(preferences_).clearRunChoices();
    // A changed password replaces the remembered one, or the next start is refused.
    auto& center = platform::NotificationCenter::defaultCenter();
    passwordChanged_ = platform::ObserverHandle(
        &center, center.addObserver(state::notifications::kPasswordChange, [this](const platform::Notification&) {
            const auto& login = session_->logindata();
            credentials_.passwordChanged(loginMode_, login.userName(), login.password());
        }));
    session_->readShowConfirmationAlert([this] { return kit::PreferenceManager(preferences_).showConfirmationAlert(); });
}

AppDelegate::~AppDelegate() {
    themeObserver_.reset();
    passwordChanged_.reset();
    ui_->customUserNotificationCenter().setDelegate(nullptr);
    delete registration_.data();
    session_.reset();
    delete about_.data();
    delete alert_.data();
    mainWindow_.reset();
    delete lock_.data();
    delete window_.data();
}

std::string AppDelegate::text(const char* key) const {
    return model::LanguageString::stringforSelectedLanguage(session_->selectedLanguage(), key);
}

void AppDelegate::applicationDidFinishLaunching() {
    // The shipped key's derivation and the cipher library's first use off the
    // main thread while the login window waits, not in the login's request.
    platform::SerialQueue::create("KeyPreparation")->async(
        [key = session_->logindata().SecurityKey()] { model::Crypto::prepareKey(key); });
    window_ = new LoginWindow;
    lock_ = new LockWindow;
    window_->setWindowTitle(kit::shownText(appName_));

    auto* bar = new QMenuBar(window_);
    window_->layout()->setMenuBar(bar);
    appMenu_ = bar->addMenu(kit::shownText(appName_));
    QMenu* appMenu = appMenu_;
    appMenu->menuAction()->setData(kAppMenu);
    aboutAction_ = appMenu->addAction(QString());
    lockAction_ = appMenu->addAction(QString());
    lockAction_->setData(kLockItem);
    quitAction_ = appMenu->addAction(QString());
    connect(appMenu, &QMenu::aboutToShow, this, [this] { menuNeedsUpdate(); });
    connect(aboutAction_, &QAction::triggered, this, [this] { aboutApplication(); });
    connect(lockAction_, &QAction::triggered, this, [this] { lockAppMenuItemClicked(); });
    connect(quitAction_, &QAction::triggered, this, [this] { ui_->terminate(); });

    // The language list is filled by the window; selecting one relabels at once.
    applyStartupDefaults(preferences_);
    applyTheme();
    // The application's palette (alerts, menus, lists) and the login and lock
    // windows follow every theme change.
    auto& center = platform::NotificationCenter::defaultCenter();
    themeObserver_ = platform::ObserverHandle(
        &center, center.addObserver(kit::kThemeChangedNotification, [this](const platform::Notification&) { applyTheme(); }));
    // An index outside the list selects English and stays stored as it was.
    setLanguage(preferences_.integerForKey(kLanguageKey));
    connect(window_->languagesComboBox, &QComboBox::activated, this, [this](int index) { setLanguage(index); });

    // Replacement keys of the product; the order texts in the selected language.
    model::LanguageString::setProductLocalizationList(session_->logindata().productLocalizationList());
    model::Order::setKeyLookup([this](const std::string& key) {
        return model::LanguageString::stringforSelectedLanguage(session_->selectedLanguage(), key);
    });
    // Before a login every banner shows; each session answers for its own.
    auto presentAll = std::make_shared<kit::AppUserNotificationCenterDelegate>();
    presentAll->shouldPresent = [](const kit::AppUserNotification&) { return true; };
    ui_->customUserNotificationCenter().setDelegate(presentAll);

    session_->StartNetworkMonitoringNotification();

    connect(window_, &LoginWindow::segmentChanged, this,
            [this](int segment) { ConnectionSegmentControlChanged(segment); });
    connect(window_->CheckBox, &QCheckBox::clicked, this, [this] { CheckBoxStatus(); });
    connect(window_->loginButton, &QPushButton::clicked, this, [this] { loginButtonClicked(); });
    connect(window_->cancelButton, &QPushButton::clicked, this, [this] { cancelButtonClicked(); });
    connect(window_->resetdefaultsButton, &QPushButton::clicked, this, [this] { resetConnectionSettingsDefault(); });
    connect(window_->demouserCreationButton, &QPushButton::clicked, this, [this] { CreateDemoUserButtonClicked(); });
    connect(window_->openliveaccountButton, &QPushButton::clicked, this,
            [this] { liveAccountRegistrationButtonClicked(); });
    connect(lock_->unlockButton, &QPushButton::clicked, this, [this] { unLockButtonClicked(); });

    loadUserInfo("Live");
    lockAction_->setEnabled(false);
    centre(window_);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

void AppDelegate::applyTheme() {
    const std::int64_t theme = preferences_.integerForKey(kit::PreferenceManager::kTheme);
    QApplication::setPalette(kit::ThemeManager::palette(theme));
    kit::ThemeManager::applyTheme({{"Windows", {window_, lock_}},
                                   {"Drawer", {window_->rightDrawer}},
                                   {"TextField",
                                    {window_->usernameTextField, window_->passwordTextField, window_->serverTextField,
                                     window_->portTextField, lock_->lockPasswordTextField}}},
                                  theme);
}

void AppDelegate::setLanguage(std::int64_t index) {
    if (storeLanguageIndex(preferences_, index)) {
        session_->setSelectedLanguage(index);
        window_->languagesComboBox->setCurrentIndex(static_cast<int>(index));
    } else {
        platform::Log::warning("Language index " + std::to_string(index) + " is not in the list");
    }
    // Every window opened after this lays out in the language's direction.
    QGuiApplication::setLayoutDirection(model::LanguageString::readsRightToLeft(session_->selectedLanguage())
                                            ? Qt::RightToLeft
                                            : Qt::LeftToRight);
    window_->updateLanguageStrings(session_->selectedLanguage());
    lock_->updateLanguageStrings(session_->selectedLanguage(), appName_);
    aboutAction_->setText(kit::shownText(text("21018")));
    lockAction_->setText(kit::shownText(text("21017")));
    quitAction_->setText(kit::shownText(text("21020")));
}

void AppDelegate::loadUserInfo(const std::string& mode) {
    mode_ = mode;
    if (auto remembered = credentials_.loadUserInfo(mode)) {
        window_->setFields(*remembered);
        window_->CheckBox->setChecked(true);
        return;
    }
    auto& login = session_->logindata();
    mode == "Live" ? login.loadLiveSettings() : login.loadDemoSettings();
    window_->setFields({"", "", login.IPAddress(), std::to_string(login.PortNo())});
    window_->CheckBox->setChecked(false);
}

void AppDelegate::CheckBoxStatus() {
    if (!window_->CheckBox->isChecked()) credentials_.resetUserInfoDefaults(mode_);
}

void AppDelegate::ConnectionSegmentControlChanged(int segment) {
    if (segment == 0) loadUserInfo("Live");
    if (segment == 1) loadUserInfo("Demo");
}

void AppDelegate::resetConnectionSettingsDefault() {
    auto& login = session_->logindata();
    window_->selectedSegment() == 0 ? login.loadLiveSettings() : login.loadDemoSettings();
    window_->serverTextField->setText(kit::exactText(kit::ExactInput(login.IPAddress())));
    window_->portTextField->setText(QString::number(login.PortNo()));
}

void AppDelegate::loginButtonClicked() {
    const LoginFields fields = window_->fields();
    if (const auto key = checkLoginValidation(fields)) {
        // A missing server or port is in the drawer: open it so the field shows.
        if (*key == "0004" || *key == "0005") window_->setDrawerOpen(true);
        showCommonAlert(model::LanguageString::stringforSelectedLanguage(session_->selectedLanguage(), *key), appName_,
                        true, kAlertRefusal);
        return;
    }
    // Remembered once the server takes them: a mistyped password never replaces the stored one.
    toRemember_.reset();
    if (window_->CheckBox->isChecked() && canRemember(fields.userName)) toRemember_ = {mode_, fields};
    loginMode_ = mode_;
    ui_->customUserNotificationCenter().setDelegate(nullptr);  // the old session goes
    session_->startLogin(fields);
    ui_->customUserNotificationCenter().setDelegate(kit::delegateFor(*session_->commands()));
    window_->setBusy(true);
}

void AppDelegate::cancelButtonClicked() {
    window_->setBusy(false);
    session_->cancelLogin();
}

void AppDelegate::CreateDemoUserButtonClicked() {
    if (window_->selectedSegment() == 0) {
        window_->setSelectedSegment(1);
        loadUserInfo("Demo");
    }
    if (!registration_) registration_ = new LoginRegistrationWindowController(*this, window_);
    registration_->onWindowLoad();
    registration_->setWindowModality(Qt::WindowModal);
    registration_->open();
}

void AppDelegate::demoRegistrationSubmit() {
    const LoginFields fields = window_->fields();
    ui_->customUserNotificationCenter().setDelegate(nullptr);  // the old session goes
    session_->startRegistration(fields.server, fields.port);
    ui_->customUserNotificationCenter().setDelegate(kit::delegateFor(*session_->commands()));
}

void AppDelegate::openWebAddress(const std::string& url, const std::string& failure) {
    if (!state::ResourceFiles::isOpenableUrl(url)) {
        platform::Log::warning(failure);
        return;
    }
    ui_->openUrl(url);
}

void AppDelegate::liveAccountRegistrationButtonClicked() {
    openWebAddress(session_->logindata().liveAccountRegistrationURL(), "Failed to open url");
}

void AppDelegate::lockAppMenuItemClicked() {
    QWidget* main = mainWindow_ ? mainWindow_->window() : nullptr;
    if (main && main->isVisible()) {
        lock_->lockPasswordTextField->clear();
        centre(lock_);
        lock_->show();
        lock_->raise();
        // The ticket, the row dialogs and the sheets go with the main window.
        mainWindow_->hideForLock();
    }
    lock_->setWindowTitle(kit::shownText(text("10855") + " " + session_->logindata().userName()));
}

void AppDelegate::unLockButtonClicked() {
    if (lock_->lockPasswordTextField->text().toStdString() != session_->logindata().password()) {
        shakeWindow(lock_);
        return;
    }
    lock_->lockPasswordTextField->clear();
    // Hidden first: the activation that leaves the lock window comes before the
    // windows it hid come back, so the one in front ends active.
    lock_->hide();
    if (mainWindow_) mainWindow_->showAfterUnlock();
}

void AppDelegate::menuNeedsUpdate() {
    QWidget* main = mainWindow_ ? mainWindow_->window() : nullptr;
    lockAction_->setEnabled(main && main->isVisible() && !mainWindow_->isSheetAttached());
}

AboutWindowController* AppDelegate::getAboutWindowController() {
    if (!about_) about_ = new AboutWindowController(window_);
    return about_;
}

void AppDelegate::prepareAbout(AboutWindowController& about) {
    about.windowDidAppear(session_->selectedLanguage(), preferences_.integerForKey(kit::PreferenceManager::kTheme));
}

void AppDelegate::aboutApplication() {
    AboutWindowController* about = getAboutWindowController();
    if (about->isVisible()) return;
    QWidget* main = mainWindow_ ? mainWindow_->window() : nullptr;
    QWidget* opener = main && main->isVisible() ? main : window_.data();
    if (about->parentWidget() != opener) about->setParent(opener, about->windowFlags());
    prepareAbout(*about);
    about->show();
    about->raise();
    about->activateWindow();
}

kit::WindowSpec AppDelegate::aboutWindowEntry() {
    kit::WindowSpec about;
    about.name = kAboutWindow;
    about.notWhileVisible = true;
    about.make = [this](kit::WindowContext&) -> QWidget* { return getAboutWindowController(); };
    about.open = [this](QWidget* shown, const kit::OpenRequest&) {
        if (auto* window = qobject_cast<AboutWindowController*>(shown)) prepareAbout(*window);
        return true;
    };
    return about;
}

QMessageBox* AppDelegate::showCommonAlert(const std::string& message, const std::string& title, bool sheet, int tag) {
    // The kit's alert (bold title, plain message) with this routine's buttons.
    auto* box = kit::CommonAlert::makeAlert(message, title, text("0167"), sheet ? window_.data() : nullptr).release();
    for (QAbstractButton* b : box->buttons()) {
        box->removeButton(b);  // removing does not delete
        delete b;
    }
    box->setObjectName("CommonAlert");
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setIcon(QMessageBox::Critical);
    box->setWindowTitle(kit::shownText(title));
    const auto keys = alertButtonKeys(tag);
    QPushButton* byDefault = box->addButton(kit::shownText(text(keys[0].c_str())), QMessageBox::AcceptRole);
    box->setDefaultButton(byDefault);
    if (keys.size() > 1) box->addButton(kit::shownText(text(keys[1].c_str())), QMessageBox::RejectRole);
    connect(box, &QMessageBox::buttonClicked, this,
            [this, byDefault, tag](QAbstractButton* b) { alertFinished(tag, b == byDefault); });
    alert_ = box;
    if (sheet) {
        box->open();  // window-modal on the login window
    } else {
        box->setWindowModality(Qt::ApplicationModal);
        box->show();
    }
    return box;
}

void AppDelegate::alertFinished(int tag, bool defaultButton) {
    if (tag == kAlertElsewhere) {
        ui_->terminate();
    } else if (tag == kAlertUnsupportedVersion && defaultButton) {
        openWebAddress(appUpdateURL_, "Failed to open url: " + appUpdateURL_);
        ui_->terminate();
    }
}

void AppDelegate::loginRefused(const state::LoginMessages& messages) {
    const auto value = [&](const char* key) {
        const auto it = messages.find(key);
        return it == messages.end() ? std::string() : it->second;
    };
    appUpdateURL_ = value("URL");
    toRemember_.reset();
    shakeWindow(window_);
    window_->setBusy(false);
    int tag = kAlertRefusal;
    try {
        tag = std::stoi(value("Tag"));
    } catch (const std::exception&) {
    }
    showCommonAlert(value("Message"), appName_, true, tag);
}

void AppDelegate::loggedInElsewhere(const std::string& message) {
    showCommonAlert(message, appName_, false, kAlertElsewhere);
}

void AppDelegate::connectionLost(bool afterLogin) {
    window_->setBusy(false);
    showCommonAlert(text(connectionFailureKey(afterLogin).c_str()), text("0052"), false, kAlertConnectionLost);
}

void AppDelegate::loginSucceeded() {
    if (toRemember_) credentials_.storeUserInfo(toRemember_->first, toRemember_->second);
    toRemember_.reset();
    window_->setBusy(false);
    window_->setDrawerOpen(false);
    const auto show = [this] {
        QWidget* main = mainWindow_->window();
        main->show();
        main->raise();
        main->activateWindow();
        window_->hide();
        menuNeedsUpdate();
    };
    // One per session, with that session's windows (a relogin keeps it); it fills the screen.
    if (mainWindow_ && mainWindowSession_ == session_->view()) return show();
    mainWindow_.reset();
    mainWindowSession_ = session_->view();
    mainWindow_ = std::make_unique<MainWindowController>(*this, mainWindowOptions_);
    mainWindow_->showWhenReady(show);
}

}  // namespace shell
