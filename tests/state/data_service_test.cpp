// Data-service requests of the session, the routing of their answers by the
// request they answer, and the fillers of each collection.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "model/base64.h"
#include "platform/notification_center.h"
#include "platform/runtime.h"
#include "platform/serial_queue.h"
#include "platform/test_env.h"
#include "protocol/message_cracker.h"
#include "protocol/payload_prefix.h"
#include "protocol/tags.h"
#include "protocol/wire_format.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"
#include "state/resource_files.h"
#include "state/row_reader.h"
#include "state/state_queries.h"

namespace state {
namespace {

namespace fs = std::filesystem;
constexpr char C = '\x05';
constexpr char R = '\x06';

struct Sent {
    std::vector<protocol::RequestMessage> requests;
    int subscriptions = 0;
    std::vector<std::size_t> subscribedCodes;  // each subscription's count
};

class CountingFeed : public FeedChannels {
public:
    template <typename... Needs>
    CountingFeed(Sent& sent, Needs&... needs) : FeedChannels(needs...), sent_(sent) {}
    void ProcessSubscribeandUnSubscribeItems(std::vector<std::string> codes, bool) override {
        ++sent_.subscriptions;
        sent_.subscribedCodes.push_back(codes.size());
    }

private:
    Sent& sent_;
};

// The data-service answers with a download budget the test sets.
class BudgetedAnswers : public DataServiceAnswers {
public:
    using DataServiceAnswers::DataServiceAnswers;
    void useBudget(std::shared_ptr<ResourceFiles::DownloadBudget> budget) { downloads_ = std::move(budget); }
};

// A row of `n` fields, "0" unless given.
std::string row(std::size_t n, const std::map<std::size_t, std::string>& set) {
    std::string out;
    for (std::size_t i = 0; i < n; ++i) {
        auto it = set.find(i);
        out += (it == set.end() ? std::string("0") : it->second) + (i + 1 < n ? std::string(1, C) : std::string());
    }
    return out + R;
}

std::string openRow(const std::string& id, const std::string& qty, const std::string& initial = "4") {
    return row(28, {{0, id}, {1, "1001"}, {2, "5"}, {3, "1"}, {7, initial}, {8, qty}, {9, "1.5"}, {10, "10"}});
}
std::string pendingRow(const std::string& id, std::map<std::size_t, std::string> set = {}) {
    set.emplace(0, id);
    set.emplace(2, "1001");
    set.emplace(3, "5");
    set.emplace(9, "1");
    return row(29, set);
}
std::string cancelledRow(const std::string& id, const std::string& account, const std::string& instrument) {
    return row(18, {{0, id}, {4, instrument}, {5, account}});
}

class DataServiceTest : public platform::testing::FakeTimeTest {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        ui.login.setUserName("trader");
        SessionParts parts;
        parts.feedChannels = [this](auto&... needs) { return std::make_unique<CountingFeed>(sent, needs...); };
        parts.dataServiceAnswers = [this](auto&... needs) {
            auto made = std::make_unique<BudgetedAnswers>(needs...);
            answers = made.get();
            return made;
        };
        parts.outgoing = [this](const protocol::RequestMessage& r) {
            sent.requests.push_back(r);
            return true;
        };
        session = BusinessBase::create(ui, ui, std::move(parts));
        state::SessionTestAccess::setSessionValues(*session, state::servicesOf(*session).requestId(), "REF");
        ReferenceData& ref = state::SessionTestAccess::referenceData(*session);
        state::ReferenceDataTestAccess::userInfo(ref) = std::make_shared<model::UserInfo>();
        state::ReferenceDataTestAccess::userInfo(ref)->UserId = 11;
        state::ReferenceDataTestAccess::userInfo(ref)->productID = 3;
        for (auto [id, status] : {std::pair{1001, 5}, {1002, 1}, {1003, 5}}) {
            auto a = std::make_shared<model::AccountDetails>();
            a->AccountId = id;
            a->tradingStatus = status;
            state::ReferenceDataTestAccess::AccountDetailCollection(ref).set(std::to_string(id), a);
        }
        auto gold = std::make_shared<model::ItemDetails>();
        gold->InstrumentId = 5;
        gold->Code = "GOLD";
        gold->marketID = 99;
        state::ReferenceDataTestAccess::ItemCollection(ref).set("GOLD", gold);
        for (const char* name : {"BankDetailsNotification", "MarketSessionScheduleNotification",
                                 "EditUserAccountAccessSucessNotification", "EditUserAccountAccessFailureNotification",
                                 "AccountStatementNotification", "ChartDataReceivedNotification7",
                                 "UserAccountMapNotification", "ExecutedPositionTableNotification"})
            tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
                name, [this](const platform::Notification& n) { posted.push_back(n.name); }));
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        FakeTimeTest::TearDown();
    }

    static std::string field(const protocol::RequestMessage& r, int tag) {
        auto m = protocol::MessageBase::decodeFrame(r.message.substr(1, r.message.size() - 2));
        return m ? m->messageDataDictionary().get(tag).value_or("-") : "?";
    }
    // Request names on the request channel, "tcp" for the TCP session.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& r : sent.requests) out.push_back(r.isZMQ ? field(r, 151) : "tcp");
        return out;
    }
    // An answer as the request channel hands it over, for the request `kind`.
    void answer(const protocol::RequestKind& kind, const std::string& data, const std::string& name = "") {
        state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(data, std::nullopt, name.empty() ? kind.name : name, kind);
        loop->runUntilIdle();
    }
    void answer(const std::string& name, const std::string& data) { answer(protocol::RequestKind{1023, name, 0, 0}, data); }
    // The pending orders' answer as a message off the request channel: it waits behind a fill under way.
    void pendingMessage(const std::string& rows) {
        IncomingMessage m = IncomingMessage::ofFields(
            1024, std::vector<std::string>{"10=1024", std::to_string(protocol::tag::DataServiceResult) + "=" + rows,
                                           std::to_string(protocol::tag::DataServiceRequestName) + "=getpendingorders"});
        m.requestKind = protocol::RequestKind{1023, "getpendingorders", 0, 0};
        state::SessionTestAccess::checkNewMessage(*session, std::move(m));
    }
    int count(const std::string& name) const { return static_cast<int>(std::count(posted.begin(), posted.end(), name)); }

    testing::RecordingUi ui;
    Sent sent;
    BudgetedAnswers* answers = nullptr;
    std::shared_ptr<BusinessBase> session;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
};

