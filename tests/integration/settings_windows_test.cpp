// The settings panel and its sheets against the simulator: a password change
// that a new login accepts, an access right changed and refused, font sizes
// the watchlist draws, the theme switched at once, and the panel of a user
// who holds no account.
#include <QTest>

#include "integration/app_window_fixture.h"
#include "kit/core/preference_manager.h"
#include "shell/account_access_setting_window_controller.h"
#include "shell/change_password_window_controller.h"
#include "shell/font_size_settings_window_controller.h"
#include "shell/settings_window_controller.h"
#include "views/watchlist_table_controller.h"

namespace {

using kit::testing::runUntil;
using kit::testing::saveScreenshot;

class SettingsSimTest : public integration::LoggedInWindowTest {
public:
    SettingsSimTest() : LoggedInWindowTest("settings_sim") {}

    shell::SettingsWindowController* openPanel() {
        delegate->mWindowController()->runCommand("SettingsButtonClicked");
        return dynamic_cast<shell::SettingsWindowController*>(
            delegate->mWindowController()->keptWindow("SettingsWindowController"));
    }
    std::uint64_t heldRight(std::uint64_t userId) const {
        for (const auto& m : state::viewOf(*session).getUserMappedWithAccount(1001))
            if (m->userId == userId) return m->accountAccessTypeId;
        return 0;
    }
    // The sheet in each theme as the panel's theme box sets it: dark, then light.
    template <class Sheet>
    void screenshots(shell::SettingsWindowController& panel, Sheet* (shell::SettingsWindowController::*sheet)() const,
                     void (shell::SettingsWindowController::*open)(), const QString& name) {
        for (const bool light : {false, true}) {
            if (panel.themeButton->isChecked() != light) panel.themeButton->click();
            (panel.*open)();
            saveScreenshot((panel.*sheet)(), name + (light ? "-light" : "-dark"));
            (panel.*sheet)()->reject();
        }
        panel.themeButton->click();
    }
};

TEST_F(SettingsSimTest, PasswordChangeIsAcceptedByTheNextLogin) {
    shell::SettingsWindowController* panel = openPanel();
    ASSERT_TRUE(panel && panel->isVisible());
    for (const bool light : {false, true}) {
        if (panel->themeButton->isChecked() != light) panel->themeButton->click();
        EXPECT_TRUE(panel->accountAccessSettingsButton->isVisible());
        saveScreenshot(panel, QString("settings-trader-") + (light ? "light" : "dark"));
    }
    // The theme box switched the main window at once.
    EXPECT_EQ(delegate->mWindowController()->window()->palette().color(QPalette::Window),
              kit::ThemeManager::palette(1).color(QPalette::Window));
    EXPECT_EQ(prefs->integerForKey("Theme"), 1);
    panel->themeButton->click();
    EXPECT_EQ(delegate->mWindowController()->window()->palette().color(QPalette::Window),
              kit::ThemeManager::palette(0).color(QPalette::Window));
    screenshots(*panel, &shell::SettingsWindowController::changePasswordWindowController,
                &shell::SettingsWindowController::ChangePasswordButtonClicked, "change-password");

    panel->ChangePasswordButtonClicked();
    shell::ChangePasswordWindowController* sheet = panel->changePasswordWindowController();
    sheet->OldPasswordTextField->setText("secret1");
    sheet->NewPasswordField->setText("fresh22");
    sheet->ConfirmPasswordField->setText("fresh22");
    QTest::mouseClick(sheet->changeButton, Qt::LeftButton);
    ASSERT_TRUE(runUntil([&] { return !sheet->isVisible(); }, 3000));
    ASSERT_TRUE(runUntil([&] { return state::viewOf(*session).loginPassword() == "fresh22"; }, 5000));

    delegate.reset();
    ASSERT_TRUE(startAndLogIn(recordedParts(), "trader", "fresh22"));
}

TEST_F(SettingsSimTest, AccessRightChangesOnlyWhenTheServerAccepts) {
    shell::SettingsWindowController* panel = openPanel();
    ASSERT_TRUE(panel);
    panel->accountAccessSettingButtonClicked();
    shell::AccountAccessSettingWindowController* sheet = panel->accountAccessSettingWindowController();
    ASSERT_TRUE(runUntil([&] { return sheet->userComboBox->currentText() == "18"; }, 5000));
    EXPECT_EQ(sheet->userNameLabel->text(), "assistant");
    EXPECT_EQ(sheet->rightsComboBox->currentText(), "View Trade");
    sheet->reject();
    screenshots(*panel, &shell::SettingsWindowController::accountAccessSettingWindowController,
                &shell::SettingsWindowController::accountAccessSettingButtonClicked, "account-access");

    const auto apply = [&](const char* right) {
        panel->accountAccessSettingButtonClicked();
        sheet->rightsComboBox->setCurrentText(right);
        sheet->comboBoxSelectionIsChanging(sheet->rightsComboBox);
        QTest::mouseClick(sheet->applyButton, Qt::LeftButton);
        return runUntil([&] { return !sheet->isVisible(); }, 5000);
    };
    ASSERT_TRUE(apply("View Market"));
    EXPECT_EQ(heldRight(18), 4u);
    ASSERT_EQ(sim->command("fault addedituac failure"), "ok");
    ASSERT_TRUE(apply("Trade"));
    EXPECT_EQ(heldRight(18), 4u);
}

TEST_F(SettingsSimTest, AppliedFontSizesAreStoredAndDrawn) {
    shell::SettingsWindowController* panel = openPanel();
    ASSERT_TRUE(panel);
    screenshots(*panel, &shell::SettingsWindowController::fontSizeSettingsWindowController,
                &shell::SettingsWindowController::fontSizeSettingButtonClicked, "font-sizes");
    prefs->remove(kit::PreferenceManager::kPositionsFontSize);
    panel->fontSizeSettingButtonClicked();
    shell::FontSizeSettingsWindowController* sheet = panel->fontSizeSettingsWindowController();
    sheet->watchlistComboBox->setCurrentIndex(3);  // only the watchlist's size chosen: both keys written
    sheet->comboBoxSelectionIsChanging(sheet->watchlistComboBox);
    QTest::mouseClick(sheet->applyButton, Qt::LeftButton);
    EXPECT_EQ(prefs->integerForKey(kit::PreferenceManager::kWatchlistFontSize), 20);
    EXPECT_TRUE(prefs->hasKey(kit::PreferenceManager::kPositionsFontSize));
    views::WatchlistTableController* watchlist = delegate->mWindowController()->watchlist();
    ASSERT_GT(watchlist->rowCount(), 0);
    EXPECT_EQ(watchlist->rowFont().pointSize(), 20);
}

class AssistantSettingsTest : public integration::AppWindowTest {
public:
    AssistantSettingsTest() : AppWindowTest("settings_assistant") {}
};

TEST_F(AssistantSettingsTest, PanelWithoutAccountAccessOrPasswordChange) {
    ASSERT_TRUE(startAndLogIn(recordedParts(), "assistant", "assist18"));
    delegate->mWindowController()->runCommand("SettingsButtonClicked");
    auto* panel = dynamic_cast<shell::SettingsWindowController*>(
        delegate->mWindowController()->keptWindow("SettingsWindowController"));
    ASSERT_TRUE(panel);
    EXPECT_FALSE(panel->accountAccessSettingsButton->isVisible());
    EXPECT_FALSE(panel->ChangePasswordButton->isEnabled());
    EXPECT_EQ(panel->height(), shell::SettingsWindowController::kHeightWithoutAccountAccess);
    for (const bool light : {false, true}) {
        if (panel->themeButton->isChecked() != light) panel->themeButton->click();
        saveScreenshot(panel, QString("settings-assistant-") + (light ? "light" : "dark"));
    }
    QApplication::setPalette(kit::ThemeManager::palette(0));
}

}  // namespace
