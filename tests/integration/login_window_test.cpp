// The login window offscreen against the simulator: the form's rules, the
// outcomes of a login, the main window and the lock. Saves screenshots.
#include <gtest/gtest.h>

#include <QPropertyAnimation>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <QTest>

#include "integration/app_window_fixture.h"
#include "kit/banner/app_user_notification_banner_controller.h"
#include "kit/shown_text.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "platform/resource_bundle.h"
#include "shell/about_window_controller.h"

namespace shell {
namespace {

using kit::testing::runUntil;
using kit::testing::saveScreenshot;

// Keeps the windows that were raised, in order.
struct RaiseRecorder : QObject {
    explicit RaiseRecorder(std::vector<QObject*>& raised) : raised(raised) {}
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::ZOrderChange) raised.push_back(watched);
        return false;
    }
    std::vector<QObject*>& raised;
};

class LoginWindowTest : public integration::AppWindowTest {
protected:
    LoginWindowTest() : AppWindowTest("login_window") {}
    void start(std::int64_t theme = 0) {
        prefs = std::make_unique<platform::Preferences>(path);
        prefs->set("Theme", theme);
        delegate = std::make_unique<AppDelegate>(recordedParts());
        delegate->applicationDidFinishLaunching();
        login = delegate->window();
    }
    void fill(const std::string& user, const std::string& password) {
        login->setFields({user, password, "127.0.0.1", std::to_string(sim->sessionPort())});
    }
    QMessageBox* waitForAlert() {
        runUntil([&] { return delegate->currentAlert() && delegate->currentAlert()->isVisible(); }, 10000);
        return delegate->currentAlert();
    }
    // Clicks the alert's button by its place (0: default).
    void answer(QMessageBox* box, int button) {
        ASSERT_TRUE(box);
        QList<QAbstractButton*> buttons = box->buttons();
        std::sort(buttons.begin(), buttons.end(), [box](QAbstractButton* a, QAbstractButton* b) {
            return box->buttonRole(a) < box->buttonRole(b);  // accept before reject
        });
        buttons[button]->click();
        runUntil([&] { return !delegate->currentAlert(); });
    }
    static std::string tr(const char* key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

    LoginWindow* login = nullptr;
};

TEST_F(LoginWindowTest, FormRulesLanguageAndThemes) {
    start(1);
    EXPECT_TRUE(prefs->hasKey("LanguageKey"));  // 0 stored when absent
    saveScreenshot(login, "login_window_light");
    prefs->set("LanguageKey", std::int64_t{42});
    ASSERT_TRUE(prefs->synchronize());
    delegate.reset();
    start(0);
    ASSERT_TRUE(login->isVisible());
    EXPECT_EQ(prefs->integerForKey("LanguageKey"), 42);  // left alone
    EXPECT_EQ(login->languagesComboBox->currentIndex(), 0);
    EXPECT_EQ(login->serverTextField->text(), "127.0.0.1");  // from the property list
    EXPECT_EQ(login->portTextField->text(), "17001");
    EXPECT_FALSE(login->CheckBox->isChecked());
    saveScreenshot(login, "login_window_dark");
    login->serverTextField->setText("10.1.1.1");
    login->resetdefaultsButton->click();
    EXPECT_EQ(login->serverTextField->text(), "127.0.0.1");

    // Empty fields: the first in server, port, user, password order.
    login->setFields({"", "", "", ""});
    login->loginButton->click();
    QMessageBox* box = waitForAlert();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->informativeText().toStdString(), tr("0004"));
    answer(box, 0);
    EXPECT_TRUE(login->loginButton->isVisible());

    // Separator bytes typed or pasted are refused.
    for (QLineEdit* field : {login->usernameTextField, login->passwordTextField, login->serverTextField}) {
        field->clear();
        field->insert("ab");
        field->insert(QString("c\x01") + "d");
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        field->insert(QString("\x07"));
        EXPECT_FALSE(field->text().contains(QChar(1)) || field->text().contains(QChar(7)));
    }

