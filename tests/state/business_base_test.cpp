// The session object: dispatch by type, the login steps, ping and network
// speed, the account answers, and the incoming path with its key switch.
#include "support/order_book_test_access.h"
#include "support/session_test_access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "model/base64.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "model/login_inputdata.h"
#include "platform/log.h"
#include "platform/notification_center.h"
#include "platform/preferences.h"
#include "platform/stepped_release.h"
#include "platform/test_env.h"
#include "protocol/login_data_limits.h"
#include "protocol/tags.h"
#include "protocol/envelope.h"
#include "protocol/session_key.h"
#include "protocol/wire_format.h"
#include "state/packed_fill_steps.h"
#include "state/xml_fill_steps.h"
#include "state/recording_ui_services.h"
#include "support/reference_data_test_access.h"
#include "state/session_notifications.h"

namespace state {
namespace {

using namespace std::chrono_literals;

// What the session asks of its components, and what it would send.
struct Recorder {
    std::vector<std::string> calls;
    std::vector<protocol::RequestMessage> sent;
    std::shared_ptr<model::PayGateTransaction> payGate;
    std::int64_t payGateError = 0;
};

class RecordingOrders : public OrderBook {
public:
    template <typename... Needs>
    RecordingOrders(Recorder& r, Needs&... needs) : OrderBook(needs...), r_(r) {}
    void RemovePendingOrder(const std::optional<std::string>& id, bool flag) override {
        r_.calls.push_back("RemovePendingOrder " + id.value_or("nil") + (flag ? " YES" : " NO"));
    }
    void FillCancelledOrderCollection(std::int32_t id, std::int32_t status, const MessageFields&) override {
        r_.calls.push_back("FillCancelledOrderCollection " + std::to_string(id) + " " + std::to_string(status));
    }
    void ModifyBracketOrderUpdateonOpenOrderCollection(const MessageFields&, const std::optional<std::string>& ref,
                                                       std::int32_t status) override {
        r_.calls.push_back("Bracket " + ref.value_or("nil") + " " + std::to_string(status));
    }
    void UpdatePendingOrderCollection(const MessageFields&, const std::optional<std::string>& id) override {
        r_.calls.push_back("UpdatePendingOrderCollection " + id.value_or("nil"));
    }
    void FillPendingOrderCollection(const MessageFields&, const std::optional<std::string>& id) override {
        r_.calls.push_back("FillPendingOrderCollection " + id.value_or("nil"));
    }

private:
    Recorder& r_;
};

class RecordingAnswers : public DataServiceAnswers {
public:
    template <typename... Needs>
    RecordingAnswers(Recorder& r, Needs&... needs) : DataServiceAnswers(needs...), r_(r) {}
    void sendFirstRequests() override { r_.calls.push_back("sendFirstRequests"); }
    void processDSResponse(std::optional<SharedText> result, const std::optional<std::string>&,
                           const std::optional<std::string>& name,
                           const std::optional<protocol::RequestKind>& kind) override {
        r_.calls.push_back("processDSResponse " + name.value_or("nil") + " " +
                           (result ? std::string(result->view) : std::string("nil")) +
                           (kind ? " for " + std::to_string(kind->type) + " " + kind->name : ""));
    }
    void fillChartData(const std::optional<std::string>& key, std::int32_t,
                       const std::optional<protocol::RequestKind>& kind) override {
        r_.calls.push_back("fillChartData " + key.value_or("nil") + (kind ? " for " + std::to_string(kind->type) : ""));
    }

private:
    Recorder& r_;
};

class RecordingFeed : public FeedChannels {
public:
    template <typename... Needs>
    RecordingFeed(Recorder& r, Needs&... needs) : FeedChannels(needs...), r_(r) {}
    void connectChannels() override { r_.calls.push_back("connectChannels"); }
    void subscribeAllItems() override { r_.calls.push_back("subscribeAllItems"); }

private:
    Recorder& r_;
};

class RecordingChat : public Chat {
public:
    template <typename... Needs>
    RecordingChat(Recorder& r, Needs&... needs) : Chat(needs...), r_(r) {}
    void UpdateChatQueueStatus(const MessageFields&, const std::optional<std::string>& id) override {
        r_.calls.push_back("UpdateChatQueueStatus " + id.value_or("nil"));
    }

private:
    Recorder& r_;
};

class RecordingFunds : public Funds {
public:
    template <typename... Needs>
    RecordingFunds(Recorder& r, Needs&... needs) : Funds(needs...), r_(r) {}
    std::shared_ptr<model::PayGateTransaction> processPayGateTransactionResponse(const MessageFields&,
                                                                                 std::int64_t* error) override {
        *error = r_.payGateError;
        return r_.payGate;
    }

private:
    Recorder& r_;
};

// A component of the test's own: one more message type without touching the session.
class ExtraComponent : public SessionComponent {
public:
    explicit ExtraComponent(Recorder& r) : r_(r) {}
    const char* componentName() const override { return "ExtraComponent"; }
    void registerHandlers(Dispatcher& table) override {
        table.add(protocol::msgType(9999), componentName(), [this](const Dispatch& m) {
            r_.calls.push_back("9999 " + m.fields.text(protocol::tag::ResultText).value_or("nil"));
        });
    }

private:
    Recorder& r_;
};

SessionParts recordingParts(Recorder& r) {
    SessionParts parts;
    parts.orderBook = [&r](auto&... needs) { return std::make_unique<RecordingOrders>(r, needs...); };
    parts.dataServiceAnswers = [&r](auto&... needs) { return std::make_unique<RecordingAnswers>(r, needs...); };
    parts.feedChannels = [&r](auto&... needs) { return std::make_unique<RecordingFeed>(r, needs...); };
    parts.chat = [&r](auto&... needs) { return std::make_unique<RecordingChat>(r, needs...); };
    parts.funds = [&r](auto&... needs) { return std::make_unique<RecordingFunds>(r, needs...); };
    parts.extra.push_back([&r](state::SessionServices&) { return std::make_unique<ExtraComponent>(r); });
    parts.outgoing = [&r](const protocol::RequestMessage& request) {
        r.sent.push_back(request);
        return true;
    };
    return parts;
}

std::string tr(const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); }

class SessionTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        ui.login.setUserName("alice");
        ui.login.setPassword("secret");
        ui.login.setIPAddress("127.0.0.1");
        ui.login.setPortNo(17001);
        ui.login.setSecurityKey("Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE");
        SessionParts parts = recordingParts(rec);
        parts.preferences = &prefs;
        session = BusinessBase::create(ui, ui, std::move(parts));
        auto& center = platform::NotificationCenter::defaultCenter();
        for (const char* name : {"OpenPositionTableNotification", "PieChartUpdateNotification",
                                 "PendingOrderTableNotification", "SettledPositionTableNotification",
                                 "CancelledOrderTableNotification", "ExecutedPositionTableNotification",
                                 "JournalTableNotification", "LoginSuccessNotification", "NetworkSpeedNotification",
                                 "BulkCloseNotification", "PasswordChangeNotification",
                                 "DemoUserCreationNotification", "ChatQueueStatusUpdate",
                                 "CloseHedgePositionNotification", "WatchlistTableNotification",
                                 "PayGateTransactionNotification"}) {
            tokens.push_back(center.addObserver(name, [this](const platform::Notification& n) {
                posted.push_back(n.name);
                last[n.name] = n;
            }));
        }
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        FakeTimeTest::TearDown();
    }

    // Dispatches one message on the main thread as the incoming path would.
    void deliver(std::int32_t type, std::vector<std::string> fields, std::optional<std::string> payload = {}) {
        fields.insert(fields.begin(), "10=" + std::to_string(type));
        IncomingMessage m = IncomingMessage::ofFields(type, fields);
        m.payload = std::move(payload);
        state::SessionTestAccess::checkNewMessage(*session, std::move(m));
        loop->runUntilIdle();
    }
    // Envelopes are opened with the key in use to find the inner type.
    int sentOfType(const std::string& innerTypeField) {
        int n = 0;
        for (const auto& r : rec.sent) {
            std::size_t at = r.message.find("27=");
            if (at == std::string::npos) continue;
            std::size_t end = r.message.find('\x03', at);
            auto inner = protocol::openEnvelope(r.message.substr(at + 3, end - at - 3), state::SessionTestAccess::cipherPassword(*session));
            if (inner && inner->find(innerTypeField) != std::string::npos) ++n;
        }
        return n;
    }
    int count(const std::string& name) const {
        int n = 0;
        for (const auto& p : posted) n += p == name;
        return n;
    }
    // Order statuses 28 the recording order book was handed.
    std::size_t pendingOrders() const { return std::size_t(std::count(rec.calls.begin(), rec.calls.end(), "FillPendingOrderCollection nil")); }

    platform::testing::TempDir dir;
    platform::Preferences prefs{dir / "preferences"};
    testing::RecordingUi ui;
    Recorder rec;
    std::shared_ptr<BusinessBase> session;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
    std::map<std::string, platform::Notification> last;
};

