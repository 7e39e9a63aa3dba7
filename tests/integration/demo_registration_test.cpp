// The demo-account sheet and the login window's drawer against the simulator:
// a registration whose new login then logs in, input the fields refuse, and
// the drawer that holds the connection settings. Saves screenshots.
#include <algorithm>
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "integration/app_window_fixture.h"
#include "kit/shown_as_typed.h"
#include "shell/login_registration_window_controller.h"
#include "state/notification_payloads.h"

namespace {

using kit::testing::runUntil;
using kit::testing::saveScreenshot;

class DemoRegistrationTest : public integration::AppWindowTest {
public:
    DemoRegistrationTest() : AppWindowTest("demo_registration") {}
    void start(std::int64_t theme) {
        prefs->set("Theme", theme);
        delegate = std::make_unique<shell::AppDelegate>(recordedParts());
        delegate->applicationDidFinishLaunching();
        login = delegate->window();
    }
    // Opens the sheet, fills it for the simulator and submits it.
    shell::LoginRegistrationWindowController* submit() {
        login->demouserCreationButton->click();
        shell::LoginRegistrationWindowController* sheet = delegate->registrationWindow();
        login->portTextField->setText(QString::number(sim->sessionPort()));
        sheet->NameTextField->setText("Ann Lee");
        sheet->PhoneTextField->setText("5550100");
        sheet->EmailTextField->setText("Ann.Lee@example.COM");
        sheet->CountryComboBox->setEditText("Norway");
        QTest::mouseClick(sheet->submitButton, Qt::LeftButton);
        return sheet;
    }
    bool resultShown(shell::LoginRegistrationWindowController* sheet) {
        return runUntil([&] { return sheet->resultAlert() && sheet->resultAlert()->isVisible(); }, 10000);
    }
    shell::LoginWindow* login = nullptr;
};

TEST_F(DemoRegistrationTest, RegisteredLoginLogsInInDemoMode) {
    start(0);
    ASSERT_EQ(login->selectedSegment(), 0);
    login->demouserCreationButton->click();
    EXPECT_EQ(login->selectedSegment(), 1);
    shell::LoginRegistrationWindowController* sheet = delegate->registrationWindow();
    ASSERT_TRUE(sheet && sheet->isVisible());
    EXPECT_EQ(sheet->DepositComboBox->currentText(), "1000");  // the shipped list's first amount
    EXPECT_GT(sheet->CountryComboBox->count(), 200);
    // By name, as a reader looks one up.
    const std::vector<std::string> countries = kit::testing::comboItems(sheet->CountryComboBox);
    EXPECT_TRUE(std::is_sorted(countries.begin(), countries.end(), [](const std::string& a, const std::string& b) {
        return QString::localeAwareCompare(QString::fromStdString(a), QString::fromStdString(b)) < 0;
    })) << countries[0] << ", " << countries[1];
    EXPECT_TRUE(sheet->CountryComboBox->currentText().isEmpty());
    saveScreenshot(sheet, "demo-registration-empty-dark");

    // Separator bytes and a second point are refused as typed or pasted.
    sheet->NameTextField->insert(QString("Ann\x05"));
    QGuiApplication::clipboard()->setText("12.3.4");
    sheet->PhoneTextField->paste();
    EXPECT_EQ(sheet->NameTextField->text(), "");
    EXPECT_EQ(sheet->PhoneTextField->text(), "");

    login->portTextField->setText(QString::number(sim->sessionPort()));
    sheet->NameTextField->setText("Ann Lee");
    sheet->PhoneTextField->setText("5550100");
    sheet->EmailTextField->setText("Ann.Lee@example.COM");
    sheet->CountryComboBox->setEditText("Norway");
    saveScreenshot(sheet, "demo-registration-filled-dark");
    QTest::mouseClick(sheet->submitButton, Qt::LeftButton);
    ASSERT_TRUE(runUntil([&] { return sheet->resultAlert() && sheet->resultAlert()->isVisible(); }, 10000));
    const std::string user = login->usernameTextField->text().toStdString();
    EXPECT_EQ(user.rfind("demo", 0), 0u);
    EXPECT_EQ(login->passwordTextField->text().size(), 8);
    EXPECT_EQ(sim->command("keys " + user), "ok shipped");  // a fresh run: the shipped key
    EXPECT_NE(sheet->resultAlert()->informativeText().toStdString().find(user), std::string::npos);
    saveScreenshot(sheet->resultAlert(), "demo-registration-result-dark");
    sheet->resultAlert()->defaultButton()->click();
    ASSERT_TRUE(runUntil([&] { return !sheet->isVisible(); }));

    delegate->loginButtonClicked();
    EXPECT_TRUE(runUntil([&] { return delegate->mWindowController() != nullptr; }, 10000));
}

TEST_F(DemoRegistrationTest, AnswersArriveWholeOrAreRefused) {
    start(0);
    ASSERT_EQ(sim->command("fault demo-answer slashed"), "ok");
    shell::LoginRegistrationWindowController* sheet = submit();
    ASSERT_TRUE(resultShown(sheet));
    EXPECT_TRUE(login->usernameTextField->text().endsWith("/a#b"));
    EXPECT_EQ(login->passwordTextField->text().mid(2, 2), "/#");
    EXPECT_EQ(login->passwordTextField->text().size(), 8);
    sheet->resultAlert()->defaultButton()->click();
    ASSERT_TRUE(runUntil([&] { return !sheet->isVisible(); }));
    // A result after the sheet closed changes nothing.
    login->usernameTextField->setText("kept");
    platform::NotificationCenter::defaultCenter().post(
        "DemoUserCreationNotification", std::make_shared<const state::DemoUserCreated>(nullptr, "late", "late"));
    EXPECT_EQ(login->usernameTextField->text(), "kept");

    ASSERT_EQ(sim->command("fault demo-answer no-password"), "ok");
    sheet = submit();
    const auto refused = [] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w);
                box && box->isVisible() && box->informativeText().contains(QString::fromStdString(integration::tr("0314"))))
                return true;
        return false;
    };
    ASSERT_TRUE(runUntil(refused, 10000));
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->resultAlert(), nullptr);
    EXPECT_EQ(login->usernameTextField->text(), "kept");
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w)) delete w;
}