    // A choice relabels at once.
    model::LanguageString::setProductLocalizationList({{"21017", "0037"}, {"21020", "0038"}});
    delegate->setLanguage(7);
    EXPECT_EQ(login->loginButton->text().toStdString(), model::LanguageString::stringforSelectedLanguage(7, "0037"));
    const QList<QAction*> items = delegate->appMenu()->actions();  // About, Lock and Quit from the string table
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[0]->text().toStdString(), model::LanguageString::stringforSelectedLanguage(7, "21018"));
    EXPECT_EQ(items[1]->text().toStdString(), model::LanguageString::stringforSelectedLanguage(7, "0037"));
    EXPECT_EQ(items[2]->text().toStdString(), model::LanguageString::stringforSelectedLanguage(7, "0038"));
    model::LanguageString::setProductLocalizationList({});
    EXPECT_EQ(prefs->integerForKey("LanguageKey"), 7);
    saveScreenshot(login, "login_window_french");
    delegate->setLanguage(0);

    // The demo button switches to Demo first.
    delegate->CreateDemoUserButtonClicked();
    EXPECT_EQ(login->selectedSegment(), 1);
    EXPECT_EQ(delegate->loginConnectiontypeKey(), "Demo");
}

TEST_F(LoginWindowTest, RefusalThenLoginOpensTheMainWindowAndTheLockHidesIt) {
    start();
    RememberedCredentials remembered(*prefs, model::LoginInputdata().SecurityKey());
    const LoginFields good{"trader", "secret1", "127.0.0.1", std::to_string(sim->sessionPort())};
    ASSERT_TRUE(remembered.storeUserInfo("Live", good));
    delegate->loadUserInfo("Live");
    ASSERT_TRUE(login->CheckBox->isChecked());
    // A user name the store cannot give back is said so beside the box.
    fill("tr#der", "x");
    EXPECT_FALSE(login->rememberNote->isHidden());
    saveScreenshot(login, "login_window_remember_note");
    fill("trader", "wrong");
    EXPECT_TRUE(login->rememberNote->isHidden());
    login->loginButton->click();
    EXPECT_FALSE(login->usernameTextField->isEnabled());  // busy
    QMessageBox* box = waitForAlert();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->informativeText().toStdString(), tr("1087"));
    EXPECT_TRUE(login->usernameTextField->isEnabled());
    EXPECT_TRUE(login->findChild<QPropertyAnimation*>("shake"));
    runUntil([&] { return !login->findChild<QPropertyAnimation*>("shake"); });
    saveScreenshot(login, "login_refusal_window");
    saveScreenshot(box, "login_refusal_alert");
    answer(box, 0);
    EXPECT_EQ(remembered.loadUserInfo("Live"), good);  // the refused password is not remembered

    fill("trader", "secret1");
    login->CheckBox->setChecked(true);
    login->loginButton->click();
    // Shown a slice after it is made.
    ASSERT_TRUE(runUntil([&] { return delegate->mWindowController() && delegate->mWindowController()->window()->isVisible(); }, 10000));
    QWidget* main = delegate->mWindowController()->window();
    EXPECT_FALSE(login->isVisible());
    EXPECT_NE(std::find(recorder->sounds.begin(), recorder->sounds.end(), "welcome"), recorder->sounds.end());
    // Remembered with the shipped key: the next start reads them.
    EXPECT_EQ(remembered.loadUserInfo("Live"), login->fields());
    // A password the server changed replaces the remembered one.
    state::commandsOf(*delegate->session().businessbase()).changeMyPassword("secret1", "secret2");
    EXPECT_TRUE(runUntil([&] { return remembered.loadUserInfo("Live")->password == "secret2"; }, 10000));

    // Each mode fills the form from its own store; unticking forgets at once.
    delegate->ConnectionSegmentControlChanged(1);
    EXPECT_TRUE(login->usernameTextField->text().isEmpty());
    EXPECT_FALSE(login->CheckBox->isChecked());
    delegate->ConnectionSegmentControlChanged(0);
    EXPECT_EQ(login->usernameTextField->text(), "trader");
    EXPECT_TRUE(login->CheckBox->isChecked());
    login->CheckBox->click();
    EXPECT_FALSE(prefs->hasKey("Live"));

    delegate->menuNeedsUpdate();
    EXPECT_TRUE(delegate->lockAction()->isEnabled());
    // The login's banners in first: each takes the activation as it shows on this platform.
    ASSERT_TRUE(runUntil([] {
        const QWidgetList shown = QApplication::topLevelWidgets();
        return std::none_of(shown.begin(), shown.end(), [](QWidget* w) {
            auto* banner = dynamic_cast<kit::AppUserNotificationBannerController*>(w);
            return banner && banner->phase() == kit::BannerLifecycle::Phase::SlidingIn;
        });
    }, 10000));
    // Two windows as the statement and the chat are made; the last one
    // activated is in front.
    auto* child = new QWidget(main, Qt::Window);
    auto* front = new QWidget(main, Qt::Window);
    for (QWidget* w : {front, child}) {
        w->show();
        // A banner shown meanwhile takes the activation on this platform: ask again.
        ASSERT_TRUE(runUntil(
            [&] {
                if (QApplication::activeWindow() != w) w->activateWindow();
                return QApplication::activeWindow() == w;
            },
            10000));
    }
    std::vector<QObject*> raised;  // the order of the raises at the unlock
    RaiseRecorder recorder{raised};
    for (QWidget* w : {main, child, front}) w->installEventFilter(&recorder);
    delegate->lockAppMenuItemClicked();
    EXPECT_FALSE(child->isVisible());
    LockWindow* lock = delegate->unLockWindow();
    EXPECT_FALSE(main->isVisible());
    EXPECT_TRUE(lock->isVisible());
    EXPECT_EQ(lock->windowTitle().toStdString(), tr("10855") + " trader");
    delegate->menuNeedsUpdate();
    EXPECT_FALSE(delegate->lockAction()->isEnabled());
    saveScreenshot(lock, "lock_window_dark");

    lock->lockPasswordTextField->setText("nope");
    lock->unlockButton->click();
    EXPECT_TRUE(lock->findChild<QPropertyAnimation*>("shake"));
    EXPECT_TRUE(lock->isVisible());
    lock->lockPasswordTextField->setText("secret2");
    lock->unlockButton->click();
    EXPECT_FALSE(lock->isVisible());
    EXPECT_TRUE(main->isVisible());
    EXPECT_TRUE(child->isVisible());  // what was open comes back, in front of the main window as it was
    EXPECT_TRUE(front->isVisible());
    raised.erase(std::unique(raised.begin(), raised.end()), raised.end());
    EXPECT_EQ(raised, (std::vector<QObject*>{main, front, child}));
    EXPECT_TRUE(runUntil([&] { return QApplication::activeWindow() == child; }, 10000))
        << (QApplication::activeWindow() ? QApplication::activeWindow()->metaObject()->className() : "no active window");
    EXPECT_TRUE(lock->lockPasswordTextField->text().isEmpty());
}

