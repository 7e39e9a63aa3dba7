#include "model/language_string.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/resource_bundle.h"
#include "platform/test_env.h"

namespace {

using model::LanguageString;
using model::StringTable;

class LanguageStringTest : public ::testing::Test {
  protected:
    void TearDown() override {
        LanguageString::setProductLocalizationList({});
        platform::ResourceBundle::setResourceDirectory("");
    }
};

TEST_F(LanguageStringTest, KeyPadding) {
    EXPECT_EQ(LanguageString::setLanguageKey("9"), "0009");
    EXPECT_EQ(LanguageString::setLanguageKey("27"), "0027");
    EXPECT_EQ(LanguageString::setLanguageKey("123"), "0123");
    EXPECT_EQ(LanguageString::setLanguageKey("1234"), "1234");
    EXPECT_EQ(LanguageString::setLanguageKey("10980"), "10980");
    EXPECT_EQ(LanguageString::setLanguageKey(""), "");
}

TEST_F(LanguageStringTest, ShippedTablesInEveryLanguage) {
    EXPECT_EQ(LanguageString::languageFolder(12), "en");
    EXPECT_EQ(LanguageString::languageFolder(-1), "en");
    EXPECT_EQ(LanguageString::languageFolder(1), "zh-Hans");
    EXPECT_EQ(LanguageString::languageFolder(11), "albanian");
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(0, "0009"), "Buy");
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(12, "0009"), "Buy");
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(-1, "0010"), "Sell");
    for (std::int64_t i = 0; i < 12; ++i) {
        const std::string text = LanguageString::stringforSelectedLanguage(i, "10980");
        EXPECT_FALSE(text.empty()) << i;
        EXPECT_NE(text, "10980") << i;
    }
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(0, "99999"), "99999");  // missing key shows the key
}

TEST_F(LanguageStringTest, ProductLocalizationReplacesKeys) {
    LanguageString::setProductLocalizationList({{"0009", "0010"}});
    EXPECT_EQ(LanguageString::getProductBasedKeyForKey("0009"), "0010");
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(0, "0009"), "Sell");
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(0, "0010"), "Sell");
    LanguageString::setProductLocalizationList({{"0009", "77777"}});
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(0, "0009"), "77777");  // the replaced key shows
}

TEST_F(LanguageStringTest, MissingFolderAndDamagedTable) {
    platform::testing::TempDir dir;
    std::filesystem::create_directories(dir / "en.lproj");
    std::ofstream(dir / "en.lproj/Localizable.strings") << "\xEF\xBB\xBF\"0001\" = \"One\";\n"
                                                           "not a line\n"
                                                           "\"0002\" = \"Two\"\n"
                                                           "\"0003\" = \"Three\"; // trailing note\n";
    platform::ResourceBundle::setResourceDirectory(dir.path());
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(0, "0001"), "One");
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(0, "0002"), "0002");  // its line was skipped
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(0, "0003"), "Three");
    EXPECT_EQ(LanguageString::stringforSelectedLanguage(1, "0001"), "");  // no "zh-Hans" folder
}

TEST(StringTable, Parse) {
    std::vector<std::size_t> bad;
    const auto table = StringTable::parse(
        "// note\n"
        "/* block */\n"
        "\r\n"
        "\"0001\" = \"say \\\"hi\\\"\\nnext\\tline \\\\ end\";\r\n"
        "  \"0002\"=\"{0} of {1}\" ;\n"
        "\"0003\" = \"unterminated;\n"
        "\"0004\" = \"a\"; junk\n"
        "\"0005\" \"b\";\n"
        "\"0006\" = \"last\";",
        &bad);
    EXPECT_EQ(table.at("0001"), "say \"hi\"\nnext\tline \\ end");
    EXPECT_EQ(table.at("0002"), "{0} of {1}");
    EXPECT_EQ(table.at("0006"), "last");
    EXPECT_EQ(table.count("0003") + table.count("0004") + table.count("0005"), 0u);
    EXPECT_EQ(bad, (std::vector<std::size_t>{6, 7, 8}));
    EXPECT_TRUE(StringTable::parse("").empty());
}

}  // namespace
