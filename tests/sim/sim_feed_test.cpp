// The price feed as a raw ZeroMQ subscriber sees it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "raw_client.h"

using namespace rawclient;
using namespace std::chrono_literals;

namespace {

// Publishes a probe until the subscriber is connected (the first messages are lost until then).
bool waitConnected(sim::Simulator& sim, SubClient& sub, const std::string& probeCommand) {
    for (int i = 0; i < 60; ++i) {
        sim.command(probeCommand);
        if (sub.next(50ms)) return true;
    }
    return false;
}

std::vector<std::string> drain(SubClient& sub) {
    std::vector<std::string> out;
    while (auto m = sub.next(300ms)) out.push_back(*m);
    return out;
}

}  // namespace

TEST(SimFeed, PublishesOnlyTheSubscribedTopics) {
    auto sim = startSimulator();
    SubClient sub(sim->feedPort(), {"IS;", "*#bm#*:", "GOLD", "MD_GOLD;"});
    ASSERT_TRUE(waitConnected(*sim, sub, "broadcast probe"));
    drain(sub);
    for (const char* cmd : {"tick EURUSD", "tick GOLD", "status GOLD 1 3", "broadcast hello", "tick FRNM"})
        ASSERT_EQ(sim->command(cmd), "ok") << cmd;
    const auto got = drain(sub);
    ASSERT_EQ(got.size(), 4u);

    const auto tick = splitOn(got[0], '\x04');
    ASSERT_EQ(tick.size(), 11u);
    EXPECT_EQ(tick[0], "GOLD");
    EXPECT_EQ(tick[1].size(), 14u);
    EXPECT_EQ(tick[10], "2");
    // price = scaled / 10^decimals + base
    const double base = std::atof(tick[2].c_str());
    const double bid = std::atof(tick[4].c_str()) / 100 + base, ask = std::atof(tick[5].c_str()) / 100 + base;
    EXPECT_GT(bid, 1500);
    EXPECT_LT(bid, ask);

    ASSERT_EQ(got[1].rfind("MD_GOLD;", 0), 0u);
    const auto depth = splitOn(got[1].substr(3), ';');
    ASSERT_EQ(depth.size(), 3u);
    EXPECT_EQ(splitOn(depth[1], '|').size(), 5u);
    EXPECT_EQ(splitOn(depth[2], '|').size(), 5u);
    EXPECT_EQ(splitOn(splitOn(depth[1], '|')[0], ',').size(), 2u);

    EXPECT_EQ(got[2], std::string("IS;\x01" "28\x03" "10=1049\x03" "12=GOLD\x03" "572=1\x03" "574=3\x03" "\x02"));
    EXPECT_EQ(got[3], "*#bm#*:hello");
}

TEST(SimFeed, TicksFlowAtTheConfiguredRateAndCanLoseTheirBase) {
    sim::SimulatorOptions options;
    options.ticksPerSecond = 40;
    auto sim = startSimulator(options);
    SubClient sub(sim->feedPort(), {"EURUSD"});
    int ticks = 0;
    const auto until = std::chrono::steady_clock::now() + 2s;
    while (std::chrono::steady_clock::now() < until && ticks < 20)
        if (auto m = sub.next(200ms); m && m->rfind("EURUSD\x04", 0) == 0) ++ticks;
    EXPECT_GE(ticks, 20);

    ASSERT_EQ(sim->command("fault tick-without-base on"), "ok");
    bool sawEmptyBase = false;
    for (int i = 0; i < 100 && !sawEmptyBase; ++i)
        if (auto m = sub.next(200ms); m && m->rfind("EURUSD\x04", 0) == 0) sawEmptyBase = splitOn(*m, '\x04')[2].empty();
    EXPECT_TRUE(sawEmptyBase);
}

TEST(SimFeed, AnyFrameCanBePublishedAsAStatus) {
    auto sim = startSimulator();
    SubClient sub(sim->feedPort(), {"IS;", "*#bm#*:"});
    ASSERT_TRUE(waitConnected(*sim, sub, "broadcast probe"));
    drain(sub);
    ASSERT_EQ(sim->command("feed-status 44 105=elsewhere"), "ok");
    EXPECT_EQ(sim->command("feed-status 44 105"), "error expected TAG=VALUE: 105");
    EXPECT_EQ(drain(sub), std::vector<std::string>{"IS;\x01" "20\x03" "10=44\x03" "105=elsewhere\x03\x02"});
}
