#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "kit/core/label_value_rows.h"
#include "kit/core/table_rules.h"

// The header menu, the tick and the row-menu guard: the framework's tests.
TEST(TableRules, TitlesAndFontSizes) {
    const kit::TableTraits& watchlist = kit::tableTraits(kit::TableKind::Watchlist);
    EXPECT_EQ(kit::headerTitle(watchlist, "0", 0), "i");
    EXPECT_EQ(kit::headerTitle(watchlist, "153", 0), kit::headerTitle(watchlist, "0153", 0));  // padded key
    for (auto [stored, points] : std::vector<std::pair<std::int64_t, int>>{{0, 12}, {-3, 12}, {16, 16}, {99999, 12}})
        EXPECT_EQ(kit::tableFontPointSize(stored), points) << stored;
}

TEST(LabelValueRowsTest, SplitsAtTheSeparatorAndSkipsLinesWithoutIt) {
    const std::vector<std::string> lines{"Account\x03" "1001", "no separator", "Amount\x03" "12.50\x03" "extra",
                                         "\x03", "Empty value\x03"};
    const auto rows = kit::labelValueRows(lines);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0].label, "Account");
    EXPECT_EQ(rows[0].value, "1001");
    EXPECT_EQ(rows[1].label, "Amount");
    EXPECT_EQ(rows[1].value, "12.50");
    EXPECT_EQ(rows[2].label, "");
    EXPECT_EQ(rows[3].value, "");
}
