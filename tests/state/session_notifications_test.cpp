// Banners, alerts, sounds and notifications that the session raises.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "model/account_details.h"
#include "model/language_string.h"
#include "model/login_inputdata.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"
#include "state/session_notifications.h"

namespace state {
namespace {

using namespace std::chrono_literals;

std::string tr(const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

class NotificationsTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        ui.login.setUserName("alice");
        session = BusinessBase::create(ui, ui);
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        FakeTimeTest::TearDown();
    }
    void observe(const std::string& name) {
        tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
            name, [this](const platform::Notification& n) {
                order.push_back(n.name);
                last[n.name] = n;
            }));
    }

    testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> order;
    std::map<std::string, platform::Notification> last;
};

std::shared_ptr<model::Order> position(const std::string& remaining) {
    auto o = std::make_shared<model::Order>();
    o->AccountNumber = "1001";
    o->OpenPositionId = "77";
    o->ItemCode = "GOLD";
    o->RemainingQty = remaining;
    o->OrderPrice = "1801.5";
    o->tradingMode = model::Order::kBuy;
    return o;
}

// Each list that changes announces its table once, however many changes a
// slice makes; a message that changes no list announces nothing.
TEST_F(NotificationsTest, AChangedListAnnouncesItsTableOncePerSlice) {
    ReferenceDataTestAccess::AccountDetailCollection(SessionTestAccess::referenceData(*session))
        .set("1001", std::make_shared<model::AccountDetails>());  // held, for the pie
    using namespace notifications;
    for (const char* name : {kOpenPositionTable, kPieChartUpdate, kPendingOrderTable, kSettledPositionTable,
                             kCancelledOrderTable, kExecutedPositionTable, kJournalTable, kWatchlistTable,
                             kDepositWithdrawalTable})
        observe(name);
    const struct {
        int type;
        std::vector<std::string> fields;  // a field ending in "#" takes the message's number
        std::multiset<std::string> tables;
    } rows[] = {
        {62, {"73=28", "79=P#", "12=GOLD"}, {kPendingOrderTable, kJournalTable}},
        {67, {"73=74", "80=X#", "12=GOLD", "76=1"}, {kExecutedPositionTable, kJournalTable, kOpenPositionTable, kPieChartUpdate}},
        {66, {"80=X#", "86=S#"}, {kSettledPositionTable, kJournalTable}},
        {1045, {"34=1001", "106=100"}, {kPieChartUpdate}},
        {1045, {"34=4040", "106=100"}, {}},  // an account not held
        {62, {"73=21"}, {}},                   // status New changes no list
        {1052, {}, {}},
        {1049, {"12=GOLD", "574=3"}, {kWatchlistTable}},
    };
    for (const auto& row : rows) {
        order.clear();
        for (const char* i : {"0", "1", "2"}) {
            std::vector<std::string> fields = {"10=" + std::to_string(row.type)};
            for (std::string f : row.fields) fields.push_back(f.back() == '#' ? f.replace(f.size() - 1, 1, i) : f);
            state::SessionTestAccess::checkNewMessage(*session, state::IncomingMessage::ofFields(row.type, fields));
        }
        loop->runUntilIdle();
        EXPECT_EQ(std::multiset<std::string>(order.begin(), order.end()), row.tables) << row.type;
    }
    // Lists a data-service answer refills, announced twice in a slice: once too.
    order.clear();
    for (int i = 0; i < 2; ++i) {
        SessionTestAccess::orderBook(*session).executedPositionSearchNotification();
        SessionTestAccess::funds(*session).clearFinancialTransactions();
    }
    loop->runUntilIdle();
    EXPECT_EQ(order, (std::vector<std::string>{kExecutedPositionTable, kDepositWithdrawalTable}));
}

TEST_F(NotificationsTest, TradeConfirmationAsBannerOrModalAlert) {
    state::SessionTestAccess::orderBook(*session).orderexecutedNotification(position("2"));
    ASSERT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), 1u);  // kind 6, written at once
    EXPECT_NE(state::SessionTestAccess::journal(*session).JournalDataCollection()[0].find("#77 @1801.5"), std::string::npos);
    loop->runUntilIdle();
    EXPECT_EQ(ui.events, (std::vector<std::string>{"sound:order", "banner", "local"}));
    ASSERT_EQ(ui.banners.size(), 1u);
    EXPECT_EQ(ui.banners[0].subtitle, tr("0307"));
    EXPECT_EQ(ui.banners[0].dismissDelayTime, 5.0);
    std::string expected = tr("0012") + " : 1001\n" + tr("0075") + " : 77\n";
    EXPECT_EQ(ui.banners[0].informativeText.substr(0, expected.size()), expected);
    EXPECT_NE(ui.banners[0].informativeText.find(" @ 1801.5"), std::string::npos);

    ui.events.clear();
    ui.confirmationAlert = true;
    state::SessionTestAccess::orderBook(*session).orderexecutedNotification(position("1"));
    loop->runUntilIdle();
    EXPECT_EQ(ui.events, (std::vector<std::string>{"sound:order", "alert", "local"}));
}

