// The request channel as a raw ZeroMQ REQ client sees it: one answer of each kind.
#include <gtest/gtest.h>
#include <algorithm>
#include <array>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "raw_client.h"
#include "sim/chart_history.h"
#include "sim/market.h"

using namespace rawclient;
using namespace std::chrono_literals;

namespace {

// A data-service request in the client's tag order, with its extra tags after 153.
std::string dsRequest(const std::string& name, Fields extra, const std::string& user = "trader") {
    Fields f = {{10, "1023"}, {151, name}, {152, "1000"}, {153, "1"}};
    f.insert(f.end(), extra.begin(), extra.end());
    f.insert(f.end(), {{20, "8"}, {115, "11"}, {23, user}, {19, "424201"}, {21, "20261207101500"}});
    return frame(f);
}

// The answer frame (one), parsed; its rows split at 0x06 with the empty tail removed.
struct Answer {
    Message message;
    std::vector<std::vector<std::string>> rows;
};

Answer ask(ReqClient& req, const std::string& request, int* parts = nullptr) {
    Answer a;
    const auto reply = req.ask(request, parts);
    EXPECT_TRUE(reply);
    if (!reply || reply->size() < 2) return a;
    EXPECT_EQ(reply->front(), '\x01');
    EXPECT_EQ(reply->back(), '\x02');
    a.message = parse(reply->substr(1, reply->size() - 2)).value_or(Message{});
    for (const auto& r : splitOn(a.message.get(159), '\x06'))
        if (!r.empty()) a.rows.push_back(splitOn(r, '\x05'));
    return a;
}

}  // namespace

