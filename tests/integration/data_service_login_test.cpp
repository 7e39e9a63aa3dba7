// The login's data-service requests against the loopback simulator: the order
// they reach it in, the collections their answers fill, and the resource files.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "integration/sim_login.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "model/search_info.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"
#include "state/resource_files.h"

namespace fs = std::filesystem;

namespace {

using state::BusinessBase;

std::vector<std::string> words(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::string fileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class DataServiceLoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        loop = std::make_shared<platform::ManualRunLoop>();
        platform::MainExecutor::install(loop);
        std::string tmpl = (fs::temp_directory_path() / "ds_login.XXXXXX").string();
        ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
        support = tmpl;
        ::setenv("XDG_DATA_HOME", support.c_str(), 1);
        sim = integration::SimProcess::start(TRADING_SIM_PATH, {});
        ASSERT_TRUE(sim->ready()) << "simulator did not start";
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        platform::testing::finishQueues(*loop);
        platform::MainExecutor::install(nullptr);
        ::unsetenv("XDG_DATA_HOME");
        fs::remove_all(support);
    }
    // Logs in and waits for the answer to the last request of the login.
    void login(const std::string& user, const std::string& password) {
        integration::setLogin(ui.login, *sim, user, password);
        session = BusinessBase::create(ui, ui);
        auto& center = platform::NotificationCenter::defaultCenter();
        for (const char* name : {"OpenPositionTableNotification", "ResourceDownloadCompletedNotification"})
            tokens.push_back(center.addObserver(name, [this](const platform::Notification& n) { posted.push_back(n.name); }));
        state::commandsOf(*session).StreamingConnection(true, false);
        // The chat requests travel on the TCP session: the simulator may read them after the others.
        ASSERT_TRUE(integration::pump(*loop, [&] {
            return dataServiceRequests(user).size() >= 9 && sessionTypes(user).size() >= 3 && quiet();
        }));
    }
    // Request-channel entries of the simulator's log (session types are numbers).
    std::vector<std::string> dataServiceRequests(const std::string& user) {
        std::vector<std::string> out;
        for (const auto& w : words(sim->command("received " + user)))
            if (w != "ok" && !std::isdigit(static_cast<unsigned char>(w[0]))) out.push_back(w);
        return out;
    }
    std::vector<std::string> sessionTypes(const std::string& user) {
        std::vector<std::string> out;
        for (const auto& w : words(sim->command("received " + user)))
            if (std::isdigit(static_cast<unsigned char>(w[0]))) out.push_back(w);
        return out;
    }
    // Every queued request answered.
    bool quiet() {
        auto channel = state::servicesOf(*session).connection().requestChannel();
        return channel && channel->queuedRequests() == 0 && !state::SessionTestAccess::funds(*session).financialApprovals().empty();
    }

    std::shared_ptr<platform::ManualRunLoop> loop;
    std::unique_ptr<integration::SimProcess> sim;
    state::testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
    fs::path support;
};