TEST_F(SessionTest, RequestIdAndReferenceIdFromTheFirstPass) {
    deliver(999, {"20=41"});
    EXPECT_EQ(state::servicesOf(*session).requestId(), 41);
    deliver(999, {"20=5", "33=77"});
    EXPECT_EQ(state::servicesOf(*session).requestId(), 77);
    deliver(999, {"19=R1", "21=20240102030405"});
    EXPECT_FALSE(state::servicesOf(*session).referenceId().has_value());
    EXPECT_EQ(static_cast<protocol::AppContext&>(*session).serverTime(), "20240102030405");
    deliver(33, {"19=R2"});
    EXPECT_EQ(state::servicesOf(*session).referenceId(), "R2");
}

TEST_F(SessionTest, ComponentsOwnTheTable) {
    deliver(9999, {"17=extra"});  // registered by the test's own component
    deliver(5000, {"17=unknown"});  // registered by nobody: dropped
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"9999 extra"}));
    // A second registration of a type is a start-up error, not an override.
    SessionParts twice = recordingParts(rec);
    twice.extra.push_back([this](state::SessionServices&) { return std::make_unique<ExtraComponent>(rec); });
    EXPECT_THROW(BusinessBase::create(ui, ui, std::move(twice)), std::logic_error);
}

TEST_F(SessionTest, DataServiceAnswerIs1024Only) {
    deliver(1024, {"151=getpositions", "159=rows"});
    ASSERT_EQ(rec.calls.size(), 1u);
    EXPECT_EQ(rec.calls[0], "processDSResponse getpositions rows");
}

TEST_F(SessionTest, RefusalWithoutLoginRecordsShows1004) {
    deliver(47, {"160=PACKED"}, std::string());
    ASSERT_EQ(ui.loginMessages.size(), 1u);
    EXPECT_EQ(ui.loginMessages[0], (LoginMessages{{"Message", tr("1004")}, {"Tag", "0"}}));
}

TEST_F(SessionTest, RefusalReadsOnlySectionSixteenOfPackedData) {
    std::string packed;
    for (int i = 0; i < 16; ++i) packed += "junk\x05x\x05" "10\x06\x07";
    packed += "1\x05https://example.test/update\x05" "12\x06" "2\x05other\x05" "999\x06";
    deliver(47, {"160=PACKED"}, packed);
    ASSERT_EQ(ui.loginMessages.size(), 1u);
    EXPECT_EQ(ui.loginMessages[0],
              (LoginMessages{{"Message", tr("1089")}, {"Tag", "3"}, {"URL", "https://example.test/update"}}));
    EXPECT_EQ(state::SessionTestAccess::referenceData(*session).loginInfoMessageCollection().size(), 1u);
}

TEST_F(SessionTest, ARefusalKeepsTheStoredWatchlist) {
    const std::vector<std::string> stored{"XAU", "EURUSD"};
    prefs.set("Watchlist.alice", stored);
    std::string packed;  // a refusal's login data: every section empty but the login records
    for (int i = 0; i < 16; ++i) packed += "\x07";
    packed += "0\x05" "bad password\x05" "3\x06";
    deliver(47, {"160=PACKED"}, packed);
    EXPECT_EQ(prefs.stringArrayForKey("Watchlist.alice"), stored);
    EXPECT_TRUE(state::SessionTestAccess::referenceData(*session).selectedSymbols().empty());
}

TEST_F(SessionTest, TheCompactFormIsTheOneTheLoginSettingsName) {
    ui.login.setPackedDataFormat("COMPACT");
    std::string packed(16, '\x07');
    packed += "1\x05https://example.test/update\x05" "12\x06";
    deliver(47, {"160=PACKED"}, packed);  // not this deployment's form: not read
    deliver(47, {"160=COMPACT"}, packed);
    ASSERT_EQ(ui.loginMessages.size(), 2u);
    EXPECT_EQ(ui.loginMessages[0].at("Message"), tr("1004"));
    EXPECT_EQ(ui.loginMessages[1].at("Message"), tr("1089"));
}

TEST_F(SessionTest, RefusalCodesTenAndEleven) {
    state::SessionTestAccess::referenceData(*session).FillPackedLoginInfoDetails("0\x05" "bad\x05" "11\x06" "0\x05short\x06");
    deliver(47, {"160=XML"});
    ASSERT_EQ(ui.loginMessages.size(), 1u);
    EXPECT_EQ(ui.loginMessages[0], (LoginMessages{{"Message", tr("1088")}, {"Tag", "0"}}));
}

TEST_F(SessionTest, LoginAcceptedRunsItsStepsInOrder) {
    deliver(18, {});
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"connectChannels", "sendFirstRequests", "subscribeAllItems"}));
    EXPECT_TRUE(state::servicesOf(*session).connection().isNetworkAvailable);
    EXPECT_TRUE(state::SessionTestAccess::pingMonitor(*session).isPingTimerActive());
    EXPECT_EQ(count("LoginSuccessNotification"), 1);
    EXPECT_EQ(ui.sounds, (std::vector<std::string>{"welcome"}));
    ASSERT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), 1u);
    // No login record with a message: no update banner.
    EXPECT_TRUE(ui.banners.empty());
}

TEST_F(SessionTest, UpdateBannerOnlyWithAMessage) {
    state::SessionTestAccess::referenceData(*session).FillPackedLoginInfoDetails("1\x05https://example.test/new\x05" "1\x06");
    deliver(18, {});
    ASSERT_EQ(ui.banners.size(), 1u);
    const Banner& b = ui.banners[0];
    EXPECT_EQ(b.title, tr("90785"));
    EXPECT_EQ(b.informativeText, "https://example.test/new");
    EXPECT_TRUE(b.hasActionButton);
    EXPECT_EQ(b.actionButtonTitle, tr("90786"));
    EXPECT_EQ(b.dismissDelayTime, -1);
    EXPECT_EQ(b.soundName, "AppUserNotificationDefaultSound2");
    EXPECT_EQ(b.userInfo.at("AppDownloadURL"), "https://example.test/new");
    state::commandsOf(*session).userNotificationCenterDidActivateNotification(b);
    EXPECT_EQ(ui.opened, (std::vector<std::string>{"https://example.test/new"}));
    EXPECT_TRUE(ui.terminated);
}

TEST_F(SessionTest, LoginElsewhereDisconnectsAndTellsTheApplication) {
    deliver(44, {"105=Logged in from 10.1.1.1"});
    deliver(44, {});
    EXPECT_EQ(ui.anotherLocation, (std::vector<std::string>{"Logged in from 10.1.1.1", "(none)"}));
    EXPECT_EQ(ui.failures, 0);
}

