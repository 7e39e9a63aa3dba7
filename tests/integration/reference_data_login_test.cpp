// Logging in to the loopback simulator fills the reference data, in the
// compact form and in the XML form.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "integration/sim_login.h"
#include "model/language_string.h"
#include "platform/main_executor.h"
#include "platform/test_env.h"
#include "platform/notification_center.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"

namespace {

using namespace std::chrono_literals;
using state::BusinessBase;

class ReferenceDataLoginTest : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
    }
    void TearDown() override {
        if (token) platform::NotificationCenter::defaultCenter().removeObserver(*token);
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
    }
    void login(const std::string& form, std::vector<std::string> simArgs = {}) {
        simArgs.insert(simArgs.end(), {"--login-form", form});
        sim = integration::SimProcess::start(TRADING_SIM_PATH, simArgs);
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
        integration::setLogin(ui.login, *sim);
        session = BusinessBase::create(ui, ui);
        token = platform::NotificationCenter::defaultCenter().addObserver(
            "LoginSuccessNotification", [this](const platform::Notification&) { loggedIn = true; });
        state::commandsOf(*session).StreamingConnection(true, false);
        ASSERT_TRUE(integration::pump(*loop, [&] { return loggedIn || !ui.loginMessages.empty(); }));
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::unique_ptr<integration::SimProcess> sim;
    state::testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::optional<platform::NotificationCenter::Token> token;
    bool loggedIn = false;
};

TEST_P(ReferenceDataLoginTest, FillsUserAccountsGroupsAndSessionSettings) {
    const std::string form = GetParam();
    login(form);
    BusinessBase& s = *session;

    // The user with the channel ports that the accepted login connects to.
    ASSERT_TRUE(state::SessionTestAccess::referenceData(s).userInfo());
    EXPECT_EQ(state::SessionTestAccess::referenceData(s).userInfo()->UserId, 11);
    EXPECT_TRUE(state::SessionTestAccess::referenceData(s).userInfo()->UserEnabled);
    EXPECT_TRUE(state::SessionTestAccess::referenceData(s).userInfo()->CanChangePassword);
    EXPECT_EQ(state::SessionTestAccess::referenceData(s).userInfo()->marketdepthPort, sim->sessionPort() + 1);
    EXPECT_EQ(state::SessionTestAccess::referenceData(s).userInfo()->hdServerPort, sim->sessionPort() + 2);
    EXPECT_EQ(state::SessionTestAccess::referenceData(s).userInfo()->productID, form == "xml" ? 0u : 7u);

    // The user's three accounts, in the order received, with derived statuses.
    ASSERT_EQ(state::SessionTestAccess::referenceData(s).AccountDetailCollection().size(), 3u);
    EXPECT_EQ(state::SessionTestAccess::referenceData(s).AccountDetailCollection().first()->first, "1001");
    const auto& main = **state::SessionTestAccess::referenceData(s).AccountDetailCollection().find("1001");
    EXPECT_EQ(main.AccountName, "Trader main");
    EXPECT_EQ(main.GroupId, "10");
    EXPECT_DOUBLE_EQ(main.Balance, 50000);
    // The margin its open positions hold, both sides and the larger side of each instrument.
    EXPECT_DOUBLE_EQ(main.UsedMargin, 16913.10);
    EXPECT_DOUBLE_EQ(main.oneSideMargin, form == "xml" ? 0 : 10806.90);  // the XML form has no such column
    EXPECT_DOUBLE_EQ(main.AvailableMargin, 50000 - 16913.10);
    EXPECT_EQ(main.accountaccessType, 1);
    EXPECT_EQ(main.tradingStatus, 1);
    const auto& viewOnly = **state::SessionTestAccess::referenceData(s).AccountDetailCollection().find("1003");
    EXPECT_EQ(viewOnly.accountaccessType, 3);
    EXPECT_EQ(viewOnly.tradingStatus, 2);

    // Their two groups with every group instrument.
    ASSERT_EQ(state::SessionTestAccess::referenceData(s).GroupDetailCollection().size(), 2u);
    const auto& standard = **state::SessionTestAccess::referenceData(s).GroupDetailCollection().find("10");
    EXPECT_EQ(standard.Name, "Standard");
    EXPECT_EQ(standard.GroupInstrumentCollection.size(), 22u);
    EXPECT_EQ((*state::SessionTestAccess::referenceData(s).GroupDetailCollection().find("20"))->GroupInstrumentCollection.size(), 22u);
    const auto& first = *standard.GroupInstrumentCollection.at("1");
    EXPECT_EQ(first.margincalculationMode, 1);
    EXPECT_DOUBLE_EQ(first.InitialMargin, 4070.8);
    EXPECT_DOUBLE_EQ(first.BuyInterestRate, -2.5);
    EXPECT_EQ(first.PLCalcModeId, form == "xml" ? 1 : 0);

    // Session settings with colour and rights.
    ASSERT_EQ(state::SessionTestAccess::referenceData(s).SessionSettingCollection().size(), 3u);
    const auto& open = **state::SessionTestAccess::referenceData(s).SessionSettingCollection().find("1");
    EXPECT_EQ(open.settingsName, "Open");
    EXPECT_TRUE(open.allowNewTpSl);
    EXPECT_TRUE(open.allowNewMarket);
    ASSERT_TRUE(open.sessionColor.has_value());
    EXPECT_EQ(*open.sessionColor, (model::RGBAColor{0.0, 128 / 255.0, 0.0, 1.0}));
    const auto& closed = **state::SessionTestAccess::referenceData(s).SessionSettingCollection().find("2");
    EXPECT_FALSE(closed.allowNewTpSl);
    EXPECT_TRUE(closed.publishMarketData);

    // The compact form carries the login result record (code 1).
    if (form == "packed") {
        ASSERT_NE(state::SessionTestAccess::referenceData(s).firstLoginRecord(), nullptr);
        EXPECT_EQ(state::SessionTestAccess::referenceData(s).firstLoginRecord()->ErrorCode, 1);
    } else {
        EXPECT_TRUE(state::SessionTestAccess::referenceData(s).loginInfoMessageCollection().empty());
        EXPECT_TRUE(state::SessionTestAccess::referenceData(s).TableDataCollection().empty());  // let go once filled
    }
}

// Login data the server cut short (its frame and compressed payload whole) fails the login.
TEST_P(ReferenceDataLoginTest, LoginDataCutShortFailsTheLogin) {
    login(GetParam(), {"--fault", "login-cut=1500"});
    EXPECT_FALSE(loggedIn);
    ASSERT_EQ(ui.loginMessages.size(), 1u);
    EXPECT_EQ(ui.loginMessages[0].at("Message"), model::LanguageString::stringforSelectedLanguage(0, "1004"));
}

INSTANTIATE_TEST_SUITE_P(BothForms, ReferenceDataLoginTest, ::testing::Values("packed", "xml"));

}  // namespace
