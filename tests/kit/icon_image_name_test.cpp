#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kit/core/icon_image_name.h"

namespace kit {
namespace {

TEST(IconImageName, OnlyPlainTypeNamesAreLookedUp) {
    std::vector<std::string> asked;
    auto exists = [&](const std::string& name) {
        asked.push_back(name);
        return name == "Shares";
    };
    EXPECT_EQ(iconImageName("Shares", exists), "Shares");
    EXPECT_EQ(iconImageName("Bonds", exists), "Others");  // no such image
    for (const std::string bad : {"../x", "a/b", "a\\b", "", ".", "..", "a\x01" "b"})
        EXPECT_EQ(iconImageName(bad, exists), "Others") << bad;
    EXPECT_EQ(asked, (std::vector<std::string>{"Shares", "Bonds"}));
}

}  // namespace
}  // namespace kit
