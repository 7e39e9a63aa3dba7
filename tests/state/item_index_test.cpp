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

TEST(ItemIndex, FindsWhatTheDictionaryHoldsAndFollowsItsChanges) {
    Items items;
    ItemIndex index;
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

// Built ahead in steps, with the dictionary changed between two steps or not,
// it answers as the dictionary does; the steps report when it is whole.
TEST(ItemIndex, BuiltInStepsAnswersAsTheDictionary) {
    struct Case {
        const char* name;
        std::size_t perStep;
        bool changeAfterFirstStep;
        std::size_t stepsToWhole;  // counted from the change, if any (120 instruments then)
    };
    const Case cases[] = {
        {"one step", 1000, false, 1},
        {"four steps", 30, false, 4},
        {"changed between steps", 30, true, 4},
    };
    for (const Case& c : cases) {
        Items items;
        for (int i = 0; i < 100; ++i) items.set("I" + std::to_string(i), item("I" + std::to_string(i)));
        ItemIndex index;
        std::size_t steps = 1;
        bool whole = index.buildStep(items, c.perStep);
        if (c.changeAfterFirstStep) {
            for (int i = 100; i < 120; ++i) items.set("I" + std::to_string(i), item("I" + std::to_string(i)));
            steps = 0;
            whole = false;
        }
        while (!whole && steps < 10) {
            whole = index.buildStep(items, c.perStep);
            ++steps;
        }
        EXPECT_EQ(steps, c.stepsToWhole) << c.name;
        for (const char* code : {"I0", "I99", "I110", "I120", ""}) {
            const auto* held = static_cast<const Items&>(items).find(code);
            EXPECT_EQ(index.find(items, code), held ? held->get() : nullptr) << c.name << ": " << code;
        }
    }
}

TEST(ItemIndex, FindCompletesAPartBuiltTable) {
    Items items;
    for (int i = 0; i < 100; ++i) items.set("I" + std::to_string(i), item("I" + std::to_string(i)));
    ItemIndex index;
    EXPECT_FALSE(index.buildStep(items, 10));
    EXPECT_EQ(index.find(items, "I99"), static_cast<const Items&>(items).find("I99")->get());
    EXPECT_TRUE(index.buildStep(items, 0));
}

}  // namespace
}  // namespace state