// The language list measures only the names its own font draws (no fallback
// faces loaded for the others) and comes out as a list that measures every name.
TEST_F(LoginWindowTest, LanguageListIsAsWideAsItsWidestName) {
    start();
    LanguageComboBox* list = login->languagesComboBox;
    QComboBox plain(login);  // the window's style and font
    plain.hide();
    for (int i = 0; i < list->count(); ++i) plain.addItem(list->itemText(i));
    EXPECT_EQ(list->sizeHint(), plain.sizeHint());
    EXPECT_EQ(list->minimumSizeHint(), plain.minimumSizeHint());
}

// The keyboard in the language list: arrows and Return choose a language,
// in the closed list and in the open one, and never log in; Return in a field does.
TEST_F(LoginWindowTest, KeysInTheLanguageListOnlyChoose) {
    start();
    login->setFields({"", "", "127.0.0.1", std::to_string(sim->sessionPort())});
    login->activateWindow();
    QApplication::setActiveWindow(login);
    LanguageComboBox* list = login->languagesComboBox;
    list->setFocus();
    ASSERT_TRUE(runUntil([&] { return list->hasFocus(); }));
    const struct {
        bool open;
        Qt::Key key;
        int language;
    } presses[] = {{false, Qt::Key_Down, 1}, {false, Qt::Key_Return, 1}, {false, Qt::Key_Up, 0},
                   {false, Qt::Key_Enter, 0}, {true, Qt::Key_Return, 1}, {true, Qt::Key_Enter, 2}};
    for (const auto& press : presses) {
        if (press.open) {
            list->showPopup();
            QTest::keyClick(list->view(), Qt::Key_Down);
            QTest::keyClick(list->view(), Qt::Key_Down);
            QTest::keyClick(list->view(), Qt::Key_Up);
            QTest::keyClick(list->view(), press.key);
        } else {
            QTest::keyClick(list, press.key);
        }
        kit::testing::runFor(150);
        EXPECT_EQ(prefs->integerForKey("LanguageKey"), press.language) << press.key << " open " << press.open;
        EXPECT_FALSE(delegate->currentAlert() && delegate->currentAlert()->isVisible()) << press.key << " open " << press.open;
        if (delegate->currentAlert()) answer(delegate->currentAlert(), 0);
        list->setFocus();
    }
    EXPECT_FALSE(list->view()->isVisible());
    // Return in a field still logs in: here its refusal of the empty user name.
    QTest::keyClick(login->passwordTextField, Qt::Key_Return);
    answer(waitForAlert(), 0);
}