// --- Requests ----------------------------------------------------------------

TEST_F(DataServiceTest, LoginSequenceAsksForEquityHitPricesOfStatusFiveAccountsOnly) {
    state::SessionTestAccess::dataServiceAnswers(*session).sendFirstRequests();
    const std::vector<std::string> expected = {
        "getopenpositions", "getpendingorders", "getsettledpositions", "getcancelledorders", "getequityhitpriceinfo",
        "getequityhitpriceinfo", "tcp", "tcp", "tcp", "getinstruments", "resourcesearch", "resourcesearch",
        "getapprovalrequest", "getfinancialapprovals"};
    ASSERT_EQ(names(), expected);
    EXPECT_EQ(field(sent.requests[4], 34), "1001");
    EXPECT_EQ(field(sent.requests[5], 34), "1003");
    EXPECT_EQ(field(sent.requests[10], 159), std::string("\x05") + "0" + C + "3" + C + "0" + C + C + "CAL" + C + C + C + "0" + R);
    EXPECT_NE(field(sent.requests[11], 159).find(std::string(1, C) + "ICO" + C), std::string::npos);
    // The login's cancelled orders carry no statement criteria; each request its kind.
    EXPECT_EQ(field(sent.requests[3], 34), "-");
    EXPECT_EQ(sent.requests[9].dsrequestType, 6);
    EXPECT_EQ(field(sent.requests[0], 115), "11");
}

TEST_F(DataServiceTest, RequestIdsStatementCriteriaAndDates) {
    state::SessionTestAccess::setSessionValues(*session, 6, std::nullopt);
    state::SessionTestAccess::orderBook(*session).requestOpenPosition();
    state::SessionTestAccess::orderBook(*session).requestPendingOrders();
    EXPECT_EQ(state::SessionTestAccess::dataServiceAnswers(*session).requestChartData("GOLD", "D", 100), 7);
    state::SessionTestAccess::orderBook(*session).requestSettledOrders();
    // Wire dates are the local time's fields.
    model::DateFormatter::Fields f;
    f.year = 2015, f.month = 3, f.day = 5, f.hour = 9, f.minute = 7, f.second = 2;
    const auto from = model::DateFormatter::dateFromFields(f, model::DateFormatter::Zone::Local);
    model::StatementQuery q{"1001", from, from};
    state::SessionTestAccess::funds(*session).requestAccountStatement(q);
    state::SessionTestAccess::funds(*session).requestCancelledOrderHistoryForAccount(q);
    ASSERT_EQ(sent.requests.size(), 6u);
    std::vector<std::string> ids;
    for (const auto& r : sent.requests) ids.push_back(field(r, 20));
    EXPECT_EQ(ids, (std::vector<std::string>{"7", "7", "7", "8", "8", "8"}));
    EXPECT_EQ(sent.requests[3].dsrequestType, 0);
    for (std::size_t i : {4u, 5u}) {
        EXPECT_EQ(field(sent.requests[i], 34), "1001");
        EXPECT_EQ(field(sent.requests[i], 575), "20150305090702");
        EXPECT_EQ(field(sent.requests[i], 576), "20150305090702");
    }
    EXPECT_EQ(sent.requests[4].dsrequestType, 3);
    EXPECT_EQ(sent.requests[5].dsrequestType, 10);
    // At the 32-bit counter's top a chart request keeps the id rather than overflow.
    constexpr std::int32_t top = std::numeric_limits<std::int32_t>::max();
    state::SessionTestAccess::setSessionValues(*session, top, std::nullopt);
    EXPECT_EQ(state::SessionTestAccess::dataServiceAnswers(*session).requestChartData("GOLD", "D", 100), top);
}

TEST_F(DataServiceTest, IncompleteRequestsSendNothing) {
    model::SearchInfo search;
    search.FromDate = model::Date{};
    state::SessionTestAccess::orderBook(*session).requestExecutedPosition(search);  // no ToDate
    search.ToDate = model::Date{};
    state::SessionTestAccess::funds(*session).requestFinancialTransactions(search);  // no account
    state::SessionTestAccess::funds(*session).requestAccountStatement({});
    state::ReferenceDataTestAccess::userInfo(state::SessionTestAccess::referenceData(*session)).reset();
    state::SessionTestAccess::orderBook(*session).requestOpenPosition();
    EXPECT_TRUE(sent.requests.empty());
}

