// Orders placed by a scripted raw client and the messages the simulator answers with.
#include <gtest/gtest.h>

#include <ctime>

#include "raw_client.h"

using namespace rawclient;
using namespace std::chrono_literals;

namespace {

// A new order in the client's tag order (type 60, sub-type 0).
Fields newOrder(const std::string& account, const std::string& code, int typeWire, int sideWire,
                const std::string& qty, const std::string& price, const std::string& requestId,
                const std::string& limit = "", const std::string& stop = "") {
    return {{10, "60"}, {34, account}, {23, "trader"}, {33, requestId}, {19, "424201"}, {12, code},
            {32, std::to_string(typeWire)}, {117, "51"}, {37, qty}, {38, price}, {39, limit}, {40, stop},
            {90, "0"}, {36, std::to_string(sideWire)}, {77, "0"}, {24, "(null)"}, {43, "47"}, {56, "0"},
            {54, "0"}, {61, "0"}, {60, "0"}, {62, "0"}, {67, "(null)"}, {78, "20261207101500"}};
}

std::vector<Message> collect(TcpClient& c, std::chrono::milliseconds quiet = 300ms) {
    std::vector<Message> out;
    while (auto m = c.next(quiet)) out.push_back(*m);
    return out;
}

// The executed search's rows for today, as the client asks for them.
std::string executedToday(int requestPort) {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    char today[16];
    std::strftime(today, sizeof today, "%Y%m%d%H%M%S", localtime_r(&now, &tm));
    const auto reply = ReqClient(requestPort).ask(frame({{10, "1023"}, {151, "getexecutedpositions"}, {152, "1000"},
                                                          {153, "1"}, {575, today}, {576, today}, {20, "8"}, {115, "11"},
                                                          {23, "trader"}, {19, "424201"}, {21, today}}));
    const auto answer = reply && reply->size() > 2 ? parse(reply->substr(1, reply->size() - 2)) : std::nullopt;
    return answer ? answer->get(159) : std::string();
}

std::vector<std::string> summary(const std::vector<Message>& ms) {
    std::vector<std::string> out;
    for (const auto& m : ms)
        out.push_back(std::to_string(m.type) + (m.has(73) ? std::string("/") + m.get(73) : std::string()));
    return out;
}

}  // namespace

TEST(SimOrders, AMarketOrderIsFilledIntoAnOpenPositionWithItsBrackets) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    c.sendEnvelope(newOrder("1001", "GOLD", 29, 45, "1", "0", "5", "2500", "1500"), r.sessionKey);
    const auto got = collect(c);
    EXPECT_EQ(summary(got), (std::vector<std::string>{"62/28", "62/23", "67/74", "62/28", "62/28", "1045"}));
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(got[0].get(33), "5");  // the request id of the order
    EXPECT_EQ(got[0].get(32), "29");
    EXPECT_EQ(got[0].get(36), "45");
    const std::string pendingId = got[0].get(79);
    EXPECT_EQ(got[1].get(79), pendingId);
    const Message& exec = got[2];
    EXPECT_EQ(exec.get(79), pendingId);
    EXPECT_EQ(exec.get(12), "GOLD");
    EXPECT_EQ(exec.get(34), "1001");
    EXPECT_EQ(exec.get(76), "1");
    EXPECT_FALSE(exec.get(80).empty());
    // The take-profit (limit) and stop-loss (stop) legs name the new position.
    EXPECT_EQ(got[3].get(32), "30");
    EXPECT_EQ(got[3].get(38), "2500.00");
    EXPECT_EQ(got[3].get(573), exec.get(80));
    EXPECT_EQ(got[4].get(32), "31");
    EXPECT_EQ(got[4].get(36), "46");
    EXPECT_EQ(got[5].get(34), "1001");
    EXPECT_EQ(got[5].get(24), "814");

    // Closing part of it by an offset order settles that part.
    Fields offset = {{10, "60"}, {34, "1001"}, {125, exec.get(80)}, {23, "trader"}, {33, "6"}, {19, "424201"},
                     {12, "GOLD"}, {32, "29"}, {117, "51"}, {37, "0.4"}, {38, "0"}, {90, "0"}, {36, "46"}, {77, "0"}};
    c.sendEnvelope(offset, r.sessionKey);
    const auto closed = collect(c);
    EXPECT_EQ(summary(closed), (std::vector<std::string>{"62/28", "62/23", "67/74", "67/73", "66", "1045"}));
    ASSERT_EQ(closed.size(), 6u);
    EXPECT_EQ(closed[0].get(125), exec.get(80));
    EXPECT_EQ(closed[2].get(76), "0");  // the closing execution is closed itself
    EXPECT_EQ(closed[3].get(80), exec.get(80));
    EXPECT_EQ(closed[3].get(76), "0.6");
    EXPECT_EQ(closed[4].get(12), "1");  // a settlement names the instrument by id
    EXPECT_EQ(closed[4].get(80), exec.get(80));
    EXPECT_EQ(closed[4].get(87), closed[2].get(80));
    EXPECT_EQ(closed[4].get(89), "0.4");
    // The executed search finds the trade the offset made, beside the one it closed part of.
    const std::string executed = executedToday(sim->requestPort());
    for (const std::string& id : {exec.get(80), closed[2].get(80)})
        EXPECT_NE(executed.find(id + "\x05" "1001\x05"), std::string::npos) << id << ": " << executed;
}