TEST(SimRequests, EveryTableAnswerCarriesTheRequestNameAndItsRowLayout) {
    auto sim = startSimulator();
    ReqClient req(sim->requestPort());
    struct Case {
        std::string name;
        Fields extra;
        std::size_t rows, fields;
        std::string user = "trader";
    };
    const std::vector<Case> cases = {
        {"getopenpositions", {}, 6, 28},
        {"getpendingorders", {}, 3, 29},
        {"getsettledpositions", {}, 1, 20},
        {"getcancelledorders", {}, 1, 18},
        {"getcancelledorders", {{34, "1001"}, {575, "20261201000000"}, {576, "20261231000000"}}, 1, 18},
        {"getcancelledorders", {{34, "1001"}, {575, "20260101000000"}, {576, "20260102000000"}}, 0, 0},
        {"getequityhitpriceinfo", {{160, "0"}, {34, "3001"}}, 1, 14, "eqhit"},
        {"getexecutedpositions", {{575, "20261201000000"}, {576, "20261231000000"}}, 6, 13},
        // One instant for both ends: that position's whole day.
        {"getexecutedpositions", {{575, "20261204100000"}, {576, "20261204100000"}}, 1, 13},
        {"getexecutedpositions", {{575, "20261206100000"}, {576, "20261206100000"}}, 0, 0},
        {"getinstruments", {{160, "3"}}, 23, 9},
        {"getsessionschedule", {{581, "2"}}, 5, 6},
        {"getusermapwithmyaccount", {{34, "1001"}}, 2, 4},
        {"getbankaccounts", {{34, "1001"}, {1132, "1"}}, 1, 7},
        {"getapprovalrequest", {}, 1, 10},
        {"getfinancialapprovals", {}, 1, 14},
        {"getfinancialtransactions", {{34, "1001"}, {575, "20261101000000"}, {576, "20261231000000"}, {551, "#DWR"}}, 2, 10},
        {"getfinancialtransactions", {{34, "1001"}, {575, "20261110000000"}, {576, "20261115000000"}, {551, "#DWR"}}, 1, 10},
        {"getfinancialtransactions", {{34, "1001"}, {551, "#ADJ"}}, 1, 10},
        {"getfinancialtransactions", {{34, "1001"}, {551, ""}}, 0, 0},
        {"resourcesearch", {{159, "\x05" "0\x05" "7\x05" "0\x05\x05" "CAL\x05\x05\x05" "0\x06"}, {160, "1"}}, 1, 9},
        {"paygategetsettings", {}, 1, 7},
    };
    for (const auto& c : cases) {
        const Answer a = ask(req, dsRequest(c.name, c.extra, c.user));
        EXPECT_EQ(a.message.type, 1024) << c.name;
        EXPECT_EQ(a.message.get(151), c.name);
        EXPECT_EQ(a.message.get(20), "8") << c.name;
        ASSERT_EQ(a.rows.size(), c.rows) << c.name;
        for (const auto& r : a.rows) EXPECT_EQ(r.size(), c.fields) << c.name;
    }
    // A market's week is Monday to Friday, days 1 to 5 (0 is Sunday).
    std::vector<std::string> days;
    for (const auto& r : ask(req, dsRequest("getsessionschedule", {{581, "2"}})).rows) days.push_back(r.at(3));
    EXPECT_EQ(days, (std::vector<std::string>{"1", "2", "3", "4", "5"}));
    // Rows name the user's own records: the first open position, by position.
    const Answer open = ask(req, dsRequest("getopenpositions", {}));
    ASSERT_FALSE(open.rows.empty());
    EXPECT_EQ(open.rows[0][0], "70001");
    EXPECT_EQ(open.rows[0][1], "1001");
    EXPECT_EQ(open.rows[0][2], "1");
    EXPECT_EQ(open.rows[0][3], "1");
    EXPECT_EQ(open.rows[0][9], "2021.35");
    // Another user's request sees none of them.
    EXPECT_TRUE(ask(req, dsRequest("getopenpositions", {}, "alice")).rows.empty());
    // The XML statement and the access edit.
    const Answer statement = ask(req, dsRequest("getdsaccountstatement", {{34, "1001"}, {575, "x"}, {576, "y"}}));
    EXPECT_EQ(statement.message.get(159).rfind("<NewDataSet><Table>", 0), 0u);
    EXPECT_NE(statement.message.get(159).find("<Address1>12 S&amp;P Tower</Address1>"), std::string::npos);
    const Answer edit = ask(req, dsRequest("addedituac", {{1132, "edituabycl"}, {159, "11\x05" "1001\x05" "1\x05\x06"}}));
    EXPECT_EQ(edit.message.get(159), "success");
    const std::string toViewMarket = "18\x05" "1001\x05" "4\x05\x06";
    const Answer edited = ask(req, dsRequest("addedituac", {{1132, "edituabycl"}, {159, toViewMarket}}));
    EXPECT_EQ(edited.message.get(159), "success");
    const Answer map = ask(req, dsRequest("getusermapwithmyaccount", {{34, "1001"}}));
    ASSERT_EQ(map.rows.size(), 2u);
    EXPECT_EQ(map.rows[1][0], "18");
    EXPECT_EQ(map.rows[1][2], "4");
    const Answer foreign = ask(req, dsRequest("addedituac", {{1132, "edituabycl"}, {159, "18\x05" "2001\x05" "4\x05\x06"}}));
    EXPECT_EQ(foreign.message.get(159), "failure");
    // Switched to refuse: a valid edit fails and the right stays.
    ASSERT_EQ(sim->command("fault addedituac failure"), "ok");
    const std::string toTrade = "18\x05" "1001\x05" "1\x05\x06";
    EXPECT_EQ(ask(req, dsRequest("addedituac", {{1132, "edituabycl"}, {159, toTrade}})).message.get(159), "failure");
    EXPECT_EQ(ask(req, dsRequest("getusermapwithmyaccount", {{34, "1001"}})).rows[1][2], "4");
    ASSERT_EQ(sim->command("fault addedituac normal"), "ok");
    EXPECT_EQ(ask(req, dsRequest("addedituac", {{1132, "edituabycl"}, {159, toTrade}})).message.get(159), "success");
}

TEST(SimRequests, ResourceDownloadIsMultipartWithTheCompressedFile) {
    auto sim = startSimulator();
    ReqClient req(sim->requestPort());
    int parts = 0;
    const Answer a = ask(req, dsRequest("resourcedownload", {{159, "holidays.ics\x05" "1\x05" "7\x05" "1\x05res1\x05" "a1b2c3\x05" "0\x06"}}), &parts);
    EXPECT_EQ(parts, 3);
    ASSERT_EQ(a.rows.size(), 1u);
    EXPECT_EQ(a.rows[0][0], "holidays.ics");
    const auto file = payload(a.message.get(1050));
    ASSERT_TRUE(file);
    EXPECT_EQ(file->rfind("BEGIN:VCALENDAR", 0), 0u);
}

