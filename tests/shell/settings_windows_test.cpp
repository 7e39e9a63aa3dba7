// The settings panel and its sheets offscreen over a session of one account:
// the panel's entries, the password checks and the sheet's life, the font-size
// lists and the account-access lists, requests and answers.
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>

#include "kit/core/sound_notification.h"
#include "kit/fake_context.h"
#include "kit/qt_test_app.h"
#include "orders/order_fixture.h"
#include "shell/account_access_setting_window_controller.h"
#include "shell/change_password_window_controller.h"
#include "shell/font_size_settings_window_controller.h"
#include "shell/idle_timeout_window.h"
#include "shell/settings_window_controller.h"
#include "state/notification_payloads.h"

namespace shell {
namespace {

using orders::testing::tr;
using Strings = std::vector<std::string>;

class SettingsWindowsTest : public orders::testing::OrderFixture {
public:
    void SetUp() override {
        OrderFixture::SetUp();
        auto user = std::make_shared<model::UserInfo>();
        user->UserId = 11;
        user->CanChangePassword = true;
        state::ReferenceDataTestAccess::userInfo(state::SessionTestAccess::referenceData(*session)) = user;
        account->primaryAccountHolderUserid = 11;
        account->AccountName = "Main";
        ui.login.setPassword("secret1");
        fake = std::make_unique<kit::testing::FakeContext>(*session, *session, *manager, session);
    }
    void TearDown() override {
        panel.reset();
        fake.reset();
        OrderFixture::TearDown();
    }
    SettingsWindowController& openPanel() {
        panel = std::make_unique<SettingsWindowController>(fake->context);
        panel->show();
        return *panel;
    }
    void seedMaps(std::uint64_t accountId, std::vector<model::UserAccountMaps> maps) {
        auto& all = state::ReferenceDataTestAccess::userAccountMapCollection(state::SessionTestAccess::referenceData(*session));
        for (auto& m : maps) {
            m.accountId = accountId;
            all.set(state::Queries::userAccountMapKey(m.userId, accountId), std::make_shared<model::UserAccountMaps>(m));
        }
    }
    std::uint64_t heldRight(std::uint64_t userId) const {
        for (const auto& m : state::viewOf(*session).getUserMappedWithAccount(1001))
            if (m->userId == userId) return m->accountAccessTypeId;
        return 0;
    }
    static void post(const char* name) { platform::NotificationCenter::defaultCenter().post(name); }
    Strings& alerts() { return fake->ui.alerts; }

    std::unique_ptr<kit::testing::FakeContext> fake;
    std::unique_ptr<SettingsWindowController> panel;
};

TEST_F(SettingsWindowsTest, PanelEntriesAreDecidedOnceFromStoreUserAndNetwork) {
    fake->store.set("Theme", std::int64_t{5});
    SettingsWindowController& p = openPanel();
    EXPECT_TRUE(p.SoundsButton->isChecked());  // no "SoundKey": sounds on, the box ticked
    EXPECT_FALSE(p.themeButton->isChecked());  // a theme other than 0 and 1 leaves the box
    EXPECT_EQ(p.themeButton->text(), "Light theme");  // a choice, the same ticked or not
    EXPECT_TRUE(p.ChangePasswordButton->isEnabled());
    EXPECT_TRUE(p.accountAccessSettingsBox->isVisibleTo(&p));
    p.SoundsButton->click();  // unticked: sounds off
    EXPECT_TRUE(fake->store.boolForKey(kit::SoundNotification::kSoundKey));
    p.SoundsButton->click();
    EXPECT_FALSE(fake->store.boolForKey(kit::SoundNotification::kSoundKey));
    p.IdleTimeoutButtonClicked();
    ASSERT_TRUE(p.idleTimeoutWindowController());
    EXPECT_TRUE(p.idleTimeoutWindowController()->isVisible());
    p.idleTimeoutWindowController()->reject();

    state::servicesOf(*session).connection().isNetworkAvailable = false;
    p.ChangePasswordButtonClicked();
    EXPECT_EQ(alerts(), Strings{tr("10980") + ": " + tr("1007")});
    EXPECT_EQ(p.changePasswordWindowController(), nullptr);
}

TEST_F(SettingsWindowsTest, PasswordChecksTheSheetsLifeAndTheConfirmation) {
    SettingsWindowController& p = openPanel();
    p.ChangePasswordButtonClicked();
    ChangePasswordWindowController* sheet = p.changePasswordWindowController();
    ASSERT_TRUE(sheet && sheet->isVisible());
    sheet->OldPasswordTextField->setText("nope");
    sheet->ChangePasswordButtonClicked();  // a refusal keeps the sheet and its text
    EXPECT_EQ(alerts(), Strings{tr("10980") + ": " + tr("20245")});
    EXPECT_EQ(sheet->OldPasswordTextField->text(), "nope");
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sent, 0);