TEST(SimOrders, WorkingOrdersAreEditedCancelledAndRejected) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    c.sendEnvelope(newOrder("1001", "EURUSD", 30, 45, "2", "0.90000", "9"), r.sessionKey);
    auto placed = collect(c);
    ASSERT_EQ(summary(placed), (std::vector<std::string>{"62/28", "1045"}));
    const std::string id = placed[0].get(79);
    EXPECT_EQ(placed[0].get(38), "0.90000");

    Fields edit = {{10, "72"}, {1035, "EWO"}, {34, "1001"}, {23, "trader"}, {79, id}, {33, "10"}, {19, "424201"},
                   {12, "EURUSD"}, {32, "30"}, {117, "51"}, {37, "3"}, {38, "0.91000"}, {39, "0"}, {40, "0"},
                   {90, "0"}, {36, "45"}};
    c.sendEnvelope(edit, r.sessionKey);
    auto edited = collect(c);
    ASSERT_EQ(summary(edited), (std::vector<std::string>{"62/75", "1045"}));
    EXPECT_EQ(edited[0].get(37), "3");
    EXPECT_EQ(edited[0].get(38), "0.91000");

    edit[10].second = "0";  // quantity 0: cancel
    c.sendEnvelope(edit, r.sessionKey);
    auto cancelled = collect(c);
    ASSERT_EQ(summary(cancelled), (std::vector<std::string>{"62/24", "1045"}));
    EXPECT_EQ(cancelled[0].get(79), id);

    // A second cancel finds nothing; an unknown instrument and a foreign account are rejected.
    c.sendEnvelope(edit, r.sessionKey);
    auto again = collect(c);
    ASSERT_EQ(summary(again), (std::vector<std::string>{"62/25"}));
    EXPECT_TRUE(again[0].has(125));
    c.sendEnvelope(newOrder("1001", "NOPE", 29, 45, "1", "0", "11"), r.sessionKey);
    auto unknown = collect(c);
    ASSERT_EQ(summary(unknown), (std::vector<std::string>{"62/25"}));
    EXPECT_EQ(unknown[0].get(33), "11");
    EXPECT_FALSE(unknown[0].get(74).empty());
    c.sendEnvelope(newOrder("2001", "GOLD", 29, 45, "1", "0", "12"), r.sessionKey);
    EXPECT_EQ(summary(collect(c)), (std::vector<std::string>{"62/25"}));
    c.sendEnvelope(newOrder("1001", "GOLD", 29, 45, "-1", "0", "13"), r.sessionKey);
    EXPECT_EQ(summary(collect(c)), (std::vector<std::string>{"62/25"}));
    // The view-only account takes no orders; 90 lots of gold need more margin than 1001 has.
    c.sendEnvelope(newOrder("1003", "GOLD", 29, 45, "1", "0", "14"), r.sessionKey);
    auto viewOnly = collect(c);
    ASSERT_EQ(summary(viewOnly), (std::vector<std::string>{"62/25"}));
    EXPECT_EQ(viewOnly[0].get(74), "2");  // the account may not trade
    c.sendEnvelope(newOrder("1001", "GOLD", 29, 45, "90", "0", "15"), r.sessionKey);
    auto margin = collect(c);
    ASSERT_EQ(summary(margin), (std::vector<std::string>{"62/25"}));
    EXPECT_EQ(margin[0].get(74), "1");  // not enough margin
}