TEST_F(NotificationsTest, NoConfirmationForAnEmptyPosition) {
    state::SessionTestAccess::orderBook(*session).orderexecutedNotification(position("0"));
    state::SessionTestAccess::orderBook(*session).orderexecutedNotification(position("-1"));
    state::SessionTestAccess::orderBook(*session).orderexecutedNotification(nullptr);
    loop->runUntilIdle();
    EXPECT_TRUE(ui.events.empty());
    EXPECT_TRUE(state::SessionTestAccess::journal(*session).JournalDataCollection().empty());
}

TEST_F(NotificationsTest, ChatBannerNotForTheUserThemself) {
    state::SessionTestAccess::chat(*session).setChatUserName("alice-chat");
    state::SessionTestAccess::chat(*session).NewChatMessageNotification({"alice", "hello", "room"});
    state::SessionTestAccess::chat(*session).NewChatMessageNotification({"alice-chat", "hello", "room"});
    state::SessionTestAccess::chat(*session).NewChatMessageNotification({"bob"});  // too short: dropped
    EXPECT_TRUE(ui.banners.empty());
    state::SessionTestAccess::chat(*session).NewChatMessageNotification({"bob", "hi there", "Desk"});
    ASSERT_EQ(ui.banners.size(), 1u);
    EXPECT_EQ(ui.banners[0].subtitle, tr("20240") + " : Desk");
    EXPECT_EQ(ui.banners[0].informativeText, "hi there");
    EXPECT_EQ(ui.banners[0].dismissDelayTime, 15.0);
    EXPECT_EQ(ui.locals.size(), 1u);
}

TEST_F(NotificationsTest, MarginCallBanner) {
    state::SessionTestAccess::accountLedger(*session).MarginCallNotification("1001");
    ASSERT_EQ(ui.banners.size(), 1u);
    EXPECT_EQ(ui.banners[0].subtitle, tr("0012") + " : 1001");
    EXPECT_EQ(ui.banners[0].informativeText, tr("20217"));
    EXPECT_EQ(ui.banners[0].dismissDelayTime, 30.0);
    ASSERT_EQ(ui.locals.size(), 1u);
    EXPECT_EQ(ui.locals[0].text, tr("20217"));
}

TEST_F(NotificationsTest, SettledBannerFollowsItsTable) {
    std::size_t bannersWhenPosted = 9;
    tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
        "SettledPositionTableNotification", [&](const platform::Notification&) { bannersWhenPosted = ui.banners.size(); }));
    state::SessionTestAccess::checkNewMessage(*session, state::IncomingMessage::ofFields(66, {"10=66", "86=55"}));
    loop->runUntilIdle();
    EXPECT_EQ(bannersWhenPosted, 0u);
    ASSERT_EQ(ui.banners.size(), 1u);
    ui.banners.clear();
    state::SessionTestAccess::orderBook(*session).ShowSettledOrderNotification("GOLD#1790#55");
    EXPECT_TRUE(ui.banners.empty());  // on the main queue
    loop->runUntilIdle();
    ASSERT_EQ(ui.banners.size(), 1u);
    EXPECT_EQ(ui.banners[0].informativeText, "#55\n" + tr("1020") + " GOLD @1790 ");
    EXPECT_EQ(ui.banners[0].subtitle, tr("10980"));
}

TEST_F(NotificationsTest, ChartDataNameCarriesTheNumber) {
    observe("ChartDataReceivedNotification7");
    state::SessionTestAccess::dataServiceAnswers(*session).chartDataReceivedNotification(7);
    loop->runUntilIdle();
    ASSERT_EQ(order.size(), 1u);
    ASSERT_TRUE(last["ChartDataReceivedNotification7"].as<TextPayload>());
    EXPECT_EQ(last["ChartDataReceivedNotification7"].as<TextPayload>()->text, "7");
}

std::shared_ptr<model::ApprovalReq> approval() {
    auto held = std::make_shared<model::ApprovalReq>();
    model::ApprovalReq& r = *held;
    r.approvalRequestId = 31;
    r.requestedDateTime = "20240102030405";
    r.remarks = "ok";
    auto money = std::make_shared<model::FinancialApproval>();
    money->beneficiaryAccount = 1001;
    money->benefactorAccount = 2002;
    money->transferMode = 2;
    money->dateOfTransaction = "20231231000000";
    money->approvedAmount = 1234.5;
    money->bankName = "Bank";
    money->branch = "Main";
    money->sourceBankAccount = "S1";
    money->destinationBankAccount = "D1";
    r.information = money;
    return held;
}