TEST_F(SessionTest, RejectionWithoutTag125StillRunsEveryStep) {
    auto order = std::make_shared<model::Order>();
    order->PendingOrderId = "P1";
    order->orderType = model::Order::kLimit;
    order->setRefPositionIdOfBracket("55");
    state::OrderBookTestAccess::PendingOrderCollectionCopy(state::SessionTestAccess::orderBook(*session)).push_back(order);
    auto position = std::make_shared<model::Order>();
    position->OpenPositionId = "55";
    position->LimitPrice = "1.25";
    position->StopPrice = "0.75";
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)).push_back(position);

    deliver(62, {"20=9", "73=25", "74=12", "79=P1"});
    EXPECT_EQ(rec.calls,
              (std::vector<std::string>{"FillCancelledOrderCollection 0 25", "RemovePendingOrder P1 YES"}));
    // Banner and local notification with the reason of code 12.
    ASSERT_EQ(ui.banners.size(), 1u);
    EXPECT_NE(ui.banners[0].informativeText.find(tr("0339")), std::string::npos);
    EXPECT_EQ(ui.banners[0].subtitle, tr("11006"));
    EXPECT_EQ(ui.locals.size(), 1u);
    ASSERT_EQ(count("BulkCloseNotification"), 1);
    const auto* bulk = last["BulkCloseNotification"].as<BulkCloseResult>();
    ASSERT_TRUE(bulk);
    EXPECT_EQ(bulk->reference, "");
    EXPECT_EQ(bulk->reason, tr("0339"));
    EXPECT_EQ(bulk->status, "25");
    EXPECT_EQ(position->LimitPrice, "");
    EXPECT_EQ(position->StopPrice, "0.75");
}

TEST_F(SessionTest, RejectionWithoutPendingIdUsesTheRequestId) {
    deliver(62, {"20=31", "73=25", "573=88", "125=P9"});
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"FillCancelledOrderCollection 31 25",
                                                        "RemovePendingOrder 31 NO", "Bracket 88 25"}));
}

TEST_F(SessionTest, CancelledOrderFindsItsBracketReferenceInTheCopy) {
    for (const char* ref : {"100", "200"}) {
        auto o = std::make_shared<model::Order>();
        o->PendingOrderId = "P5";
        o->setRefPositionIdOfBracket(ref);
        state::OrderBookTestAccess::PendingOrderCollectionCopy(state::SessionTestAccess::orderBook(*session)).push_back(o);
    }
    deliver(62, {"73=24", "79=P5", "20=3"});
    EXPECT_EQ(rec.calls, (std::vector<std::string>{"RemovePendingOrder P5 YES",
                                                        "FillCancelledOrderCollection 3 24", "Bracket 200 24"}));
    rec.calls.clear();
    deliver(62, {"73=24", "79=P6"});
    EXPECT_EQ(rec.calls.back(), "Bracket nil 24");
    rec.calls.clear();
    deliver(62, {"73=24", "79=P5", "573=7"});
    EXPECT_EQ(rec.calls.back(), "Bracket 7 24");
}

TEST_F(SessionTest, OrderStatusRows) {
    deliver(62, {"73=22", "79=A", "573=B"});
    deliver(62, {"73=28", "79=C"});
    deliver(62, {"73=75", "79=D"});
    deliver(62, {"73=26"});
    deliver(62, {"73=27", "573=E"});
    deliver(62, {"73=826"});
    EXPECT_EQ(rec.calls,
              (std::vector<std::string>{"UpdatePendingOrderCollection A", "Bracket B 22", "FillPendingOrderCollection C",
                                        "Bracket nil 28", "UpdatePendingOrderCollection D", "Bracket nil 75",
                                        "Bracket nil 26", "Bracket E 27"}));
}

TEST_F(SessionTest, OtherRowsWithNotifications) {
    deliver(1052, {});
    EXPECT_EQ(count("CloseHedgePositionNotification"), 1);
    deliver(680, {"1026=Q1"});
    deliver(679, {"1026=Q2"});
    EXPECT_EQ(count("ChatQueueStatusUpdate"), 2);
    EXPECT_EQ(rec.calls.front(), "UpdateChatQueueStatus Q1");
    deliver(1049, {});
    EXPECT_EQ(count("WatchlistTableNotification"), 1);
}

TEST_F(SessionTest, PayGateTransactionAnswerWritesTheJournal) {
    rec.payGate = std::make_shared<model::PayGateTransaction>();
    rec.payGate->requestId = 4;
    rec.payGate->transStatus = 1;
    rec.payGateError = 5;
    deliver(96, {});
    EXPECT_EQ(count("PayGateTransactionNotification"), 1);
    const auto* update = last["PayGateTransactionNotification"].as<PayGateUpdate>();
    ASSERT_TRUE(update);
    EXPECT_EQ(update->state, 3);
    EXPECT_EQ(update->error, 5);
    ASSERT_TRUE(update->data);
    EXPECT_EQ(update->data->requestId, 4u);
    ASSERT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), 1u);
    rec.payGateError = 0;
    deliver(96, {});  // status 1, no error: no line
    EXPECT_EQ(state::SessionTestAccess::journal(*session).JournalDataCollection().size(), 1u);
}

TEST_F(SessionTest, PasswordStoredOnlyWhenTheChangeSucceeded) {
    deliver(38, {"17=failure", "103=newpass"});
    EXPECT_EQ(ui.login.password(), "secret");
    EXPECT_EQ(count("PasswordChangeNotification"), 0);
    deliver(38, {"103=newpass", "17=SUCCESS"});
    EXPECT_EQ(ui.login.password(), "newpass");
    EXPECT_EQ(count("PasswordChangeNotification"), 1);
    deliver(38, {"17=Success"});
    EXPECT_EQ(count("PasswordChangeNotification"), 2);
    EXPECT_EQ(ui.login.password(), "newpass");
}

