// An order collection's id table: the list's answers, also after others changed the list.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "state/id_index.h"

namespace state {
namespace {

std::shared_ptr<model::Order> order(const std::string& id) {
    auto o = std::make_shared<model::Order>();
    o->OpenPositionId = id;
    return o;
}

// The places of `id` in `list`, as a walk through the list finds them.
std::vector<const model::Order*> walked(const OrderList& list, const std::string& id) {
    std::vector<const model::Order*> out;
    for (const auto& o : list)
        if (o && std::string_view(o->OpenPositionId) == id) out.push_back(o.get());
    return out;
}

struct Change {
    const char* what;
    std::function<void(OrderList&)> apply;
};

TEST(IdIndex, AnswersAsTheListDoesAfterEachChange) {
    const std::vector<Change> changes{
        {"appended through the table", {}},
        {"one more appended by others", [](OrderList& l) { l.push_back(order("P3")); }},
        {"a duplicate appended by others", [](OrderList& l) { l.push_back(order("P1")); }},
        {"one erased from the middle", [](OrderList& l) { l.erase(l.begin() + 1); }},
        {"one replaced in place", [](OrderList& l) { l[0] = order("P9"); }},
        {"an id changed in place", [](OrderList& l) { l[1]->OpenPositionId = "P7"; }},
        {"a null entry", [](OrderList& l) { l.insert(l.begin(), nullptr); }},
        {"emptied", [](OrderList& l) { l.clear(); }},
    };
    OrderList list;
    IdIndex index(&IdIndex::of<&model::Order::OpenPositionId>);
    index.reserve(list, 2);
    for (const char* id : {"P0", "P1", "P2"}) index.append(list, order(id));
    for (const Change& change : changes) {
        if (change.apply) change.apply(list);
        for (const char* id : {"P0", "P1", "P2", "P3", "P7", "P9", "", "P"}) {
            const auto expected = walked(list, id);
            std::vector<const model::Order*> found;
            index.forEach(list, id, [&](const model::Order& o) { found.push_back(&o); });
            EXPECT_EQ(found, expected) << change.what << ": " << id;
            EXPECT_EQ(index.holds(list, id), !expected.empty()) << change.what << ": " << id;
        }
    }
}

// Erased through the table, the list keeps its order and the table its answers,
// also when others changed the list first.
TEST(IdIndex, ErasingKeepsTheAnswersOfTheList) {
    struct Erase {
        const char* what;
        std::function<void(OrderList&)> before;
        std::vector<std::size_t> places;
    };
    std::vector<std::size_t> everyThird;
    for (std::size_t at = 300; at-- > 0;)
        if (at % 3 == 0) everyThird.push_back(at);
    const std::vector<Erase> erases{
        {"every third, from the back", {}, everyThird},
        {"the first and the last", {}, {0, 198}},
        {"a null entry", [](OrderList& l) { l.insert(l.begin() + 5, nullptr); }, {5}},
        {"after others swapped two", [](OrderList& l) { std::swap(l[3], l[9]); }, {9, 3}},
        {"past the end", {}, {500}},
    };
    OrderList list;
    IdIndex index(&IdIndex::of<&model::Order::OpenPositionId>);
    for (int i = 0; i < 300; ++i) index.append(list, order("P" + std::to_string(i % 200)));  // 100 ids held twice
    for (const Erase& erase : erases) {
        if (erase.before) erase.before(list);
        OrderList walkedList = list;
        for (const std::size_t at : erase.places) {
            if (at < walkedList.size()) walkedList.erase(walkedList.begin() + static_cast<std::ptrdiff_t>(at));
            index.erase(list, at);
        }
        EXPECT_EQ(list, walkedList) << erase.what;
        for (int i = 0; i < 200; ++i) {
            const std::string id = "P" + std::to_string(i);
            std::vector<const model::Order*> found;
            index.forEach(list, id, [&](const model::Order& o) { found.push_back(&o); });
            ASSERT_EQ(found, walked(list, id)) << erase.what << ": " << id;
            ASSERT_EQ(index.first(list, id).has_value(), !found.empty()) << erase.what << ": " << id;
        }
    }
}

TEST(IdIndex, HoldsEveryIdAppendedPastItsRoom) {
    OrderList list;
    IdIndex index(&IdIndex::of<&model::Order::OpenPositionId>);
    index.reserve(list, 10);
    constexpr int kIds = 5000;
    for (int i = 0; i < kIds; ++i) {
        ASSERT_FALSE(index.holds(list, std::to_string(i)));
        index.append(list, order(std::to_string(i)));
    }
    for (int i = 0; i < kIds; ++i) EXPECT_TRUE(index.holds(list, std::to_string(i))) << i;
    EXPECT_FALSE(index.holds(list, std::to_string(kIds)));
    index.clear();
    EXPECT_TRUE(index.holds(list, "42")) << "read again after it was let go";
}

}  // namespace
}  // namespace state