TEST_F(LoginWindowTest, CancelElsewhereAndUnsupportedVersion) {
    start();
    ASSERT_EQ(sim->command("fault silent on").rfind("ok", 0), 0u);
    fill("trader", "secret1");
    login->loginButton->click();
    ASSERT_TRUE(login->cancelButton->isVisible());
    saveScreenshot(login, "login_window_busy");
    login->cancelButton->click();
    EXPECT_TRUE(login->loginButton->isVisible());
    EXPECT_TRUE(login->usernameTextField->isEnabled());
    ASSERT_EQ(sim->command("fault silent off").rfind("ok", 0), 0u);

    // A user held back for an old build: update opens the address and ends.
    fill("olduser", "old123");
    login->loginButton->click();
    QMessageBox* box = waitForAlert();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->buttons().size(), 2);
    EXPECT_EQ(box->informativeText().toStdString(), tr("1089"));
    EXPECT_EQ(recorder->quits, 0);  // no alert came from the cancelled login
    answer(box, 0);
    EXPECT_EQ(recorder->urls, std::vector<std::string>{"https://example.invalid/update"});
    EXPECT_EQ(recorder->quits, 1);

    fill("trader", "secret1");
    login->loginButton->click();
    ASSERT_TRUE(runUntil([&] { return delegate->mWindowController() != nullptr; }, 10000));
    // A reason of a megabyte: the alert is given a few thousand characters of it.
    ASSERT_EQ(sim->command("fault logout-reason 1048576").rfind("ok", 0), 0u);
    ASSERT_EQ(sim->command("elsewhere trader").rfind("ok", 0), 0u);
    box = waitForAlert();
    ASSERT_TRUE(box);
    ASSERT_EQ(sim->command("fault logout-reason 0").rfind("ok", 0), 0u);
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_NE(box->informativeText().toStdString().find(tr("0008") + " : "), std::string::npos);
    EXPECT_EQ(box->informativeText().remove(QChar(0x200B)).size(), kit::kMaxAlertLength + 1);  // and wrappable
    answer(box, 0);
    EXPECT_EQ(recorder->quits, 2);

    // A drop: sound, the connection alert, and the application goes on.
    fill("trader", "secret1");
    login->loginButton->click();
    ASSERT_TRUE(runUntil([&] { return std::count(recorder->sounds.begin(), recorder->sounds.end(), "welcome") == 2; },
                         10000));
    sim.reset();
    box = waitForAlert();
    ASSERT_TRUE(box);
    EXPECT_EQ(box->text().toStdString(), tr("0052"));
    EXPECT_EQ(box->informativeText().toStdString(), "The connection to the server was lost.");
    EXPECT_EQ(recorder->sounds.back(), "connectionLost");
    answer(box, 0);
    EXPECT_EQ(recorder->quits, 2);

    // An update address that is not a web address is not opened.
    delegate->loginRefused({{"Message", tr("1089")}, {"Tag", "3"}, {"URL", "file:///etc/passwd"}});
    answer(waitForAlert(), 0);
    EXPECT_EQ(recorder->urls.size(), 1u);
    EXPECT_EQ(recorder->quits, 3);
}