TEST(SimRequests, ChartKeepAliveAndTheAnswerSwitches) {
    auto sim = startSimulator();
    ReqClient req(sim->requestPort());
    const Answer chart = ask(req, frame({{10, "1040"}, {12, "GOLD"}, {83, "D"}, {20, "7"}, {1025, "200"},
                                         {23, "trader"}, {19, "424201"}, {21, "20261207101500"}}));
    EXPECT_EQ(chart.message.type, 1041);
    EXPECT_EQ(chart.message.get(20), "7");
    const std::string text = chart.message.get(17);
    const std::string header = text.substr(1, text.find('>') - 1);
    ASSERT_GE(splitOn(header, '~').size(), 2u);
    EXPECT_EQ(splitOn(header, '~')[1], "GOLD^D");
    const auto sections = splitOn(text.substr(text.find('>') + 1), '#');
    ASSERT_EQ(sections.size(), 6u);
    EXPECT_EQ(splitOn(sections[2], ',').size(), 200u);
    EXPECT_EQ(sections[5].substr(sections[5].size() - 5), "<END>");
    EXPECT_EQ(splitOn(sections[0], ',')[0].size(), 8u);  // MM/dd/yy

    const auto keepAlive = req.ask(frame({{10, "1002"}, {23, "trader"}, {19, "424201"}, {21, "20261207101500"}}));
    ASSERT_TRUE(keepAlive);
    EXPECT_EQ(*keepAlive, "\x01" "8\x03" "10=1002\x03\x02");

    ASSERT_EQ(sim->command("fault ds-answer error"), "ok");
    EXPECT_EQ(ask(req, dsRequest("getopenpositions", {})).message.get(159), "ERROR");
    ASSERT_EQ(sim->command("fault ds-answer empty"), "ok");
    const Answer empty = ask(req, dsRequest("getopenpositions", {}));
    EXPECT_TRUE(empty.message.has(159));
    EXPECT_EQ(empty.message.get(159), "");
    ASSERT_EQ(sim->command("fault ds-answer normal"), "ok");
    ASSERT_EQ(sim->command("fault malformed-rows on"), "ok");
    const Answer bad = ask(req, dsRequest("getopenpositions", {}));
    ASSERT_EQ(bad.rows.size(), 4u);
    EXPECT_EQ(bad.rows[0].size(), 28u);
    EXPECT_EQ(bad.rows[1].size(), 2u);
    ASSERT_EQ(sim->command("fault malformed-rows off"), "ok");

    // A request that is not a frame still gets an (empty) answer, so the REQ socket goes on.
    const auto junk = req.ask("not a frame");
    ASSERT_TRUE(junk);
    EXPECT_EQ(*junk, "");
    ASSERT_EQ(sim->command("fault never-answer on"), "ok");
    ReqClient silent(sim->requestPort());
    EXPECT_FALSE(silent.ask(dsRequest("getopenpositions", {}), nullptr, 400ms));
    ASSERT_EQ(sim->command("fault never-answer off"), "ok");
    EXPECT_EQ(ask(req, dsRequest("getpendingorders", {})).message.get(151), "getpendingorders");
}

TEST(SimRequests, TheNextRequestCanGetAChosenFrame) {
    auto sim = startSimulator();
    ReqClient req(sim->requestPort());
    ASSERT_EQ(sim->command("next-answer 1049 12=GOLD 574=3"), "ok");
    EXPECT_EQ(req.ask(dsRequest("getopenpositions", {})), "\x01" "22\x03" "10=1049\x03" "12=GOLD\x03" "574=3\x03\x02");
    EXPECT_EQ(ask(req, dsRequest("getopenpositions", {})).message.get(151), "getopenpositions");
}

namespace {
std::vector<std::string> chartSections(ReqClient& req, const std::string& code, const std::string& interval,
                                       const std::string& count = "40") {
    const Answer a = ask(req, frame({{10, "1040"}, {12, code}, {83, interval}, {20, "1"}, {1025, count},
                                     {23, "trader"}, {19, "424201"}, {21, "20261207101500"}}));
    const std::string text = a.message.get(17);
    std::vector<std::string> out = {text.substr(0, text.find('>') + 1)};
    for (const auto& s : splitOn(text.substr(text.find('>') + 1), '#')) out.push_back(s);
    return out;  // header, then the six sections
}
}  // namespace

