// The large scenario grown from the default one.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "protocol/login_data_limits.h"
#include "sim/login_data.h"
#include "sim/scenario.h"
#include "sim/scenario_scale.h"

namespace {

struct Counts {
    std::size_t instruments = 0, groupRows = 0, traderPositions = 0, otherPositions = 0;
};

Counts countsOf(const sim::Scenario& s) {
    Counts c;
    c.instruments = s.instruments().size();
    c.groupRows = s.groupInstruments().size();
    const auto* trader = s.findUser("trader");
    const std::set<int> own(trader->accounts.begin(), trader->accounts.end());
    for (const auto& p : s.positions) ++(own.count(p.accountId) ? c.traderPositions : c.otherPositions);
    return c;
}

TEST(SimScale, GrowsTheDefaultScenarioToTheAskedCounts) {
    const sim::Scenario base = sim::Scenario::load(SIM_DEFAULT_SCENARIO);
    const Counts before = countsOf(base);
    const std::size_t groups = sim::jsonItems(base.root(), "groups").size();
    struct Case {
        double factor;
        std::size_t instruments, traderPositions;
    } cases[] = {{1, 3000, 2000}, {0.5, 1500, 1000}, {0.001, before.instruments, before.traderPositions}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.factor);
        // addInstrument refuses a repeated id or code.
        const sim::Scenario s = sim::scaledScenario(base, c.factor);
        const Counts after = countsOf(s);
        EXPECT_EQ(after.instruments, c.instruments);
        EXPECT_EQ(after.groupRows, before.groupRows + (c.instruments - before.instruments) * groups);
        EXPECT_EQ(after.traderPositions, c.traderPositions);
        EXPECT_EQ(after.otherPositions, before.otherPositions);
        std::set<std::string> ids;
        for (const auto& p : s.positions) EXPECT_TRUE(ids.insert(p.id).second) << p.id;
        // Every position's instrument is tradable in its account's group.
        for (const auto& p : s.positions)
            EXPECT_FALSE(s.groupInstrument(s.account(p.accountId)->groupId, p.instrumentId).is_null()) << p.id;
        // At this scale both forms stay well under the client's login data ceilings.
        const sim::LoginPorts ports{17002, 17003};
        const auto* trader = s.findUser("trader");
        EXPECT_LT(sim::LoginData::packed(s, *trader, ports).size() * 10, protocol::kMaxPackedLoginDataSize);
        EXPECT_LT(sim::LoginData::xml(s, *trader, ports).size() * 10, protocol::kMaxXmlLoginDataSize);
    }
}

}  // namespace
