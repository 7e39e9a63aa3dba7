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

// The scenario written out as plain records: each scaled copy with its own id,
// code and name (or row id and instrument) in a JSON record of its own.
sim::Scenario plainRecords(const sim::Scenario& s) {
    sim::Json root = s.root();
    sim::Json::array_t instruments, rows;
    for (const auto& i : s.instruments()) {
        sim::Json r = *i.record;
        if (i.scaledCopy) {
            r["InstrumentId"] = i.id;
            r["Code"] = i.code;
            r["Name"] = i.name;
        }
        instruments.push_back(std::move(r));
    }
    for (const auto& g : s.groupInstruments()) {
        sim::Json r = *g.record;
        if (g.scaledCopy) {
            r["groupdetailsid"] = g.rowId;
            r["InstrumentId"] = g.instrumentId;
        }
        rows.push_back(std::move(r));
    }
    root["instruments"] = instruments;
    root["groupInstruments"] = rows;
    sim::Scenario plain = sim::Scenario::fromJson(root);
    plain.positions = s.positions;
    return plain;
}

}  // namespace

TEST(SimScale, TheCopiesLoginRowsAreThoseOfTheirPlainRecords) {
    // Markup and a separator in a name that the copies carry on.
    sim::Json root = sim::Scenario::load(SIM_DEFAULT_SCENARIO).root();
    root["instruments"][0]["Name"] = "Gold <spot> & \x05 more";
    const sim::Scenario base = sim::Scenario::fromJson(root);
    const sim::LoginPorts ports{17002, 17003};
    for (const double factor : {0.02, 0.3}) {
        const sim::Scenario scaled = sim::scaledScenario(base, factor);
        const sim::Scenario plain = plainRecords(scaled);
        for (const char* user : {"trader", "alice"}) {
            SCOPED_TRACE(std::to_string(factor) + " " + user);
            const auto* u = scaled.findUser(user);
            EXPECT_EQ(sim::LoginData::packed(scaled, *u, ports), sim::LoginData::packed(plain, *u, ports));
            EXPECT_EQ(sim::LoginData::xml(scaled, *u, ports), sim::LoginData::xml(plain, *u, ports));
        }
    }
}