TEST(SimRequests, ChartBarsByIntervalKeysAndShapes) {
    auto sim = startSimulator();
    ReqClient req(sim->requestPort());
    // Bar times are the starts of their bars: "O" one minute, "1" ten minutes, "W" from Monday.
    const struct {
        const char* interval;
        int minuteStep;  // minutes of a bar; 0: any
    } cases[] = {{"O", 1}, {"1", 10}, {"H", 60}, {"D", 0}, {"W", 0}};
    for (const auto& c : cases) {
        const auto s = chartSections(req, "GOLD", c.interval);
        ASSERT_EQ(s.size(), 7u) << c.interval;
        for (const auto& t : splitOn(s[2], ',')) {
            ASSERT_EQ(t.size(), 8u);
            EXPECT_EQ(t.substr(6, 2), "00") << c.interval;
            if (c.minuteStep) EXPECT_EQ(std::stoi(t.substr(3, 2)) % c.minuteStep, 0) << c.interval << " " << t;
            else EXPECT_EQ(t, "00:00:00") << c.interval;
        }
    }
    std::tm monday{};
    const std::string firstWeek = splitOn(chartSections(req, "GOLD", "W")[1], ',')[0];
    ASSERT_TRUE(strptime(firstWeek.c_str(), "%m/%d/%y", &monday));
    std::mktime(&monday);
    EXPECT_EQ(monday.tm_wday, 1) << firstWeek;

    // A bid/ask chart: each bar's bid (highs' place) below its ask (lows' place).
    const auto ba = chartSections(req, "GOLD", "BA");
    const auto bids = splitOn(ba[4], ','), asks = splitOn(ba[5], ',');
    ASSERT_EQ(bids.size(), asks.size());
    for (std::size_t k = 0; k < bids.size(); ++k) EXPECT_LT(std::stod(bids[k]), std::stod(asks[k])) << k;

    EXPECT_EQ(sim->command("chart-requests GOLD^W"), "ok 2");
    EXPECT_EQ(sim->command("chart-requests GOLD^T"), "ok 0");

    // Asked again for more bars: every bar but the newest is the one answered before, in each section.
    for (const char* interval : {"T", "O", "D"}) {
        const auto first = chartSections(req, "GOLD", interval, "100"), again = chartSections(req, "GOLD", interval, "120");
        for (std::size_t k = 1; k < first.size(); ++k)
            EXPECT_NE(again[k].find(first[k].substr(0, first[k].rfind(','))), std::string::npos) << interval << " " << k;
    }

    // Answered under other keys, in the order given.
    ASSERT_EQ(sim->command("chart-keys SILVER^D,GOLD^H"), "ok");
    EXPECT_EQ(chartSections(req, "GOLD", "D")[0], "<1041~SILVER^D~40>");
    EXPECT_EQ(chartSections(req, "SILVER", "D")[0], "<1041~GOLD^H~40>");
    EXPECT_EQ(chartSections(req, "GOLD", "D")[0], "<1041~GOLD^D~40>");

    ASSERT_EQ(sim->command("fault chart-shape short"), "ok");
    auto s = chartSections(req, "GOLD", "D");
    EXPECT_EQ(splitOn(s[3], ',').size(), 40u);
    EXPECT_EQ(splitOn(s[1], ',').size(), 20u);
    EXPECT_EQ(splitOn(s[4], ',').size(), 20u);
    ASSERT_EQ(sim->command("fault chart-shape no-closes"), "ok");
    s = chartSections(req, "GOLD", "D");
    EXPECT_EQ(s[3], "");
    EXPECT_EQ(splitOn(s[4], ',').size(), 40u);
    EXPECT_EQ(sim->command("fault chart-shape odd").rfind("error", 0), 0u);
}

