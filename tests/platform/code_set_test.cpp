// Distinct codes held as views: new once, then held, also after growing and clearing.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "platform/code_set.h"

namespace platform {
namespace {

TEST(CodeSet, TellsEachCodeNewOnce) {
    struct Insert {
        std::string_view code;
        bool isNew;
    };
    const Insert inserts[] = {
        {"EURUSD", true}, {"GOLD", true},  {"EURUSD", false}, {"", true},        {std::string_view(), false},
        {"eurusd", true}, {"EURUSD1", true}, {"GOLD", false},  {"EURUSD1", false},
    };
    CodeSet set;
    for (const Insert& i : inserts) {
        EXPECT_EQ(set.contains(i.code), !i.isNew) << "before: " << i.code;
        EXPECT_EQ(set.insert(i.code), i.isNew) << i.code;
        EXPECT_TRUE(set.contains(i.code)) << "after: " << i.code;
    }
    EXPECT_EQ(set.size(), 5u);
    set.clear();
    EXPECT_FALSE(set.contains("GOLD"));
    EXPECT_TRUE(set.insert("GOLD"));
}

TEST(CodeSet, KeepsEveryCodeWhenGrowingPastItsRoom) {
    std::vector<std::string> codes;
    for (int i = 0; i < 3000; ++i) codes.push_back("C" + std::to_string(i));
    CodeSet set;
    set.reserve(4);
    for (const std::string& code : codes) ASSERT_TRUE(set.insert(code)) << code;
    for (const std::string& code : codes) EXPECT_FALSE(set.insert(code)) << code;
    EXPECT_EQ(set.size(), codes.size());
    EXPECT_FALSE(set.contains("C3000"));
    // A larger room made ready a page a call keeps what the set holds.
    set.reserve(100000);
    while (!set.prepareRoom(1)) {
    }
    for (const std::string& code : codes) EXPECT_TRUE(set.contains(code)) << code;
    EXPECT_TRUE(set.insert("C3000"));
    // The rest of a room begun made ready in one call, whatever the count asked.
    set.reserve(400000);
    EXPECT_FALSE(set.prepareRoom(1));
    EXPECT_TRUE(set.prepareRoom(std::numeric_limits<std::size_t>::max()));
    for (const std::string& code : codes) EXPECT_TRUE(set.contains(code)) << code;
}

// Codes erased from a crowded table: every other code is still found, in
// whatever run it sits, and an erased one can come back.
TEST(CodeSet, ErasesWithoutLosingTheCodesAfterIt) {
    std::vector<std::string> codes;
    for (int i = 0; i < 2000; ++i) codes.push_back("P" + std::to_string(i * 7919 % 100003));
    CodeSet set;
    set.reserve(codes.size() / 2);  // grows while filled: long runs
    for (const std::string& code : codes) set.insert(code);
    EXPECT_FALSE(set.erase("absent"));
    for (std::size_t i = 0; i < codes.size(); i += 3) EXPECT_TRUE(set.erase(codes[i])) << codes[i];
    for (std::size_t i = 0; i < codes.size(); ++i) EXPECT_EQ(set.contains(codes[i]), i % 3 != 0) << codes[i];
    EXPECT_EQ(set.size(), codes.size() - (codes.size() + 2) / 3);
    EXPECT_FALSE(set.erase(codes[0]));
    EXPECT_TRUE(set.insert(codes[0]));
    EXPECT_TRUE(set.contains(codes[0]));
}

}  // namespace
}  // namespace platform