TEST_F(DemoRegistrationTest, AResultWithMarkupIsShownAsTypedAndOpensNothing) {
    start(0);
    ASSERT_EQ(sim->command("fault demo-answer markup"), "ok");
    shell::LoginRegistrationWindowController* sheet = submit();
    ASSERT_TRUE(resultShown(sheet));
    const QString user = login->usernameTextField->text();
    EXPECT_TRUE(user.endsWith("<a href=\"file:///x\">x</a><img src=/nonexistent.png>"));
    bool shownWhole = false;
    for (const QLabel* label : sheet->resultAlert()->findChildren<QLabel*>()) {
        const kit::testing::Shown shown = kit::testing::shownBy(*label);
        EXPECT_TRUE(shown.loaded.isEmpty()) << shown.loaded.join(",").toStdString();
        shownWhole |= shown.text.contains(user);
    }
    EXPECT_TRUE(shownWhole);
    sheet->resultAlert()->defaultButton()->click();
}

TEST_F(DemoRegistrationTest, DrawerHoldsTheConnectionSettings) {
    for (const std::int64_t theme : {0, 1}) {
        start(theme);
        EXPECT_FALSE(login->isDrawerOpen());
        login->drawerButton->click();
        EXPECT_TRUE(login->isDrawerOpen() && login->serverTextField->isVisible());
        saveScreenshot(login, QString("login-drawer-open-") + (theme ? "light" : "dark"));
        login->drawerButton->click();
        EXPECT_FALSE(login->isDrawerOpen());
        if (theme == 1) {
            login->demouserCreationButton->click();
            saveScreenshot(delegate->registrationWindow(), "demo-registration-empty-light");
            delegate->registrationWindow()->closeModal();
        }
        delegate.reset();
    }
    QApplication::setPalette(kit::ThemeManager::palette(0));
    start(0);
    // A missing port is refused with the drawer open, so the field shows.
    login->setFields({"trader", "secret1", "127.0.0.1", ""});
    delegate->loginButtonClicked();
    EXPECT_TRUE(login->isDrawerOpen());
    login->setFields({"trader", "secret1", "127.0.0.1", std::to_string(sim->sessionPort())});
    delegate->loginButtonClicked();
    ASSERT_TRUE(runUntil([&] { return delegate->mWindowController() != nullptr; }, 10000));
    EXPECT_FALSE(login->isDrawerOpen());
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<QMessageBox*>(w)) delete w;
}

}  // namespace