TEST_F(DataServiceTest, EditAccessRowAndMissingResourceFiles) {
    state::SessionTestAccess::referenceData(*session).requestEditUserAccountAccessByClient(*session, model::UserAccountMaps{12, 3456, 1, ""});
    ASSERT_EQ(sent.requests.size(), 1u);
    EXPECT_EQ(field(sent.requests[0], 159), std::string("12") + C + "3456" + C + "1" + C + R);
    EXPECT_EQ(field(sent.requests[0], 1132), "edituabycl");

    const fs::path root = fs::temp_directory_path() / ("ds_test_" + std::to_string(::getpid()));
    ::setenv("XDG_DATA_HOME", root.c_str(), 1);
    const fs::path folder = *ResourceFiles::resourcesFolder();
    fs::create_directories(folder);
    std::ofstream(folder / "xabcx.ico") << "x";
    for (const char* name : {"abc.png", "xabcx.ico", "other.png"}) {
        auto r = std::make_shared<model::FileResource>();
        r->resourceName = name;
        state::ReferenceDataTestAccess::resourceSearchCollection(state::SessionTestAccess::referenceData(*session)).set(name, r);
    }
    state::SessionTestAccess::referenceData(*session).requestFileResourceForExtension(*session, "");  // in every name: nothing
    state::SessionTestAccess::referenceData(*session).requestFileResourceForExtension(*session, "abc");
    ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(root);
    ASSERT_EQ(sent.requests.size(), 2u);
    EXPECT_EQ(field(sent.requests[1], 151), "resourcedownload");
    EXPECT_EQ(field(sent.requests[1], 159).rfind(std::string("abc.png") + C, 0), 0u);
    EXPECT_EQ(sent.requests[1].receivingStrategy, 1);
}

TEST_F(DataServiceTest, ResourceDownloadsWriteOnlyTheNamesAskedFor) {
    const fs::path root = fs::temp_directory_path() / ("ds_download_" + std::to_string(::getpid()));
    ::setenv("XDG_DATA_HOME", root.c_str(), 1);
    const fs::path folder = *ResourceFiles::resourcesFolder();
    model::FileResource gold;
    gold.resourceName = "gold.svg";
    state::SessionTestAccess::referenceData(*session).requestFileResourceDownload(*session, gold);
    const std::string content = *model::Base64::encodeBase64WithData(protocol::testing::payloadPrefix(6) +
                                                                      *model::DataAdditions::gzipDeflate("<svg/>"));
    // Plain names the server may write unasked: an option, a command, a right-to-left override.
    for (const std::string name : {"-rf", "$(id)", "\u202Egvs.exe", "GOLD.SVG", "gold.svg", "gold.svg"})
        state::SessionTestAccess::dataServiceAnswers(*session).fillResourceDownload(name + C + "1" + R, content);
    platform::testing::finishQueues(*loop);
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path().filename().string());
    ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(root);
    EXPECT_EQ(files, std::vector<std::string>{"gold.svg"});
}

// Twenty large downloads: what fits the folder's limit is written, the rest
// is skipped and said not available; the main thread only hands them over.
TEST_F(DataServiceTest, LargeDownloadsStayWithinTheFoldersLimitOffTheMainThread) {
    constexpr std::size_t kFile = 1'000'000;
    const fs::path root = fs::temp_directory_path() / ("ds_budget_" + std::to_string(::getpid()));
    ::setenv("XDG_DATA_HOME", root.c_str(), 1);
    const fs::path folder = *ResourceFiles::resourcesFolder();
    fs::create_directories(folder);
    std::ofstream(folder / "earlier.pdf") << std::string(3 * kFile, 'e');
    answers->useBudget(std::make_shared<ResourceFiles::DownloadBudget>(10 * kFile, 16 * kFile));
    ReferenceData& ref = state::SessionTestAccess::referenceData(*session);
    std::vector<std::string> names;
    for (int i = 0; i < 20; ++i) {
        model::FileResource file;
        file.resourceName = names.emplace_back("large" + std::to_string(i) + ".pdf");
        ref.requestFileResourceDownload(*session, file);
    }
    const auto unavailable = platform::NotificationCenter::defaultCenter().addObserver(
        notifications::kResourceUnavailable, [this](const platform::Notification& n) { posted.push_back(n.name); });

    // The I/O queue held: whatever the main thread does, it writes nothing itself.
    std::promise<void> hold;
    platform::ioQueue()->async([held = hold.get_future().share()] { held.wait(); });
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string bytes(kFile, static_cast<char>('a' + i));
        answers->fillResourceDownload(names[i] + C + "1" + R,
                                      *model::Base64::encodeBase64WithData(protocol::testing::payloadPrefix(kFile) +
                                                                           *model::DataAdditions::gzipDeflate(bytes)));
    }
    loop->runUntilIdle();
    const auto writtenWhileHeld = std::distance(fs::directory_iterator(folder), fs::directory_iterator());
    hold.set_value();
    platform::testing::finishQueues(*loop);
    platform::NotificationCenter::defaultCenter().removeObserver(unavailable);

    EXPECT_EQ(writtenWhileHeld, 1);  // the earlier file alone
    std::uintmax_t total = 0;
    for (const auto& entry : fs::directory_iterator(folder)) total += entry.file_size();
    EXPECT_EQ(total, 10 * kFile);
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(fs::exists(folder / names[i]), i < 7) << names[i];
        EXPECT_EQ(static_cast<const SessionView&>(*session).isResourceFileUnavailable(names[i]), i >= 7) << names[i];
    }
    EXPECT_EQ(count(notifications::kResourceUnavailable), 13);
    ::unsetenv("XDG_DATA_HOME");
    fs::remove_all(root);
}

