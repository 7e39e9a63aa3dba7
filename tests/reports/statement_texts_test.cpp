// The statement's texts: detail cells by column, status lines, the account,
// order and margin summaries, the printed account block and the pickers'
// period rule.
#include <gtest/gtest.h>

#include <limits>

#include "model/formatter.h"
#include "reports/core/account_detail_text.h"
#include "reports/core/statement_cells.h"
#include "reports/core/statement_period.h"
#include "reports/core/statement_summaries.h"

namespace {

using reports::DetailTable;

// Each key's text is the key in angle brackets; the TDS rows' template keeps its placeholder.
std::string key(const std::string& k) { return k == "90580" ? "{0} TDS" : "<" + k + ">"; }

template <typename T>
std::shared_ptr<T> add(std::vector<std::shared_ptr<T>>& rows) {
    return rows.emplace_back(std::make_shared<T>());
}

class StatementTextsTest : public ::testing::Test {
protected:
    StatementTextsTest() {
        instrument("6", 4, "EURUSD");
        instrument("1", 5, "GOLD");
        session = std::make_shared<model::ItemDetails>();
        session->DecimalPlaces = 3;
    }
    void instrument(const std::string& id, int places, const std::string& code) {
        auto item = std::make_shared<model::InstrumentHistoryInfo>();
        item->InstrumentId = std::stoi(id);
        item->DecimalPlaces = places;
        item->Code = code;
        item->Bid = 1.5;
        statement.InstrumentInfo[id] = item;
    }
    std::string cell(DetailTable table, std::size_t row, const std::string& column) {
        const auto rows = reports::detailRows(table, statement, [this](const std::string& code) {
            return code == "EURUSD" ? session : nullptr;
        });
        const auto& ids = reports::detailColumns(table);
        const auto at = std::find(ids.begin(), ids.end(), column);
        EXPECT_NE(at, ids.end()) << column;
        EXPECT_LT(row, rows.size());
        if (at == ids.end() || row >= rows.size()) return "?";
        return rows[row][std::size_t(at - ids.begin())];
    }
    model::AccountStatementInfo statement;
    std::shared_ptr<model::ItemDetails> session;
};

TEST_F(StatementTextsTest, DetailCellsFollowTheirColumnsFormat) {
    auto p0 = add(statement.PendingOrderInfo);
    p0->orderType = 2, p0->timeinForce = 5, p0->deliveryMode = 2, p0->InstrumentId = 6, p0->LimitPrice = "1.23456";
    auto p1 = add(statement.PendingOrderInfo);
    p1->timeinForce = 3, p1->deliveryMode = 7, p1->InstrumentId = 6, p1->tradingMode = 1;
    auto p2 = add(statement.PendingOrderInfo);
    p2->InstrumentId = 99, p2->LimitPrice = "1.23456", p2->setRefPositionIdOfBracket("77");
    auto o0 = add(statement.OpenPositionInfo);
    o0->RemainingQty = "2.50", o0->InstrumentId = 0, o0->CurrentPrice = 7.126, o0->UnrealisedPL = -3.456;
    auto s0 = add(statement.SettledPositionInfo);
    s0->setCurrencyRate(1.5), s0->InstrumentId = 1, s0->setSettledQty("3.000"), s0->setSettledPL("12.345x");
    auto c0 = add(statement.cancelledOrderInfo);
    c0->OrderQty = "12345678901234567.5", c0->ItemCode = "EURUSD", c0->OrderPrice = "1.07";
    auto c1 = add(statement.cancelledOrderInfo);
    c1->PendingOrderId = "P9", c1->ItemCode = "GOLD", c1->OrderPrice = "1.07", c1->OrderQty = "x";

    const struct {
        DetailTable table;
        std::size_t row;
        const char* column;
        const char* shown;
    } cases[] = {
        {DetailTable::PendingOrders, 0, "0028", "Limit"},
        {DetailTable::PendingOrders, 0, "0337", "Day"},
        {DetailTable::PendingOrders, 0, "0132", "Intraday"},
        {DetailTable::PendingOrders, 0, "0233", "1.2346"},  // the statement instrument's 4 places
        {DetailTable::PendingOrders, 0, "0234", "0.00"},    // missing: 2 places whatever the instrument
        {DetailTable::PendingOrders, 0, "0287", "0"},
        {DetailTable::PendingOrders, 0, "0020", "B"},
        {DetailTable::PendingOrders, 1, "0337", ""},
        {DetailTable::PendingOrders, 1, "0132", "Unknown"},
        {DetailTable::PendingOrders, 1, "0233", "0.00"},
        {DetailTable::PendingOrders, 1, "0028", "None"},
        {DetailTable::PendingOrders, 1, "0020", "S"},
        {DetailTable::PendingOrders, 2, "0233", "1.23"},  // unknown instrument: 2 places
        {DetailTable::PendingOrders, 2, "0287", "77"},
        {DetailTable::OpenPositions, 0, "0027", "2.5"},
        {DetailTable::OpenPositions, 0, "0147", "7.13"},  // instrument id 0
        {DetailTable::OpenPositions, 0, "0011", ""},
        {DetailTable::OpenPositions, 0, "0319", "-3.46"},
        {DetailTable::SettledPositions, 0, "0434", "1.50000"},
        {DetailTable::SettledPositions, 0, "0027", "3"},
        {DetailTable::SettledPositions, 0, "0319", "12.35"},
        {DetailTable::CancelledOrders, 0, "0027", "12345678901234567.5"},
        {DetailTable::CancelledOrders, 0, "0232", "1.070"},  // the session's instrument of the code
        {DetailTable::CancelledOrders, 0, "0070", "-"},
        {DetailTable::CancelledOrders, 1, "0232", "1.07"},  // not the statement's GOLD
        {DetailTable::CancelledOrders, 1, "0070", "P9"},
        {DetailTable::CancelledOrders, 1, "0027", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(cell(c.table, c.row, c.column), c.shown) << int(c.table) << " row " << c.row << " " << c.column;
}

TEST_F(StatementTextsTest, InstrumentRowsUseTheirOwnPlacesAndDateTimeCellsFollowTheWidth) {
    const auto rows = reports::detailRows(DetailTable::Instruments, statement, nullptr);
    ASSERT_EQ(rows.size(), 2u);
    for (const auto& row : rows)
        EXPECT_EQ(row[1], row[0] == "GOLD" ? "1.50000" : "1.5000") << row[0];
    EXPECT_TRUE(reports::isDateTimeColumn(DetailTable::CancelledOrders, "0495"));
    EXPECT_FALSE(reports::isDateTimeColumn(DetailTable::CancelledOrders, "0070"));
    EXPECT_EQ(reports::dateTimeCell(135.0, "12/07/2026 09:05:01"), "09:05:01");
    EXPECT_EQ(reports::dateTimeCell(136.0, "12/07/2026 09:05:01"), "12/07/2026 09:05:01");
}

TEST_F(StatementTextsTest, HeldTextsKeepTheirStatementAfterALaterOneReplacesIt) {
    for (const int id : {6, 1, 6, 42}) {
        auto row = add(statement.OpenPositionInfo);
        row->InstrumentId = id, row->CurrentPrice = 2.0, row->OpenPositionId = std::to_string(id);
    }
    statement.OpenPositionInfo.insert(statement.OpenPositionInfo.begin() + 1, nullptr);
    const auto texts = reports::detailTexts(DetailTable::OpenPositions, statement, nullptr);
    const auto& ids = reports::detailColumns(DetailTable::OpenPositions);
    const std::size_t price = std::size_t(std::find(ids.begin(), ids.end(), "0147") - ids.begin());
    statement.beginStatement();  // the next statement's fill starts
    add(statement.OpenPositionInfo)->CurrentPrice = 9.0;
    ASSERT_EQ(texts->rows(), 5u);
    const std::vector<std::string> prices = {"2.0000", "", "2.00000", "2.0000", "2.00"};  // 6: 4 places, 1: 5, 42: none
    for (std::size_t r = 0; r < prices.size(); ++r) EXPECT_EQ(texts->text(r, price), prices[r]) << r;
    EXPECT_EQ(texts->text(0, 0), "6");
    EXPECT_EQ(texts->text(5, 0), "");
    EXPECT_EQ(texts->text(0, ids.size()), "");
}

TEST_F(StatementTextsTest, StatusLinesListTheirTotalsEachFollowedByFiveBlanks) {
    auto a = add(statement.SettledPositionInfo);
    a->setSettledQty("1.5"), a->setSettledPL("-1234.5");
    auto b = add(statement.SettledPositionInfo);
    b->setSettledQty("2");
    const std::string gap(5, ' ');
    EXPECT_EQ(reports::settledStatusLine(statement, key),
              "<0027> : 3.5" + gap + "<0152> : -1,234.50" + gap + "<0275> : 0.00" + gap + "<0432> : 0.00" + gap +
                  "TDS : 0.00" + gap);
    auto o = add(statement.OpenPositionInfo);
    o->RemainingQty = "12345678", o->UnrealisedPL = 0.1, o->Commision = 0.2, o->Storage = 1e6;
    EXPECT_EQ(reports::openStatusLine(statement, key),
              "<0027> : 12345678" + gap + "<0319> : 0.10" + gap + "<0275> : 0.20" + gap + "<0432> : 1,000,000.00" + gap);
}

TEST_F(StatementTextsTest, AccountSummaryRowsDependOnTheFiguresAndTheTdsRows) {
    const auto transaction = [&](std::int32_t type, double credit) {
        auto t = add(statement.FinancialTransactionInfo);
        t->SubTransactionType = type;
        t->CrAmount = credit;
    };
    const auto labels = [&] {
        std::vector<std::string> out;
        for (const auto& row : reports::accountSummaryRows(statement, key)) out.push_back(row.label);
        return out;
    };
    EXPECT_TRUE(labels().empty());  // no figures
    statement.StartInfo = std::make_shared<model::AccountHistoryInfo>();
    EXPECT_TRUE(labels().empty());  // no end figures
    statement.EndInfo = std::make_shared<model::AccountHistoryInfo>();
    statement.StartInfo->OpeningBalanceOfDay = 1234.5;
    statement.EndInfo->Balance = -0.004;
    const std::vector<std::string> plain = {"<0429>", "<0092>", "<0112>", "<0431>", "<0275>", "<0487>",
                                            "<0152>", "<0433>", "<0430>", "<0440>", "<0139>", "<0222>",
                                            "<0581>", "<0015>", "<0014>", "<0442>"};
    EXPECT_EQ(labels(), plain);
    const auto rows = reports::accountSummaryRows(statement, key);
    EXPECT_EQ(rows[0].value, "1,234.50");
    EXPECT_EQ(rows[8].value, model::Formatter::formatDecimalWithString("-0.00").value_or("?"));
    transaction(15, 2.5);
    ASSERT_EQ(labels().size(), 17u);
    EXPECT_EQ(labels()[8], "<0201> TDS");
    EXPECT_EQ(labels()[9], "<0430>");
    transaction(16, 1.0);
    ASSERT_EQ(labels().size(), 18u);
    EXPECT_EQ(labels()[9], "<0202> TDS");
    EXPECT_EQ(reports::accountSummaryRows(statement, key)[9].value, "1.00");
}

TEST_F(StatementTextsTest, OrderAndMarginSummariesShowPlainQuantitiesAndTheAccountsCount) {
    add(statement.SettledPositionInfo)->setSettledQty("1.5");
    add(statement.SettledPositionInfo)->setSettledQty("2");
    add(statement.PendingOrderInfo)->OrderQty = "10";
    const auto values = [&] {
        std::vector<std::string> out;
        for (const auto& row : reports::orderSummaryRows(statement, key)) out.push_back(row.value);
        return out;
    };
    EXPECT_EQ(values(), (std::vector<std::string>{"3.5", "0", "10", "0"}));
    add(statement.cancelledOrderInfo)->OrderQty = "0.0000004";
    EXPECT_EQ(values()[3], "0");

    auto calls = std::make_shared<model::MarginCallSummaryInfo>();
    calls->marginCallCount = 3;
    statement.marginCallSummaryInfo["1001"] = calls;
    const auto margin = reports::marginSummaryRows(statement, 1001, key);
    ASSERT_EQ(margin.size(), 1u);
    EXPECT_EQ(margin[0].label, "<0476>");
    EXPECT_EQ(margin[0].value, "3");
    EXPECT_EQ(reports::marginSummaryRows(statement, 1002, key)[0].value, "0");
    EXPECT_TRUE(reports::marginSummaryRows(statement, 0, key).empty());
}

// A statement that could not be loaded has no totals to show: no status line,
// no order or margin-call rows (never zeros).
TEST_F(StatementTextsTest, AFailedStatementHasNoSummaries) {
    add(statement.cancelledOrderInfo)->OrderQty = "2";
    statement.failStatement();
    EXPECT_EQ(reports::openStatusLine(statement, key), "");
    EXPECT_EQ(reports::settledStatusLine(statement, key), "");
    EXPECT_TRUE(reports::orderSummaryRows(statement, key).empty());
    EXPECT_TRUE(reports::marginSummaryRows(statement, 1001, key).empty());
    EXPECT_TRUE(reports::accountSummaryRows(statement, key).empty());
    statement.beginStatement();
    EXPECT_EQ(reports::orderSummaryRows(statement, key).size(), 4u);
}

TEST_F(StatementTextsTest, TheAccountBlockNamesTheRequestAndItsStatementsAddresses) {
    using model::DateFormatter;
    const auto at = [](int day, int hour) {
        DateFormatter::Fields f;
        f.year = 2026, f.month = 3, f.day = day, f.hour = hour;
        return *DateFormatter::dateFromFields(f, DateFormatter::Zone::Local);
    };
    auto client = std::make_shared<model::ClientAddressInfo>();
    client->accountId = 1001, client->address = "12 Tower";
    statement.clientAddressInfo["1001"] = client;
    auto company = std::make_shared<model::OrganizationInfo>();
    company->accountId = 1001, company->companyAddress = "Broker Ltd";
    statement.organizationInfo["1001"] = company;
    const struct {
        reports::StatementRequest request;
        std::string name, expected;
    } cases[] = {
        {{1001, at(2, 0), at(9, 12)}, "Ann",
         "\n\n12 Tower\n\nBroker Ltd\n\n<0012> : 1001\n\n<0239> : Ann\n\n<0436> : 03/02/2026 - 03/09/2026\n\n"},
        {{1002, at(1, 23), at(1, 23)}, "Bob",  // no addresses in the statement for this account
         "\n\n\n\n\n\n<0012> : 1002\n\n<0239> : Bob\n\n<0436> : 03/01/2026 - 03/01/2026\n\n"},
        {{0, at(2, 0), at(2, 12)}, "",  // no account resolved: nothing of 1001 shows
         "\n\n\n\n\n\n<0012> : 0\n\n<0239> : \n\n<0436> : 03/02/2026 - 03/02/2026\n\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reports::accountDetailString(c.request, statement, c.name, key), c.expected) << c.request.accountId;
}

TEST(StatementPeriodTest, TheRangeHoldsTheDefaultPeriodAndEveryLimit) {
    using model::DateFormatter;
    const auto at = [](int year, int month, int day, int hour) {
        DateFormatter::Fields f;
        f.year = year, f.month = month, f.day = day, f.hour = hour, f.minute = 30;
        return *DateFormatter::dateFromFields(f, DateFormatter::Zone::Local);
    };
    const model::Date morning = at(2026, 12, 8, 9);  // before noon: the default end lies after now
    const reports::StatementPeriod period = reports::defaultPeriod(morning);
    const auto fields = [](model::Date d) { return DateFormatter::fieldsFromDate(d, DateFormatter::Zone::Local); };
    EXPECT_EQ(fields(period.start).hour, 0);
    EXPECT_EQ(fields(period.start).minute, 0);
    EXPECT_EQ(fields(period.end).hour, 12);
    EXPECT_EQ(fields(period.end).day, 8);

    const struct {
        std::int64_t limit;
        model::Date earliest;
    } cases[] = {
        {30, at(2026, 11, 8, 9)},  // calendar days, the time of day kept
        {0, period.start},          // the midnight start stays in range
        {-5, period.start},         // a negative limit counts as 0
        {std::numeric_limits<std::int32_t>::max(), reports::earliestPickerDate()},
        {std::numeric_limits<std::int64_t>::max(), reports::earliestPickerDate()},
    };
    for (const auto& c : cases) {
        const reports::StatementPeriod range = reports::pickerRange(morning, c.limit, period);
        EXPECT_EQ(range.start, c.earliest) << c.limit;
        EXPECT_EQ(range.end, period.end) << c.limit;
        EXPECT_LE(range.start, range.end) << c.limit;
    }
    // After noon the latest date is now.
    const model::Date evening = at(2026, 12, 8, 18);
    EXPECT_EQ(reports::pickerRange(evening, 0, reports::defaultPeriod(evening)).end, evening);
    EXPECT_EQ(fields(reports::earliestPickerDate()).year, 100);
}

}  // namespace