// The chart history for each bar length: a bar closed before the start the same in another history of the
// instrument, one closed since the same while the market goes on, the newest at the price, every bar sensible.
TEST(SimChartHistory, ClosedBarsStayAndEveryBarIsSensible) {
    using sim::ChartHistory;
    using Bars = std::map<long long, std::array<double, 4>>;  // open, high, low, close by start
    constexpr long long kStart = 1796040000, kThen = kStart + 1000, kNow = kStart + 2000;  // from a whole hour
    constexpr long long kFirstSecondKept = kNow - ChartHistory::kSeconds;
    const auto bars = [](const ChartHistory& h, long long length, int count, long long now) {
        Bars out;
        for (const auto& b : h.bars(length, count, now)) out[b.start] = {b.open, b.high, b.low, b.close};
        return out;
    };
    const auto trade = [](ChartHistory& h, long long from, long long to) {
        for (long long t = from; t < to; ++t) h.record(t, 1850 + (t * 7919 % 23 - 11) * 0.05);
    };
    ChartHistory gold("GOLD", 1850, kStart);
    const ChartHistory again("GOLD", 1850, kStart);
    trade(gold, kStart, kThen);
    gold.record(kThen, 1862.5);
    std::map<long long, Bars> then;
    for (const long long length : {1, 60, 300, 3600, 86400, 7 * 86400}) then[length] = bars(gold, length, 5000, kThen);
    trade(gold, kThen + 1, kNow);  // past the 20 minutes of seconds kept
    for (const auto& [length, was] : then) {
        SCOPED_TRACE(length);
        ASSERT_EQ(was.size(), 5000u);
        EXPECT_EQ(was.rbegin()->first - was.begin()->first, 4999 * length);
        EXPECT_EQ(was.rbegin()->second[3], 1862.5);
        const Bars now = bars(gold, length, 6000, kNow), fresh = bars(again, length, 5000, kStart);
        const long long shorter = length == 60 ? 1 : length == 300 ? 60 : 0;
        for (const auto& [start, bar] : was) {
            const auto& [open, high, low, close] = bar;
            EXPECT_TRUE(low <= std::min(open, close) && high >= std::max(open, close) && low > 1850 * 0.6 && high < 1850 * 1.4)
                << start;
            // It opens where the one before closed; a small move a minute before the start.
            if (const auto before = was.find(start - length); before != was.end()) {
                EXPECT_EQ(open, before->second[3]) << start;
                EXPECT_TRUE(length != 60 || start >= kStart || std::abs(close / before->second[3] - 1) < 0.01) << start;
            }
            // Closed: the same later (where its seconds are kept) and, before the start, in another history.
            if (start + length <= kThen && (length > 1 || start < kStart || start >= kFirstSecondKept)) {
                EXPECT_EQ(now.at(start), bar) << start;
                EXPECT_EQ(start + length <= kStart ? fresh.at(start) : bar, bar) << start;
            }
            // It closes where its last bar of the next shorter length does.
            if (shorter && then.at(shorter).count(start + length - shorter)) {
                EXPECT_EQ(then.at(shorter).at(start + length - shorter)[3], close) << start;
            }
        }
    }
    // Older than the seconds kept, a second bar reads flat at the price of its minute.
    for (const auto& [start, bar] : bars(gold, 1, 2000, kNow))
        EXPECT_TRUE(start <= kStart || start >= kFirstSecondKept || (bar[0] == bar[1] && bar[1] == bar[2] && bar[2] == bar[3]))
            << start;
    EXPECT_NE(ChartHistory("SILVER", 1850, kStart).bars(60, 10, kStart)[0].close, again.bars(60, 10, kStart)[0].close);
    // The market's chart ends at its quote.
    sim::InstrumentRecord record;
    record.code = "GOLD";
    record.price = 1850;
    sim::Market market({record}, 7);
    for (int i = 0; i < 50; ++i) market.step(0);
    EXPECT_EQ(market.chartBars(0, 60, 200).back().close, market.quote(0).last);
    // A minute of the feed's steps (four a second) moves about as far as a minute of the history.
    double historyRange = 0, low = market.quote(0).last, high = low;
    for (const auto& b : again.bars(60, 200, kStart)) historyRange += (b.high - b.low) / 200;
    for (int i = 0; i < 240; ++i) {
        market.step(0);
        low = std::min(low, market.quote(0).last);
        high = std::max(high, market.quote(0).last);
    }
    EXPECT_LT(high - low, 4 * historyRange);
}