// A success whose password could not be sent again keeps a password a relogin can use.
TEST_F(SessionTest, AnUnusablePasswordInAChangeAnswerIsNeverTaken) {
    const struct {
        std::string answered;
        bool asked;  // a change "asked1" was sent first
        const char* after;
    } rows[] = {
        {"103=new\x05pw", false, "secret"},
        {"103=" + std::string(100'000, 'x'), false, "secret"},
        {"103=new\x07pw", true, "asked1"},
        {"103=", true, "asked1"},
    };
    for (const auto& r : rows) {
        ui.login.setPassword("secret");
        if (r.asked) state::commandsOf(*session).changeMyPassword("secret", "asked1");
        deliver(38, {"17=Success", r.answered});
        EXPECT_EQ(ui.login.password(), r.after) << r.answered.substr(0, 12);
    }
    deliver(38, {"17=Success"});  // the change asked for earlier was answered already
    EXPECT_EQ(ui.login.password(), "asked1");
}

TEST_F(SessionTest, DemoUserAnswers) {
    deliver(1027, {"23=demo42"});
    ASSERT_EQ(ui.alerts.size(), 1u);
    EXPECT_EQ(ui.alerts[0].message, tr("0314"));
    deliver(1027, {"23=demo42", "103=pw"});  // no password: refused too
    EXPECT_EQ(ui.alerts.size(), 2u);
    // A user the next login could not send: refused the same way.
    for (const char* bad : {"23=|18=pw", "23=demo|18=", "23=de\x03mo|18=pw", "23=demo|18=p\x01w", "23=demo|18=\x07"}) {
        const std::string text = bad;
        deliver(1027, {text.substr(0, text.find('|')), text.substr(text.find('|') + 1)});
    }
    EXPECT_EQ(ui.alerts.size(), 7u);
    EXPECT_EQ(count("DemoUserCreationNotification"), 0);
    deliver(1027, {"23=de/mo#42", "18=p/w#1/"});  // "/" and "#" arrive whole
    ASSERT_EQ(count("DemoUserCreationNotification"), 1);
    const platform::Notification& note = last["DemoUserCreationNotification"];
    ASSERT_TRUE(note.as<DemoUserCreated>());
    EXPECT_EQ(note.as<DemoUserCreated>()->user, "de/mo#42");
    EXPECT_EQ(note.as<DemoUserCreated>()->password, "p/w#1/");
    EXPECT_EQ(note.as<DemoUserCreated>()->session, session);
    EXPECT_EQ(note.sender, session.get());
}

// --- Ping and network speed ------------------------------------------------

TEST_F(SessionTest, PingGradesAtTheBoundaries) {
    deliver(18, {});
    struct Case {
        std::chrono::milliseconds after;
        int grade;
    };
    for (Case c : {Case{999ms, 0}, Case{1000ms, 1}, Case{3000ms, 2}, Case{3001ms, 3}}) {
        state::SessionTestAccess::pingMonitor(*session).stopPingTimer();
        static_cast<protocol::AppContext&>(*session).stampPingTime();
        clock->advance(c.after);
        posted.clear();
        deliver(1019, {"21=20240102030405"});
        EXPECT_EQ(state::SessionTestAccess::pingMonitor(*session).speedStatus(), c.grade) << c.after.count();
        EXPECT_EQ(count("NetworkSpeedNotification"), 1);
        ASSERT_TRUE(last["NetworkSpeedNotification"].as<TextPayload>());
        EXPECT_EQ(last["NetworkSpeedNotification"].as<TextPayload>()->text, "20240102030405");
    }
    EXPECT_EQ(state::SessionTestAccess::pingMonitor(*session).serverTimeText(), "20240102030405");
}

TEST_F(SessionTest, AnUnreadableServerTimePostsNothing) {
    deliver(1019, {"21=20240102030405"});
    deliver(1019, {});  // no time: the last one stays
    EXPECT_EQ(count("NetworkSpeedNotification"), 2);
    deliver(1019, {"21=2024-01-02"});
    EXPECT_EQ(count("NetworkSpeedNotification"), 2);
}

TEST_F(SessionTest, OnePingPerSecondAfterASecondAcceptance) {
    deliver(18, {});
    deliver(18, {});
    loop->runFor(5s);
    EXPECT_EQ(sentOfType("10=1018"), 5);
}

TEST_F(SessionTest, ReplacedSessionStopsPinging) {
    deliver(18, {});
    loop->runFor(2s);
    EXPECT_EQ(sentOfType("10=1018"), 2);
    std::weak_ptr<BusinessBase> old = session;
    rec.sent.clear();
    session = BusinessBase::create(ui, ui, recordingParts(rec));
    EXPECT_TRUE(old.expired());
    loop->runFor(3s);  // the old timer would have crashed or pinged here
    EXPECT_EQ(sentOfType("10=1018"), 0);
}

TEST_F(SessionTest, NoPingsAfterAFailureAndSpeedCheckedLater) {
    deliver(18, {});
    loop->runFor(1s);
    deliver(1019, {"21=20240102030405"});
    EXPECT_EQ(sentOfType("10=1018"), 1);
    state::SessionTestAccess::connectionFailure(*session, "gone");
    loop->runUntilIdle();
    EXPECT_EQ(ui.failures, 1);
    EXPECT_FALSE(state::SessionTestAccess::pingMonitor(*session).isPingTimerActive());
    posted.clear();
    loop->runFor(3400ms);
    EXPECT_EQ(count("NetworkSpeedNotification"), 0);
    loop->runFor(200ms);
    EXPECT_EQ(count("NetworkSpeedNotification"), 1);
    loop->runFor(5s);
    EXPECT_EQ(sentOfType("10=1018"), 1);
}

// --- Incoming path: unwrap, key switch ------------------------------------

std::string frameOf(const std::string& body) { return protocol::frameMessage(body); }
std::string inner(const std::string& f) { return f.substr(1, f.size() - 2); }

TEST_F(SessionTest, LoginDataSwitchesTheKeyBeforeTheNextEnvelope) {
    ui.login.setPortNo(0);                        // refused before any connect
    state::commandsOf(*session).StreamingConnection(true, false);  // captures the credentials
    loop->runUntilIdle();
    const std::string shipped = "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE";
    EXPECT_EQ(state::SessionTestAccess::cipherPassword(*session), shipped);

    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=33\x03" "19=REF7\x03" "21=20240102030405\x03" "160=PACKED\x03")));
    std::string key = protocol::GenerateNewEncryptionKey("alice", "secret", "REF7", "20240102030405");
    EXPECT_EQ(state::SessionTestAccess::sessionKey(*session), key);
    EXPECT_EQ(state::SessionTestAccess::cipherPassword(*session), key);
    // The shipped key stays in the login settings.
    EXPECT_EQ(ui.login.SecurityKey(), shipped);

    // An envelope sealed with the old key is dropped, the session goes on.
    auto old = protocol::sealEnvelopeBody(frameOf("10=18\x03"), shipped, false);
    ASSERT_TRUE(old);
    state::SessionTestAccess::NewMessage(*session, inner(frameOf(*old)));
    auto good = protocol::sealEnvelopeBody(frameOf("10=18\x03"), key, false);
    ASSERT_TRUE(good);
    state::SessionTestAccess::NewMessage(*session, inner(frameOf(*good)));
    loop->runUntilIdle();
    EXPECT_EQ(count("LoginSuccessNotification"), 1);
    // 33 and 18 each write a journal line; the envelopes themselves do not.
    EXPECT_EQ(state::viewOf(*session).journalLines().size(), 2u);
}

TEST_F(SessionTest, RelogginAfterAPasswordChangeDerivesTheKeyFromTheNewPassword) {
    ui.login.setPortNo(0);
    state::commandsOf(*session).StreamingConnection(true, false);
    loop->runUntilIdle();
    deliver(38, {"17=success", "103=fresh"});
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=33\x03" "19=R9\x03" "21=20240102030405\x03")));
    EXPECT_EQ(state::SessionTestAccess::sessionKey(*session),
              protocol::GenerateNewEncryptionKey("alice", "fresh", "R9", "20240102030405"));
    EXPECT_EQ(state::servicesOf(*session).referenceId(), std::nullopt);  // dispatched on the main thread, not yet
    loop->runUntilIdle();
    EXPECT_EQ(state::servicesOf(*session).referenceId(), "R9");
    EXPECT_EQ(static_cast<protocol::AppContext&>(*session).serverTime(), "20240102030405");
}

TEST_F(SessionTest, AnEmptyProductNameAndVersionAreSentEmpty) {
    ui.login.setProductName("");
    ui.login.setProductVersion("");
    ui.login.setPortNo(0);
    state::commandsOf(*session).StreamingConnection(true, false);
    loop->runUntilIdle();
    static_cast<protocol::ConnectionDelegate&>(*session).connectionDidConnect(false);
    loop->runUntilIdle();
    EXPECT_EQ(sentOfType("\x03" "563=\x03" "114=\x03"), 1);
}

// Tag 1050 of login data carrying `text`: Base64 of its little-endian length and its gzip stream.
std::string payloadOf(const std::string& text) {
    const auto size = static_cast<std::uint32_t>(text.size());
    const std::string prefix = {static_cast<char>(size & 0xff), static_cast<char>((size >> 8) & 0xff),
                                static_cast<char>((size >> 16) & 0xff), static_cast<char>(size >> 24)};
    return *model::Base64::encodeBase64WithData(prefix + *model::DataAdditions::gzipDeflate(text));
}

// Tag 1050 stating `stated` bytes for a stream of `stream`.
std::string statedPayload(std::uint32_t stated, const std::string& stream) {
    const std::string prefix = {static_cast<char>(stated & 0xff), static_cast<char>((stated >> 8) & 0xff),
                                static_cast<char>((stated >> 16) & 0xff), static_cast<char>(stated >> 24)};
    return *model::Base64::encodeBase64WithData(prefix + stream);
}

// The compact text of a user record and `count` instrument records, each a distinct number.
std::string userAndInstruments(std::size_t count) {
    std::string text = "5\x05" "0\x05" "0\x05" "0\x05" "1\x07\x07\x07\x07";
    for (std::size_t i = 0; i < count; ++i) text += std::to_string(i * 7919 % 1'000'003) + "\x06";
    return text;
}

TEST_F(SessionTest, RefusedLoginDataFailsTheLoginAndSaysWhy) {
    const std::string user = "5\x05" "0\x05" "0\x05" "0\x05" "1";
    const auto tooLarge = [](const char* key, const std::string& size, const std::string& limit) {
        return model::Formatter::fillIndexedText(tr(key), {size, limit});
    };
    const struct {
        const char* what;
        std::string form, payload, message;
    } cases[] = {
        {"no user record", "PACKED", payloadOf("\x07" "1\x05" "x"), tr("1004")},
        {"a statement far past its stream", "PACKED", statedPayload(64u << 20, "never inflated"), tr("1004")},
        {"compact, stated past the ceiling", "PACKED", statedPayload(200'000'000, "never inflated"),
         tooLarge("90891", "200.0", "160.0")},
        {"XML, stated past the ceiling", "XML", statedPayload(151'000'000, "never inflated"),
         tooLarge("90891", "151.0", "150.0")},
        {"instruments past the ceiling", "PACKED", payloadOf(userAndInstruments(protocol::kMaxPackedLoginRecords + 1)),
         tooLarge("90892", "1000001", "1000000")},
    };
    for (const auto& c : cases) {
        ui.loginMessages.clear();
        ui.login.setPortNo(0);
        state::commandsOf(*session).StreamingConnection(true, false);
        loop->runUntilIdle();
        state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=33\x03" "19=R1\x03" "21=20240102030405\x03" "160=" +
                                                                     c.form + "\x03" "1050=" + c.payload + "\x03")));
        state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=18\x03")));
        loop->runUntilIdle();
        EXPECT_EQ(count("LoginSuccessNotification"), 0) << c.what;
        ASSERT_EQ(ui.loginMessages.size(), 1u) << c.what;
        EXPECT_EQ(ui.loginMessages[0], (LoginMessages{{"Message", c.message}, {"Tag", "0"}})) << c.what;
    }
}

