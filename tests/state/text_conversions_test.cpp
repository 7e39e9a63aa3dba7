// Readings of the reference-data texts and the splitting of the compact form.
#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "state/text_conversions.h"

namespace state {
namespace {

namespace TC = TextConversion;

TEST(TextConversion, IntegersTakeTheLeadingNumberAndClamp) {
    EXPECT_EQ(TC::intValue(" -12abc"), -12);
    EXPECT_EQ(TC::intValue("\t+7"), 7);
    EXPECT_EQ(TC::intValue("12.9"), 12);
    EXPECT_EQ(TC::intValue("abc"), 0);
    EXPECT_EQ(TC::intValue(""), 0);
    EXPECT_EQ(TC::intValue("- 5"), 0);
    EXPECT_EQ(TC::intValue("2147483648"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TC::intValue("-2147483649"), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TC::intValue("99999999999999999999999"), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TC::integerValue("2147483648"), 2147483648LL);
    EXPECT_EQ(TC::integerValue("-99999999999999999999999"), std::numeric_limits<std::int64_t>::min());
    // int, sign-extended, kept as the unsigned pattern ("%lu" keys).
    EXPECT_EQ(TC::unsignedFromInt("-1"), std::numeric_limits<std::uint64_t>::max());
    EXPECT_EQ(TC::unsignedFromInt("5000000000"), 2147483647u);
    EXPECT_EQ(TC::unsignedFromInteger("5000000000"), 5000000000u);
}

TEST(TextConversion, DoublesTakeTheLeadingNumber) {
    EXPECT_DOUBLE_EQ(TC::doubleValue(" 1.5e2x"), 150.0);
    EXPECT_DOUBLE_EQ(TC::doubleValue("-0.25"), -0.25);
    EXPECT_DOUBLE_EQ(TC::doubleValue(".5"), 0.5);
    EXPECT_DOUBLE_EQ(TC::doubleValue("abc"), 0.0);
    EXPECT_DOUBLE_EQ(TC::doubleValue(""), 0.0);
    EXPECT_DOUBLE_EQ(TC::doubleValue("nan"), 0.0);
}

// Plain decimals take a short road; every reading must equal from_chars' to the bit.
TEST(TextConversion, DoublesRoundAsFromChars) {
    for (const char* text : {"1800.25", "0.01", "4070.8", "-2.5", "5.", "0.1", "0.3", "123456789012345",
                             "1234567890123456", "0.000000000000001", "9007199254740993", "99999999999999.9",
                             "0.1234567890123", "1.7976931348623157", "2035.4e3", "7E2", "3.14159265358979",
                             "00000000000000000000012.5", "1.0000000000000000000001", "0.0000000000000000000001"}) {
        const std::string_view t(text);
        const bool negative = t[0] == '-';
        double expected = 0.0;
        std::from_chars(t.data() + (negative ? 1 : 0), t.data() + t.size(), expected);
        EXPECT_EQ(TC::doubleValue(t), negative ? -expected : expected) << text;
    }
}

TEST(TextConversion, CountByteCountsEveryOccurrence) {
    struct Row {
        std::string_view text;
        std::size_t count;
    };
    for (const Row& row : {Row{"", 0}, Row{"abc", 0}, Row{"\x06", 1}, Row{"a\x06\x06" "b\x06", 3}, Row{"\x06\x06\x06", 3}})
        EXPECT_EQ(TC::countByte(row.text, '\x06'), row.count) << row.text.size();
}

TEST(TextConversion, Bools) {
    for (const char* yes : {"  +0007", "Y", "yes", "t", "True", "1", "-3", "009"}) EXPECT_TRUE(TC::boolValue(yes)) << yes;
    for (const char* no : {"0", "false", "", "  ", "000", "+", "no", "N", "x1"}) EXPECT_FALSE(TC::boolValue(no)) << no;
}

TEST(TextConversion, SplittingKeepsEveryPiece) {
    using V = std::vector<std::string_view>;
    EXPECT_EQ(TC::split("a\x06\x06" "b", '\x06'), (V{"a", "", "b"}));
    EXPECT_EQ(TC::split("a\x06", '\x06'), (V{"a", ""}));
    EXPECT_EQ(TC::split("", '\x06'), (V{""}));
    EXPECT_EQ(TC::split("\x07\x07", '\x07'), (V{"", "", ""}));
    EXPECT_EQ(TC::recordZero("r0\x06r1", '\x06'), "r0");
    EXPECT_EQ(TC::recordZero("only", '\x06'), "only");
    EXPECT_EQ(TC::recordZero("", '\x06'), "");
}

}  // namespace
}  // namespace state

#include "state/ordered_dictionary.h"

namespace state {
namespace {

TEST(OrderedDictionary, KeepsFirstStoredOrderAndFindsAfterErase) {
    OrderedDictionary<int> d;
    d.set("b", 1);
    d.set("a", 2);
    d.set("c", 3);
    d.set("b", 4);  // replaced in place
    EXPECT_EQ(d.first()->first, "b");
    EXPECT_EQ(*d.find("b"), 4);
    d.erase("b");
    d.erase("missing");
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d.first()->first, "a");
    EXPECT_EQ(*d.find("a"), 2);
    EXPECT_EQ(*d.find("c"), 3);
    EXPECT_EQ(d.find("b"), nullptr);
    d.set("b", 5);
    std::vector<std::string> keys;
    for (const auto& e : d) keys.push_back(e.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"a", "c", "b"}));

