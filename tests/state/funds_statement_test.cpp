// The account statement answer read into the statement record, and the rows
// of the deposits and withdrawals list, through the session's answer routing.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/notification_center.h"
#include "platform/test_env.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"
#include "state/text_conversions.h"

namespace state {
namespace {

using Row = std::vector<std::pair<std::string, std::string>>;
using Tables = std::vector<std::pair<std::string, std::vector<Row>>>;

// An XML data set of the tables, texts written as the server escapes them.
std::string dataSet(const Tables& tables) {
    std::string xml = "<NewDataSet>";
    for (const auto& [name, rows] : tables)
        for (const Row& row : rows) {
            xml += "<" + name + ">";
            for (const auto& [column, text] : row) xml += "<" + column + ">" + text + "</" + column + ">";
            xml += "</" + name + ">";
        }
    return xml + "</NewDataSet>";
}

const std::vector<Row> kInstruments = {{{"InstrumentId", "1"}, {"Code", "GOLD"}}, {{"InstrumentId", "6"}, {"Code", "EURUSD"}}};
const std::vector<Row> kPrices = {{{"InstrumentId", "1"}, {"Bid", "1.25"}, {"Ask", "1.30"}},
                                  {{"InstrumentId", "9"}, {"Bid", "7"}, {"Ask", "8"}}};

// Each case runs on both roads: the row reader, and the element tree that a
// comment in the answer sends it to; both must fill the same records.
class StatementTest : public platform::testing::FakeTimeTest, public ::testing::WithParamInterface<bool> {
protected:
    void SetUp() override {
        FakeTimeTest::SetUp();
        SessionParts parts;
        parts.outgoing = [](const protocol::RequestMessage&) { return true; };
        session = BusinessBase::create(ui, ui, std::move(parts));
        for (const char* name : {"AccountStatementNotification", "DepositWithdrawalTableNotification"})
            tokens.push_back(platform::NotificationCenter::defaultCenter().addObserver(
                name, [this](const platform::Notification& n) {
                    EXPECT_TRUE(platform::MainExecutor::isMainThread());
                    posted.push_back(n.name);
                }));
    }
    void TearDown() override {
        for (auto t : tokens) platform::NotificationCenter::defaultCenter().removeObserver(t);
        session.reset();
        FakeTimeTest::TearDown();
    }
    void answer(const std::string& name, const std::optional<std::string>& data) {
        SessionTestAccess::dataServiceAnswers(*session).processDSResponse(data, std::nullopt, name,
                                                                          protocol::RequestKind{1023, name, 0, 0});
        loop->runUntilIdle();
    }
    const model::AccountStatementInfo& statement(const Tables& tables) {
        const bool rowReader = GetParam();
        answer("getdsaccountstatement", (rowReader ? "" : "<!-- tree -->") + dataSet(tables));
        // The row road keeps no table map.
        EXPECT_TRUE(!rowReader || state::SessionTestAccess::referenceData(*session).TableDataCollection().empty());
        return info();
    }
    const model::AccountStatementInfo& info() const { return state::SessionTestAccess::funds(*session).accountStatementInfo(); }