// Login data that does not end fails the login, and the log says why; so does a
// compact refusal cut before the end of its login information.
TEST_F(SessionTest, LoginDataCutShortFailsTheLogin) {
    // Every section an accepted login holds (0 to 21): a user, two accounts, a login record.
    std::vector<std::string> sections(22);
    sections[0] = "5\x05" "0\x05" "0\x05" "0\x05" "1";
    sections[8] = "1001\x05" "3\x05" "1\x05\x05" "50000.00\x05" "1702.40\x06" "1002\x05" "3\x05" "1\x05\x05" "25000.00\x05" "0\x06";
    sections[16] = "0\x05\x05" "0\x06";
    std::string packed;
    for (std::size_t i = 0; i < sections.size(); ++i) packed += (i ? "\x07" : "") + sections[i];
    const auto before = [](const std::string& text, const std::string& mark, std::size_t more = 0) {
        return text.substr(0, text.find(mark) + more);
    };
    std::string afterLoginInfo = packed, noUser = packed;
    for (int i = 0; i < 5; ++i) afterLoginInfo.erase(afterLoginInfo.rfind('\x07'));
    noUser.erase(0, sections[0].size());
    const std::string xml =
        "<NewDataSet><Table1><userid>5</userid></Table1>"
        "<Table4><AccountId>1001</AccountId><GroupId>3</GroupId><Balance>50000.00</Balance></Table4>"
        "<Table4><AccountId>1002</AccountId><GroupId>3</GroupId><Balance>25000.00</Balance></Table4>"
        "<Table8><GroupId>3</GroupId><Name>G</Name></Table8>"
        "<Table7><groupid>3</groupid><InstrumentId>9</InstrumentId><SpreadBid>2</SpreadBid></Table7>"
        "<Table7><groupid>3</groupid><InstrumentId>10</InstrumentId><SpreadBid>3</SpreadBid></Table7></NewDataSet>";
    std::string misspelt = xml, noXmlUser = xml;
    misspelt.replace(misspelt.rfind("</NewDataSet>"), 13, "</NewDataSe>");
    noXmlUser.erase(noXmlUser.find("<Table1>"), noXmlUser.find("<Table4>") - noXmlUser.find("<Table1>"));
    std::string refusal(16, '\x07');
    refusal += "1\x05https://example.test/update\x05" "12\x06";
    const struct {
        const char* what;
        int type;  // 33 login data, then 18; or 47, a refusal
        const char* form;
        std::string data;
        const char* logged;  // nullptr: the login goes on
        const char* message = "1004";
    } cases[] = {
        {"compact, cut inside account 1001's balance", 33, "PACKED", before(packed, "50000.00", 3), "cut short (9 of its 22"},
        {"compact, cut after account 1001", 33, "PACKED", before(packed, "1002"), "cut short (9 of its 22"},
        {"compact, cut after the user", 33, "PACKED", before(packed, "\x07"), "cut short (1 of its 22"},
        {"compact, cut after the login information", 33, "PACKED", afterLoginInfo, "cut short (17 of its 22"},
        {"compact, cut before its last section", 33, "PACKED", packed.substr(0, packed.rfind('\x07')),
         "cut short (21 of its 22"},
        {"compact, whole without a user", 33, "PACKED", noUser, "without a user record"},
        {"XML, cut inside the group instruments", 33, "XML", before(xml, "<SpreadBid>3"), "root element does not close"},
        {"XML, cut before the root's end", 33, "XML", before(xml, "</NewDataSet>"), "root element does not close"},
        {"XML, cut inside the root's end", 33, "XML", xml.substr(0, xml.size() - 1), "root element does not close"},
        {"XML, the root closed by another name", 33, "XML", misspelt, "not a readable XML document"},
        {"XML, a second root", 33, "XML", xml + "<NewDataSet/>", "not a readable XML document"},
        {"XML, whole without a user", 33, "XML", noXmlUser, "without a user record"},
        {"a refusal cut before its login information", 47, "PACKED", refusal.substr(0, 10), "refusal data cut short (11 of its 17"},
        {"a refusal cut in its first section", 47, "PACKED", "0\x05", "refusal data cut short (1 of its 17"},
        {"a refusal that ends after its login information", 47, "PACKED", refusal, nullptr, "1089"},
        {"compact, whole", 33, "PACKED", packed, nullptr, nullptr},
        {"XML, whole, a comment after it", 33, "XML", xml + "<!-- 3 ms -->", nullptr, nullptr},
    };
    // XML login data also goes the incoming path, which cuts it ahead where its shape allows.
    for (std::size_t road = 0; road < 2 * std::size(cases); ++road) {
        const auto& c = cases[road / 2];
        const bool readAhead = road % 2 == 1;
        if (readAhead && std::string(c.form) != "XML") continue;
        SCOPED_TRACE(std::string(c.what) + (readAhead ? ", read ahead" : ""));
        ui.loginMessages.clear();
        const int successes = count("LoginSuccessNotification");
        std::vector<std::string> errors;
        platform::Log::setSink([&](platform::LogLevel level, const std::string& line) {
            if (level == platform::LogLevel::Error) errors.push_back(line);
        });
        if (readAhead) {
            state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=33\x03" "19=R1\x03" "21=20240102030405\x03" "160=XML\x03" "1050=" + payloadOf(c.data) + "\x03")));
            state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=18\x03")));
            loop->runUntilIdle();
        } else {
            deliver(c.type, {std::string("160=") + c.form}, c.data);
            if (c.type == 33) deliver(18, {});
        }
        platform::Log::setSink(nullptr);
        EXPECT_EQ(count("LoginSuccessNotification") - successes, c.message ? 0 : 1);
        if (c.message) {
            ASSERT_EQ(ui.loginMessages.size(), 1u);
            EXPECT_EQ(ui.loginMessages[0].at("Message"), tr(c.message));
        } else {
            EXPECT_TRUE(ui.loginMessages.empty());
        }
        const bool said = std::any_of(errors.begin(), errors.end(), [&](const std::string& l) {
            return c.logged && l.find(c.logged) != std::string::npos;
        });
        EXPECT_TRUE(c.logged ? said : errors.empty()) << (errors.empty() ? "" : errors.back());
        if (c.type == 33 && !c.message) {
            const auto& accounts = state::SessionTestAccess::referenceData(*session).AccountDetailCollection();
            ASSERT_TRUE(accounts.find("1002"));
            EXPECT_EQ((*accounts.find("1001"))->Balance, 50000.0);
        }
    }
}