    // A copy has its own index; a moved-from or emptied one takes keys again.
    OrderedDictionary<int> copy = d;
    d.set("z", 9);
    EXPECT_EQ(copy.find("z"), nullptr);
    EXPECT_EQ(*copy.find("b"), 5);
    OrderedDictionary<int> moved = std::move(copy);
    EXPECT_EQ(*moved.find("a"), 2);
    EXPECT_EQ(moved.takeEntries().size(), 3u);
    EXPECT_EQ(moved.find("a"), nullptr);
    moved.set("a", 7);
    EXPECT_EQ(*moved.find("a"), 7);
}

// Erasing from the flat index keeps every other key findable, whatever the
// probe runs it sat in; compared with a plain list after each step.
TEST(OrderedDictionary, MatchesAPlainListThroughStoresErasesAndClear) {
    struct Step {
        char op;  // 's' set, 'e' erase, 'c' clear
        int from, to, stride;
    };
    const Step steps[] = {{'s', 0, 300, 1}, {'e', 0, 300, 3}, {'s', 0, 300, 7}, {'e', 1, 300, 2},
                          {'s', 250, 400, 1}, {'e', 0, 400, 5}, {'c', 0, 0, 1}, {'s', 0, 50, 1}};
    OrderedDictionary<int> d;
    std::vector<std::pair<std::string, int>> plain;
    int value = 0;
    for (const Step& step : steps) {
        if (step.op == 'c') {
            d.clear();
            plain.clear();
        }
        for (int k = step.from; k < step.to; k += step.stride) {
            const std::string key = "K" + std::to_string(k);
            const auto it = std::find_if(plain.begin(), plain.end(), [&](const auto& e) { return e.first == key; });
            if (step.op == 's') {
                d.set(key, ++value);
                if (it == plain.end()) plain.emplace_back(key, value);
                else it->second = value;
            } else if (step.op == 'e') {
                d.erase(key);
                if (it != plain.end()) plain.erase(it);
            }
        }
        ASSERT_EQ(d.size(), plain.size());
        std::size_t place = 0;
        for (const auto& [key, v] : plain) {
            ASSERT_EQ(d.at(place++)->first, key);
            const int* found = std::as_const(d).find(key);
            ASSERT_NE(found, nullptr) << key;
            EXPECT_EQ(*found, v);
        }
        for (int k = 0; k < 400; ++k) {
            const std::string key = "K" + std::to_string(k);
            const bool held = std::any_of(plain.begin(), plain.end(), [&](const auto& e) { return e.first == key; });
            EXPECT_EQ(d.contains(key), held) << key;
        }
    }
}

}  // namespace
}  // namespace state
