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

INSTANTIATE_TEST_SUITE_P(ItemIndex, ItemIndexSteps, ::testing::Values(ItemIndex::kEntriesPerStep, 7, 1));

}  // namespace
}  // namespace state