TEST_F(LoginWindowTest, AboutOpensFromTheLoginMenuAndTheHelpMenuAsOneWindow) {
    // A copy of the resources whose French table has texts of its own.
    const std::filesystem::path resources = path + "_resources";
    std::filesystem::copy(std::string(TC_SOURCE_DIR) + "/resources", resources,
                          std::filesystem::copy_options::recursive);
    {
        std::ofstream french(resources / "fr.lproj" / "Localizable.strings", std::ios::trunc);
        french << "\"0230\" = \"Édition\";\n\"0229\" = \"Risque.{0}Fin 100%\";\n";
    }
    platform::ResourceBundle::setResourceDirectory(resources.string());
    model::LanguageString::clearCache();
    struct Restore {
        std::filesystem::path folder;
        ~Restore() {
            platform::ResourceBundle::setResourceDirectory("");
            model::LanguageString::clearCache();
            std::filesystem::remove_all(folder);
        }
    } restore{resources};

    start(0);
    const std::string version = " " + platform::ResourceBundle::applicationVersion();
    EXPECT_EQ(delegate->appMenu()->actions().value(0), delegate->aboutAction());
    delegate->aboutAction()->trigger();
    AboutWindowController* about = delegate->getAboutWindowController();
    ASSERT_TRUE(about->isVisible());
    EXPECT_EQ(about->parentWidget(), login);
    EXPECT_EQ(about->windowTitle().toStdString(), platform::ResourceBundle::applicationName());
    EXPECT_EQ(about->appNameLabel->text().toStdString(), platform::ResourceBundle::applicationName());
    EXPECT_EQ(about->versionLabel->text().toStdString(), tr("0230") + version);
    EXPECT_EQ(about->disclaimerLabel->text().toStdString(),
              model::Formatter::fillIndexedText(tr("0229"), {"\n\n"}));
    EXPECT_EQ(about->copyRightInfoLabel->text().toStdString(), platform::ResourceBundle::applicationCopyright());
    EXPECT_EQ(about->palette().color(QPalette::Window), QColor(Qt::black));
    EXPECT_EQ(about->closeButton->text().toStdString(), tr("0246"));
    saveScreenshot(about, "about-login-dark");

    // A new language and theme change nothing while it shows, and show at the next opening.
    delegate->setLanguage(7);
    prefs->set("Theme", std::int64_t{1});
    delegate->aboutAction()->trigger();
    EXPECT_EQ(about->versionLabel->text().toStdString(), tr("0230") + version);
    EXPECT_EQ(about->palette().color(QPalette::Window), QColor(Qt::black));
    about->closeWindow();
    delegate->aboutAction()->trigger();
    ASSERT_EQ(delegate->getAboutWindowController(), about);
    EXPECT_EQ(about->versionLabel->text().toStdString(), "Édition" + version);
    EXPECT_EQ(about->disclaimerLabel->text().toStdString(), "Risque.\n\nFin 100%");
    EXPECT_NE(about->palette().color(QPalette::Window), QColor(Qt::black));
    saveScreenshot(about, "about-login-light");
    about->closeButton->click();  // its own button, not only the window manager's
    EXPECT_FALSE(about->isVisible());
    delegate->setLanguage(0);

    // Logged in, the Help menu opens the same window over the main window, once.
    fill("trader", "secret1");
    login->loginButton->click();
    ASSERT_TRUE(runUntil([&] { return delegate->mWindowController() && delegate->mWindowController()->window()->isVisible(); }, 10000));
    MainWindowController* main = delegate->mWindowController();
    main->toolbarAction("aboutApplication")->trigger();
    EXPECT_EQ(delegate->getAboutWindowController(), about);
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->parentWidget(), main->window());
    EXPECT_EQ(about->versionLabel->text().toStdString(), tr("0230") + version);
    EXPECT_FALSE(main->runCommand("aboutApplication"));
    EXPECT_FALSE(main->openWindow("AboutWindowController", {}));
    about->closeWindow();
    delegate->aboutAction()->trigger();  // the application menu, now over the main window
    EXPECT_TRUE(about->isVisible());
    EXPECT_EQ(about->parentWidget(), main->window());
}

}  // namespace
}  // namespace shell