TEST(DownloadBudget, RoomIsTheLeastOfTheFileCapTheFolderAndTheLogin) {
    const fs::path folder = fs::temp_directory_path() / ("budget_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "held.bin") << std::string(1000, 'h');
    const std::size_t cap = ResourceFiles::kMaxResourceSize;
    const struct {
        const char* what;
        std::size_t folderLimit, loginLimit, taken, room;
    } cases[] = {
        {"the file cap", ResourceFiles::kMaxResourcesFolderSize, ResourceFiles::kMaxLoginDownloadSize, 0, cap},
        {"the folder's limit, files held counted", 5000, 1'000'000, 3000, 1000},
        {"the login's limit", 1'000'000, 5000, 4000, 1000},
        {"a full folder", ResourceFiles::kMaxResourcesFolderSize, ResourceFiles::kMaxLoginDownloadSize,
         ResourceFiles::kMaxResourcesFolderSize - 1000, 0},
        {"a login past its limit", 1'000'000, 5000, 6000, 0},
    };
    for (const auto& c : cases) {
        ResourceFiles::DownloadBudget budget(c.folderLimit, c.loginLimit);
        budget.room(folder.string());  // as each download does first: the folder measured
        budget.take(c.taken);
        EXPECT_EQ(budget.room(folder.string()), c.room) << c.what;
    }
    fs::remove_all(folder);
}

// --- Routing -------------------------------------------------------------------

TEST_F(DataServiceTest, RowsGoToTheirCollectionsAndSubscribeOnceAfterTheLast) {
    answer("getpendingorders", pendingRow("P1") + pendingRow("P2") + pendingRow("P3"));
    const auto& pending = state::SessionTestAccess::orderBook(*session).PendingOrderCollection();
    ASSERT_EQ(pending.size(), 3u);
    EXPECT_EQ(pending[2]->PendingOrderId, "P3");
    EXPECT_EQ(sent.subscriptions, 1);
    // A repeated last row still subscribes, once.
    answer("getopenpositions", openRow("A", "2") + openRow("A", "2"));
    EXPECT_EQ(sent.subscriptions, 2);
    // Only separators: no row.
    answer("getopenpositions", "\x06\x06");
    EXPECT_EQ(sent.subscriptions, 2);
    // An unknown name fills nothing; an answer naming another request is dropped.
    answer("getsomething", pendingRow("P9"));
    answer(protocol::RequestKind{1023, "getpendingorders", 0, 0}, pendingRow("P9"), "getopenpositions");
    EXPECT_EQ(pending.size(), 3u);
}

TEST_F(DataServiceTest, FailedAnswersDropBankDetailsOnlyForBankRequests) {
    struct Case {
        std::string name, data;
        bool kept;
    };
    for (const Case& c : std::vector<Case>{{"getpendingorders", "ERROR", true},
                                           {"getopenpositions", "", true},
                                           {"getbankaccounts", "\x06", true},
                                           {"getbankaccounts", "error", false}}) {
        state::SessionTestAccess::funds(*session).fillBankDetails(std::string("1") + C + "2");
        posted.clear();
        answer(c.name, c.data);
        EXPECT_EQ(state::SessionTestAccess::funds(*session).bankDetails() != nullptr, c.kept) << c.name << " " << c.data;
        EXPECT_EQ(count("BankDetailsNotification"), c.kept ? 0 : 1) << c.name;
    }
    // The first row only, one notification.
    posted.clear();
    answer("getbankaccounts", row(7, {{1, "001234"}, {6, "First"}}) + row(7, {{6, "Second"}}));
    EXPECT_EQ(state::SessionTestAccess::funds(*session).bankDetails()->BankAccountNumber, 1234u);
    EXPECT_EQ(state::SessionTestAccess::funds(*session).bankDetails()->BankName, "First");
    EXPECT_EQ(count("BankDetailsNotification"), 1);
}

TEST_F(DataServiceTest, BankAnswersKeepTheNumberOfTheirRequest) {
    model::AccountDetails account;
    account.AccountId = 1001;
    const std::uint64_t first = state::commandsOf(*session).requestBankDetails(account);
    const std::uint64_t second = state::commandsOf(*session).requestBankDetails(account);
    ASSERT_NE(first, 0u);
    EXPECT_GT(second, first);
    const auto bank = [&](std::uint64_t request, const std::string& data) {
        answer(protocol::RequestKind{1023, "getbankaccounts", 0, 0, request}, data);
        return std::make_pair(state::viewOf(*session).bankDetails() != nullptr, state::viewOf(*session).bankDetailsRequest());
    };
    EXPECT_EQ(bank(first, row(7, {{6, "First"}})), std::make_pair(true, first));
    EXPECT_EQ(bank(second, "ERROR"), std::make_pair(false, second));
    EXPECT_EQ(bank(first, ""), std::make_pair(false, first));  // dropped again: the number still moves
    // A request the session could not build has no number.
    state::ReferenceDataTestAccess::userInfo(state::SessionTestAccess::referenceData(*session)).reset();
    EXPECT_EQ(state::commandsOf(*session).requestBankDetails(account), 0u);
}

TEST_F(DataServiceTest, SchedulesEditAccessAndExecutedSearch) {
    ReferenceData& ref = state::SessionTestAccess::referenceData(*session);
    answer("getsessionschedule", row(6, {{1, "7"}}) + row(6, {{1, "9"}}));
    ASSERT_NE(ref.marketSessionSchedulesCollection().find("7"), nullptr);
    EXPECT_EQ(ref.marketSessionSchedulesCollection().find("7")->size(), 2u);
    answer("getsessionschedule", "ERROR");
    EXPECT_TRUE(ref.sessionSchedulesArray().empty());
    EXPECT_EQ(ref.marketSessionSchedulesCollection().size(), 1u);
    EXPECT_EQ(count("MarketSessionScheduleNotification"), 2);

    answer("addedituac", "SUCCESS");
    answer("addedituac", "failure");
    EXPECT_EQ(count("EditUserAccountAccessSucessNotification"), 1);
    EXPECT_EQ(count("EditUserAccountAccessFailureNotification"), 1);

    answer("getexecutedpositions", row(13, {{2, "5"}, {3, "1"}, {4, "2.50"}}) + row(13, {{3, "0"}}));
    answer("getexecutedpositions", row(13, {{3, "1"}}) + row(13, {{3, "0"}}));
    const auto& executed = state::SessionTestAccess::orderBook(*session).ExecutedOrderSearchCollection();
    ASSERT_EQ(executed.size(), 2u);  // emptied before each answer
    EXPECT_EQ(executed[0]->tradingMode, 0);
    EXPECT_EQ(executed[1]->tradingMode, 1);
    EXPECT_EQ(count("ExecutedPositionTableNotification"), 2);
}

// Hostile user-map answers: rows without ids are skipped, names keep their bytes as
// text, and an answer of any size leaves at most the cap of maps.
TEST_F(DataServiceTest, UserMapAnswersAreBoundedAndSkipRowsWithoutIds) {
    const ReferenceData& ref = state::SessionTestAccess::referenceData(*session);
    const std::string odd = std::string("a\x01b\x04<b>c</b>");
    answer("getusermapwithmyaccount", row(4, {{0, "x"}, {1, "1001"}}) + row(4, {{0, "12"}}) + std::string(3, R) +
                                          row(4, {{0, "12"}, {1, "1001"}, {2, "1"}, {3, odd}}));
    ASSERT_EQ(ref.userAccountMapCollection().size(), 1u);
    EXPECT_EQ(ref.userAccountMapCollection().first()->second->userName, odd);
    std::string many;
    for (std::size_t user = 1; user <= ReferenceData::kMaxUserAccountMaps + 500; ++user)
        many += row(4, {{0, std::to_string(user)}, {1, "2002"}, {2, "1"}});
    answer("getusermapwithmyaccount", many);
    EXPECT_EQ(ref.userAccountMapCollection().size(), ReferenceData::kMaxUserAccountMaps);
    EXPECT_EQ(count("UserAccountMapNotification"), 2);
}

TEST_F(DataServiceTest, CancelledOrdersFollowTheKindTheirRequestCarried) {
    // The login's request is built, then a statement request; the login's answer arrives.
    state::SessionTestAccess::orderBook(*session).requestCancelledOrders();
    const auto loginKind = protocol::RequestKind::of(sent.requests.back());
    state::SessionTestAccess::funds(*session).requestCancelledOrderHistoryForAccount({"1001", model::Date{}, model::Date{}});
    const auto historyKind = protocol::RequestKind::of(sent.requests.back());
    const std::string rows = cancelledRow("C1", "1001", "5") + cancelledRow("C2", "1001", "0") +
                             cancelledRow("C3", "4444", "5") + "short" + C + R + cancelledRow("C4", "1002", "5");
    answer(loginKind, rows);
    auto& statement = state::SessionTestAccess::funds(*session).accountStatementInfo().cancelledOrderInfo;
    EXPECT_TRUE(statement.empty());
    ASSERT_EQ(state::SessionTestAccess::orderBook(*session).CancelledOrderCollection().size(), 2u);
    EXPECT_EQ(state::SessionTestAccess::orderBook(*session).CancelledOrderCollection()[1]->CancelledOrderId(),
              "C4");
    EXPECT_EQ(count("AccountStatementNotification"), 0);

    answer(historyKind, rows);
    answer(historyKind, rows);  // replaced, not added
    EXPECT_EQ(statement.size(), 2u);
    EXPECT_EQ(state::SessionTestAccess::orderBook(*session).CancelledOrderCollection().size(), 2u);
    EXPECT_EQ(count("AccountStatementNotification"), 2);
}

// --- Initial collections ----------------------------------------------------------

TEST_F(DataServiceTest, InitialOrderCollections) {
    const OrderBook& book = state::SessionTestAccess::orderBook(*session);
    answer("getopenpositions", openRow("A", "2") + openRow("B", "0") + openRow("A", "3") + openRow("B", "1"));
    ASSERT_EQ(book.OpenOrderCollection().size(), 2u);  // A, then B again: only the copy held it
    ASSERT_EQ(book.OpenOrderCollectionCopy().size(), 1u);
    EXPECT_EQ(book.OpenOrderCollection()[0]->Commision, 5.0);
    EXPECT_EQ(book.OpenOrderCollection()[0]->ItemCode, "GOLD");
    EXPECT_EQ(book.OpenOrderCollection()[0]->RemainingQty, "2.000000");
    // A position the live handlers removed is no longer held.
    state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)).erase(state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session)).begin());
    answer("getopenpositions", openRow("A", "2"));
    ASSERT_EQ(book.OpenOrderCollection().size(), 2u);
    std::swap(state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session))[0], state::OrderBookTestAccess::OpenOrderCollection(state::SessionTestAccess::orderBook(*session))[1]);

    answer("getpendingorders", pendingRow("P1", {{5, "2"}, {10, "1.2345"}, {11, "0"}, {12, "1.5"}, {25, "A"}}) +
                                   pendingRow("P2", {{5, "3"}, {10, "1.1"}, {25, "A"}}) +
                                   pendingRow("P3", {{9, "0"}, {24, "20150305090702"}}));
    ASSERT_EQ(book.PendingOrderCollection().size(), 2u);
    EXPECT_EQ(book.PendingOrderCollection()[0]->LimitPrice, "");
    EXPECT_EQ(book.PendingOrderCollection()[0]->StopPrice, "1.500000");
    EXPECT_EQ(book.OpenOrderCollection()[0]->LimitPrice, "1.234500");
    EXPECT_EQ(book.OpenOrderCollection()[0]->StopPrice, "1.100000");
    ASSERT_EQ(book.PendingOrderCollectionCopy().size(), 1u);
    EXPECT_EQ(book.PendingOrderCollectionCopy()[0]->TransactionDateTime, "03/05/2015 09:07:02");

    answer("getsettledpositions", row(20, {{0, "S1"}, {5, "3"}, {6, "12.5"}, {13, "1.2345"}, {19, "1.25"}}));
    ASSERT_EQ(book.SettledOrderCollection().size(), 1u);
    EXPECT_EQ(book.SettledOrderCollection()[0]->SettledPL(), "12.50");
    EXPECT_EQ(book.SettledOrderCollection()[0]->SettledQty(), "3.000000");
    EXPECT_EQ(book.SettledOrderCollection()[0]->OrderPrice, "1.2345");

    answer("getequityhitpriceinfo", row(14, {{2, "A"}, {5, "1.1"}, {7, "-4"}}) + row(14, {{2, "A"}, {5, "1.2"}, {7, "-5"}}));
    EXPECT_EQ(book.OpenOrderCollection()[0]->EquityHitPrice(), 1.2);
    EXPECT_EQ(book.OpenOrderCollection()[0]->UnrealisedPL, -5.0);
}

