#pragma once
// The application's spine: start-up, the login window and its outcomes, the
// lock window, the menu and the objects of the login session. Main thread.
#include <QAction>
#include <QMenuBar>
#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <memory>
#include <optional>
#include <utility>
#include <string>

#include "kit/qt_ui_services.h"
#include "platform/notification_center.h"
#include "shell/core/app_session.h"
#include "shell/core/remembered_credentials.h"
#include "shell/about_window_controller.h"
#include "shell/lock_window.h"
#include "shell/login_registration_window_controller.h"
#include "shell/login_window.h"
#include "shell/main_window_controller.h"

namespace platform {
class Preferences;
}

namespace shell {

class AppDelegate : public QObject, public LoginOutcomes {
    Q_OBJECT
public:
    struct Parts {
        platform::Preferences* preferences = nullptr;  // default: the standard store
        kit::QtUiServices::Parts ui;
        MainWindowController::Options mainWindow;       // the main window's refresh and extra windows
        std::string appName;                           // default: the build's name
    };

    AppDelegate();
    explicit AppDelegate(Parts parts);
    ~AppDelegate() override;

    // The start-up sequence; shows the login window.
    void applicationDidFinishLaunching();

    // --- What other windows read ---------------------------------------------
    AppSession& session() { return *session_; }
    kit::QtUiServices& ui() { return *ui_; }
    platform::Preferences& preferences() { return preferences_; }
    const std::string& AppName() const { return appName_; }
    LoginWindow* window() { return window_; }
    LockWindow* unLockWindow() { return lock_; }
    MainWindowController* mWindowController() { return mainWindow_.get(); }
    const std::string& loginConnectiontypeKey() const { return mode_; }

    // --- The login window's operations -------------------------------------
    void setLanguage(std::int64_t index);
    void loadUserInfo(const std::string& mode);
    void CheckBoxStatus();
    void ConnectionSegmentControlChanged(int segment);
    void resetConnectionSettingsDefault();
    void loginButtonClicked();
    void cancelButtonClicked();
    // Demo mode, then the registration sheet on the login window.
    void CreateDemoUserButtonClicked();
    // The sheet's valid Submit: a registration connection to the form's server and port.
    void demoRegistrationSubmit();
    LoginRegistrationWindowController* registrationWindow() const { return registration_; }
    void liveAccountRegistrationButtonClicked();
    void lockAppMenuItemClicked();
    void unLockButtonClicked();
    void menuNeedsUpdate();
    // Shows the About window over the main window when it shows, else over the
    // login window; nothing while it is visible.
    void aboutApplication();
    // The one About window, made at first use (and again after its parent went).
    AboutWindowController* getAboutWindowController();
    // Shown without blocking; the follow-up of the tag runs when it closes.
    QMessageBox* showCommonAlert(const std::string& message, const std::string& title, bool sheet, int tag);
    // The alert open now, if any.
    QMessageBox* currentAlert() const { return alert_; }

    // The application menu (tag 1000); the login window and the main window show it.
    QMenu* appMenu() { return appMenu_; }
    QAction* lockAction() { return lockAction_; }
    QAction* aboutAction() { return aboutAction_; }

    // --- LoginOutcomes ---------------------------------------------------------
    void loginRefused(const state::LoginMessages& messages) override;
    void loggedInElsewhere(const std::string& message) override;
    void connectionLost(bool afterLogin) override;
    void loginSucceeded() override;

private:
    std::string text(const char* key) const;
    void applyTheme();
    void alertFinished(int tag, bool defaultButton);
    void openWebAddress(const std::string& url, const std::string& failure);
    // The main window's "AboutWindowController": this delegate's window.
    kit::WindowSpec aboutWindowEntry();
    void prepareAbout(AboutWindowController& about);

    platform::Preferences& preferences_;
    std::string appName_;
    MainWindowController::Options mainWindowOptions_;
    std::unique_ptr<kit::QtUiServices> ui_;
    std::unique_ptr<AppSession> session_;
    RememberedCredentials credentials_;
    std::string mode_ = "Live";
    std::string loginMode_ = "Live";  // the mode of the last login sent
    std::optional<std::pair<std::string, LoginFields>> toRemember_;  // stored when the login succeeds
    platform::ObserverHandle passwordChanged_;
    std::string appUpdateURL_;
    QMenu* appMenu_ = nullptr;
    QAction* aboutAction_ = nullptr;
    QAction* lockAction_ = nullptr;
    QAction* quitAction_ = nullptr;
    QPointer<LoginWindow> window_;
    QPointer<LockWindow> lock_;
    QPointer<AboutWindowController> about_;
    std::unique_ptr<MainWindowController> mainWindow_;
    const state::SessionView* mainWindowSession_ = nullptr;  // the session mainWindow_ was made for
    QPointer<QMessageBox> alert_;
    QPointer<LoginRegistrationWindowController> registration_;
    platform::ObserverHandle themeObserver_;
};

}  // namespace shell