    // Separator bytes typed or pasted are refused; the field keeps its text.
    sheet->NewPasswordField->setText("new1");
    sheet->NewPasswordField->insert(QString("x\x03y"));
    QGuiApplication::clipboard()->setText(QString("p\x01q"));
    sheet->NewPasswordField->paste();
    EXPECT_EQ(sheet->NewPasswordField->text(), "new1");

    sheet->OldPasswordTextField->setText("secret1");
    sheet->ConfirmPasswordField->setText("new1");
    alerts().clear();
    post(state::notifications::kPasswordChange);  // the server's acceptance while open
    EXPECT_EQ(alerts(), Strings{tr("10980") + ": " + tr("0369")});
    sheet->ChangePasswordButtonClicked();
    EXPECT_EQ(sent, 1);
    kit::testing::runFor(150);
    EXPECT_TRUE(sheet->isVisible());
    ASSERT_TRUE(kit::testing::runUntil([&] { return !sheet->isVisible(); }, 2000));
    EXPECT_FALSE(sheet->initiated());
    alerts().clear();
    post(state::notifications::kPasswordChange);  // after the sheet closed: nothing shown
    EXPECT_TRUE(alerts().empty());

    p.ChangePasswordButtonClicked();  // opened again: empty fields, listening again
    EXPECT_TRUE(sheet->OldPasswordTextField->text().isEmpty());
    EXPECT_TRUE(sheet->initiated());
}

TEST_F(SettingsWindowsTest, FontSizesWriteBothKeysAndKeepAnUnlistedSize) {
    fake->preferences.saveFontSizeInfo(14, kit::PreferenceManager::kWatchlistFontSize);
    fake->preferences.saveFontSizeInfo(16, kit::PreferenceManager::kPositionsFontSize);
    SettingsWindowController& p = openPanel();
    p.fontSizeSettingButtonClicked();
    FontSizeSettingsWindowController* sheet = p.fontSizeSettingsWindowController();
    ASSERT_TRUE(sheet && !sheet->applyButton->isEnabled());
    EXPECT_EQ(sheet->watchlistComboBox->currentText(), "");
    EXPECT_EQ(sheet->positionsComboBox->currentText().toStdString(), tr("11025"));
    sheet->comboBoxSelectionIsChanging(sheet->watchlistComboBox);  // an empty text is not an item
    EXPECT_TRUE(sheet->applyButton->isEnabled());
    EXPECT_EQ(sheet->wlFontSize(), 14u);
    sheet->applyButtonClicked();
    EXPECT_EQ(fake->preferences.getFontSizeInfoForKey(kit::PreferenceManager::kWatchlistFontSize), 14u);
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(SettingsWindowsTest, AccountAccessAsksOnceAndChangesTheMapOnlyOnSuccess) {
    SettingsWindowController& p = openPanel();
    p.accountAccessSettingButtonClicked();
    AccountAccessSettingWindowController* sheet = p.accountAccessSettingWindowController();
    ASSERT_TRUE(sheet && sheet->isVisible());
    EXPECT_EQ(sent, 1);  // no map held: asked for once
    EXPECT_NE(body().find("getusermapwithmyaccount"), std::string::npos);
    EXPECT_EQ(kit::testing::comboItems(sheet->accountComboBox), Strings{"1001"});
    EXPECT_EQ(sheet->accountNameLabel->text(), "Main");
    EXPECT_FALSE(sheet->rightsComboBox->isEnabled());
    EXPECT_EQ(sheet->rightsComboBox->currentText(), "Trade");

    seedMaps(1001, {{11, 0, 1, "trader"}, {18, 0, 3, "assistant"}, {19, 0, 7, "odd"}});
    post(state::notifications::kUserAccountMap);
    EXPECT_EQ(sent, 1);
    EXPECT_EQ(kit::testing::comboItems(sheet->userComboBox), (Strings{"18", "19"}));
    EXPECT_EQ(sheet->rightsComboBox->currentText(), "View Trade");
    EXPECT_FALSE(sheet->applyButton->isEnabled());

    sheet->rightsComboBox->setCurrentText("View Market");
    sheet->comboBoxSelectionIsChanging(sheet->rightsComboBox);
    sheet->applyButtonClicked();
    EXPECT_EQ(sent, 2);
    EXPECT_NE(body().find(std::string("18\x05" "1001\x05" "4\x05\x06")), std::string::npos);
    EXPECT_EQ(heldRight(18), 3u);  // nothing changes before the answer
    post(state::notifications::kEditUserAccountAccessSuccess);
    EXPECT_EQ(heldRight(18), 4u);
    EXPECT_FALSE(sheet->isVisible());

    p.accountAccessSettingButtonClicked();  // map held: no request
    EXPECT_EQ(sent, 2);
    post(state::notifications::kEditUserAccountAccessFailure);
    post(state::notifications::kEditUserAccountAccessSuccess);  // after the close: nothing
    EXPECT_EQ(heldRight(18), 4u);
}

}  // namespace
}  // namespace shell