TEST(SimOrders, CloseAllAndCloseHedged) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    // Close the selection: position 70002 (1 lot of EURUSD in 1001).
    const std::string list = std::string("1001\x06\x07") + "3\x07" "2\x07" "6\x06\x07" +
                             "70002\x05\x05" "1\x05" "1001\x06\x07" + "6\x05" "1.083000\x05" "1.084000\x05" "20261207101500\x06\x07" +
                             "0\x07" "0\x07" "0\x07" "0\x07\x07";
    c.sendEnvelope({{10, "82"}, {583, list}, {20, "14"}, {23, "trader"}, {19, "424201"}, {21, "20261207101500"}},
                   r.sessionKey);
    const auto closed = collect(c);
    EXPECT_EQ(summary(closed), (std::vector<std::string>{"62/28", "62/23", "67/74", "67/73", "66", "1045"}));

    // Hedge: open an opposite GOLD position, then close both against each other.
    c.sendEnvelope(newOrder("1001", "GOLD", 29, 46, "2", "0", "15"), r.sessionKey);
    const auto opened = collect(c);
    ASSERT_GE(opened.size(), 3u);
    const std::string sell = opened[2].get(80);
    const std::string hedge = "70001\x05" "2\x06\x07" + sell + "\x05" "2\x06\x07";
    c.sendEnvelope({{10, "1052"}, {34, "1001"}, {12, "GOLD"}, {583, hedge}, {23, "trader"}, {19, "424201"},
                    {21, "20261207101500"}},
                   r.sessionKey);
    const auto both = collect(c);
    ASSERT_FALSE(both.empty());
    int settlements = 0, cancels = 0;
    for (const auto& m : both) {
        settlements += m.type == 66;
        cancels += m.type == 62 && m.get(73) == "24";  // the brackets of 70001 go with it
    }
    EXPECT_EQ(settlements, 2);
    EXPECT_EQ(cancels, 2);
    bool sawAnswer = false;
    for (const auto& m : both) {
        sawAnswer |= m.type == 1052;
        EXPECT_FALSE(m.has(33)) << "the offset carries no request id to echo";
    }
    EXPECT_TRUE(sawAnswer);

    // The position opened and closed this session is still found by the executed search.
    const std::string executed = executedToday(sim->requestPort());
    EXPECT_NE(executed.find(sell + "\x05" "1001\x05"), std::string::npos) << executed;
}

TEST(SimOrders, ServerMessagesOnCommand) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    ASSERT_TRUE(login(c, "trader", "secret1").accepted);
    EXPECT_EQ(sim->command("summary 1002"), "ok");
    const auto s = c.expect(1045);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->get(34), "1002");
    EXPECT_EQ(s->get(560), "25000.00");
    // Margin held by its 50 lots at 38.51, one side only.
    EXPECT_EQ(s->get(84), "1925.50");
    EXPECT_EQ(s->get(120), "1925.50");
    // 1001 holds GOLD on both sides: the one-side figure counts the larger.
    EXPECT_EQ(sim->command("summary 1001"), "ok");
    const auto hedged = c.expect(1045);
    ASSERT_TRUE(hedged);
    EXPECT_EQ(hedged->get(84), "16913.10");
    EXPECT_EQ(hedged->get(120), "10806.90");
    EXPECT_EQ(sim->command("relogin trader"), "ok 1");
    EXPECT_TRUE(c.expect(1028));
    EXPECT_EQ(sim->command("relogin nobody").rfind("error", 0), 0u);
    EXPECT_EQ(sim->command("fault nonsense on").rfind("error", 0), 0u);
    EXPECT_EQ(sim->command("ticks -3").rfind("error", 0), 0u);
}

TEST(SimOrders, AWorkingOrderFillsWhenThePriceReachesIt) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    // A buy limit above the market is reached at once.
    c.sendEnvelope(newOrder("1001", "FRNM", 30, 45, "10", "500.00", "21"), r.sessionKey);
    const auto got = collect(c, 800ms);
    EXPECT_EQ(summary(got), (std::vector<std::string>{"62/28", "1045", "62/23", "67/74", "1045"}));
    ASSERT_EQ(got.size(), 5u);
    EXPECT_EQ(got[3].get(38), "500.00");
    EXPECT_EQ(got[3].get(79), got[0].get(79));
    // Only the answer sent at once echoes the request id; the later fill carries none.
    EXPECT_EQ(got[0].get(33), "21");
    EXPECT_FALSE(got[2].has(33));
    EXPECT_FALSE(got[3].has(33));
}

TEST(SimOrders, APartialFillOpensAPositionAndLeavesTheRestPending) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    for (const char* refused : {"partial-fill 50010 1", "partial-fill 50010 0", "partial-fill 59999 0.4",
                                "partial-fill 50010 x", "partial-fill 50010"})
        EXPECT_EQ(sim->command(refused).rfind("error", 0), 0u) << refused;
    EXPECT_EQ(sim->command("partial-fill 50010 0.4"), "ok");
    const auto got = collect(c);
    ASSERT_EQ(summary(got), (std::vector<std::string>{"62/22", "67/74", "1045"}));
    EXPECT_EQ(got[0].get(79), "50010");
    EXPECT_EQ(got[0].get(37), "1");
    EXPECT_EQ(got[0].get(76), "0.6");
    EXPECT_EQ(got[1].get(79), "50010");
    EXPECT_EQ(got[1].get(76), "0.4");
    // 0.6 stays pending: not all of it, but part of it can fill again.
    EXPECT_EQ(sim->command("partial-fill 50010 0.6").rfind("error", 0), 0u);
    EXPECT_EQ(sim->command("partial-fill 50010 0.5"), "ok");
}