    testing::RecordingUi ui;
    std::shared_ptr<BusinessBase> session;
    std::vector<platform::NotificationCenter::Token> tokens;
    std::vector<std::string> posted;
};

TEST_P(StatementTest, AccountRowsPlaceStartAndEnd) {
    auto account = [](const char* id, const char* date) { return Row{{"TAHId", id}, {"TAHDate", date}}; };
    struct Case {
        std::vector<Row> rows;
        std::uint64_t start, end;  // TAHId, 0 for none
    };
    const std::vector<Case> cases = {
        {{account("1", "2016-01-31T00:00:00")}, 1, 1},
        {{account("1", "2016-01-31T00:00:00"), account("2", "2016-01-01T00:00:00.000")}, 2, 1},
        {{account("1", "2016-01-01T00:00:00"), account("2", "2016-01-31T00:00:00")}, 1, 2},
        {{account("1", "2016-01-01T00:00:00"), account("2", "2016-01-01T00:00:00")}, 2, 1},
        {{account("1", "2016-01-01T00:00:00"), account("2", "2016-01-31")}, 0, 0},
        {{account("1", "2016-01-31T00:00:00"), account("2", "2016-01-01T00:00:00"), account("3", "2015-01-01T00:00:00")}, 2, 1},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const auto& s = statement({{"Table", cases[i].rows}});
        EXPECT_EQ(s.StartInfo ? s.StartInfo->TAHId : 0u, cases[i].start) << i;
        EXPECT_EQ(s.EndInfo ? s.EndInfo->TAHId : 0u, cases[i].end) << i;
    }
    // An answer without account rows keeps no figures of the one before.
    statement({{"Table", {account("1", "2016-01-31T00:00:00")}}});
    const auto& s = statement({{"Table5", kInstruments}, {"Table6", kPrices}});
    EXPECT_FALSE(s.StartInfo);
    EXPECT_FALSE(s.EndInfo);
    EXPECT_EQ(s.InstrumentInfo.size(), 2u);
    EXPECT_EQ(s.InstrumentInfo.at("1")->Bid, 1.25);
    EXPECT_TRUE(s.OpenPositionInfo.empty() && s.FinancialTransactionInfo.empty() && s.clientAddressInfo.empty());
    EXPECT_EQ(posted.size(), cases.size() + 2);
    EXPECT_TRUE(state::SessionTestAccess::referenceData(*session).TableDataCollection().empty());  // the rows are let go once filled
}

TEST_P(StatementTest, OpenPositionRows) {
    struct Case {
        Row row;
        bool kept;
        double commission, currentPrice;
        std::int32_t side;
        std::string code, date;
    };
    const std::vector<Case> cases = {
        {{{"PositionId", "5"}, {"InstrumentId", "1"}, {"IsBuy", "true"}, {"CommisionPaid", "10"}, {"PositionInitialQty", "4"},
          {"PositionQty", "1"}, {"PositionDate", "2016-03-05T14:07:09.123"}}, true, 2.5, 1.25, 0, "GOLD", "03/05/2016 14:07:09"},
        {{{"PositionId", "6"}, {"InstrumentId", "1"}, {"IsBuy", "false"}, {"CommisionPaid", "10"}, {"PositionInitialQty", "0"},
          {"PositionDate", "05/03/2016"}}, true, 10, 1.30, 1, "GOLD", "05/03/2016"},
        {{{"PositionId", "7"}, {"InstrumentId", "6"}, {"IsBuy", ""}}, true, 0, 0.0, 1, "EURUSD", ""},
        {{{"PositionId", "8"}, {"InstrumentId", "9"}}, true, 0, 0.0, 0, "", ""},
        {{{"PositionId", "0"}, {"InstrumentId", "1"}}, false, 0, 0, 0, "", ""},
        {{{"InstrumentId", "1"}}, false, 0, 0, 0, "", ""},
    };
    std::vector<Row> rows;
    for (const Case& c : cases) rows.push_back(c.row);
    const auto& s = statement({{"Table5", kInstruments}, {"Table6", kPrices}, {"Table1", rows}});
    ASSERT_EQ(s.OpenPositionInfo.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& p = *s.OpenPositionInfo[i];
        EXPECT_EQ(p.Commision, cases[i].commission) << i;
        EXPECT_EQ(p.CurrentPrice, cases[i].currentPrice) << i;
        EXPECT_EQ(p.tradingMode, cases[i].side) << i;
        EXPECT_EQ(p.ItemCode, cases[i].code) << i;
        EXPECT_EQ(p.TransactionDateTime, cases[i].date) << i;
    }
}

TEST_P(StatementTest, ColumnsLandInTheirFieldsAndRowsSortByIdValue) {
    const auto& s = statement({
        {"Table", {{{"TradingStatusId", "3"}, {"MarginStatusId", "2"}, {"StorageWaiveOffModeId", "7.9"}}}},
        {"Table1", {{{"PositionId", "10"}, {"RefPendingOrderId", "P7"}, {"AccumulatingStorage", "1.5"},
                     {"UnrealisedCharges", "0.75"}, {"ValueDate", "2016-03-05T00:00:00"}},
                    {{"PositionId", "9"}, {"ValueDate", ""}},
                    {{"PositionId", "100"}}}},
        {"Table2", {{{"PendingOrderId", "P10"}, {"OrderStatusId", "21"}}, {{"PendingOrderId", ""}}, {{"OrderQty", "4"}},
                    {{"PendingOrderId", "P9"}}}},
        {"Table3", {{{"SettlementId", "S1"}, {"RefPositionId", "7"}, {"OpenPrice", "1.5"}, {"ClosePrice", "1.6"}},
                    {{"RefPositionId", "8"}}}},
        {"Table8", {{{"AccountId", "1001"}, {"Address1", "Old"}}, {{"AccountId", "1001"}, {"Address1", "S&amp;P Tower"}}}},
        {"Table9", {{{"AccountId", "1001"}, {"CompanyAddress", "&amp;lt;b&amp;gt;"}}}},
        {"Table7", {{{"AccountId", "1001"}, {"MarginCallCount", "2"}}}},
    });
    ASSERT_TRUE(s.StartInfo);
    EXPECT_EQ(s.StartInfo->TradingStatusId, 3);
    EXPECT_EQ(s.StartInfo->tradingStatus, 3);
    EXPECT_EQ(s.StartInfo->MarginStatus, 2);
    EXPECT_EQ(s.StartInfo->accountMarginStatus, 2);
    EXPECT_EQ(s.StartInfo->StorageWaiveOffModeId, 7u);
    ASSERT_EQ(s.OpenPositionInfo.size(), 3u);
    EXPECT_EQ(s.OpenPositionInfo[0]->OpenPositionId, "9");
    EXPECT_EQ(s.OpenPositionInfo[1]->OpenPositionId, "10");
    EXPECT_EQ(s.OpenPositionInfo[2]->OpenPositionId, "100");
    EXPECT_EQ(s.OpenPositionInfo[1]->RefPositionIdOfBracket(), "P7");
    EXPECT_EQ(s.OpenPositionInfo[1]->Storage, 1.5);
    EXPECT_EQ(s.OpenPositionInfo[1]->UnRealisedCharges, 0.75);
    EXPECT_EQ(s.OpenPositionInfo[1]->ValueDate, "03/05/2016");
    ASSERT_EQ(s.PendingOrderInfo.size(), 3u);  // the empty id kept, the row without one dropped
    EXPECT_EQ(s.PendingOrderInfo[0]->PendingOrderId, "");
    EXPECT_EQ(s.PendingOrderInfo[1]->PendingOrderId, "P9");
    EXPECT_EQ(s.PendingOrderInfo[2]->OrderStatus(), "21");
    ASSERT_EQ(s.SettledPositionInfo.size(), 1u);
    EXPECT_EQ(s.SettledPositionInfo[0]->OpenPositionId, "7");
    EXPECT_EQ(s.SettledPositionInfo[0]->OrderPrice, "1.5");
    EXPECT_EQ(s.SettledPositionInfo[0]->SettledPrice(), "1.6");
    EXPECT_EQ(s.getClientAddressForAccountId(1001), "S&P Tower");
    EXPECT_EQ(s.getCompanyAddressForAccountId(1001), "&lt;b&gt;");
    EXPECT_EQ(s.getMarginCallCountForAccountId(1001), 2u);
    EXPECT_EQ(s.getClientAddressForAccountId(1002), std::nullopt);
}

TEST_P(StatementTest, WholeFromDoubleStaysInRange) {
    const std::vector<std::pair<std::string, std::uint64_t>> cases = {
        {"-5", 0}, {"nan", 0}, {"", 0}, {"3.99", 3}, {"1e30", std::numeric_limits<std::uint64_t>::max()}};
    for (const auto& [text, expected] : cases) {
        const auto& s = statement({{"Table", {{{"StorageWaiveOffModeId", text}}}}});
        ASSERT_TRUE(s.StartInfo);
        EXPECT_EQ(s.StartInfo->StorageWaiveOffModeId, expected) << text;
    }
}

// A failed answer empties the statement, marks it failed, logs why and still
// posts; the next statement clears the mark.
TEST_P(StatementTest, FailedAnswersAreMarkedAndLogged) {
    auto& answers = SessionTestAccess::dataServiceAnswers(*session);
    std::string nested;
    for (std::size_t i = 0; i <= ReferenceData::kMaxXmlDepth; ++i) nested = "<Table>" + nested + "</Table>";
    // Two open positions, the first one's quantity left unclosed, and a stray closing tag after the root.
    const auto position = [](const char* id, const char* quantity) {
        return Row{{"PositionId", id}, {"InstrumentId", "1"}, {"PositionQty", quantity}};
    };
    std::string unclosed = dataSet({{"Table5", kInstruments}, {"Table1", {position("7", "4"), position("8", "3")}}}) + "</x>";
    unclosed.erase(unclosed.find("</PositionQty>"), 14);
    // Cut 300 bytes into its first table and closed with other names.
    std::vector<Row> instruments;
    for (int i = 0; i < 20; ++i) instruments.push_back({{"InstrumentId", std::to_string(i)}, {"Code", "CODE" + std::to_string(i)}});
    const std::string whole = dataSet({{"Table5", instruments}, {"Table", {{{"TAHId", "1"}}}}});
    const std::string cutAndClosed = whole.substr(0, whole.find("<Table5>") + 300) + "</a></b></c>";
    std::string misspelt = dataSet({{"Table5", kInstruments}});
    misspelt.replace(misspelt.rfind("</NewDataSet>"), 13, "</NewDataSe>");
    const std::string secondRoot = dataSet({{"Table5", kInstruments}}) + dataSet({{"Table", {{{"TAHId", "1"}}}}});
    const struct {
        const char* kind;
        std::function<void()> fail;
        const char* logged;
    } cases[] = {
        {"error", [&] { answer("getdsaccountstatement", "ERROR"); }, "ERROR"},
        {"error word", [&] { answer("getdsaccountstatement", "error"); }, "ERROR"},
        {"empty", [&] { answer("getdsaccountstatement", ""); }, "empty"},
        {"no text", [&] { answer("getdsaccountstatement", std::nullopt); }, "empty"},
        {"not xml", [&] { answer("getdsaccountstatement", "statement unavailable"); }, "not XML"},
        {"cut short", [&] { answer("getdsaccountstatement", "<NewDataSet><Table><TAHId>1</TAHId></Table>"); },
         "before its root"},
        {"a closing tag for a start tag", [&] { answer("getdsaccountstatement", "<a><b><a></a>"); }, "before its root"},
        {"NUL before the end",
         [&] { answer("getdsaccountstatement", std::string("<NewDataSet><Table><TAHId>1</TAHId></Table>\0</NewDataSet>", 57)); },
         "before its root"},
        {"no tables", [&] { answer("getdsaccountstatement", "<NewDataSet/>"); }, "none of the statement's tables"},
        {"cut in the root's start tag", [&] { answer("getdsaccountstatement", "<NewDataSet note=\"a/>"); },
         "none of the statement's tables"},
        {"a web page", [&] { answer("getdsaccountstatement", "<html><body><p>Busy</p></body></html>"); },
         "none of the statement's tables"},
        {"too deep", [&] { answer("getdsaccountstatement", "<NewDataSet>" + nested + "</NewDataSet>"); },
         "not a readable XML"},
        {"a closing tag missing, a stray one after the root", [&] { answer("getdsaccountstatement", unclosed); },
         "not a well-formed XML"},
        {"cut in its first table, closed with other names", [&] { answer("getdsaccountstatement", cutAndClosed); },
         "not a well-formed XML"},
        {"the root closed by another name", [&] { answer("getdsaccountstatement", misspelt); }, "not a well-formed XML"},
        {"a second root", [&] { answer("getdsaccountstatement", secondRoot); }, "not a well-formed XML"},
        {"unanswered",
         [&] {
             answers.requestUnanswered(protocol::RequestKind{1023, "getdsaccountstatement", 0, 0});
             loop->runUntilIdle();
         },
         "no answer"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        EXPECT_FALSE(statement({{"Table5", kInstruments}, {"Table", {{{"TAHId", "1"}}}}, {"Table4", {{{"CrAmount", "5"}}}}})
                         .loadFailed);
        posted.clear();
        std::vector<std::string> lines;
        platform::Log::setSink([&](platform::LogLevel, const std::string& m) { lines.push_back(m); });
        c.fail();
        platform::Log::setSink(nullptr);
        EXPECT_TRUE(info().loadFailed);
        EXPECT_TRUE(info().InstrumentInfo.empty() && info().FinancialTransactionInfo.empty() && !info().StartInfo);
        EXPECT_TRUE(SessionTestAccess::referenceData(*session).TableDataCollection().empty());
        EXPECT_EQ(posted, std::vector<std::string>{"AccountStatementNotification"});
        EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [&](const std::string& l) {
            return l.starts_with("Account statement not loaded: ") && l.find(c.logged) != std::string::npos;
        })) << (lines.empty() ? "" : lines.back());
    }
    // A document of tables only as deep as a statement's is one: no failure;
    // nor is a comment or a processing instruction after the root.
    EXPECT_FALSE(statement({{"Table", {{{"Table9", "x"}}}}}).loadFailed);
    answer("getdsaccountstatement", dataSet({{"Table5", kInstruments}}) + "<!-- served in 2 ms -->\n<?trace 7?>\n");
    EXPECT_FALSE(info().loadFailed);
    EXPECT_EQ(info().InstrumentInfo.size(), 2u);
}

TEST_P(StatementTest, TransactionRowsInAnswerOrder) {
    const std::string C = "\x05", R = "\x06";
    auto row = [&](const std::string& id, const std::string& date) {
        return id + C + "DEP" + C + "1001" + C + "1" + C + "100.5" + C + "0" + C + "100.5" + C + "BT" + C + "n" + C + date + R;
    };
    answer("getfinancialtransactions", row("9", "20240131170500") + "1" + C + "2" + C + "3" + R + row("10", "bad"));
    const auto& rows = state::SessionTestAccess::funds(*session).FinancialTransactionCollection();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]->TransactionId, 9);
    EXPECT_EQ(rows[0]->CrAmount, 100.5);
    EXPECT_EQ(rows[0]->TransactionDate, "01/31/2024 17:05:00");
    EXPECT_EQ(rows[1]->TransactionDate, "bad");
    for (const char* failed : {"ERROR", "error", ""}) {
        answer("getfinancialtransactions", row("9", "20240131170500"));
        answer("getfinancialtransactions", failed);
        EXPECT_TRUE(state::SessionTestAccess::funds(*session).FinancialTransactionCollection().empty()) << failed;
    }
    EXPECT_EQ(posted, std::vector<std::string>(7, "DepositWithdrawalTableNotification"));
    // A window's clear empties the list at once and tells every reader.
    answer("getfinancialtransactions", row("9", "20240131170500"));
    static_cast<SessionCommands&>(*session).clearFinancialTransactions();
    loop->runUntilIdle();
    EXPECT_TRUE(state::SessionTestAccess::funds(*session).FinancialTransactionCollection().empty());
    EXPECT_EQ(posted, std::vector<std::string>(9, "DepositWithdrawalTableNotification"));
}

// Dates are remembered per destination: more texts than are remembered, in
// turn, still give each its own rewrite.
TEST(StatementDates, RememberedRewritesMatchTheirTexts) {
    const struct {
        std::string text, dateTime, date;
    } cases[] = {
        {"2016-03-05T10:11:12", "03/05/2016 10:11:12", "03/05/2016"},
        {"2016-03-05T10:11:12.250", "03/05/2016 10:11:12", "03/05/2016"},
        {"2020-12-31T23:59:59", "12/31/2020 23:59:59", "12/31/2020"},
        {"", "", ""},
        {"not a date", "not a date", "not a date"},
        {"2001-01-02T03:04:05", "01/02/2001 03:04:05", "01/02/2001"},
    };
    for (int round = 0; round < 3; ++round)
        for (const auto& c : cases) {
            EXPECT_EQ(TextConversion::dateTimeText(c.text), c.dateTime) << c.text;
            EXPECT_EQ(TextConversion::dateText(c.text), c.date) << c.text;
        }
}

INSTANTIATE_TEST_SUITE_P(Roads, StatementTest, ::testing::Values(true, false),
                         [](const auto& road) { return road.param ? "RowReader" : "ElementTree"; });

}  // namespace
}  // namespace state
