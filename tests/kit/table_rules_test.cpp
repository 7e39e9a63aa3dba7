#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "kit/core/label_value_rows.h"
#include "kit/core/table_rules.h"
#include "model/language_string.h"

// The header menu, the tick and the row-menu guard: the framework's tests.
TEST(TableRules, TitlesAndFontSizes) {
    const kit::TableTraits& watchlist = kit::tableTraits(kit::TableKind::Watchlist);
    EXPECT_EQ(kit::headerTitle(watchlist, "0", 0), "i");
    EXPECT_EQ(kit::headerTitle(watchlist, "153", 0), kit::headerTitle(watchlist, "0153", 0));  // padded key
    for (auto [stored, points] : std::vector<std::pair<std::int64_t, int>>{{0, 12}, {-3, 12}, {16, 16}, {99999, 12}})
        EXPECT_EQ(kit::tableFontPointSize(stored), points) << stored;
}

// A column keeps its stored identifier but may be titled by another key.
TEST(TableRules, ColumnsTitledByTheirOwnKey) {
    const struct {
        kit::TableKind table;
        const char* identifier;
        const char* titleKey;
    } rows[] = {
        {kit::TableKind::Accounts, "0144", "0514"},          // the trading status, not "Session"
        {kit::TableKind::Watchlist, "0144", "0144"},         // the session
        {kit::TableKind::SettledPositions, "0319", "0152"},  // realised, not floating
        {kit::TableKind::OpenPositions, "0319", "0319"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(kit::headerTitle(kit::tableTraits(r.table), r.identifier, 0),
                  model::LanguageString::stringforSelectedLanguage(0, r.titleKey))
            << r.identifier << " " << r.titleKey;
}

TEST(LabelValueRowsTest, SplitsAtTheSeparatorAndSkipsLinesWithoutIt) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (const auto& r : kit::labelValueRows({"Account\x03" "1001", "no separator", "Amount\x03" "12.50\x03" "extra", "\x03",
                                              "Empty value\x03"}))
        rows.emplace_back(r.label, r.value);
    EXPECT_EQ(rows, (std::vector<std::pair<std::string, std::string>>{
                        {"Account", "1001"}, {"Amount", "12.50"}, {"", ""}, {"Empty value", ""}}));
}