TEST_F(DataServiceLoginTest, LoginSequenceFillsEveryCollectionAndDownloadsResources) {
    login("trader", "secret1");
    EXPECT_EQ(dataServiceRequests("trader"),
              (std::vector<std::string>{"getopenpositions", "getpendingorders", "getsettledpositions",
                                        "getcancelledorders", "getinstruments", "resourcesearch", "resourcesearch",
                                        "getapprovalrequest", "getfinancialapprovals"}));
    EXPECT_EQ(sessionTypes("trader"), (std::vector<std::string>{"617", "626", "613"}));
    const state::OrderBook& book = state::SessionTestAccess::orderBook(*session);
    EXPECT_FALSE(book.OpenOrderCollection().empty());
    EXPECT_FALSE(book.PendingOrderCollection().empty());
    EXPECT_FALSE(book.SettledOrderCollection().empty());
    const state::Funds& funds = state::SessionTestAccess::funds(*session);
    ASSERT_EQ(funds.approvalRequests().count(801), 1u);
    ASSERT_TRUE(funds.approvalRequests().at(801)->information);
    EXPECT_EQ(funds.approvalRequests().at(801)->information->benefactorAccount, 1001u);
    EXPECT_TRUE(state::SessionTestAccess::referenceData(*session).resourceSearchCollection().contains("holidays.ics"));
    EXPECT_TRUE(state::SessionTestAccess::referenceData(*session).resourceSearchCollection().contains("gold.svg"));

    state::SessionTestAccess::referenceData(*session).requestFileResourceForExtension(*session, "holidays");
    state::SessionTestAccess::referenceData(*session).requestFileResourceForExtension(*session, "gold");
    const fs::path folder = *state::ResourceFiles::resourcesFolder();
    ASSERT_TRUE(integration::pump(*loop, [&] { return fs::exists(folder / "gold.svg") && fs::exists(folder / "calendar_ios.ics"); }));
    const std::string calendar =
        "BEGIN:VCALENDAR\nVERSION:2.0\nBEGIN:VEVENT\nDTSTART:20261225\nSUMMARY:Christmas Day - markets closed\n"
        "END:VEVENT\nEND:VCALENDAR\n";
    EXPECT_EQ(fileText(folder / "holidays.ics"), calendar);
    EXPECT_EQ(fileText(folder / "gold.svg"),
              "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"16\" height=\"16\"><circle cx=\"8\" cy=\"8\" r=\"7\" "
              "fill=\"gold\"/></svg>\n");
    EXPECT_FALSE(fileText(folder / "calendar_ios.ics").empty());

    // Chart data is kept under its key.
    state::commandsOf(*session).requestChartData("GOLD", "D", 10);
    ASSERT_TRUE(integration::pump(*loop, [&] { return state::SessionTestAccess::dataServiceAnswers(*session).chartDataCollection().size() == 1; }));
    EXPECT_TRUE(state::SessionTestAccess::dataServiceAnswers(*session).chartDataCollection().contains("GOLD^D"));
}

model::Date localDay(int year, int month, int day) {
    model::DateFormatter::Fields f;
    f.year = year, f.month = month, f.day = day;
    return *model::DateFormatter::dateFromFields(f, model::DateFormatter::Zone::Local);
}