TEST_F(DataServiceTest, ALongWatchlistIsSubscribedOverSlicesAndTheMessagesAfterItWait) {
    const OrderBook& book = state::SessionTestAccess::orderBook(*session);
    std::vector<std::string>& symbols =
        state::ReferenceDataTestAccess::selectedSymbols(state::SessionTestAccess::referenceData(*session));
    const std::size_t total = 2 * FeedChannels::kItemsPerGatherSlice + 1;
    for (std::size_t i = 0; i < total; ++i) symbols.push_back("S" + std::to_string(i));
    state::SessionTestAccess::feedChannels(*session).subscribeAllItems();
    EXPECT_EQ(sent.subscriptions, 0);
    pendingMessage(pendingRow("P1", {{5, "2"}}));
    EXPECT_TRUE(book.PendingOrderCollection().empty());
    loop->runUntilIdle();
    // The whole list once, then the pending answer, which subscribes after its rows.
    EXPECT_EQ(sent.subscribedCodes, (std::vector<std::size_t>{total, total + 1}));
    EXPECT_EQ(book.PendingOrderCollection().size(), 1u);

    // Under another fill's hold the list goes at once: that fill's release would end a hold of its own.
    std::string rows;
    for (std::size_t i = 0; i < 2 * DataServiceAnswers::kRowsPerSlice; ++i) rows += openRow("A" + std::to_string(i), "1");
    state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(
        rows, std::nullopt, "getopenpositions", protocol::RequestKind{1023, "getopenpositions", 0, 0});
    state::SessionTestAccess::feedChannels(*session).subscribeAllItems();
    EXPECT_EQ(sent.subscriptions, 3);
}