// Compact login data filled a step a slice leaves what a whole fill leaves, in
// the same order (a later group instrument replaces an earlier one); the
// acceptance that comes meanwhile waits for the data.
TEST_F(SessionTest, CompactLoginDataFilledInStepsLeavesWhatAWholeFillLeaves) {
    const std::size_t instruments = PackedFillSteps::kInstrumentsPerStep + 2;
    const std::size_t groupInstruments = PackedFillSteps::kGroupInstrumentsPerStep + instruments;
    std::vector<std::string> sections(22);
    sections[0] = "5\x05" "0\x05" "0\x05" "0\x05" "1";
    // Each instrument priced by one of the first seven (field 3, its currency).
    for (std::size_t i = 1; i <= instruments; ++i)
        sections[4] += std::to_string(i) + "\x05N\x05" "C" + std::to_string(i) + "\x05" + std::to_string(i % 7 + 1) + "\x06";
    sections[5] = "3\x05G";
    for (std::size_t i = 0; i < groupInstruments; ++i)
        sections[6] += "0\x05" "3\x05" + std::to_string(i % instruments + 1) + "\x05\x05\x05\x05" + std::to_string(i) + "\x06";
    sections[8] = "1001\x05" "3\x05" "1\x05\x05" "50000.00";
    sections[16] = "0\x05\x05" "0\x06";
    std::string packed;
    for (std::size_t i = 0; i < sections.size(); ++i) packed += (i ? "\x07" : "") + sections[i];
    ReferenceData whole;
    ASSERT_TRUE(state::fillPacked(whole, packed));

    const ReferenceData& stepped = state::SessionTestAccess::referenceData(*session);
    std::size_t itemsAtSuccess = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        "LoginSuccessNotification", [&](const platform::Notification&) { itemsAtSuccess = stepped.ItemCollection().size(); });
    ui.login.setPortNo(0);
    state::commandsOf(*session).StreamingConnection(true, false);
    loop->runUntilIdle();
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=33\x03" "19=R1\x03" "21=20240102030405\x03"
                                                                 "160=PACKED\x03" "1050=" + payloadOf(packed) + "\x03")));
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=18\x03")));
    loop->runUntilIdle();
    platform::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(itemsAtSuccess, instruments);

    const auto codes = [](const ReferenceData& r) {
        std::vector<std::string> out;
        for (const auto& [code, item] : r.ItemCollection()) {
            const auto currency = item->CalculationItems.lock();
            out.push_back(code + ">" + (currency ? currency->Code : "-"));
        }
        return out;
    };
    EXPECT_EQ(codes(stepped), codes(whole));
    const auto spreads = [instruments](const ReferenceData& r) {
        std::vector<std::int32_t> out;
        const auto group = r.group("3");
        for (std::size_t i = 1; group && i <= instruments; ++i)
            out.push_back(group->GroupInstrumentCollection.at(std::to_string(i))->SpreadBid);
        return out;
    };
    EXPECT_EQ(spreads(stepped), spreads(whole));
    // The section's last record is the one its instrument keeps.
    EXPECT_EQ(spreads(stepped).at((groupInstruments - 1) % instruments), static_cast<std::int32_t>(groupInstruments - 1));
    ASSERT_TRUE(stepped.account("1001"));
    EXPECT_EQ(stepped.account("1001")->Balance, 50000.0);
}

// XML login data past one fill step in its instruments and group instruments:
// each instrument of type 1, priced in one of the first seven; a later group
// condition of an instrument replaces an earlier one.
std::string steppedXmlLogin(std::size_t instruments, std::size_t groupInstruments) {
    std::string xml = "<NewDataSet><Table1><userid>5</userid></Table1>"
                      "<Table4><AccountId>1001</AccountId><GroupId>3</GroupId><Balance>50000.00</Balance></Table4>"
                      "<Table8><GroupId>3</GroupId><Name>G</Name></Table8>"
                      "<Table5><InstrumentTypeId>1</InstrumentTypeId><InstrumentTypeName>FX</InstrumentTypeName></Table5>";
    for (std::size_t i = 1; i <= instruments; ++i)
        xml += "<Table6><InstrumentId>" + std::to_string(i) + "</InstrumentId><Code>C" + std::to_string(i) +
               "</Code><CurrencyID>" + std::to_string(i % 7 + 1) +
               "</CurrencyID><InstrumentTypeId>1</InstrumentTypeId><Enabled>true</Enabled>"
               "<IsAvailableForWatchList>true</IsAvailableForWatchList><Bid>1.5</Bid><Ask>1.6</Ask></Table6>";
    for (std::size_t i = 0; i < groupInstruments; ++i)
        xml += "<Table7><groupid>3</groupid><InstrumentId>" + std::to_string(i % instruments + 1) +
               "</InstrumentId><SpreadTypeId>1</SpreadTypeId><SpreadBid>" + std::to_string(i % 5) + "</SpreadBid></Table7>";
    return xml + "<Table10><SettingsId>1</SettingsId><SettingsName>Open</SettingsName></Table10></NewDataSet>";
}

// What a login's fill leaves, for comparing two of them.
std::vector<std::string> filledRecords(const ReferenceData& r) {
    std::vector<std::string> out;
    for (const auto& [code, item] : r.ItemCollection())
        out.push_back(code + " " + std::to_string(item->CurrencyID) + " " + std::to_string(item->Spreadtype) + " " +
                      std::to_string(item->Bid) + " " + std::to_string(item->Ask));
    if (const auto group = r.group("3"))
        for (const auto& [id, terms] : group->GroupInstrumentCollection) out.push_back(std::string(id) + " " + std::to_string(terms->SpreadBid));
    std::sort(out.begin() + static_cast<std::ptrdiff_t>(r.ItemCollection().size()), out.end());
    for (const auto& [type, symbols] : r.symbolTypeCollection()) out.push_back(type + " " + symbols);
    out.insert(out.end(), r.selectedSymbols().begin(), r.selectedSymbols().end());
    for (const auto& [id, account] : r.AccountDetailCollection()) out.push_back(id + " " + std::to_string(account->Balance));
    for (const auto& [id, setting] : r.SessionSettingCollection()) out.push_back(id + " " + setting->settingsName);
    return out;
}

