// The shipped string tables, one row per language, each against the English table.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "model/language_string.h"

namespace {

using model::LanguageString;
using model::StringTable;

std::string tableText(const std::string& folder) {
    std::ifstream in(std::filesystem::path(TC_SOURCE_DIR) / "resources" / (folder + ".lproj") / "Localizable.strings");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// "{0}" and printf-style directives ("%@", "%ld", "%.2f"): what a caller fills in.
std::multiset<std::string> placeholders(const std::string& text) {
    std::multiset<std::string> out;
    const auto digits = [&](std::size_t i) {
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
        return i;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '{') {
            const std::size_t end = digits(i + 1);
            if (end > i + 1 && end < text.size() && text[end] == '}') out.insert(text.substr(i, end - i + 1));
        } else if (text[i] == '%') {
            std::size_t end = digits(i + 1);
            if (end < text.size() && text[end] == '.') end = digits(end + 1);
            while (end < text.size() && (text[end] == 'l' || text[end] == 'h')) ++end;
            if (end < text.size() && std::string("@dsfuixXc").find(text[end]) != std::string::npos)
                out.insert(text.substr(i, end - i + 1));
        }
    }
    return out;
}

// A backslash in a table line that is none of \" \\ \n \t.
bool holdsUnknownEscape(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i)
        if (line[i] == '\\') {
            if (i + 1 == line.size() || std::string("\"\\nt").find(line[i + 1]) == std::string::npos) return true;
            ++i;
        }
    return false;
}

// Entries that may read as in English: codes (no small letter), the trading terms traders
// of every language use as they are, and words spelt the same in the language.
bool mayReadAsEnglish(const std::string& folder, const std::string& english) {
    static const std::set<std::string> terms = {"Bid",   "Ask",  "Spread", "Stop Loss", "Take Profit",
                                                "Forex", "Demo", "E-mail", "Chat",      "Port",
                                                "Limit", "Stop",  "Tick"};
    static const std::map<std::string, std::set<std::string>> sameWords = {
        // Indicator names traders keep: Alligator, Momentum.
        {"fr", {"Alligator", "Momentum", "Code", "Commission", "Date", "Description", "Instruments", "Journal",
                "Message", "Messages", "Simple", "Signal", "Sports", "Type", "Version", "minutes", "{0} minutes"}},
        {"spanish", {"Alligator", "Momentum", "Error", "General", "Simple"}},
        {"indonesien",
         {"Alligator", "Momentum", "Debit", "Interval", "Leverage", "Margin", "Offset", "Order", "Server", "Status",
          "Mini Tick", "Jan", "Feb", "Mar", "Apr", "Jun", "Jul", "Sep", "Nov"}},
        // Order types are named as on the trading platforms.
        {"ru", {"Buy Limit {0} {1} @ {2}", "Buy Stop {0} {1} @ {2}", "Sell Limit {0} {1} @ {2}", "Sell Stop {0} {1} @ {2}"}},
    };
    if (std::none_of(english.begin(), english.end(), [](char c) { return c >= 'a' && c <= 'z'; })) return true;
    const auto words = sameWords.find(folder);
    return terms.count(english) || (words != sameWords.end() && words->second.count(english));
}

class StringTables : public ::testing::TestWithParam<std::string> {
protected:
    void SetUp() override {
        english = StringTable::parse(tableText("en"));
        raw = tableText(GetParam());
        table = StringTable::parse(raw, &bad);
        ASSERT_FALSE(english.empty());
        ASSERT_FALSE(table.empty()) << "no table in " << GetParam();
    }
    StringTable::Map english, table;
    std::string raw;
    std::vector<std::size_t> bad;
};

TEST_P(StringTables, HoldExactlyTheEnglishKeysEachOnce) {
    EXPECT_TRUE(bad.empty()) << GetParam() << ": " << bad.size() << " lines not read, first " << bad.front();
    for (const auto& [key, text] : english) EXPECT_TRUE(table.count(key)) << GetParam() << " lacks " << key;
    for (const auto& [key, text] : table) EXPECT_TRUE(english.count(key)) << GetParam() << " has " << key << ", English has not";
    std::set<std::string> seen;
    std::istringstream lines(raw);
    for (std::string line; std::getline(lines, line);)
        if (line.size() > 1 && line[0] == '"') {
            const std::string key = line.substr(1, line.find('"', 1) - 1);
            EXPECT_TRUE(seen.insert(key).second) << GetParam() << " defines " << key << " twice";
        }
}

// A lost "{1}" drops a figure from a message; an unknown escape shows its backslash.
TEST_P(StringTables, KeepTheEnglishPlaceholdersAndValidEscapes) {
    for (const char* key : {"1038", "1039", "1042", "1043"})  // refusals that place their price bound
        EXPECT_EQ(placeholders(english[key]), std::multiset<std::string>{"{0}"}) << key;
    for (const auto& [key, text] : table) {
        const auto it = english.find(key);
        if (it != english.end()) {
            EXPECT_EQ(placeholders(text), placeholders(it->second)) << GetParam() << " " << key << ": " << text;
        }
    }
    std::istringstream lines(raw);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("//", 0) != 0) {
            EXPECT_FALSE(holdsUnknownEscape(line)) << GetParam() << ": " << line;
        }
    }
}

// A table that copies English gives the trader English.
TEST_P(StringTables, TranslateAllButAHandfulOfEntries) {
    if (GetParam() == "en") GTEST_SKIP();
    constexpr int kHandful = 5;
    std::vector<std::string> same;
    for (const auto& [key, text] : table)
        if (const auto it = english.find(key); it != english.end() && it->second == text && !mayReadAsEnglish(GetParam(), text))
            same.push_back(key + " \"" + text + "\"");
    std::string list;
    for (std::size_t i = 0; i < same.size() && i < 20; ++i) list += "\n  " + same[i];
    EXPECT_LE(same.size(), static_cast<std::size_t>(kHandful)) << GetParam() << " keeps " << same.size() << " English entries:" << list;
}

INSTANTIATE_TEST_SUITE_P(Shipped, StringTables, ::testing::ValuesIn(LanguageString::languageFolders()),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == '-') c = '_';
                             return name;
                         });

}  // namespace