TEST_F(DataServiceLoginTest, StatementTransactionsAndFundsAnswers) {
    login("trader", "secret1");
    auto& center = platform::NotificationCenter::defaultCenter();
    int statements = 0, lists = 0;
    tokens.push_back(center.addObserver("AccountStatementNotification", [&](const platform::Notification&) {
        EXPECT_TRUE(platform::MainExecutor::isMainThread());
        ++statements;
    }));
    tokens.push_back(center.addObserver("DepositWithdrawalTableNotification", [&](const platform::Notification&) { ++lists; }));
    state::SessionCommands& commands = state::commandsOf(*session);
    const model::StatementQuery query{"1001", localDay(2026, 11, 1), localDay(2026, 12, 31)};
    commands.requestAccountStatement(query);
    commands.requestCancelledOrderHistoryForAccount(query);
    // The login's own kind of request, built before the statement's cancelled orders come back.
    const std::size_t loginCancelled = state::SessionTestAccess::orderBook(*session).CancelledOrderCollection().size();
    state::SessionTestAccess::orderBook(*session).requestCancelledOrders();
    ASSERT_TRUE(integration::pump(*loop, [&] { return statements == 2 && quiet(); }));
    const auto asked = dataServiceRequests("trader");
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "getdsaccountstatement:1001"), 1);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), "getcancelledorders:1001"), 1);
    const model::AccountStatementInfo& s = state::SessionTestAccess::funds(*session).accountStatementInfo();
    EXPECT_EQ(s.InstrumentInfo.size(), 3u);
    ASSERT_EQ(s.OpenPositionInfo.size(), 3u);
    EXPECT_EQ(s.OpenPositionInfo[0]->OpenPositionId, "9");
    EXPECT_EQ(s.OpenPositionInfo[1]->OpenPositionId, "10");
    EXPECT_EQ(s.OpenPositionInfo[2]->OpenPositionId, "100");
    EXPECT_EQ(s.OpenPositionInfo[0]->CurrentPrice, 1.0802);  // a sell at the closing ask
    EXPECT_EQ(s.OpenPositionInfo[1]->TransactionDateTime, "11/05/2026 14:07:09");
    EXPECT_EQ(s.PendingOrderInfo.size(), 2u);
    EXPECT_EQ(s.SettledPositionInfo.size(), 3u);
    ASSERT_TRUE(s.StartInfo && s.EndInfo);
    EXPECT_EQ(s.StartInfo->Balance, 48000);
    EXPECT_EQ(s.EndInfo->Balance, 50000);
    EXPECT_EQ(s.cancelledOrderInfo.size(), 1u);
    EXPECT_EQ(state::SessionTestAccess::orderBook(*session).CancelledOrderCollection().size(), loginCancelled);
    // Totals worked by hand from the scenario's statement.
    EXPECT_EQ(s.getDeposit(), 1500.0);
    EXPECT_EQ(s.getWithDrawal(), -200.0);
    EXPECT_EQ(s.getCommission(), -12.0);
    EXPECT_EQ(s.getSettledPL(), 60.5);
    EXPECT_EQ(s.getDailyTDS(), -1.5);
    EXPECT_EQ(s.getOpenQuantity(), 4.0);
    EXPECT_EQ(s.getOpenProfitorLoss(), 100.25);
    EXPECT_EQ(s.getOpenCommission(), 6.5);
    EXPECT_EQ(s.getSettledQuantity(), 4.0);
    EXPECT_EQ(s.getPendingQuantity(), 5.0);
    EXPECT_EQ(s.getCancelledQuantity(), 3.0);
    const model::PieChartDictionary open = s.getOpendPLForItems();
    EXPECT_EQ(open.PieChartTitle, (std::vector<std::string>{"EURUSD", "GOLD"}));
    EXPECT_EQ(open.PieChartData, (std::vector<double>{-30.25, 130.5}));
    EXPECT_EQ(s.getSettledPLForItems().PieChartData, (std::vector<double>{80.5, -20.0}));
    EXPECT_EQ(s.getMarginCallCountForAccountId(1001), 2u);
    EXPECT_EQ(s.getClientAddressForAccountId(1001), "12 S&P Tower");
    EXPECT_EQ(s.getCompanyAddressForAccountId(1001), "Broker &lt;b&gt; Ltd");

    model::SearchInfo search;
    search.AccountNumber = "1001";
    search.FromDate = localDay(2026, 11, 1);
    search.ToDate = localDay(2026, 12, 31);
    search.TransactionDetails = "#DWR";
    commands.requestFinancialTransactions(search);
    commands.requestGetAllPayGateSettings();
    commands.requestBankDetails(*state::SessionTestAccess::referenceData(*session).AccountDetailCollection().find("1001")->get());
    ASSERT_TRUE(integration::pump(*loop, [&] { return lists == 1 && quiet() && state::SessionTestAccess::funds(*session).bankDetails(); }));
    const auto& rows = state::SessionTestAccess::funds(*session).FinancialTransactionCollection();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]->TransactionId, 9001);
    EXPECT_EQ(rows[0]->TransactionDate, "11/01/2026 09:00:00");
    EXPECT_EQ(rows[1]->DrAmount, 1500.0);
    const state::Funds& funds = state::SessionTestAccess::funds(*session);
    EXPECT_EQ(funds.approvalRequests().at(801)->approvalSubType, 2);
    EXPECT_EQ(funds.approvalRequests().at(801)->information, funds.financialApprovals().at(801));
    ASSERT_EQ(funds.payGateSettings().size(), 1u);
    EXPECT_EQ(funds.payGateSettings()[0]->name, "Card");
    EXPECT_EQ(funds.bankDetails()->BankName, "Example Bank");
}