TEST_F(NotificationsTest, DepositAndWithdrawalDetailLines) {
    observe("DepositRequestNotification");
    observe("WithdrawalRequestNotification");
    state::SessionTestAccess::funds(*session).approvalNotificationForActionType(801, approval());
    state::SessionTestAccess::funds(*session).approvalNotificationForActionType(802, approval());
    loop->runUntilIdle();
    ASSERT_TRUE(last["DepositRequestNotification"].as<DetailLines>());
    const auto& deposit = last["DepositRequestNotification"].as<DetailLines>()->lines;
    ASSERT_EQ(deposit.size(), 11u);
    EXPECT_EQ(deposit[0], tr("0725") + "\x03" "31");
    EXPECT_EQ(deposit[1], tr("0012") + "\x03" "1001");
    EXPECT_EQ(deposit[2], tr("0726") + "\x03" "01/02/2024");
    EXPECT_EQ(deposit[3], tr("0714") + "\x03" "BankTransfer");  // the record's own mode
    EXPECT_EQ(deposit[4], tr("0715") + "\x03" "12/31/2023");
    EXPECT_EQ(deposit[5], tr("0590") + "\x03" "1234.50");
    EXPECT_EQ(deposit[10], tr("0622") + "\x03" "ok");
    ASSERT_TRUE(last["WithdrawalRequestNotification"].as<DetailLines>());
    const auto& withdrawal = last["WithdrawalRequestNotification"].as<DetailLines>()->lines;
    ASSERT_EQ(withdrawal.size(), 5u);
    EXPECT_EQ(withdrawal[1], tr("0012") + "\x03" "2002");
    EXPECT_EQ(withdrawal[3], tr("0590") + "\x03" "1234.50");
}

TEST_F(NotificationsTest, ApprovalBannersBySubType) {
    auto r = approval();
    r->approvalSubType = 2;
    state::SessionTestAccess::funds(*session).approvalNotificationForActionType(930, r);
    r->approvalSubType = 1;
    state::SessionTestAccess::funds(*session).approvalNotificationForActionType(931, r);
    r->approvalSubType = 3;
    state::SessionTestAccess::funds(*session).approvalNotificationForActionType(930, r);
    state::SessionTestAccess::funds(*session).approvalNotificationForActionType(999, r);
    loop->runUntilIdle();
    ASSERT_EQ(ui.banners.size(), 2u);
    EXPECT_EQ(ui.banners[0].subtitle, tr("1182"));
    EXPECT_EQ(ui.banners[0].informativeText, tr("0012") + " : 2002\n" + tr("0590") + " : 1234.50");
    EXPECT_EQ(ui.banners[1].subtitle, tr("1183"));
    EXPECT_EQ(ui.banners[1].informativeText, tr("0012") + " : 1001\n" + tr("0590") + " : 1234.50");
    EXPECT_EQ(ui.locals.size(), 2u);
}

// Each component posts what announces its own change, once, on the queue
// where the handlers ran it before.
TEST_F(NotificationsTest, EachComponentPostsItsNotificationOnce) {
    struct Case {
        const char* name;
        std::function<void(BusinessBase&)> post;
    };
    const std::vector<Case> cases = {
        {notifications::kCloseHedgePosition, [](BusinessBase& s) { state::SessionTestAccess::orderBook(s).CloseHedgedPositionsNotification(); }},
        {notifications::kBulkClose, [](BusinessBase& s) { state::SessionTestAccess::orderBook(s).bulkCloseRejectedNotification("R1", "no"); }},
        {notifications::kPendingOrder, [](BusinessBase& s) { state::SessionTestAccess::orderBook(s).PendingOrderNotification(position("1")); }},
        {notifications::kChatQueueStatusUpdate, [](BusinessBase& s) { state::SessionTestAccess::chat(s).ChatQueueStatusUpdateNotification(); }},
        {notifications::kNoticeMessageReceived, [](BusinessBase& s) { state::SessionTestAccess::chat(s).NoticeMessageReceivedNotification("9"); }},
        {notifications::kPasswordChange, [](BusinessBase& s) { state::SessionTestAccess::loginHandshake(s).passwordChangeNotification(); }},
        {notifications::kLoginSuccess, [](BusinessBase& s) { state::SessionTestAccess::loginHandshake(s).LoginSuccessNotification(); }},
        {notifications::kNetworkSpeed, [](BusinessBase& s) { state::SessionTestAccess::pingMonitor(s).postnetworkspeedNotification("x"); }},
        {notifications::kAccountStatement, [](BusinessBase& s) { state::SessionTestAccess::funds(s).accountStatementUpdateNotification(); }},
        {notifications::kBankDetails, [](BusinessBase& s) { state::SessionTestAccess::funds(s).bankDetailsReceivedNotification(); }},
    };
    for (const Case& c : cases) observe(c.name);
    for (const Case& c : cases) {
        order.clear();
        c.post(*session);
        loop->runUntilIdle();
        EXPECT_EQ(order, std::vector<std::string>{c.name}) << c.name;
    }
}

}  // namespace
}  // namespace state