// XML login data cut ahead and filled a step a slice leaves what a whole fill
// leaves; the acceptance that comes meanwhile waits for the data.
TEST_F(SessionTest, XmlLoginDataFilledInStepsLeavesWhatAWholeFillLeaves) {
    const std::size_t instruments = XmlFillSteps::kCellsPerStep / 6 + 2;
    const std::string xml = steppedXmlLogin(instruments, XmlFillSteps::kCellsPerStep / 4 + instruments);
    Recorder wholeRec;
    SessionParts parts = recordingParts(wholeRec);
    parts.preferences = &prefs;
    const auto whole = BusinessBase::create(ui, ui, std::move(parts));
    IncomingMessage m = IncomingMessage::ofFields(33, {"10=33", "160=XML"});
    m.payload = xml;
    state::SessionTestAccess::checkNewMessage(*whole, std::move(m));
    loop->runUntilIdle();

    const ReferenceData& stepped = state::SessionTestAccess::referenceData(*session);
    std::size_t itemsAtSuccess = 0;
    auto token = platform::NotificationCenter::defaultCenter().addObserver(
        "LoginSuccessNotification", [&](const platform::Notification&) { itemsAtSuccess = stepped.ItemCollection().size(); });
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=33\x03" "19=R1\x03" "21=20240102030405\x03" "160=XML\x03" "1050=" + payloadOf(xml) + "\x03")));
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=18\x03")));
    loop->runUntilIdle();
    platform::NotificationCenter::defaultCenter().removeObserver(token);
    EXPECT_EQ(itemsAtSuccess, instruments);
    const std::vector<std::string> records = filledRecords(stepped);
    EXPECT_EQ(records, filledRecords(state::SessionTestAccess::referenceData(*whole)));
    // The spread pass and the watchlist load ran.
    EXPECT_EQ(stepped.instrument("C1")->Spreadtype, 1);
    EXPECT_EQ(stepped.selectedSymbols().size(), instruments);
}

// A line that goes while XML login data is filled drops the fill's rest and what it held.
TEST_F(SessionTest, XmlLoginDataLeftMidFillIsFilledNoFurther) {
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=33\x03" "19=R1\x03" "21=20240102030405\x03" "160=XML\x03" "1050=" +
                                                                 payloadOf(steppedXmlLogin(10, 10)) + "\x03")));
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=18\x03")));
    platform::MainExecutor::post([this] { state::commandsOf(*session).disconnectServer(); });
    loop->runUntilIdle();
    EXPECT_TRUE(state::SessionTestAccess::referenceData(*session).ItemCollection().empty());
    EXPECT_EQ(count("LoginSuccessNotification"), 0);
}

// Login data is read ahead off the main thread: the compact form's large
// sections, and an XML document of the usual shape cut into cells, its text with them.
TEST(IncomingPathTest, LoginDataIsReadAheadOffTheMainThread) {
    // User, instrument XAU, group instrument 4 of group 7.
    const std::string packed = "5\x07\x07\x07\x07" "4\x05Gold\x05XAU\x07\x07" "1\x05" "7\x05" "4";
    const std::string xml = "<NewDataSet><Table6><Code>XAU</Code></Table6><Table6><Code>XAG</Code></Table6></NewDataSet>";
    const std::string unusual = "<!-- general road -->" + xml;
    std::vector<IncomingMessage> delivered;
    IncomingPath path({[&](IncomingMessage m) { delivered.push_back(std::move(m)); },
                       [](std::vector<std::string>, protocol::MsgType) {}, [] {}, [] {}, [](const std::string&) {}});
    for (const auto& [format, text] : {std::pair("PACKED", packed), std::pair("XML", xml), std::pair("XML", unusual)})
        path.decodeFrame(inner(frameOf("10=33\x03" "19=R1\x03" "21=20240102030405\x03" "160=" + std::string(format) +
                                       "\x03" "1050=" + payloadOf(text) + "\x03")));
    ASSERT_EQ(delivered.size(), 3u);
    ASSERT_TRUE(delivered[0].packedRecords);
    ASSERT_EQ(delivered[0].packedRecords->instruments.size(), 1u);
    EXPECT_EQ(delivered[0].packedRecords->instruments[0]->Code, "XAU");
    ASSERT_EQ(delivered[0].packedRecords->groupInstruments.size(), 1u);
    EXPECT_EQ(delivered[0].packedRecords->groupInstruments[0]->GroupId, 7);
    EXPECT_FALSE(delivered[0].xmlCells);
    ASSERT_TRUE(delivered[1].xmlCells);
    EXPECT_FALSE(delivered[1].packedRecords);
    EXPECT_FALSE(delivered[1].payload);
    EXPECT_EQ(delivered[1].xmlCells->document, xml);
    EXPECT_EQ(delivered[1].xmlCells->tables.rows("Table6"), 2u);
    EXPECT_FALSE(delivered[2].xmlCells);
    EXPECT_EQ(delivered[2].payload, unusual);
}

TEST_F(SessionTest, NestedEnvelopesOpenUpToALimit) {
    const std::string key = "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE";
    ui.login.setPortNo(0);
    state::commandsOf(*session).StreamingConnection(true, false);
    loop->runUntilIdle();
    auto wrap = [&](std::string frame, int times) {
        for (int i = 0; i < times; ++i) frame = frameOf(*protocol::sealEnvelopeBody(frame, key, false));
        return inner(frame);
    };
    state::SessionTestAccess::NewMessage(*session, wrap(frameOf("10=18\x03"), 2));
    loop->runUntilIdle();
    EXPECT_EQ(count("LoginSuccessNotification"), 1);
    state::SessionTestAccess::NewMessage(*session, wrap(frameOf("10=18\x03"), 6));  // nested deeper than any server sends
    loop->runUntilIdle();
    EXPECT_EQ(count("LoginSuccessNotification"), 1);
    state::SessionTestAccess::NewMessage(*session, wrap(frameOf("10=18\x03"), 1));  // and the path still works
    loop->runUntilIdle();
    EXPECT_EQ(count("LoginSuccessNotification"), 2);
}

// An envelope's frame may hold the compact login data at its ceiling (past 16 MiB), not more than the session's frame.
TEST_F(SessionTest, AnEnvelopedFrameUpToTheSessionsFrameSizeIsOpened) {
    const std::string key = "Qm7vT2xK9pL4wR8nZ3cF6hJ1sD5gB0yE";
    ui.login.setPortNo(0);
    state::commandsOf(*session).StreamingConnection(true, false);
    loop->runUntilIdle();
    const struct {
        const char* what;
        std::size_t padding;
        int logins;
    } cases[] = {{"past the frame size of other channels", 20u << 20, 1},
                 {"past the session's frame size", protocol::kMaxSessionFrameSize, 1}};
    for (const auto& c : cases) {
        const std::string frame = frameOf("10=18\x03" "9999=" + std::string(c.padding, 'x') + "\x03");
        state::SessionTestAccess::NewMessage(*session, inner(frameOf(*protocol::sealEnvelopeBody(frame, key, false))));
        loop->runUntilIdle();
        EXPECT_EQ(count("LoginSuccessNotification"), c.logins) << c.what;
    }
}

TEST_F(SessionTest, APingAnswerIsGradedFromItsArrivalNotFromABusyMainThread) {
    static_cast<protocol::AppContext&>(*session).stampPingTime();
    clock->advance(200ms);
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=1019\x03" "21=20240102030405\x03")));
    clock->advance(1500ms);  // the main thread comes to it late
    loop->runUntilIdle();
    EXPECT_EQ(state::SessionTestAccess::pingMonitor(*session).speedStatus(), 0);
}