TEST_F(DataServiceLoginTest, StatementThatIsNotXmlEmptiesTheRecord) {
    login("trader", "secret1");
    int statements = 0;
    tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
        "AccountStatementNotification", [&](const platform::Notification&) { ++statements; }));
    const model::StatementQuery query{"1001", localDay(2026, 11, 1), localDay(2026, 12, 31)};
    state::commandsOf(*session).requestAccountStatement(query);
    ASSERT_TRUE(integration::pump(*loop, [&] { return statements == 1 && quiet(); }));
    EXPECT_FALSE(state::SessionTestAccess::funds(*session).accountStatementInfo().OpenPositionInfo.empty());
    ASSERT_EQ(sim->command("fault statement-text on"), "ok");
    state::commandsOf(*session).requestAccountStatement(query);
    ASSERT_TRUE(integration::pump(*loop, [&] { return statements == 2 && quiet(); }));
    const model::AccountStatementInfo& s = state::SessionTestAccess::funds(*session).accountStatementInfo();
    EXPECT_TRUE(s.OpenPositionInfo.empty() && s.InstrumentInfo.empty() && s.FinancialTransactionInfo.empty());
    EXPECT_FALSE(s.StartInfo);
}

TEST_F(DataServiceLoginTest, DepositWithdrawalAndOnlinePaymentAnswers) {
    login("trader", "secret1");
    auto& center = platform::NotificationCenter::defaultCenter();
    std::map<std::string, platform::Notification> last;
    std::vector<std::int64_t> payGateStates;
    for (const char* name : {"DepositRequestNotification", "WithdrawalRequestNotification"})
        tokens.push_back(center.addObserver(name, [&last](const platform::Notification& n) { last[n.name] = n; }));
    tokens.push_back(center.addObserver("PayGateTransactionNotification", [&](const platform::Notification& n) {
        if (const auto* update = n.as<state::PayGateUpdate>()) payGateStates.push_back(update->state);
    }));
    state::SessionCommands& commands = state::commandsOf(*session);
    const auto account = *state::SessionTestAccess::referenceData(*session).AccountDetailCollection().find("1001");
    model::NewDeposit deposit;
    deposit.accountDetail = account;
    deposit.mode = 2;
    deposit.amount = 100.5;
    deposit.depositDate = "20261201000000";
    deposit.bankName = "Example Bank";
    commands.sendDepositRequest(deposit);
    ASSERT_TRUE(integration::pump(*loop, [&] { return last.count("DepositRequestNotification"); }));
    const auto* details = last["DepositRequestNotification"].as<state::DepositRequestDetails>();
    ASSERT_TRUE(details && details->request);
    ASSERT_EQ(details->lines.size(), 11u);
    EXPECT_EQ(details->lines[3], model::LanguageString::stringforSelectedLanguage(0, "0714") + "\x03" "BankTransfer");
    EXPECT_EQ(details->lines[5], model::LanguageString::stringforSelectedLanguage(0, "0590") + "\x03" "100.50");  // approved as asked
    const std::uint64_t depositId = details->request->approvalRequestId;
    EXPECT_EQ(state::SessionTestAccess::funds(*session).approvalRequests().at(depositId)->information->requestedAmount, 100.5);

    commands.sendWithdrawalRequest(model::NewWithdrawal{0, account, 20, "to bank"});
    ASSERT_TRUE(integration::pump(*loop, [&] { return last.count("WithdrawalRequestNotification"); }));
    ASSERT_EQ(last["WithdrawalRequestNotification"].as<state::DetailLines>()->lines.size(), 5u);
    EXPECT_EQ(last["WithdrawalRequestNotification"].as<state::DetailLines>()->lines[3],
              model::LanguageString::stringforSelectedLanguage(0, "0590") + "\x03" "20.00");

    deposit.mode = 3;
    deposit.email = "trader@example.invalid";
    deposit.payGate = std::make_shared<model::PayGateSetting>();
    deposit.payGate->payGateId = 1;
    commands.sendDepositRequest(deposit);
    ASSERT_TRUE(integration::pump(*loop, [&] { return payGateStates.size() == 3; }));
    EXPECT_EQ(payGateStates, (std::vector<std::int64_t>{1, 2, 3}));
    ASSERT_EQ(state::SessionTestAccess::funds(*session).payGateTransactions().size(), 1u);
    const auto& payment = *state::SessionTestAccess::funds(*session).payGateTransactions().begin()->second;
    EXPECT_EQ(payment.transactionKey, "K7 +&=/?q");
    EXPECT_EQ(payment.transStatus, 3);
    const auto& journal = state::SessionTestAccess::journal(*session).JournalDataCollection();
    ASSERT_FALSE(journal.empty());
    EXPECT_NE(journal.back().find(payment.payTransactionId), std::string::npos);
    const auto sent = sessionTypes("trader");
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "693"), 2);
    EXPECT_EQ(std::count(sent.begin(), sent.end(), "93"), 1);

    // Back-office notices, titled by the request's kind.
    const std::uint64_t withdrawalId = depositId + 1;
    // The login's own notices (offline chat notices) came before these.
    const std::size_t locals = ui.locals.size(), banners = ui.banners.size();
    ASSERT_EQ(sim->command("send trader 694 1035=930 1054=" + std::to_string(depositId) + " 1055=0"), "ok");
    ASSERT_EQ(sim->command("send trader 694 1035=931 1054=" + std::to_string(withdrawalId)), "ok");
    ASSERT_TRUE(integration::pump(*loop, [&] { return ui.locals.size() == locals + 2; }));
    ASSERT_EQ(ui.banners.size(), banners + 2);
    EXPECT_EQ(ui.banners[banners].subtitle, model::LanguageString::stringforSelectedLanguage(0, "1181"));
    EXPECT_EQ(ui.banners[banners + 1].subtitle, model::LanguageString::stringforSelectedLanguage(0, "1184"));
    EXPECT_FALSE(state::SessionTestAccess::funds(*session).approvalRequests().at(depositId)->isOpen);
}