TEST_F(DataServiceTest, ALongAnswerFillsOverSlicesAndTheMessagesAfterItWait) {
    const OrderBook& book = state::SessionTestAccess::orderBook(*session);
    const std::size_t total = 2 * DataServiceAnswers::kRowsPerSlice + 1;
    int tableNotices = 0;
    tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
        notifications::kOpenPositionTable, [&tableNotices](const platform::Notification&) { ++tableNotices; }));
    std::string rows;
    for (std::size_t i = 0; i < total; ++i) rows += openRow("A" + std::to_string(i), "1");
    const std::string last = "A" + std::to_string(total - 1);
    state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(
        rows, std::nullopt, "getopenpositions", protocol::RequestKind{1023, "getopenpositions", 0, 0});
    EXPECT_EQ(book.OpenOrderCollection().size(), DataServiceAnswers::kRowsPerSlice);
    EXPECT_EQ(sent.subscriptions, 0);
    // The pending answer that comes meanwhile brackets the last position: it waits for it.
    pendingMessage(pendingRow("P1", {{5, "2"}, {10, "1.2345"}, {11, "0"}, {12, "1.5"}, {25, last}}));
    EXPECT_TRUE(book.PendingOrderCollection().empty());
    loop->runUntilIdle();
    ASSERT_EQ(book.OpenOrderCollection().size(), total);
    EXPECT_EQ(book.OpenOrderCollection().back()->LimitPrice, "1.234500");
    EXPECT_EQ(book.PendingOrderCollection().size(), 1u);
    EXPECT_EQ(sent.subscriptions, 2);  // once after each answer's last row
    // The first slice, the rest of the fill at its end, the bracket: not one a slice.
    EXPECT_EQ(tableNotices, 3);
}

// A long answer delivered as a message: its rows are read from the message's
// own text, held by the fill until its last row, in the order a whole read gives.
TEST_F(DataServiceTest, ALongAnswerIsReadInStepsFromTheMessagesOwnText) {
    const OrderBook& book = state::SessionTestAccess::orderBook(*session);
    const std::size_t total = DataServiceAnswers::kRowsPerSlice + 2;
    std::string rows(2, R);  // empty rows anywhere are skipped
    std::vector<std::string> ids;
    for (std::size_t i = 0; i < total; ++i) {
        ids.push_back("A" + std::to_string(i));
        rows += openRow(ids.back(), "1") + (i % 7 == 0 ? std::string(1, R) : std::string());
    }
    IncomingMessage message = IncomingMessage::ofFields(
        1024, std::vector<std::string>{"10=1024", std::to_string(protocol::tag::DataServiceResult) + "=" + rows,
                                       std::to_string(protocol::tag::DataServiceRequestName) + "=getopenpositions"});
    message.requestKind = protocol::RequestKind{1023, "getopenpositions", 0, 0};
    const std::weak_ptr<const std::string> text = message.text;
    state::SessionTestAccess::checkNewMessage(*session, std::move(message));
    EXPECT_EQ(book.OpenOrderCollection().size(), DataServiceAnswers::kRowsPerSlice);
    EXPECT_FALSE(text.expired());  // the fill holds the message's text, not a copy of it
    loop->runUntilIdle();
    EXPECT_TRUE(text.expired());
    std::vector<std::string> filled;
    for (const auto& position : book.OpenOrderCollection()) filled.push_back(position->OpenPositionId);
    EXPECT_EQ(filled, ids);
}

