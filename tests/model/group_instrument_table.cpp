#include "model/group_instrument_table.h"

#include <gtest/gtest.h>

#include <map>
#include <stdexcept>
#include <string>

#include "model/group_instruments.h"

namespace {

using model::GroupInstruments;
using model::GroupInstrumentTable;

std::shared_ptr<GroupInstruments> terms(std::int32_t id) {
    auto t = std::make_shared<GroupInstruments>();
    t->InstrumentId = id;
    return t;
}

// Every key the model holds is found with its value, a few others are not,
// and iteration gives the entries in the order they were added.
void expectSame(const GroupInstrumentTable& table, const std::vector<std::string>& order,
                const std::map<std::string, std::int32_t>& model) {
    ASSERT_EQ(table.size(), model.size());
    std::size_t at = 0;
    for (const auto& [key, value] : table) {
        ASSERT_LT(at, order.size());
        EXPECT_EQ(key, order[at++]);
        EXPECT_EQ(value->InstrumentId, model.at(std::string(key)));
    }
    for (const auto& [key, id] : model) EXPECT_EQ(table.at(key)->InstrumentId, id) << key;
    for (const char* absent : {"", "0", "-1", "99999999", "1 "}) EXPECT_EQ(table.find(absent), table.end()) << absent;
}

// The numbers of entries cross the table's growth (8, 16 ... places) and the
// removals cross it back, so runs wrap around the table's end.
TEST(GroupInstrumentTable, HoldsWhatAMapHoldsThroughAddsOverwritesAndRemovals) {
    struct Case {
        const char* name;
        std::size_t adds;
        std::size_t reserved;
        std::size_t removals;
    };
    const Case cases[] = {
        {"one", 1, 0, 1},
        {"up to the first growth", 6, 0, 3},
        {"past several growths", 1000, 0, 1000},
        {"reserved ahead", 300, 300, 150},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GroupInstrumentTable table;
        table.reserve(c.reserved);
        const std::size_t places = table.bucket_count();
        std::map<std::string, std::int32_t> model;
        std::vector<std::string> order;
        std::uint32_t seed = 12345;
        for (std::size_t i = 0; i < c.adds; ++i) {
            seed = seed * 1103515245u + 12345u;
            const std::string key = std::to_string(seed % 5'000'000);
            if (model.count(key)) continue;
            EXPECT_TRUE(table.emplace(key, terms(static_cast<std::int32_t>(i))).second);
            model[key] = static_cast<std::int32_t>(i);
            order.push_back(key);
        }
        if (c.reserved >= c.adds) {
            EXPECT_EQ(table.bucket_count(), places);
        }
        // An added key keeps its entry: emplace refuses it, operator[] writes it in place.
        const std::string first = order.front();
        EXPECT_FALSE(table.emplace(first, terms(-1)).second);
        table[first] = terms(-2);
        model[first] = -2;
        expectSame(table, order, model);
        for (std::size_t i = 0; i < c.removals && !order.empty(); ++i) {
            table.pop_back();
            model.erase(order.back());
            order.pop_back();
            expectSame(table, order, model);
        }
    }
}

TEST(GroupInstrumentTable, ARecordOutlivesTheTableAndAMissingKeyThrows) {
    std::shared_ptr<GroupInstruments> held;
    {
        GroupInstrumentTable table;
        table["7"] = terms(7);
        held = table.at("7");
        for (int i = 0; i < 100; ++i) table[std::to_string(1000 + i)] = terms(i);  // grows
        EXPECT_EQ(table.at("7"), held);
        EXPECT_THROW(table.at("8"), std::out_of_range);
        table.clear();
        EXPECT_TRUE(table.empty());
        EXPECT_EQ(table.find("7"), table.end());
        EXPECT_EQ(table["7"], nullptr);  // adds an empty entry after a clear
    }
    EXPECT_EQ(held->InstrumentId, 7);
}

}  // namespace