TEST_F(DataServiceLoginTest, EquityHitAccountsAreAskedForTheirPrices) {
    login("eqhit2", "eqhit234");
    const auto requests = dataServiceRequests("eqhit2");
    ASSERT_GE(requests.size(), 6u);
    EXPECT_EQ(requests[4], "getequityhitpriceinfo:5001");
    EXPECT_EQ(requests[5], "getequityhitpriceinfo:5002");
    EXPECT_EQ(requests[6], "getinstruments");
}

TEST_F(DataServiceLoginTest, ErrorAnswersLeaveCollectionsEmpty) {
    ASSERT_EQ(sim->command("fault ds-answer error"), "ok");
    integration::setLogin(ui.login, *sim);
    session = BusinessBase::create(ui, ui);
    state::commandsOf(*session).StreamingConnection(true, false);
    // Every answer is on the main queue once the worker, the last request
    // sent, sleeps again.
    ASSERT_TRUE(integration::pump(*loop, [&] {
        auto channel = state::servicesOf(*session).connection().requestChannel();
        return dataServiceRequests("trader").size() == 9 && channel && channel->queuedRequests() == 0 &&
               channel->isWaitingForPass();
    }));
    loop->runUntilIdle();
    EXPECT_TRUE(state::SessionTestAccess::orderBook(*session).OpenOrderCollection().empty());
    EXPECT_TRUE(state::SessionTestAccess::funds(*session).approvalRequests().empty());
    EXPECT_TRUE(state::SessionTestAccess::referenceData(*session).resourceSearchCollection().empty());
}

}  // namespace