// A long answer's rows read give their pages back while the rest is filled,
// every row still whole (the text is held here too, to be read afterwards).
TEST_F(DataServiceTest, ALongAnswerGivesBackThePagesOfTheRowsItRead) {
    std::string rows;
    std::vector<std::string> ids;
    for (int i = 0; i < 6000; ++i) rows += openRow(ids.emplace_back("A" + std::to_string(i)), "1") + std::string(600, R);
    IncomingMessage message = IncomingMessage::ofFields(
        1024, std::vector<std::string>{"10=1024", std::to_string(protocol::tag::DataServiceResult) + "=" + rows,
                                       std::to_string(protocol::tag::DataServiceRequestName) + "=getopenpositions"});
    message.requestKind = protocol::RequestKind{1023, "getopenpositions", 0, 0};
    const std::shared_ptr<const std::string> text = message.text;
    const std::string& early = ids[ids.size() / 4];  // a whole page from the answer's start
    const std::size_t first = text->find(early), last = text->rfind(ids.back());
    state::SessionTestAccess::checkNewMessage(*session, std::move(message));
    loop->runUntilIdle();
    EXPECT_NE(text->compare(first, early.size(), early), 0);
    EXPECT_EQ(text->compare(last, ids.back().size(), ids.back()), 0);  // the last pages are read, not given back
    std::vector<std::string> filled;
    for (const auto& position : state::SessionTestAccess::orderBook(*session).OpenOrderCollection())
        filled.push_back(position->OpenPositionId);
    EXPECT_EQ(filled, ids);
}

TEST(RowReader, RowsReadOneByOneAreTheNonEmptyRowsInOrder) {
    const std::string r(1, R);
    const struct {
        std::string text;
        std::vector<std::string> rows;
    } cases[] = {
        {"", {}},
        {r + r, {}},
        {"a", {"a"}},
        {"a" + r, {"a"}},
        {r + "a" + r + r + "bc" + r + r, {"a", "bc"}},
        {"a" + r + "b", {"a", "b"}},
    };
    for (const auto& c : cases) {
        RowReader reader(c.text);
        std::vector<std::string> read;
        while (!reader.done()) {
            const auto row = reader.next();
            ASSERT_TRUE(row) << c.text;
            read.emplace_back(*row);
        }
        EXPECT_FALSE(reader.next()) << c.text;
        EXPECT_EQ(read, c.rows) << c.text;
        EXPECT_GE(RowReader::mostRows(c.text), c.rows.size()) << c.text;
    }
}

// The line going mid-fill ends it: the rest of its rows and what it held are not used.
TEST_F(DataServiceTest, ALongAnswerCutByTheLineDropsItsRestAndWhatItHeld) {
    const OrderBook& book = state::SessionTestAccess::orderBook(*session);
    std::string rows;
    for (std::size_t i = 0; i < 2 * DataServiceAnswers::kRowsPerSlice; ++i) rows += openRow("A" + std::to_string(i), "1");
    state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(
        rows, std::nullopt, "getopenpositions", protocol::RequestKind{1023, "getopenpositions", 0, 0});
    pendingMessage(pendingRow("P1", {{5, "2"}}));
    state::SessionTestAccess::connectionFailure(*session, "gone");
    loop->runUntilIdle();
    EXPECT_EQ(book.OpenOrderCollection().size(), DataServiceAnswers::kRowsPerSlice);
    EXPECT_TRUE(book.PendingOrderCollection().empty());
    EXPECT_EQ(sent.subscriptions, 0);
    // A message after the drop is handled at once.
    answer("getpendingorders", pendingRow("P2", {{5, "2"}}));
    EXPECT_EQ(book.PendingOrderCollection().size(), 1u);
}

TEST_F(DataServiceTest, AnUnansweredRequestIsAnsweredAsEmpty) {
    DataServiceAnswers& ds = state::SessionTestAccess::dataServiceAnswers(*session);
    std::vector<std::string> keys;
    tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
        "ChartDataReceivedNotification",
        [&keys](const platform::Notification& n) { keys.push_back(n.as<TextPayload>()->text); }));
    ds.requestUnanswered(protocol::RequestKind{1023, "getexecutedpositions", 0, 0});
    ds.requestUnanswered(protocol::RequestKind{1040, "GOLD^O", 0, 0});
    loop->runUntilIdle();
    EXPECT_EQ(count("ExecutedPositionTableNotification"), 1);
    EXPECT_EQ(keys, std::vector<std::string>{"GOLD^O"});
    EXPECT_TRUE(ds.chartDataCollection().empty());
}

TEST_F(DataServiceTest, ASecondLoginReplacesTheOrderCollections) {
    const OrderBook& book = state::SessionTestAccess::orderBook(*session);
    answer("getopenpositions", openRow("A", "50") + openRow("B", "2"));
    answer("getpendingorders", pendingRow("P1", {{5, "2"}}));
    answer("getsettledpositions", row(20, {{0, "S1"}, {5, "3"}}));
    ASSERT_EQ(book.OpenOrderCollection().size(), 2u);
    // While the session was down, B was closed, A lost a lot and P1 was cancelled.
    state::SessionTestAccess::dataServiceAnswers(*session).sendFirstRequests();
    answer("getopenpositions", openRow("A", "49"));
    answer("getpendingorders", "");
    ASSERT_EQ(book.OpenOrderCollection().size(), 1u);
    EXPECT_EQ(book.OpenOrderCollection()[0]->RemainingQty, "49.000000");
    EXPECT_TRUE(book.PendingOrderCollection().empty());
    EXPECT_TRUE(book.SettledOrderCollection().empty());
}

// --- Fillers -------------------------------------------------------------------------

