// The feed's code -> instrument table: the dictionary's answers, also after it changed.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "state/item_index.h"

namespace state {
namespace {

using Items = ItemIndex::Items;

std::shared_ptr<model::ItemDetails> item(const std::string& code) {
    auto details = std::make_shared<model::ItemDetails>();
    details->Code = code;
    return details;
}

// Whole tables and tables built a few entries a lookup (the dictionary answering meanwhile).
class ItemIndexSteps : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ItemIndexSteps, FindsWhatTheDictionaryHoldsAndFollowsItsChanges) {
    Items items;
    ItemIndex index(GetParam());
    auto expectSame = [&](const char* what) {
        for (const char* code : {"EURUSD", "GOLD", "I0", "I99", "I100", "", "eurusd", "EURUSDX"}) {
            const auto* held = static_cast<const Items&>(items).find(code);
            EXPECT_EQ(index.find(items, code), held ? held->get() : nullptr) << what << ": " << code;
        }
    };
    expectSame("empty");
    items.set("EURUSD", item("EURUSD"));
    items.set("GOLD", item("GOLD"));
    expectSame("two");
    for (int i = 0; i < 100; ++i) items.set("I" + std::to_string(i), item("I" + std::to_string(i)));
    expectSame("grown past the table");
    items.set("GOLD", item("GOLD"));
    expectSame("one replaced");
    items.erase("EURUSD");
    expectSame("one erased");
    items.clear();
    expectSame("cleared");
}

// Built ahead in steps (the dictionary changed between two or not, or the
// rest left to a lookup), it answers as the dictionary does.
TEST(ItemIndex, BuiltInStepsAnswersAsTheDictionary) {
    const struct {
        const char* name;
        std::size_t perStep;
        bool changeAfterFirstStep, leaveToLookup;
        std::size_t steps;  // to whole, counted from the change (120 instruments then)
    } cases[] = {
        {"one step", 1000, false, false, 1},
        {"four steps", 30, false, false, 4},
        {"changed between steps", 30, true, false, 4},
        {"finished by a lookup", 30, false, true, 1},
    };
    for (const auto& c : cases) {
        Items items;
        for (int i = 0; i < 100; ++i) items.set("I" + std::to_string(i), item("I" + std::to_string(i)));
        ItemIndex index;
        std::size_t steps = 1;
        bool whole = index.buildStep(items, c.perStep);
        if (c.changeAfterFirstStep) {
            for (int i = 100; i < 120; ++i) items.set("I" + std::to_string(i), item("I" + std::to_string(i)));
            steps = 0;
        }
        for (whole = whole && !c.changeAfterFirstStep; !whole && !c.leaveToLookup && steps < 10; ++steps)
            whole = index.buildStep(items, c.perStep);
        EXPECT_EQ(steps, c.steps) << c.name;
        for (const char* code : {"I0", "I99", "I110", "I120", ""}) {
            const auto* held = static_cast<const Items&>(items).find(code);
            EXPECT_EQ(index.find(items, code), held ? held->get() : nullptr) << c.name << ": " << code;
        }
        EXPECT_TRUE(index.buildStep(items, 0)) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(ItemIndex, ItemIndexSteps, ::testing::Values(ItemIndex::kEntriesPerStep, 7, 1));

}  // namespace
}  // namespace state