TEST_F(SessionTest, EachPingAnswerIsGradedByThePingItAnswers) {
    deliver(18, {});
    state::SessionTestAccess::pingMonitor(*session).stopPingTimer();  // the steps send the pings
    enum Op { Ping, Arrive, Grade };  // an answer arrives off the main thread; the main thread grades it
    struct Step {
        std::chrono::milliseconds after;
        Op op;
        int grade = -1;
    };
    const Step steps[] = {
        {0ms, Ping},        {300ms, Arrive}, {700ms, Ping},    {0ms, Grade, 0},  // the next ping went out first
        {1500ms, Arrive},   {0ms, Grade, 1}, {500ms, Ping},    {1000ms, Ping},
        {2100ms, Arrive},   {0ms, Grade, 3}, {100ms, Arrive},  {0ms, Grade, 2},
    };
    for (const Step& s : steps) {
        clock->advance(s.after);
        if (s.op == Ping) state::SessionTestAccess::pingMonitor(*session).pingToserver();
        if (s.op == Arrive) state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=1019\x03" "21=20240102030405\x03")));
        if (s.op != Grade) continue;
        loop->runUntilIdle();
        EXPECT_EQ(state::SessionTestAccess::pingMonitor(*session).speedStatus(), s.grade);
    }
    EXPECT_EQ(sentOfType("10=1018"), 4);
}

TEST_F(SessionTest, AnOuterFrameCountsInTheFirstPass) {
    const std::string carried = frameOf("10=62\x03" "73=28\x03");
    ASSERT_EQ(carried.size(), 17u);
    const std::string prefix = {'\x11', '\0', '\0', '\0'};  // its size, little-endian
    const auto compressed = model::DataAdditions::gzipDeflate(carried);
    ASSERT_TRUE(compressed);
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=105\x03" "20=77\x03" "21=20240102030405\x03" "1050=" +
                                      *model::Base64::encodeBase64WithData(prefix + *compressed) + "\x03")));
    loop->runUntilIdle();
    EXPECT_EQ(pendingOrders(), 1u);  // the inner message was dispatched
    EXPECT_EQ(state::servicesOf(*session).requestId(), 77);
    EXPECT_EQ(static_cast<protocol::AppContext&>(*session).serverTime(), "20240102030405");
}

TEST(IncomingMessage, FieldsAreViewsAndEmptyOnesAfterTheFirstAreDropped) {
    // 16 MiB of empty fields cost one copy of the text, not a string each.
    const auto huge = IncomingMessage::decode("9\x03" "10=62\x03" + std::string(16u << 20, '\x03') + "73=21\x03");
    ASSERT_TRUE(huge);
    EXPECT_EQ(huge->fields, (std::vector<std::string_view>{"10=62", "73=21"}));
    EXPECT_EQ(huge->type, 62);
    const auto copy = *huge;  // a copy shares the text its views read
    EXPECT_EQ(copy.fields.front().data(), huge->fields.front().data());
    const auto emptyFirst = IncomingMessage::decode("9\x03\x03" "10=18\x03");
    ASSERT_TRUE(emptyFirst);
    EXPECT_EQ(emptyFirst->type, 0);  // the first field keeps its place
}

TEST(IncomingMessage, AChannelAnswerIsViewedInItsTextAndHandedOnWithoutACopy) {
    protocol::RequestKind kind;
    kind.type = static_cast<std::int32_t>(protocol::MsgType::DataServiceRequest);
    const auto text = std::make_shared<const std::string>("\x01" "9\x03" "10=1024\x03" "73=rows\x03\x02");
    const auto messages = state::channelMessages(text, state::Channel::RequestReply, kind);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, text);
    const std::optional<SharedText> held = MessageFields(messages[0].fields, messages[0].text).shared(73);
    ASSERT_TRUE(held);
    EXPECT_EQ(held->owner, text);
    EXPECT_EQ(held->view, "rows");
    EXPECT_EQ(held->view.data(), text->data() + text->find("rows"));
    // Fields without an owner, or outside it, are copied into one of their own.
    const std::string other = "73=rows";
    for (const auto& owner : {std::shared_ptr<const std::string>(), text}) {
        const std::optional<SharedText> copied = MessageFields(std::vector<std::string_view>{other}, owner).shared(73);
        ASSERT_TRUE(copied);
        EXPECT_NE(copied->owner, text);
        EXPECT_EQ(copied->view, "rows");
        EXPECT_EQ(copied->view.data(), copied->owner->data());
    }
}

TEST(IncomingMessage, AnAnswerIsReadWholeUpToItsLimit) {
    // The largest answers after a login at its ceiling pass 16 MiB.
    protocol::RequestKind kind;
    kind.type = static_cast<std::int32_t>(protocol::MsgType::DataServiceRequest);
    const auto answer = [](std::size_t size) {
        return "\x01" "9\x03" "10=1024\x03" "73=" + std::string(size, 'a') + "\x03\x02";
    };
    for (const auto& [size, read] : {std::pair{std::size_t(20) << 20, 1u}, {protocol::kMaxAnswerSize, 0u}}) {
        const auto messages = state::channelMessages(answer(size), state::Channel::RequestReply, kind);
        EXPECT_EQ(messages.size(), read) << size;
    }
}

TEST_F(SessionTest, FrameWhoseFirstFieldIsNotTag10IsStillDispatched) {
    state::SessionTestAccess::NewMessage(*session, "9\x03" "11=18\x03");
    loop->runUntilIdle();
    EXPECT_EQ(count("LoginSuccessNotification"), 1);
}

TEST_F(SessionTest, BadFramesAreDroppedAndTheSessionGoesOn) {
    state::SessionTestAccess::NewMessage(*session, "");                       // no fields
    state::SessionTestAccess::NewMessage(*session, "4\x03" "10=1\xff\x03");   // not UTF-8
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=76\x03" "27=not-base64!\x03")));
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=105\x03" "1050=AAAA\x03")));
    loop->runUntilIdle();
    EXPECT_EQ(pendingOrders(), 0u);
    state::SessionTestAccess::NewMessage(*session, inner(frameOf("10=62\x03" "73=28\x03")));
    loop->runUntilIdle();
    EXPECT_EQ(pendingOrders(), 1u);
}

TEST_F(SessionTest, AnEndedSessionFreesItsRecordsOverSeveralTurns) {
    auto& reference = SessionTestAccess::referenceData(*session);
    const std::size_t records = 3 * platform::SteppedRelease::kRecordsPerTurn;
    for (std::size_t i = 0; i < records; ++i) {
        ReferenceDataTestAccess::ItemCollection(reference).set("I" + std::to_string(i),
                                                               std::make_shared<model::ItemDetails>());
    }
    auto group = std::make_shared<model::GroupDetails>();
    auto conditions = std::make_shared<model::GroupInstruments>();
    group->GroupInstrumentCollection.emplace("1", conditions);
    ReferenceDataTestAccess::GroupDetailCollection(reference).set("G", std::move(group));
    auto position = std::make_shared<model::Order>();
    OrderBookTestAccess::OpenOrderCollection(SessionTestAccess::orderBook(*session)).push_back(position);
    const std::vector<std::weak_ptr<const void>> held{
        viewOf(*session).instrument("I0"), viewOf(*session).instrument("I" + std::to_string(records - 1)), conditions,
        position};
    conditions.reset();
    position.reset();

    // The session ends and a new one starts before the release runs.
    session.reset();
    for (const auto& record : held) EXPECT_FALSE(record.expired());
    SessionParts parts = recordingParts(rec);
    parts.preferences = &prefs;
    session = BusinessBase::create(ui, ui, std::move(parts));
    auto kept = std::make_shared<model::ItemDetails>();
    ReferenceDataTestAccess::ItemCollection(SessionTestAccess::referenceData(*session)).set("I0", kept);

    EXPECT_GE(loop->runUntilIdle(), 3u);
    for (const auto& record : held) EXPECT_TRUE(record.expired());
    EXPECT_EQ(viewOf(*session).instrument("I0"), kept);
}

}  // namespace
}  // namespace state