TEST_F(DataServiceTest, FundsAndReferenceFillers) {
    const Funds& funds = state::SessionTestAccess::funds(*session);
    answer("getfinancialapprovals", row(14, {{0, "77"}, {5, "250.5"}}));
    answer("getapprovalrequest", row(10, {{0, "42"}, {1, "3"}, {9, "2"}}));
    answer("getfinancialapprovals", row(14, {{0, "42"}, {3, "1001"}, {10, "Bank"}}));
    ASSERT_EQ(funds.approvalRequests().count(42), 1u);
    const auto& request = *funds.approvalRequests().at(42);
    EXPECT_EQ(request.approvalTypeId, 3u);
    EXPECT_EQ(request.approvalType, 3);
    ASSERT_TRUE(request.information);
    EXPECT_EQ(request.information->benefactorAccount, 1001u);
    EXPECT_EQ(funds.financialApprovals().at(77)->approvedAmount, 250.5);

    answer("paygategetsettings", row(7, {{0, "1"}, {1, "Card"}}) + row(7, {{0, "1"}, {1, "Other"}}));
    EXPECT_EQ((*funds.payGateSettingsCollection().find("1"))->name, "Card");

    ReferenceData& ref = state::SessionTestAccess::referenceData(*session);
    // One user mapped to two accounts keeps a right per account; an edit of one leaves the other.
    answer("getusermapwithmyaccount", row(4, {{0, "12"}, {1, "1001"}, {2, "1"}}) + row(4, {{0, "12"}, {1, "1002"}, {2, "3"}}));
    EXPECT_EQ(ref.userAccountMapCollection().size(), 2u);
    EXPECT_EQ(count("UserAccountMapNotification"), 1);
    state::SessionCommands& commands = *session;
    const state::SessionView& view = *session;
    commands.updateUserAccountMaps(model::UserAccountMaps{12, 1002, 4, ""});
    commands.updateUserAccountMaps(model::UserAccountMaps{12, 1003, 2, ""});  // no such entry
    ASSERT_EQ(view.getUserMappedWithAccount(1001).size(), 1u);
    EXPECT_EQ(view.getUserMappedWithAccount(1001)[0]->accountAccessTypeId, 1u);
    EXPECT_EQ(view.getUserMappedWithAccount(1002)[0]->accountAccessTypeId, 4u);
    EXPECT_FALSE(view.isUserMappedWithAccount(1003));

    const std::string nine = std::string("f.ics") + C + "4" + C + "3" + C + "2" + C + "srv" + C + "K" + C + "P" + C + "CRC" + C + "7";
    ref.fillResourceSearchInfo(nine, 1);
    EXPECT_EQ((*ref.resourceSearchCollection().find("f.ics"))->fileEncodeType, 7u);
    EXPECT_EQ((*ref.resourceSearchCollection().find("f.ics"))->searchPattern, "P");
    ref.fillResourceSearchInfo(nine, 0);
    EXPECT_EQ((*ref.resourceSearchCollection().find("f.ics"))->fileCRC, "K");
    EXPECT_EQ((*ref.resourceSearchCollection().find("f.ics"))->searchKey, "");

    // Absent fields overwrite; an unknown instrument is left alone.
    answer("getinstruments", std::string("5") + C + "7" + C + "EX" + R + std::string("6") + C + "8" + R);
    const auto& gold = **ref.ItemCollection().find("GOLD");
    EXPECT_EQ(gold.marketID, 7u);
    EXPECT_EQ(gold.exchangeName, "EX");
    EXPECT_EQ(gold.descriptions, "");
}

// Rows whose first fields are not their ids would be held under id 0.
TEST_F(DataServiceTest, FundsAndAccessRowsWithoutTheirIdsAreSkipped) {
    const std::string junk = std::string("x") + C + "y" + R + C + C + R + "not a number" + R + row(14, {{0, "0"}}) + "-3" + R;
    for (const char* name : {"getapprovalrequest", "getfinancialapprovals"}) answer(name, junk);
    answer("getusermapwithmyaccount", junk + row(4, {{0, "-1"}, {1, "1001"}}) + row(4, {{0, "12"}, {1, "x"}}));
    EXPECT_TRUE(state::SessionTestAccess::funds(*session).approvalRequests().empty());
    EXPECT_TRUE(state::SessionTestAccess::funds(*session).financialApprovals().empty());
    EXPECT_TRUE(state::SessionTestAccess::referenceData(*session).userAccountMapCollection().empty());
}

TEST_F(DataServiceTest, ChartAnswersAreKeptByKeyAndAlwaysAnnounced) {
    std::vector<std::string> keys;
    tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
        "ChartDataReceivedNotification",
        [&keys](const platform::Notification& n) { keys.push_back(n.as<TextPayload>()->text); }));
    DataServiceAnswers& ds = state::SessionTestAccess::dataServiceAnswers(*session);
    ds.fillChartData("<A~B~C>first", 7, std::nullopt);
    ds.fillChartData("<X~B~Y>second", 7, std::nullopt);
    ds.fillChartData("<A>no key", 7, std::nullopt);
    ds.fillChartData("<A~B no end", 7, std::nullopt);
    loop->runUntilIdle();
    ASSERT_EQ(ds.chartDataCollection().size(), 1u);
    EXPECT_EQ(*ds.chartDataCollection().find("B"), "<X~B~Y>second");  // the newer answer of a key
    EXPECT_EQ(count("ChartDataReceivedNotification7"), 2);
    EXPECT_EQ(keys, (std::vector<std::string>{"B", "B"}));  // the key of every stored or known answer

    // The cache is bounded: the oldest answers make room, by count and by size.
    for (int i = 0; i < 300; ++i) ds.fillChartData("<A~K" + std::to_string(i) + "~C>", 7, std::nullopt);
    EXPECT_EQ(ds.chartDataCollection().size(), 256u);
    EXPECT_FALSE(ds.chartDataCollection().contains("B"));
    EXPECT_TRUE(ds.chartDataCollection().contains("K299"));
    const std::string big(40u * 1024u * 1024u, 'x');
    ds.fillChartData("<A~L1~C>" + big, 7, std::nullopt);
    ds.fillChartData("<A~L2~C>" + big, 7, std::nullopt);
    EXPECT_FALSE(ds.chartDataCollection().contains("L1"));
    EXPECT_TRUE(ds.chartDataCollection().contains("L2"));
    loop->runUntilIdle();
}

}  // namespace
}  // namespace state
